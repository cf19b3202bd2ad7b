// Desktop path helpers. Desktop paths use the platform separator ('\' on
// Windows, '/' elsewhere); these helpers accept either separator on input so
// that paths read from project files written on another system still split.
#pragma once
#include <string>

namespace mrw::paths {

// The separator this build writes into desktop paths.
char Separator();

// True for '\' and '/'.
bool IsSeparator(char c);

// Drive and directory of a path, ending in a separator ("" when the path has no folder part).
std::string FolderOf(const std::string& path);

// The last path component ("C:\a\b.THM" -> "b.THM").
std::string FileNameOf(const std::string& path);

// The file name without its extension ("C:\a\b.c.THM" -> "b.c").
std::string BaseNameOf(const std::string& path);

// The extension with its dot (".THM"), or "" when the file name has no dot.
std::string ExtensionOf(const std::string& path);

// The path without its extension (folder kept).
std::string WithoutExtension(const std::string& path);

// folder + name, inserting a separator when folder is non-empty and does not end in one.
std::string Join(const std::string& folder, const std::string& name);

// The folder with a trailing separator added when missing (an empty folder stays empty).
std::string WithTrailingSeparator(const std::string& folder);

}  // namespace mrw::paths
