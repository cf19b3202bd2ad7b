// mrw: the Morwen theme studio's core on the command line.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/resources/EditorTexts.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ConsoleTaskRunner.h"

namespace {

void PrintOverview() {
    std::printf("mrw - build, inspect and preview handheld Today-screen themes\n\n"
                "usage: mrw COMMAND [ARGS]   (mrw COMMAND --help for its options)\n\n"
                "commands:\n");
    int width = 0;
    for (const auto& c : mrw::cli::Commands()) width = std::max(width, int(std::strlen(c.name)));
    for (const auto& c : mrw::cli::Commands()) std::printf("  %-*s  %s\n", width, c.name, c.summary);
    std::printf("\nexit status: 0 on success, 1 on a failure, 64 on a usage error (bad options,\n"
                "wrong arguments, an unknown command, mrw without arguments). mrw build exits\n"
                "with the build status, and mrw build and mrw import with 130 when Ctrl-C\n"
                "stopped them (see their --help).\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintOverview();
        return args.empty() ? mrw::cli::kExitUsage : mrw::cli::kExitOk;
    }
    // The editor's texts and the user's settings; messages meant for a message
    // box go to stderr and questions take their first answer.
    mrw::InstallResourceTable(mrw::EditorResourceTable(), mrw::kEditorResourceLibrary);
    const std::unique_ptr<mrw::SettingsStore> settings = mrw::OpenUserSettings();
    mrw::ScopedSettings scopedSettings(*settings);
    mrw::StderrPrompter prompter("mrw");
    mrw::ScopedPrompter scoped(prompter);
    // Ctrl-C stops a running build or import cleanly.
    mrw::cli::InstallInterruptHandler();
    for (const auto& c : mrw::cli::Commands()) {
        if (args[0] == c.name) {
            std::vector<std::string> rest(args.begin() + 1, args.end());
            const bool subcommandAsked = c.hasSubcommands && !rest.empty() && rest[0][0] != '-';
            for (const auto& a : rest) {
                if (subcommandAsked) break;
                if (a == "--help" || a == "-h") {
                    std::printf("%s", c.usage);
                    return mrw::cli::kExitOk;
                }
            }
            return c.run(rest);
        }
    }
    std::fprintf(stderr, "mrw: unknown command '%s' (mrw --help lists them)\n", args[0].c_str());
    return mrw::cli::kExitUsage;
}
