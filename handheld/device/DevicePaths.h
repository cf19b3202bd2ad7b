// Device paths ("\My Documents\Themes\x.tsk") and how they map onto the
// host folder that plays the handheld's file system. Names are compared
// without regard to case (ASCII and Latin-1 letters fold, as the handheld's
// object store does for the names we meet); host names are UTF-8.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace mrw::device {

char16_t FoldCase(char16_t c);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
int CompareNoCase(std::u16string_view a, std::u16string_view b);
inline bool LessNoCase(std::u16string_view a, std::u16string_view b) { return CompareNoCase(a, b) < 0; }

// `*` and `?` wildcards, without regard to case; "*.*" matches every name.
bool MatchesPattern(std::u16string_view name, std::u16string_view pattern);

// Splits a device path into its components. A leading "\" is the root and
// one trailing "\" is allowed; "." and "..", empty components, characters a
// handheld file name cannot hold (< > : " / | and control characters), names
// made only of dots and blanks and the reserved device names (CON, NUL, COM1,
// ...) are refused, so that no component can lead out of the device's folder.
// `allowWildcards` lets the last component hold '*' and '?'.
bool SplitDevicePath(std::u16string_view path, std::vector<std::u16string>& components, bool allowWildcards = false);

// "\A\B" from components ("\" for none).
std::u16string JoinDevicePath(const std::vector<std::u16string>& components);

}  // namespace mrw::device
