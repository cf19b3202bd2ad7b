// mrw import: a theme package into a library folder, as the editor's Import does.
#include <cstdio>

#include "editor/document/ThemeDocument.h"
#include "editor/packages/PackageImport.h"
#include "platform/Files.h"
#include "platform/Prompter.h"
#include "platform/ResourceText.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

namespace {

constexpr int kImportFailedMessageId = 132;

const char kUsage[] =
    "usage: mrw import PACKAGE.tsk [--library FOLDER]\n\n"
    "Imports a theme package into the library folder (default: the program\n"
    "folder) as FOLDER/NAME.THM, NAME being the package's base name, or\n"
    "NAME(2).THM, NAME(3).THM ... when that is taken. The package's files become\n"
    "member files, its registry values registry and colour entries; missing\n"
    "handheld colours get their defaults. Prints the new project's path.\n";

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
        // A package that cannot be opened has been reported by the import itself.
        if (result.status != kImportOpenFailed)
            std::fprintf(stderr, "mrw import: %s\n", LoadResourceString(kImportFailedMessageId).c_str());
        return kExitFailed;
    }
    std::printf("%s\n", result.document->projectPath.c_str());
    return kExitOk;
}

}  // namespace

extern const Command kImportCommand = {"import", "import a theme package into a library folder", kUsage, &RunImport};

}  // namespace mrw::cli
