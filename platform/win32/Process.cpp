#include <windows.h>

#include <vector>

#include "platform/Process.h"

namespace mrw::process {

namespace {

// Closes a handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() {
        if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

}  // namespace

std::string ExecutableName(const std::string& baseName) { return baseName + ".exe"; }

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

bool Start(const std::string& program, const std::string& commandLine, const StartOptions& options, int* exitCode) {
    if (program.empty()) return false;
    // CreateProcessA may write into the command line.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    DWORD creation = 0;
    if (options.hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        creation |= CREATE_NO_WINDOW;
    }
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, creation, nullptr,
                        options.folder.empty() ? nullptr : options.folder.c_str(), &startup, &info)) {
        return false;
    }
    Handle process(info.hProcess), thread(info.hThread);
    if (options.wait) {
        WaitForSingleObject(process.get(), INFINITE);
        DWORD code = 0;
        if (exitCode) *exitCode = GetExitCodeProcess(process.get(), &code) ? static_cast<int>(code) : -1;
    }
    return true;
}

}  // namespace mrw::process
