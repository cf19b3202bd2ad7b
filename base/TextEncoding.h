// Conversions between the desktop code page (Windows-1252), UTF-16 (every
// text handed to the handheld) and UTF-8 (what a Linux terminal and JSON
// expect). Every input has a defined answer:
// - Windows-1252 -> Unicode: each byte maps to one code point; the five bytes
//   the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
//   control characters of the same value, as the platform's conversion does.
// - Unicode -> Windows-1252: a character outside the code page becomes '?'.
// - An unpaired surrogate in UTF-16 is one U+FFFD.
// - Invalid UTF-8 becomes U+FFFD per maximal ill-formed subsequence (the
//   Unicode standard's recommended practice): overlong forms, surrogates
//   encoded in UTF-8, code points above U+10FFFF, stray continuation bytes
//   and truncated sequences.
#pragma once
#include <string>
#include <string_view>

namespace mrw::text {

constexpr char16_t kReplacementCharacter = 0xFFFD;

std::u16string Cp1252ToUtf16(std::string_view text);
std::string Utf16ToCp1252(std::u16string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
std::string Cp1252ToUtf8(std::string_view text);
std::string Utf8ToCp1252(std::string_view text);

// True when `text` is well-formed UTF-8 (ASCII is).
bool IsValidUtf8(std::string_view text);
// Text of either origin as UTF-8: well-formed UTF-8 (names typed on a Linux
// command line, file names the system gave) is kept as it is; anything else
// is read as Windows-1252 (texts of the program and of theme files). A
// Windows-1252 text with a byte above 0x7F is almost never well-formed UTF-8.
std::string AsUtf8(std::string_view text);

// The code point of a Windows-1252 byte.
char16_t Cp1252CodePoint(unsigned char byte);

}  // namespace mrw::text
