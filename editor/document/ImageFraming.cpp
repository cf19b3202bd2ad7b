#include "editor/document/ImageFraming.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>

#include "base/AsciiText.h"
#include "editor/document/ThemeDocument.h"
#include "editor/imaging/ThemeImagePreparation.h"

namespace mrw {

FrameSize FrameFor(const std::string& realName) {
    if (ascii::EqualsNoCase(realName, "tdywater.gif")) return {kTodayWidth, kTodayHeight};
    return {kStartWidth, kStartHeight};
}

CropRect LargestCrop(int width, int height, FrameSize frame) {
    const double aspect = double(frame.width) / double(frame.height);
    CropRect crop;
    if (std::floor(width / aspect) >= height) {
        crop.right = int(std::floor(height * aspect));
        crop.bottom = height;
    } else {
        crop.right = width;
        crop.bottom = int(std::floor(width / aspect));
    }
    return crop;
}

CropRect LargestCropOf(const DibImage& picture, TurnCode rotation, FrameSize frame) {
    int width = picture.Width(), height = std::abs(picture.Height());
    if (SwapsSides(rotation)) std::swap(width, height);
    return LargestCrop(width, height, frame);
}

ThemeImage* FindOrAddImage(ThemeDocument& theme, const std::string& realName) {
    if (ThemeFile* existing = theme.FindFile(realName)) return dynamic_cast<ThemeImage*>(existing);
    auto added = std::make_unique<ThemeImage>();
    added->realName = realName;
    added->Classify();
    ThemeImage* image = added.get();
    theme.files.push_back(std::move(added));
    return image;
}

void SetCrop(ThemeImage& image, const CropRect& crop) {
    image.cropLeft = crop.left;
    image.cropTop = crop.top;
    image.cropRight = crop.right;
    image.cropBottom = crop.bottom;
}

}  // namespace mrw
