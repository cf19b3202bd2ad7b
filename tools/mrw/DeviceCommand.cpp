// mrw device: the virtual handheld's sub-commands, one file each in device/,
// listed once in the table below.
#include <cstdio>
#include <cstring>

#include "handheld/programs/HandheldPrograms.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

extern const Command kDeviceInitCommand;
extern const Command kDeviceRegCommand;
extern const Command kDeviceShowCommand;
extern const Command kDeviceRunCommand;
extern const Command kDeviceTodayCommand;
extern const Command kDeviceTodayOptionsCommand;
extern const Command kDeviceApplyCommand;

namespace {

const std::vector<Command>& DeviceCommands() {
    static const std::vector<Command> table = {
        kDeviceInitCommand,
        kDeviceRegCommand,
        kDeviceShowCommand,
        kDeviceRunCommand,
        kDeviceTodayCommand,
        kDeviceTodayOptionsCommand,
        kDeviceApplyCommand,
    };
    return table;
}

const char kUsage[] =
    "usage: mrw device SUBCOMMAND DIR [ARGS]\n\n"
    "Makes, inspects and runs a virtual handheld: a folder DIR whose files/ is the\n"
    "handheld's file system, beside its settings, registry and event log.\n\n"
    "  init DIR [--os 3|4] [--no-today] [--card NAME]... [--rom PATH]... [--window CLASS,TITLE]...\n"
    "  reg DIR set KEY NAME sz|dword|binary DATA | create KEY | delete KEY [NAME] | get KEY\n"
    "  show DIR [--json]\n"
    "  run DIR IMAGE [COMMAND-LINE]\n"
    "  apply DIR [HANDHELD-PATH]\n"
    "  today DIR [--json] [-o OUT.png]\n"
    "  today-options DIR [--defaults] [--url TEXT] [--height TEXT] [--auto 0|1]\n\n"
    "`mrw device SUBCOMMAND --help` (or `mrw device help SUBCOMMAND`) prints one sub-command's options.\n"
    "KEY is HKLM\\..., HKCU\\..., HKCR\\... or HKU\\...; handheld paths are written \\A\\B.\n"
    "Exit status: 0 done, 1 failed (DIR is no device, its files are damaged, ...), 64 usage.\n";

int RunDevice(const std::vector<std::string>& args) {
    handheld::RegisterHandheldPrograms();
    if (args.empty()) return UsageError("device", "expects a sub-command");
    if (args[0] == "help") {
        if (args.size() != 2) return UsageError("device", "help expects one sub-command");
        for (const auto& c : DeviceCommands()) {
            if (args[1] == c.name) {
                std::printf("%s", c.usage);
                return kExitOk;
            }
        }
        return UsageError("device", "unknown sub-command '" + Printable(args[1]) + "'");
    }
    for (const auto& c : DeviceCommands()) {
        if (args[0] != c.name) continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        for (const auto& a : rest) {
            if (a == "--help" || a == "-h") {
                std::printf("%s", c.usage);
                return kExitOk;
            }
        }
        return c.run(rest);
    }
    return UsageError("device", "unknown sub-command '" + Printable(args[0]) + "'");
}

}  // namespace

extern const Command kDeviceCommand = {"device", "make, inspect and run a virtual handheld", kUsage, &RunDevice, true};

}  // namespace mrw::cli
