#include "editor/tasks/Task.h"

#include <chrono>
#include <system_error>

namespace mrw {

void Task::RequestCancel() {
    {
        std::lock_guard<std::mutex> lock(cancelMutex_);
        cancel_.store(true);
    }
    cancelled_.notify_all();
}

bool Task::WaitForCancel(int milliseconds) {
    std::unique_lock<std::mutex> lock(cancelMutex_);
    return cancelled_.wait_for(lock, std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds),
                               [this] { return CancelRequested(); });
}

TaskWorker::~TaskWorker() {
    // A worker still waiting for its start signal is let go without its work.
    Release(false);
    Join();
}

bool TaskWorker::Launch(Task& task, TaskEventSink& sink) {
    task.cancel_.store(false);
    task.status = 0;
    try {
        thread_ = std::thread(&TaskWorker::Main, this, std::ref(task), std::ref(sink));
    } catch (const std::system_error&) {
        task.status = task.unexpectedStatus_;
        return false;
    }
    return true;
}

void TaskWorker::Start() { Release(true); }

void TaskWorker::Join() {
    if (thread_.joinable()) thread_.join();
}

void TaskWorker::Release(bool run) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (released_) return;
        released_ = true;
        run_ = run;
    }
    signal_.notify_all();
}

void TaskWorker::Main(Task& task, TaskEventSink& sink) {
    bool run;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        signal_.wait(lock, [this] { return released_; });
        run = run_;
    }
    int status = task.unexpectedStatus_;
    if (run) {
        task.sink_ = &sink;
        try {
            status = task.DoWork();
        } catch (...) {
            // Nothing leaves the worker thread: the run ends as an unexpected failure.
            status = task.unexpectedStatus_;
        }
        task.sink_ = nullptr;
    }
    task.status = status;
    sink.Post({TaskEvent::kDone, status, 0});
}

}  // namespace mrw
