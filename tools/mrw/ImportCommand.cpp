// mrw import: a theme package into a library folder, as the editor's Import does.
#include <cstdio>

#include "editor/document/ThemeDocument.h"
#include "editor/packages/PackageImport.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ConsoleTaskRunner.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw import PACKAGE.tsk [--library FOLDER]\n\n"
    "Imports a theme package into the library folder (default: the program\n"
    "folder) as FOLDER/NAME.THM, NAME being the package's base name, or\n"
    "NAME(2).THM, NAME(3).THM ... when that is taken. The package's files become\n"
    "member files, its registry values registry and colour entries; missing\n"
    "handheld colours get their defaults. Prints the new project's path.\n"
    "Exit status 1 on a failure, 64 on a usage error, 130 when stopped by\n"
    "Ctrl-C (nothing is added to the library folder).\n";

int RunImport(const std::vector<std::string>& raw) {
    Args args(raw, {"--library"}, {});
    if (!args.ok()) return UsageError("import", args.error());
    if (args.positional().size() != 1) return UsageError("import", "expects one package");
    const std::string package = AbsolutePath(args.positional()[0]);
    std::string library = files::ProgramFolder();
    if (auto l = args.Value("--library")) library = AbsolutePath(*l);
    if (!files::IsDirectory(library)) return Fail("import", "the library folder " + library + " does not exist", kExitFailed);

    ConsoleTaskRunner runner;
    LibraryImport result = ImportPackageIntoLibrary(library, package, runner);
    // The extracted copy is not needed once the theme holds its files.
    if (!result.extractionFolder.empty()) files::RemoveTree(result.extractionFolder);
    if (!result.document) {
        if (result.status == kTaskStatusCancelled) {
            std::fprintf(stderr, "mrw import: interrupted; nothing was imported\n");
            return kExitInterrupted;
        }
        std::fprintf(stderr, "mrw import: %s: %s\n", package.c_str(),
                     console::ForConsole(ImportMessageText(result.message)).c_str());
        return kExitFailed;
    }
    std::printf("%s\n", result.document->projectPath.c_str());
    return kExitOk;
}

}  // namespace

extern const Command kImportCommand = {"import", "import a theme package into a library folder", kUsage, &RunImport};

}  // namespace mrw::cli
