// Preparation of a theme image (the Today background or the Start-menu
// image) for the handheld: load, mirror and rotate, crop or tile, resize,
// blend onto the transparency colour, reduce to 256 colours and write a GIF.
#pragma once
#include <string>

#include "editor/imaging/DibImage.h"

namespace mrw {

// What the preparation needs to know about one theme image and its theme.
struct ThemeImageJob {
    std::string projectFolder;     // folder of the project's member files
    std::string name;              // member file of the source picture
    std::string realName;          // "tdywater.gif", "stwater.gif", ...
    int cropLeft = 0, cropTop = 0, cropRight = 0, cropBottom = 0;
    int rotation = 0;              // Turn code
    int hFlip = 0;                 // 1: mirrored top to bottom first
    int transparency = 0;          // 0 opaque ... 255 invisible
    Colour transparencyColour = 0;
    int pdaColours = 0;            // 0: 8 bits per channel, 1: 5 bits, otherwise 4 bits
    std::string todaySourceName;   // member file of the Today picture (Start-menu fallback)
};

// Size of the prepared Today background and width of the Start-menu image.
constexpr int kTodayWidth = 240;
constexpr int kTodayHeight = 268;
constexpr int kStartWidth = 150;
constexpr int kStartHeight = 290;

// Writes outputFolder + separator + realName. Returns 0 when the picture was
// loaded, mirrored and rotated; otherwise the failing step's result code.
// The later steps' results do not change the outcome.
int PrepareThemeImage(const ThemeImageJob& job, const std::string& outputFolder);

}  // namespace mrw
