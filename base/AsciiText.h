// Small text helpers for ASCII-only rules: file, section, key and registry
// names compare without regard to case, and only the 26 Latin letters fold
// (a byte above 0x7F is never changed, whatever the code page). No locale is
// consulted, so every build and every machine gives the same answers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mrw::ascii {

constexpr char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
std::string ToLower(std::string_view text);
std::string ToUpper(std::string_view text);

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Position of the first occurrence of `what` in `text` at or after `from`, or npos.
size_t FindNoCase(std::string_view text, std::string_view what, size_t from = 0);
inline bool ContainsNoCase(std::string_view text, std::string_view what) {
    return FindNoCase(text, what) != std::string_view::npos;
}
// Ordering by the upper-cased bytes (unsigned), then by length.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool LessNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) < 0; }
// For ordered containers keyed without regard to case.
struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return LessNoCase(a, b); }
};

// The white space of the C library in the "C" locale: space, tab, LF, VT, FF, CR.
constexpr bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
// IsSpace, or ^Z (0x1A), the DOS end-of-file mark that text files from old
// media end with: the blanks that profile and skin files trim.
constexpr bool IsSpaceOrEofMark(char c) { return IsSpace(c) || c == '\x1a'; }
// Space and tab only.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// True when every character is a decimal digit (also for "").
bool IsAllDigits(std::string_view text);
// `text` without leading and trailing IsSpace characters.
std::string_view Trim(std::string_view text);
// `text` without leading and trailing characters for which `strip` is true.
template <class Predicate>
std::string_view TrimIf(std::string_view text, Predicate strip) {
    size_t begin = 0, end = text.size();
    while (begin < end && strip(text[begin])) ++begin;
    while (end > begin && strip(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}
// True when `text` is empty or all IsSpace.
bool IsAllSpace(std::string_view text);

// Value of a hexadecimal digit (either case), -1 for any other character.
constexpr int HexDigitValue(char c) {
    return (c >= '0' && c <= '9')   ? c - '0'
           : (c >= 'a' && c <= 'f') ? c - 'a' + 10
           : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                    : -1;
}
// The byte written by two hexadecimal digits; false when either is not one.
bool ParseHexByte(char high, char low, uint8_t& byte);
// Two upper-case hexadecimal digits per byte, no separator.
std::string HexBytes(const uint8_t* data, size_t size);
// One-line text fields of our own files: control bytes, '%' and the bytes of
// alsoEscaped become "%XX"; PercentUnescape undoes it (false on a bad "%").
std::string PercentEscape(std::string_view bytes, std::string_view alsoEscaped = {});
bool PercentUnescape(std::string_view text, std::string& bytes);

// An optional sign and decimal digits, nothing else (no blanks), within
// [min, max]. False on anything else, including overflow; `value` is then
// left unchanged.
bool ParseDecimal(std::string_view text, int64_t min, int64_t max, int64_t& value);
bool ParseDecimal(std::string_view text, int& value);

// ---- The same rules for UTF-16 text (handheld names and paths): only the 26
// Latin letters fold; every other character compares as it is.
constexpr char16_t ToLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }
constexpr char16_t ToUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);
size_t FindNoCase(std::u16string_view text, std::u16string_view what, size_t from = 0);

}  // namespace mrw::ascii
