// Opening and saving a theme project for the mrw commands that change it.
#pragma once
#include <memory>
#include <string>

#include "editor/document/ThemeDocument.h"

namespace mrw::cli {

// Loads the project file (header, then the whole project, as the editor does
// when a theme is selected). Null, with a message on stderr, when the file
// does not exist.
std::unique_ptr<ThemeDocument> OpenProject(const char* command, const std::string& path);

// Saves the changed project; kExitOk, or kExitFailed with a message.
int SaveProject(const char* command, ThemeDocument& theme);

// A whole decimal number (optional sign); false when malformed or out of int range.
bool ParseInt(const std::string& text, int& value);

}  // namespace mrw::cli
