// Naming and creating themes in a library.
#pragma once
#include <string>

#include "editor/document/ThemeLibrary.h"

namespace mrw {

enum class ThemeNameCheck {
    kAccepted,
    kEmpty,            // the dialog stays open without a message
    kForbiddenChars,   // message 179 with the nine characters
    kDefaultName,      // message 180 with the default theme's name
    kExists,           // ask 144 with the name before replacing
};

// The nine characters a theme name may not contain, in the order the message lists them.
extern const char kForbiddenNameChars[];  // \/:*?"<>|

// The theme-name dialog's checks, in its order.
ThemeNameCheck CheckThemeName(const std::string& name, const ThemeLibrary& library);

// Shows the message the dialog shows for a refused name (through the prompter);
// for kExists asks whether to replace and returns true for Yes.
bool ReportThemeNameCheck(ThemeNameCheck check, const std::string& name);

// A new theme named `name` in the library's folder: a white 240 x 268 Today
// image, a white 180 x 290 Start-menu image, the colour table; saved as
// libraryFolder + name + ".THM" and added to the library. An existing theme
// of that alias is deleted first (never the default theme). Returns the new
// document, or nullptr when the images or the project could not be written.
ThemeDocument* CreateNewTheme(ThemeLibrary& library, const std::string& name);

}  // namespace mrw
