// mrw new: a new theme in a library folder, as the editor's New-theme command makes it.
#include <cstdio>

#include "editor/document/NewTheme.h"
#include "platform/Files.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw new LIBRARY_FOLDER NAME [--replace]\n\n"
    "Creates the theme NAME in the library folder: a white 240 x 268 Today image,\n"
    "a white 180 x 290 Start-menu image and the 22 handheld colours, saved as\n"
    "LIBRARY_FOLDER/NAME.THM. Prints the project's path.\n\n"
    "  --replace   replace an existing theme of that name (never the default theme)\n";

int RunNew(const std::vector<std::string>& raw) {
    Args args(raw, {}, {"--replace"});
    if (!args.ok()) return UsageError("new", args.error());
    if (args.positional().size() != 2) return UsageError("new", "expects a library folder and a theme name");
    const std::string folder = AbsolutePath(args.positional()[0]);
    const std::string& name = args.positional()[1];
    if (!files::IsDirectory(folder)) return Fail("new", "the library folder " + folder + " does not exist", kExitFailed);

    ThemeLibrary library;
    library.Scan(folder);
    const ThemeNameCheck check = CheckThemeName(name, library);
    if (check == ThemeNameCheck::kEmpty) return UsageError("new", "the theme name is empty");
    if (check == ThemeNameCheck::kForbiddenChars || check == ThemeNameCheck::kDefaultName) {
        ReportThemeNameCheck(check, name);
        return kExitFailed;
    }
    if (check == ThemeNameCheck::kExists && !args.Has("--replace"))
        return Fail("new", "a theme named \"" + name + "\" exists already (--replace replaces it)", kExitFailed);

    ThemeDocument* doc = CreateNewTheme(library, name);
    if (!doc) return Fail("new", "the theme could not be written into " + folder, kExitFailed);
    std::printf("%s\n", doc->projectPath.c_str());
    return kExitOk;
}

}  // namespace

extern const Command kNewCommand = {"new", "create a theme with white images in a library folder", kUsage, &RunNew};

}  // namespace mrw::cli
