// mrw build: the theme's package, as the editor's Save/Export package commands build it.
#include <cstdio>

#include "editor/packages/PackageBuild.h"
#include "platform/Files.h"
#include "platform/ResourceText.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ConsoleTaskRunner.h"
#include "tools/mrw/ProjectEditing.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw build PROJECT.THM [-o PACKAGE.tsk]\n\n"
    "Builds the theme's package with the cabinet builder of the program folder\n"
    "(working files in the program folder's \"tmp\"). The package goes beside the\n"
    "project under the project's name with \".tsk\", or to PACKAGE.tsk with -o.\n"
    "Prints the package's path. The exit status is the build status:\n"
    "  0 built, 1 no working folder, 2 no installation script, 3 a theme file\n"
    "  could not be exported, 4 an unexpected error, 5 the cabinet builder could\n"
    "  not be started, 6 it made no cabinet, 7 the package could not be moved to\n"
    "  its destination; 64 a usage error; 130 stopped by Ctrl-C: the build's\n"
    "  files are removed and a package already at the destination stays as it was.\n";

int RunBuild(const std::vector<std::string>& raw) {
    Args args(raw, {"-o", "--output"}, {});
    if (!args.ok()) return UsageError("build", args.error());
    if (args.positional().size() != 1) return UsageError("build", "expects one project file");
    std::unique_ptr<ThemeDocument> theme = OpenProject("build", args.positional()[0]);
    if (!theme) return kExitFailed;

    std::string target;
    if (auto o = args.Value("-o")) target = *o;
    if (auto o = args.Value("--output")) target = *o;
    std::unique_ptr<PackageBuildTask> task;
    if (target.empty())
        task = std::make_unique<PackageBuildTask>();
    else
        task = std::make_unique<PackageExportTask>(AbsolutePath(target));

    ConsoleTaskRunner runner;
    if (!task->BuildPackage(files::ProgramFolder(), *theme, runner)) {
        if (task->Cancelled()) {
            std::fprintf(stderr, "mrw build: interrupted; no package was written\n");
            return kExitInterrupted;
        }
        std::fprintf(stderr, "mrw build: %s\n", LoadResourceString(PackageTask::ErrorStringId(task->status)).c_str());
        return task->status;
    }
    std::printf("%s\n", target.empty() ? theme->packageFile.c_str() : AbsolutePath(target).c_str());
    return kExitOk;
}

}  // namespace

extern const Command kBuildCommand = {"build", "build a theme's package (.tsk)", kUsage, &RunBuild};

}  // namespace mrw::cli
