// mrw set-image: a new picture for the Today or Start-menu image, framed as
// the image dialog frames it, taken in as its OK does.
#include <memory>

#include "editor/document/ImageFraming.h"
#include "editor/imaging/DibImage.h"
#include "platform/Files.h"
#include "platform/Prompter.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ProjectEditing.h"

namespace mrw::cli {

namespace {

constexpr int kCopyFailedMessageId = 154;

const char kUsage[] =
    "usage: mrw set-image PROJECT today|start FILE [--crop L,T,R,B] [--rotation 0|3|4|5]\n"
    "                     [--hflip 0|1] [--transparency N] [--transparency-colour R,G,B]\n\n"
    "Makes FILE (BMP, GIF, JPEG or PNG) the theme's Today or Start-menu image: it is\n"
    "copied beside the project under a fresh member name and the project is saved.\n"
    "Without --crop the crop is the largest of the image's frame (240 x 268 for the\n"
    "Today image, 150 x 290 for the Start menu) in the turned picture. Rotation\n"
    "codes: 3 half turn, 4 quarter turn clockwise, 5 anticlockwise; --hflip 1\n"
    "mirrors top to bottom first. Transparency 0-255 (default 0) blends the image\n"
    "with the transparency colour (unchanged unless given).\n";

bool ParseCrop(const std::string& text, int crop[4]) {
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = text.find(',', start);
        if ((i < 3) != (comma != std::string::npos)) return false;
        const std::string piece = text.substr(start, i < 3 ? comma - start : std::string::npos);
        if (!ParseInt(piece, crop[i]) || crop[i] < 0) return false;
        start = comma + 1;
    }
    return crop[0] <= crop[2] && crop[1] <= crop[3];
}

int RunSetImage(const std::vector<std::string>& raw) {
    Args args(raw, {"--crop", "--rotation", "--hflip", "--transparency", "--transparency-colour"}, {});
    if (!args.ok()) return UsageError("set-image", args.error());
    if (args.positional().size() != 3) return UsageError("set-image", "expects PROJECT, today or start, and FILE");
    const std::string which = args.positional()[1];
    if (which != "today" && which != "start") return UsageError("set-image", "the image is today or start");
    const std::string file = AbsolutePath(args.positional()[2]);

    int rotation = 0, hFlip = 0, transparency = 0, crop[4] = {0, 0, 0, 0};
    unsigned transparencyColour = 0;
    if (auto v = args.Value("--rotation")) {
        if (!ParseInt(*v, rotation) || (rotation != 0 && rotation != 3 && rotation != 4 && rotation != 5))
            return UsageError("set-image", "--rotation is 0, 3, 4 or 5");
    }
    if (auto v = args.Value("--hflip")) {
        if (!ParseInt(*v, hFlip) || (hFlip != 0 && hFlip != 1)) return UsageError("set-image", "--hflip is 0 or 1");
    }
    if (auto v = args.Value("--transparency")) {
        if (!ParseInt(*v, transparency) || transparency < 0 || transparency > 255)
            return UsageError("set-image", "--transparency is 0 to 255");
    }
    const auto colourText = args.Value("--transparency-colour");
    if (colourText && !ParseRgb(*colourText, transparencyColour))
        return UsageError("set-image", "--transparency-colour is R,G,B with each part 0-255");
    const auto cropText = args.Value("--crop");
    if (cropText && !ParseCrop(*cropText, crop))
        return UsageError("set-image", "--crop is L,T,R,B with 0 <= L <= R and 0 <= T <= B");

    std::unique_ptr<ThemeDocument> theme = OpenProject("set-image", args.positional()[0]);
    if (!theme) return kExitFailed;
    const std::string realName = which == "today" ? "tdywater.gif" : "stwater.gif";
    if (theme->FindFile(realName) && !dynamic_cast<ThemeImage*>(theme->FindFile(realName)))
        return Fail("set-image", "the theme's " + realName + " is not an image element", kExitFailed);

    DibImage picture;
    if (!files::IsFile(file) || picture.Load(file) != kImageOk)
        return Fail("set-image", "cannot read " + file + " as a picture", kExitFailed);
    const CropRect framed = cropText ? CropRect{crop[0], crop[1], crop[2], crop[3]}
                                     : LargestCropOf(picture, static_cast<TurnCode>(rotation), FrameFor(realName));

    ThemeImage* image = FindOrAddImage(*theme, realName);
    SetCrop(*image, framed);
    image->rotation = rotation;
    image->hFlip = hFlip;
    image->transparency = transparency;
    if (colourText) image->transparencyColour = transparencyColour;
    if (file != theme->projectFolder + image->name &&
        !image->PlaceFile(file, theme->projectFolder, theme->alias)) {
        ShowMessage(kCopyFailedMessageId, file, kMbOk | kMbIconError);
        return kExitFailed;
    }
    return SaveProject("set-image", *theme);
}

}  // namespace

extern const Command kSetImageCommand = {"set-image", "replace and frame a theme's Today or Start-menu image",
                                         kUsage, &RunSetImage};

}  // namespace mrw::cli
