// A runner whose calling thread serves as the task's display: the command-line
// tool and the tests run their tasks with it.
#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>

#include "editor/tasks/Task.h"

namespace mrw {

// Task events for a display thread that waits for them. Post neither blocks
// nor throws; the kDone event is kept apart from the others, so that it
// arrives even when memory has run out (a progress event is dropped then).
class TaskEventQueue : public TaskEventSink {
public:
    void Post(const TaskEvent& event) override;
    // The next event in the order posted, waiting up to `milliseconds`; false
    // when none came in that time.
    bool Pop(TaskEvent& event, int milliseconds);

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<TaskEvent> events_;
    bool done_ = false;
    int doneStatus_ = 0;
};

// Runs a task while the calling thread waits for its events and hands each to
// the On* functions below, on that thread. OnIdle is called at least every
// kIdleIntervalMs while the work runs, for cancel sources that cannot post to
// the display (a console interrupt sets a flag; OnIdle passes it on). The base
// shows nothing.
class WaitingTaskRunner : public TaskRunner {
public:
    static constexpr int kIdleIntervalMs = 50;

    bool Run(Task& task) override;

protected:
    virtual void OnCaption(int stringId) {}
    virtual void OnStep(int step, int count) {}
    virtual void OnState(int state, int value) {}
    virtual void OnDone(int status) {}
    virtual void OnIdle(Task& task) {}
};

}  // namespace mrw
