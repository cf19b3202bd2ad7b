// mrw export: the handheld form of a theme's files.
#include <cstdio>

#include "editor/document/ThemeDocument.h"
#include "platform/Files.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw export PROJECT.THM FOLDER [--images-only]\n\n"
    "Writes the handheld form of the theme's member files into FOLDER, each under\n"
    "its real name: images prepared as the handheld's 256-colour GIFs (mirrored,\n"
    "turned, cropped or tiled, blended with the transparency colour), plain files\n"
    "copied. The folder is created when missing.\n\n"
    "  --images-only   export the images only\n";

int RunExport(const std::vector<std::string>& raw) {
    Args args(raw, {}, {"--images-only"});
    if (!args.ok()) return UsageError("export", args.error());
    if (args.positional().size() != 2) return UsageError("export", "expects a project file and a folder");
    const std::string project = AbsolutePath(args.positional()[0]);
    const std::string folder = AbsolutePath(args.positional()[1]);
    if (!files::IsFile(project)) return Fail("export", "no project file at " + project, kExitFailed);
    if (!files::CreateFolders(folder)) return Fail("export", "cannot create the folder " + folder, kExitFailed);

    auto doc = ThemeDocument::OpenHeader(project);
    doc->LoadProject();
    const bool ok = args.Has("--images-only") ? doc->ExportImages(folder) : doc->ExportFiles(folder);
    if (!ok) return Fail("export", "the export of \"" + doc->alias + "\" failed", kExitFailed);
    return kExitOk;
}

}  // namespace

extern const Command kExportCommand = {"export", "write the handheld form of a theme's files into a folder", kUsage,
                                       &RunExport};

}  // namespace mrw::cli
