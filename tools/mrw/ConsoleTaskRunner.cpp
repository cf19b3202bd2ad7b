#include "tools/mrw/ConsoleTaskRunner.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

#include "platform/Console.h"
#include "platform/ResourceText.h"

namespace mrw::cli {

namespace {

// Shared with the interrupt handler, which may only touch lock-free atomics.
static_assert(std::atomic<bool>::is_always_lock_free, "the interrupt handler needs lock-free flags");
std::atomic<bool> gTaskRunning{false};
std::atomic<bool> gInterrupted{false};

// True when the interrupt is taken as a request to stop the running task;
// false when it should end the program.
bool TakeInterrupt() { return gTaskRunning.load() && !gInterrupted.exchange(true); }

#ifdef _WIN32

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    return TakeInterrupt() ? TRUE : FALSE;  // FALSE: the default handler ends the process
}

#else

void RestoreDefaultInterrupt() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

extern "C" void OnInterrupt(int) {
    // Either way the next interrupt gets the default action: the program ends.
    const bool taken = TakeInterrupt();
    RestoreDefaultInterrupt();
    // SIGINT is blocked while this handler runs: raised again, it ends the
    // program as soon as the handler returns.
    if (!taken) raise(SIGINT);
}

#endif

// Marks a task as running for the interrupt handler.
class RunningTask {
public:
    RunningTask() { gTaskRunning.store(true); }
    ~RunningTask() { gTaskRunning.store(false); }
    RunningTask(const RunningTask&) = delete;
    RunningTask& operator=(const RunningTask&) = delete;
};

}  // namespace

void InstallInterruptHandler() {
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    struct sigaction previous = {};
    if (sigaction(SIGINT, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) return;
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
#endif
}

ConsoleTaskRunner::ConsoleTaskRunner() : showProgress_(console::StdoutIsTerminal()) {}

bool ConsoleTaskRunner::Run(Task& task) {
    caption_.clear();
    shownWidth_ = 0;
    // The work sees an interrupt at its very next poll, even before the
    // display has passed it on: a cabinet builder ended by the same Ctrl-C
    // must not pass for one that made no cabinet.
    task.SetCancelSource(&gInterrupted);
    RunningTask running;
    const bool ok = WaitingTaskRunner::Run(task);
    task.SetCancelSource(nullptr);
    return ok;
}

void ConsoleTaskRunner::OnIdle(Task& task) {
    // Wakes work that waits for a cancel.
    if (gInterrupted.load()) task.RequestCancel();
}

void ConsoleTaskRunner::OnCaption(int stringId) {
    caption_ = console::ForConsole(LoadResourceString(stringId));
    Show(caption_);
}

void ConsoleTaskRunner::OnStep(int step, int count) {
    Show(caption_ + " " + std::to_string(step * 100 / count) + "%");
}

void ConsoleTaskRunner::Show(const std::string& line) {
    if (!showProgress_) return;
    std::string out = "\r" + line;
    if (line.size() < shownWidth_) out += std::string(shownWidth_ - line.size(), ' ');
    shownWidth_ = std::max(shownWidth_, line.size());
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
}

void ConsoleTaskRunner::OnDone(int) {
    if (!showProgress_ || shownWidth_ == 0) return;
    std::fputs(("\r" + std::string(shownWidth_, ' ') + "\r").c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace mrw::cli
