// Resource texts of the editor, addressed by numeric id. The windows build
// reads them from the string table of "MorwenRes.dll" in the program folder
// (falling back to the compiled-in table when the library cannot be loaded);
// the native build uses the compiled-in table generated from the same source.
#pragma once
#include <string>

namespace mrw {

// The text of string `id`, or "" when there is none.
std::string LoadResourceString(int id);

// printf-style formatting of a resource text with one "%s" argument; a text
// without "%s" is returned unchanged, "%%" becomes "%".
std::string FormatResourceText(const std::string& pattern, const std::string& argument);

}  // namespace mrw
