#include "editor/tasks/WaitingTaskRunner.h"

#include <chrono>

namespace mrw {

void TaskEventQueue::Post(const TaskEvent& event) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (event.kind == TaskEvent::kDone) {
            done_ = true;
            doneStatus_ = event.value;
        } else {
            try {
                events_.push_back(event);
            } catch (...) {
                // Out of memory: the display misses one progress event.
            }
        }
    }
    ready_.notify_one();
}

bool TaskEventQueue::Pop(TaskEvent& event, int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!ready_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return done_ || !events_.empty(); }))
        return false;
    if (!events_.empty()) {
        event = events_.front();
        events_.pop_front();
    } else {
        event = {TaskEvent::kDone, doneStatus_, 0};
    }
    return true;
}

bool WaitingTaskRunner::Run(Task& task) {
    TaskEventQueue queue;
    TaskWorker worker;
    if (!worker.Launch(task, queue)) return false;
    // This thread is the display, and it is ready.
    worker.Start();
    for (;;) {
        OnIdle(task);
        TaskEvent event;
        if (!queue.Pop(event, kIdleIntervalMs)) continue;
        switch (event.kind) {
            case TaskEvent::kCaption: OnCaption(event.value); break;
            case TaskEvent::kStep: OnStep(event.value, event.extent); break;
            case TaskEvent::kState: OnState(event.value, event.extent); break;
            case TaskEvent::kDone: break;
        }
        if (event.kind == TaskEvent::kDone) break;
    }
    worker.Join();
    OnDone(task.status);
    return task.status == 0;
}

}  // namespace mrw
