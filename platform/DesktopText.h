// Desktop text (paths and names as the desktop programs hold them) to and
// from UTF-16 for the handheld: the ANSI code page on Windows (CP_ACP,
// MB_PRECOMPOSED), UTF-8 natively.
#pragma once
#include <string>

namespace mrw::desktoptext {

std::u16string ToUtf16(const std::string& text);
std::string FromUtf16(const std::u16string& text);
// The same for a zero-terminated UTF-16 buffer of at most maxUnits units.
std::string FromUtf16(const char16_t* text, size_t maxUnits);

}  // namespace mrw::desktoptext
