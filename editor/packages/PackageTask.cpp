#include "editor/packages/PackageTask.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/Console.h"
#include "platform/ResourceText.h"

namespace mrw {

bool PackageTask::Run(TaskRunner& runner) { return runner.Run(*this); }

void PackageTask::SetCaption(int stringId) {
    if (progress_) progress_->OnCaption(LoadResourceString(stringId));
}

void PackageTask::SetStep(int step) {
    if (maxStep < 1) return;
    if (progress_) progress_->OnStep(step, maxStep, step * 100 / maxStep);
}

int PackageTask::ErrorStringId(int result) { return (result >= 1 && result <= 7) ? 125 + result : 125; }

int PackageTask::DeliverPackage(const std::string&) { return 0; }

namespace {

// What the worker hands to the thread that shows the progress.
struct ProgressEvent {
    enum Kind { kCaption, kStep, kDone } kind;
    std::string caption;
    int percent = 0;
};

class EventQueue : public TaskProgress {
public:
    void OnCaption(const std::string& caption) override { Push({ProgressEvent::kCaption, caption, 0}); }
    void OnStep(int, int, int percent) override { Push({ProgressEvent::kStep, std::string(), percent}); }
    void Done() { Push({ProgressEvent::kDone, std::string(), 0}); }

    ProgressEvent Pop() {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return !events_.empty(); });
        ProgressEvent e = std::move(events_.front());
        events_.pop_front();
        return e;
    }

private:
    void Push(ProgressEvent e) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(std::move(e));
        }
        ready_.notify_one();
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<ProgressEvent> events_;
};

// A one-shot, manual-reset signal.
class StartSignal {
public:
    void Set() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            set_ = true;
        }
        cv_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait(lock, [this] { return set_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool set_ = false;
};

int GuardedWork(PackageTask& task) {
    try {
        return task.DoWork();
    } catch (...) {
        // No error leaves the worker thread.
        return kTaskStatusUnexpected;
    }
}

}  // namespace

ConsoleTaskRunner::ConsoleTaskRunner() : showProgress_(console::StdoutIsTerminal()) {}

bool ConsoleTaskRunner::Run(PackageTask& task) {
    EventQueue queue;
    StartSignal start;
    task.AttachProgress(&queue);
    std::thread worker;
    try {
        worker = std::thread([&] {
            task.status = 0;
            start.Wait();
            task.status = GuardedWork(task);
            queue.Done();
        });
    } catch (...) {
        // The thread could not be started: the work does not run.
        task.AttachProgress(nullptr);
        task.status = kTaskStatusUnexpected;
        return false;
    }
    // The display exists; the work may begin.
    start.Set();
    std::string caption;
    size_t shownWidth = 0;
    for (;;) {
        const ProgressEvent e = queue.Pop();
        if (e.kind == ProgressEvent::kDone) break;
        if (e.kind == ProgressEvent::kCaption) caption = e.caption;
        if (!showProgress_) continue;
        std::string line = caption;
        if (e.kind == ProgressEvent::kStep) line += " " + std::to_string(e.percent) + "%";
        std::string out = "\r" + line;
        if (line.size() < shownWidth) out += std::string(shownWidth - line.size(), ' ');
        shownWidth = std::max(shownWidth, line.size());
        std::fputs(out.c_str(), stdout);
        std::fflush(stdout);
    }
    worker.join();
    task.AttachProgress(nullptr);
    if (showProgress_ && shownWidth > 0) {
        std::fputs(("\r" + std::string(shownWidth, ' ') + "\r").c_str(), stdout);
        std::fflush(stdout);
    }
    return task.status == 0;
}

}  // namespace mrw
