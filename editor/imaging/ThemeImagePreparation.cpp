#include "editor/imaging/ThemeImagePreparation.h"

#include <algorithm>

#include "base/AsciiText.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace mrw {

namespace {

std::string SourcePath(const ThemeImageJob& job, const std::string& name) {
    return paths::Join(job.projectFolder, name);
}

}  // namespace

int PrepareThemeImage(const ThemeImageJob& job, const std::string& outputFolder) {
    const bool today = ascii::EqualsNoCase(job.realName, "tdywater.gif");
    const bool start = ascii::EqualsNoCase(job.realName, "stwater.gif");
    const std::string output = paths::Join(outputFolder, job.realName);

    // A missing Start-menu picture falls back to the Today picture, and any
    // missing picture to the blank one of the project.
    std::string source = SourcePath(job, job.name);
    if (start && !files::IsFile(source)) source = SourcePath(job, job.todaySourceName);
    if (!files::IsFile(source)) source = SourcePath(job, "Blank.jpg");

    DibImage image;
    int rc = image.Load(source);
    if (rc != 0) return rc;

    if (job.hFlip == 1) image.Turn(TurnCode::kMirrorTopToBottom);
    rc = image.Turn(static_cast<TurnCode>(job.rotation));
    if (rc != 0) return rc;

    const bool cropEmpty = job.cropRight <= job.cropLeft || job.cropBottom <= job.cropTop;
    bool resized = true;
    if (cropEmpty) {
        if (today && (image.Width() < kTodayWidth || image.Height() < kTodayHeight))
            image.Tile(kTodayWidth, kTodayHeight);
        else if (start)
            image.Crop(0, 0, kStartWidth, kStartHeight);  // refused, so unchanged, when smaller
    } else {
        image.CropToRect(job.cropLeft, job.cropTop, job.cropRight, job.cropBottom);
        if (today) {
            resized = image.Resize(kTodayWidth, kTodayHeight, false, false) == 0;
        } else if (start) {
            const int64_t height =
                int64_t(job.cropBottom - job.cropTop) * kStartWidth / (job.cropRight - job.cropLeft);
            resized = image.Resize(kStartWidth, int(std::min<int64_t>(height, kMaxImageSide)), false,
                                   false) == 0;
        }
    }

    if (resized) {
        const int alpha = 255 - std::clamp(job.transparency, 0, 255);
        const int bpp = image.BitsPerPixel();
        if (alpha == 255) {
            // A full-weight blend is the picture itself in 24 bits.
            if (bpp != 24) image.ConvertTo(24);
        } else {
            // Pictures of 1, 4 or 16 bits are widened first so that the blend
            // takes their pixels instead of leaving the plain background.
            if (bpp != 8 && bpp != 24 && bpp != 32) image.ConvertTo(24);
            DibImage blended;
            if (blended.Create(image.Width(), image.Height(), 24) == 0) {
                blended.Fill(job.transparencyColour);
                blended.BlendFrom(image, alpha);
                image = std::move(blended);
            }
        }
    }

    const int bits = job.pdaColours == 0 ? 8 : job.pdaColours == 1 ? 5 : 4;
    image.ReduceColours(256, bits);
    image.Save(output, kImageGif);
    return kImageOk;
}

}  // namespace mrw
