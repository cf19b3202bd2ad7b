// Background tasks: work that runs on a worker thread while a display (the
// editor's progress dialog, a progress line on a terminal) shows its progress,
// and that the user may cancel. Package builds and imports are one kind of
// task, the operations on a connected handheld another; both run through the
// same runners.
#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace mrw {

// What a running task tells its display.
struct TaskEvent {
    enum Kind : int {
        kCaption,  // value: resource string id of the caption
        kStep,     // value: the step (or position) reached, extent: their count (above 0)
        kState,    // value: a state of the task's own kind, extent: its measure (a count, a byte total)
        kDone,     // value: the task's status; the last event of every run
    };
    Kind kind = kCaption;
    int value = 0;
    int extent = 0;
};

// Where a running task's events go. Post is called on the worker thread; it
// hands the event on to the display thread without waiting for it and never
// throws.
class TaskEventSink {
public:
    virtual ~TaskEventSink() = default;
    virtual void Post(const TaskEvent& event) = 0;
};

class Task;

// Runs a task: its work on a worker thread, its events shown on the calling
// thread; returns once the work has ended and `status` is set. True when the
// status is 0.
class TaskRunner {
public:
    virtual ~TaskRunner() = default;
    virtual bool Run(Task& task) = 0;
};

// One background task.
//
// How it works. A runner starts a TaskWorker for the task and shows its
// display on the calling thread (the display thread). The worker thread waits
// for the start signal, which the runner gives once the display exists, so
// that no event is reported before there is something to show it. The worker
// then calls DoWork, which reports its caption, steps and states (Report ->
// the runner's sink -> the display thread) and polls CancelRequested between
// its steps. The display thread may call RequestCancel at any time (a Cancel
// button, a console interrupt); the work stops at its next poll, removes what
// it has half written and returns CancelledStatus(). An exception escaping
// DoWork ends the run with UnexpectedStatus(): nothing leaves the worker
// thread. The worker writes `status` before it posts the kDone event; the
// caller reads it after Run has returned (the runner has joined the worker),
// so `status` needs no lock. Messages for the user are never shown from the
// worker: a task keeps what to show in its result, and the caller shows it on
// its own thread after the run.
class Task {
public:
    virtual ~Task() = default;
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    // Runs the task with the runner; true when `status` is 0.
    bool Run(TaskRunner& runner) { return runner.Run(*this); }

    // The work, on the worker thread; its result becomes `status`.
    virtual int DoWork() = 0;

    // Asks the work to stop at its next poll. Any thread; cleared when a run starts.
    void RequestCancel();
    bool CancelRequested() const {
        return cancel_.load() || (cancelSource_ && cancelSource_->load());
    }
    // A flag of the runner's that counts as a cancel request from the moment
    // it is set, for a source that can neither lock nor wait (a signal
    // handler). The runner sets it before the run and clears it after.
    void SetCancelSource(const std::atomic<bool>* flag) { cancelSource_ = flag; }
    // Waits until a cancel is requested or `milliseconds` have passed; true
    // when cancelled. For work that waits on something outside (a connection).
    bool WaitForCancel(int milliseconds);

    // True when the last run ended because it was cancelled.
    bool Cancelled() const { return status == cancelledStatus_; }
    int CancelledStatus() const { return cancelledStatus_; }
    int UnexpectedStatus() const { return unexpectedStatus_; }

    // Outcome of the last run: 0 = success, otherwise a code of the task's kind.
    int status = 0;

protected:
    // Each kind of task names the status of a cancelled run and of work that
    // failed unexpectedly (its work could not run, or raised an exception).
    Task(int cancelledStatus, int unexpectedStatus)
        : cancelledStatus_(cancelledStatus), unexpectedStatus_(unexpectedStatus) {}

    // Hands an event to the display; nothing outside a run. Worker thread.
    void Report(const TaskEvent& event) {
        if (sink_) sink_->Post(event);
    }

private:
    friend class TaskWorker;

    const int cancelledStatus_;
    const int unexpectedStatus_;
    std::atomic<bool> cancel_{false};
    const std::atomic<bool>* cancelSource_ = nullptr;
    std::mutex cancelMutex_;
    std::condition_variable cancelled_;
    TaskEventSink* sink_ = nullptr;  // the runner's, for the time of a run; used by the worker only
};

// The worker thread of one run. Launch starts the thread, which waits for
// Start before it calls the work; whatever happens, the run ends with exactly
// one kDone event to the sink, after `status` is set. Destroying the worker
// waits for the thread; a worker that was launched but never started (the
// display could not be made) ends without running the work, with the task's
// unexpected status.
class TaskWorker {
public:
    TaskWorker() = default;
    ~TaskWorker();
    TaskWorker(const TaskWorker&) = delete;
    TaskWorker& operator=(const TaskWorker&) = delete;

    // Clears the task's cancel request and status and starts the thread. False
    // when no thread could be started: the work does not run, `status` is the
    // task's unexpected status and no event is posted.
    bool Launch(Task& task, TaskEventSink& sink);
    // The start signal: the display exists, the work may begin.
    void Start();
    // Waits for the thread to end.
    void Join();

private:
    void Main(Task& task, TaskEventSink& sink);
    void Release(bool run);

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable signal_;
    bool released_ = false;
    bool run_ = false;
};

}  // namespace mrw
