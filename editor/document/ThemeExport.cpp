// The handheld form of a theme's member files: images prepared as the
// handheld's GIFs, plain files copied, each under its real name.
#include <string>
#include <vector>

#include "base/AsciiText.h"
#include "base/formats/AnimationSettings.h"
#include "editor/document/ProjectValues.h"
#include "editor/document/ThemeDocument.h"
#include "editor/imaging/ThemeImagePreparation.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace mrw {

namespace {

// Writes the animated page's settings file into a package folder: every line
// loses its leading white space, every size line (as the import and the
// handheld find it: "size=96", "  size = 120") becomes "size=" and the
// theme's height, and every line ends in CR LF as the handheld expects.
bool WriteAnimationSettings(const std::string& source, const std::string& target, int height) {
    std::vector<uint8_t> in;
    if (!files::ReadAll(source, in)) return false;
    std::string out;
    out.reserve(in.size() + 16);
    size_t pos = 0;
    while (pos < in.size()) {
        size_t end = pos;
        while (end < in.size() && in[end] != '\n') ++end;
        const size_t next = end < in.size() ? end + 1 : end;
        if (end > pos && in[end - 1] == '\r') --end;  // CR LF read as one line end
        // Within a line (no LF left), the C library's white space.
        while (pos < end && ascii::IsSpace(static_cast<char>(in[pos]))) ++pos;
        std::string line(reinterpret_cast<const char*>(in.data()) + pos, end - pos);
        if (formats::IsAnimationSizeLine(line)) line = "size=" + std::to_string(height);
        out += line;
        out += "\r\n";
        pos = next;
    }
    return files::WriteAll(target, out.data(), out.size());
}

}  // namespace

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
            const std::string source = projectFolder + f->name;
            const std::string target = paths::Join(folder, f->realName);
            if (ascii::EqualsNoCase(f->realName, "vx5n.atc"))
                result = !f->name.empty() && WriteAnimationSettings(source, target, animationHeight);
            else
                result = files::Copy(source, target, false);
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
