// How mrw runs the editor's background tasks: progress on the terminal, and
// Ctrl-C to stop the running task.
#pragma once
#include <cstddef>
#include <string>

#include "editor/tasks/WaitingTaskRunner.h"

namespace mrw::cli {

// Shows the caption and the percentage as one line that is rewritten in
// place, only when standard output is a terminal; the line is wiped when the
// work ends. The first console interrupt while a task runs asks it to stop
// (see InstallInterruptHandler).
class ConsoleTaskRunner : public WaitingTaskRunner {
public:
    ConsoleTaskRunner();
    explicit ConsoleTaskRunner(bool showProgress) : showProgress_(showProgress) {}

    bool Run(Task& task) override;

protected:
    void OnCaption(int stringId) override;
    void OnStep(int step, int count) override;
    void OnDone(int status) override;
    void OnIdle(Task& task) override;

private:
    void Show(const std::string& line);

    bool showProgress_;
    std::string caption_;
    size_t shownWidth_ = 0;
};

// Installs the console interrupt handler; called once at start-up. While a
// ConsoleTaskRunner runs a task, the first interrupt (SIGINT; Ctrl-C or
// Ctrl-Break on Windows) only asks the task to stop, which it does at its next
// poll, leaving nothing half-written. Any other interrupt, and every one while
// no task runs, ends the program as it would without the handler. A program
// started with interrupts ignored keeps ignoring them.
void InstallInterruptHandler();

}  // namespace mrw::cli
