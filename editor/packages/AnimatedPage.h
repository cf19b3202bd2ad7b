// The animated Today page of a theme: a Flash movie "vx5n.swf" embedded in
// the page "vx5n.htm", with the page height in "vx5n.atc". The three files
// are member files of the theme; defaults lie in the program folder.
#pragma once
#include <cstdint>
#include <string>

namespace mrw {

class ThemeDocument;
class ThemeFile;

extern const char kAnimatedPageName[];      // "vx5n.htm"
extern const char kAnimationMovieName[];    // "vx5n.swf"
extern const char kAnimationSettingsName[];  // "vx5n.atc"

// The page text for a height and a background colour (0x00BBGGRR): one line
// of ANSI text without a line end.
std::string AnimatedPageText(int height, uint32_t backgroundColour);

// Adds the default page, movie and settings file of `programFolder` to the
// theme (each one the theme does not hold yet), sets tskType 1 and marks the
// theme modified. False, with the theme unchanged, when a default file is
// missing or cannot be copied in.
bool MakeAnimated(ThemeDocument& theme, const std::string& programFolder);

// Lets a member file element take in `source` under a fresh member name
// (PlaceFile). A copy the element took in earlier and that no saved project
// names yet is deleted, so that repeated changes before a save leave no
// orphan files. False (element unchanged) when the copy failed.
bool TakeInFile(ThemeDocument& theme, ThemeFile& element, const std::string& source);

// When the theme has a "vx5n.htm" element: writes the page for the theme's
// height and colour as the working folder's "vx5n.htm" (toolFolder + "tmp",
// created when missing) and lets the element take it in under a fresh
// member name. False when nothing was written (no such element, or the page
// could not be written or taken in; the element then keeps its page).
bool WriteAnimatedPage(ThemeDocument& theme, const std::string& toolFolder);

}  // namespace mrw
