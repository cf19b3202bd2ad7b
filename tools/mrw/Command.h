// One sub-command of the mrw tool. Each command lives in its own file and is
// listed once in CommandTable.cpp.
#pragma once
#include <string>
#include <vector>

namespace mrw::cli {

struct Command {
    const char* name;      // "show", "image", ...
    const char* summary;   // one line for `mrw --help`
    const char* usage;     // full text for `mrw NAME --help`
    int (*run)(const std::vector<std::string>& args);  // arguments after the command name
    bool hasSubcommands = false;  // `mrw NAME SUB --help` is the sub-command's to answer
};

const std::vector<Command>& Commands();

// Exit statuses shared by the commands (mrw build exits with the build status
// instead of kExitFailed).
enum : int {
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 64,         // bad options, wrong arguments, unknown command (as sysexits' EX_USAGE)
    kExitInterrupted = 130,  // stopped by Ctrl-C: 128 + SIGINT, as a shell reports it
};

}  // namespace mrw::cli
