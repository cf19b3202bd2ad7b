// The handheld form of a theme's member files: images prepared as the
// handheld's GIFs, plain files copied, each under its real name.
#include "editor/document/ProjectValues.h"
#include "editor/document/ThemeDocument.h"
#include "editor/imaging/ThemeImagePreparation.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace mrw {

bool ThemeDocument::ExportImage(const ThemeImage& image, const std::string& folder) const {
    ThemeImageJob job;
    job.projectFolder = projectFolder;
    job.name = image.name;
    job.realName = image.realName;
    job.cropLeft = image.cropLeft;
    job.cropTop = image.cropTop;
    job.cropRight = image.cropRight;
    job.cropBottom = image.cropBottom;
    job.rotation = image.rotation;
    job.hFlip = image.hFlip;
    job.transparency = image.transparency;
    job.transparencyColour = image.transparencyColour;
    job.pdaColours = pdaColours;
    if (const ThemeFile* today = TodayImage()) job.todaySourceName = today->name;
    return PrepareThemeImage(job, folder) == kImageOk;
}

bool ThemeDocument::ExportFiles(const std::string& folder) const {
    bool result = false;
    for (const auto& f : files) {
        if (f->kind == kKindImage) {
            const auto* image = dynamic_cast<const ThemeImage*>(f.get());
            result = image && ExportImage(*image, folder);
        } else if (f->kind == kKindFile) {
            result = files::Copy(projectFolder + f->name, paths::Join(folder, f->realName), false);
        } else {
            continue;
        }
        if (!result) break;
    }
    return result;
}

bool ThemeDocument::ExportImages(const std::string& folder) const {
    for (const auto& f : files) {
        if (f->kind != kKindImage) continue;
        const auto* image = dynamic_cast<const ThemeImage*>(f.get());
        if (!image || !ExportImage(*image, folder)) return false;
    }
    return true;
}

}  // namespace mrw
