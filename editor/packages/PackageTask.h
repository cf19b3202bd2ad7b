// Background work on theme packages (import, build): the work runs on a
// worker thread while a runner shows its progress (a progress line on a
// terminal, the editor's progress dialog) and the caller waits for the end.
#pragma once
#include <string>

namespace mrw {

// Receives the progress of a running task. Called on the worker thread.
class TaskProgress {
public:
    virtual ~TaskProgress() = default;
    virtual void OnCaption(const std::string& caption) = 0;
    // Step `step` of `maxStep`; `percent` = step * 100 / maxStep.
    virtual void OnStep(int step, int maxStep, int percent) = 0;
};

class TaskRunner;

class PackageTask {
public:
    virtual ~PackageTask() = default;

    // Runs the task with the runner; true when `status` is 0.
    bool Run(TaskRunner& runner);

    // The work; its result becomes `status`. Never throws.
    virtual int DoWork() = 0;

    // Caption of the progress display: resource string `stringId`.
    void SetCaption(int stringId);
    // Shows step n of maxStep; nothing while maxStep is below 1.
    void SetStep(int step);

    // The resource string describing a result: 125 + result for 1 to 7, else 125.
    static int ErrorStringId(int result);

    // Set by the runner for the time of a run (not owned).
    void AttachProgress(TaskProgress* progress) { progress_ = progress; }

    int status = 0;
    int maxStep = 0;

protected:
    PackageTask() = default;
    // The task's own closing operation: the package builds deliver the
    // finished package with it (`workingFolder` holds it). The base has
    // nothing to do.
    virtual int DeliverPackage(const std::string& workingFolder);

private:
    TaskProgress* progress_ = nullptr;
};

// Runs a task: DoWork on a worker thread that starts once the runner's
// display is ready; returns after the work has ended. Sets `status`.
class TaskRunner {
public:
    virtual ~TaskRunner() = default;
    virtual bool Run(PackageTask& task) = 0;
};

// The runner of the command-line tool: the caption and the percentage as one
// line that is rewritten in place, shown only when standard output is a
// terminal; the line is wiped when the work ends.
class ConsoleTaskRunner : public TaskRunner {
public:
    ConsoleTaskRunner();
    explicit ConsoleTaskRunner(bool showProgress) : showProgress_(showProgress) {}
    bool Run(PackageTask& task) override;

private:
    bool showProgress_;
};

// Status a task ends with when its work could not run or failed unexpectedly
// (resource string 129).
constexpr int kTaskStatusUnexpected = 4;

}  // namespace mrw
