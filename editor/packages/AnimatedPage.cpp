#include "editor/packages/AnimatedPage.h"

#include <cstdio>

#include "editor/document/ThemeDocument.h"
#include "editor/packages/PackageBuild.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace mrw {

const char kAnimatedPageName[] = "vx5n.htm";
const char kAnimationMovieName[] = "vx5n.swf";
const char kAnimationSettingsName[] = "vx5n.atc";

std::string AnimatedPageText(int height, uint32_t backgroundColour) {
    char colour[8];
    std::snprintf(colour, sizeof colour, "%02x%02x%02x", unsigned(backgroundColour & 0xFF),
                  unsigned((backgroundColour >> 8) & 0xFF), unsigned((backgroundColour >> 16) & 0xFF));
    std::string page;
    page += "<HTML><HEAD></HEAD><BODY TOPMARGIN=\"0\" LEFTMARGIN=\"0\" BGCOLOR=\"#";
    page += colour;
    page += "\"><OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" ID=\"pocketpc\" WIDTH=\"240\" HEIGHT=\"";
    page += std::to_string(height);
    page += "\"><PARAM NAME=\"bgcolor\" VALUE=\"#";
    page += colour;
    page += "\"><PARAM NAME=\"movie\" VALUE=\"vx5n.swf\"><PARAM NAME=\"quality\" VALUE=\"High\"></OBJECT></BODY></HTML>";
    return page;
}

bool MakeAnimated(ThemeDocument& theme, const std::string& programFolder) {
    const char* const names[] = {kAnimatedPageName, kAnimationMovieName, kAnimationSettingsName};
    for (const char* name : names) {
        if (!theme.FindFile(name) && !files::IsFile(paths::Join(programFolder, name))) return false;
    }
    const size_t before = theme.files.size();
    for (const char* name : names) {
        if (theme.FindFile(name)) continue;
        const ThemeFile* added = theme.AddFile(programFolder, name);
        if (added->name.empty()) {
            // Not copied in: take back what this call added.
            while (theme.files.size() > before) {
                const std::string copied = theme.files.back()->name;
                if (!copied.empty()) files::Delete(theme.projectFolder + copied);
                theme.files.pop_back();
            }
            return false;
        }
    }
    theme.tskType = 1;
    theme.modified = true;
    return true;
}

bool TakeInFile(ThemeDocument& theme, ThemeFile& element, const std::string& source) {
    const std::string old = element.name;
    if (!element.PlaceFile(source, theme.projectFolder, theme.alias)) return false;
    // PlaceFile drops an unsaved copy only for an element that was saved
    // before; a new element's earlier copy goes here.
    if (!old.empty() && element.previousName.empty() && old != element.name) {
        const std::string path = theme.projectFolder + old;
        if (files::IsFile(path)) files::Delete(path);
    }
    return true;
}

bool WriteAnimatedPage(ThemeDocument& theme, const std::string& toolFolder) {
    ThemeFile* page = theme.FindFile(kAnimatedPageName);
    if (!page) return false;
    const std::string work = WorkingFolder(toolFolder);
    if (!files::IsDirectory(work) && !files::CreateFolder(work)) return false;
    const std::string path = paths::Join(work, kAnimatedPageName);
    const std::string text = AnimatedPageText(theme.animationHeight, theme.animationBkColour);
    if (!files::WriteAll(path, text.data(), text.size())) return false;
    return TakeInFile(theme, *page, path);
}

}  // namespace mrw
