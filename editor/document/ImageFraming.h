// How a theme image is framed for the handheld: the part of the (turned)
// picture that fills the Today screen's or the Start menu's frame. The image
// dialog and `mrw set-image` both frame through these functions, so a picture
// taken in either way gets the same crop.
#pragma once
#include <string>

#include "editor/imaging/DibImage.h"

namespace mrw {

class ThemeDocument;
class ThemeImage;

struct CropRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct FrameSize {
    int width = 0, height = 0;
};

// The frame an image of that real name fills: 240 x 268 for the Today
// background ("tdywater.gif"), 150 x 290 for anything else (the Start menu).
FrameSize FrameFor(const std::string& realName);

// The largest crop of the frame's aspect in a picture of width x height,
// anchored at the top left: with a = frame width / frame height, (0, 0,
// floor(h * a), h) when floor(w / a) >= h, else (0, 0, w, floor(w / a)).
CropRect LargestCrop(int width, int height, FrameSize frame);

// The largest crop for `picture` once turned by `rotation` (a quarter turn
// swaps its sides).
CropRect LargestCropOf(const DibImage& picture, TurnCode rotation, FrameSize frame);

// The theme's image element of that real name, added (empty, classified) when
// the theme has none, as in a theme made from a package without that image.
// nullptr when the name belongs to a member file that is not an image.
ThemeImage* FindOrAddImage(ThemeDocument& theme, const std::string& realName);

// Sets the element's crop.
void SetCrop(ThemeImage& image, const CropRect& crop);

}  // namespace mrw
