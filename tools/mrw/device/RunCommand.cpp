// mrw device run: one boot of the device that runs a handheld program.
#include <cstdio>

#include "base/TextEncoding.h"
#include "handheld/ce/Boot.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw device run DIR IMAGE [COMMAND-LINE]\n\n"
    "Boots the virtual handheld in DIR, starts IMAGE (a handheld path; \".exe\" is\n"
    "assumed without an extension) as CreateProcessW would, with COMMAND-LINE as its\n"
    "arguments, waits for it and every process it started, shuts the device down and\n"
    "prints the program's exit code (an unsigned 32-bit decimal).\n"
    "Exit status: 0 done, 1 DIR is no device, IMAGE cannot start or a process\n"
    "outlived the shutdown, 64 usage.\n";

int RunRun(const std::vector<std::string>& args) {
    const char* const name = "device run";
    std::vector<std::string> positional;
    bool onlyPositional = false;
    for (const std::string& a : args) {
        if (!onlyPositional && (a == "--help" || a == "-h")) {
            std::printf("%s", kUsage);
            return kExitOk;
        }
        if (!onlyPositional && a == "--") {
            onlyPositional = true;
            continue;
        }
        if (!onlyPositional && positional.size() < 2 && a.size() >= 2 && a[0] == '-') {
            return UsageError(name, "unknown option " + a);
        }
        positional.push_back(a);
    }
    if (positional.size() < 2 || positional.size() > 3) return UsageError(name, "expects DIR IMAGE [COMMAND-LINE]");
    std::string error;
    std::unique_ptr<ce::Boot> boot = ce::Boot::Start(positional[0], error);
    if (!boot) return Fail(name, Printable(error), kExitFailed);
    ce::DWORD exitCode = 0;
    std::u16string commandLine = positional.size() == 3 ? text::Utf8ToUtf16(positional[2]) : std::u16string();
    bool started = boot->Run(text::Utf8ToUtf16(positional[1]), commandLine, exitCode, error);
    std::string shutdownError;
    bool clean = boot->Shutdown(shutdownError);
    if (!started) return Fail(name, Printable(error), kExitFailed);
    std::printf("%lu\n", static_cast<unsigned long>(exitCode));
    if (!clean) return Fail(name, Printable(shutdownError), kExitFailed);
    return kExitOk;
}

}  // namespace

extern const Command kDeviceRunCommand = {"run", "run a handheld program on the device", kUsage, &RunRun};

}  // namespace mrw::cli
