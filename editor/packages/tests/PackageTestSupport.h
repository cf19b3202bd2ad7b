// Shared set-up of the package build and import tests: a tool folder holding
// a cabinet builder, a runner that cancels at a chosen step.
#pragma once
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "editor/tasks/Task.h"
#include "platform/Process.h"
#include "testing/TestSupport.h"

namespace mrw::test {

// Copies a builder program (permissions included) into the tool folder under
// the name the build starts.
inline bool InstallBuilder(const std::string& builder, const std::string& toolFolder) {
    std::error_code ec;
    std::filesystem::copy_file(builder, toolFolder + process::ExecutableName("CabWiz"),
                               std::filesystem::copy_options::overwrite_existing, ec);
    return !ec;
}

inline std::string RealBuilder() { return CabWizProgram(); }
inline std::string FakeBuilder() { return MRW_FAKE_CABWIZ; }

// Requests the cancel when the work reports step `step`, on the worker
// thread itself, so that the work's very next poll sees it.
class CancelAtStepRunner : public TaskRunner, private TaskEventSink {
public:
    explicit CancelAtStepRunner(int step) : step_(step) {}
    bool Run(Task& task) override {
        task_ = &task;
        TaskWorker worker;
        if (!worker.Launch(task, *this)) return false;
        worker.Start();
        worker.Join();
        return task.status == 0;
    }

private:
    void Post(const TaskEvent& event) override {
        if (event.kind == TaskEvent::kStep && event.value == step_) task_->RequestCancel();
    }
    int step_;
    Task* task_ = nullptr;
};

// Sets an environment variable, which programs started meanwhile inherit,
// for the lifetime of the guard.
class ScopedEnvironment {
public:
    ScopedEnvironment(const std::string& name, const std::string& value) : name_(name) { Set(value); }
    ~ScopedEnvironment() { Set(std::string()); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void Set(const std::string& value) {
#ifdef _WIN32
        _putenv_s(name_.c_str(), value.c_str());  // an empty value removes it
#else
        if (value.empty())
            unsetenv(name_.c_str());
        else
            setenv(name_.c_str(), value.c_str(), 1);
#endif
    }
    std::string name_;
};

// Every path below `folder`, for comparing what a run left behind.
inline std::vector<std::string> TreeOf(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        paths.push_back(it->path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

}  // namespace mrw::test
