// mrw preview: the handheld screen preview of a theme as a PNG picture.
#include <cstdio>

#include "editor/document/ThemeDocument.h"
#include "editor/imaging/PngWriter.h"
#include "editor/packages/preview/PreviewComposer.h"
#include "editor/packages/preview/PreviewControls.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/ScratchFolder.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ProjectEditing.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw preview PROJECT.THM -o OUT.png [--system 2002|2003]\n"
    "                   [--show today|menu|normal|critical|calendar] [--templates FOLDER]\n\n"
    "Draws the theme as the handheld shows it (240 x 320, 4,096 colours): the\n"
    "theme's files are exported beside the preview templates in a scratch\n"
    "folder, the Today screen is drawn from its template with the theme's\n"
    "images and colours, and the Start menu or a notification bubble is shown\n"
    "over it on request.\n\n"
    "  -o OUT.png           the picture to write\n"
    "  --system 2002|2003   the handheld's templates (default 2002)\n"
    "  --show WHAT          today (default), menu, normal (notification bubble),\n"
    "                       critical (alert bubble) or calendar (calendar page)\n"
    "  --templates FOLDER   where the templates are (default: the program folder)\n";

int RunPreview(const std::vector<std::string>& raw) {
    Args args(raw, {"-o", "--system", "--show", "--templates"}, {});
    if (!args.ok()) return UsageError("preview", args.error());
    if (args.positional().size() != 1) return UsageError("preview", "expects one project file");
    const auto output = args.Value("-o");
    if (!output || output->empty()) return UsageError("preview", "-o OUT.png is required");

    int style = 0;
    if (auto system = args.Value("--system")) {
        if (*system == "2003") style = 1;
        else if (*system != "2002") return UsageError("preview", "--system takes 2002 or 2003");
    }
    const std::string show = args.Value("--show").value_or("today");
    const char* action = nullptr;
    if (show == "menu") action = "SWITCH_MENU";
    else if (show == "normal") action = "SWITCH_NORMAL";
    else if (show == "critical") action = "SWITCH_CRITICAL";
    else if (show == "calendar") action = "SWITCH_CALENDAR";
    else if (show != "today") return UsageError("preview", "--show takes today, menu, normal, critical or calendar");

    std::string templates = files::ProgramFolder();
    if (auto folder = args.Value("--templates")) templates = paths::WithTrailingSeparator(AbsolutePath(*folder));
    if (!files::IsFile(templates + "SkinToday.inf"))
        return Fail("preview", "no preview templates in " + templates, kExitFailed);

    std::unique_ptr<ThemeDocument> theme = OpenProject("preview", args.positional()[0]);
    if (!theme) return kExitFailed;

    ScratchFolder scratch("preview-");
    if (scratch.path().empty()) return Fail("preview", "no scratch folder could be made", kExitFailed);
    // A theme whose export stops early still shows what was exported.
    if (!theme->ExportFiles(scratch.path()))
        std::fprintf(stderr, "mrw preview: warning: not every file of \"%s\" could be exported\n",
                     theme->alias.c_str());
    CopySkinTemplates(templates, scratch.path());

    PreviewWindow window;
    TodayScreenPreview preview(&window, style);
    window.SetTarget(&preview);
    if (!preview.ShowTheme(theme.get(), scratch.path()))
        return Fail("preview", "the Today screen template could not be loaded", kExitFailed);
    if (action) {
        preview.OnSkinAction(action);
        window.Pump();
        preview.PumpChildren();
    }

    DibImage picture;
    if (ComposePreview(preview, &window, theme->animationBkColour, picture) != 0)
        return Fail("preview", "the picture could not be made", kExitFailed);
    const std::string target = AbsolutePath(*output);
    if (SavePng(picture, target) != 0) return Fail("preview", "cannot write " + target, kExitFailed);
    return kExitOk;
}

}  // namespace

extern const Command kPreviewCommand = {"preview", "draw a theme as the handheld shows it, as a PNG picture",
                                        kUsage, &RunPreview};

}  // namespace mrw::cli
