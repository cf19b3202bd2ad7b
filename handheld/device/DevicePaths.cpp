#include "handheld/device/DevicePaths.h"

#include <algorithm>

#include "base/AsciiText.h"
#include "base/TextEncoding.h"

namespace mrw::device {

char16_t FoldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
    return c;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = FoldCase(a[i]), y = FoldCase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool MatchesPattern(std::u16string_view name, std::u16string_view pattern) {
    if (pattern == u"*.*") pattern = u"*";
    // Iterative matcher with one backtrack point for the last '*'.
    size_t n = 0, p = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

namespace {

bool IsReservedDeviceName(std::u16string_view name) {
    // "NUL", "com1.txt": the part before the first dot names a device on a
    // Windows host, whatever follows.
    const std::u16string_view stem = name.substr(0, name.find(u'.'));
    std::string ascii;
    for (char16_t c : stem) {
        if (c > 0x7F) return false;
        ascii.push_back(static_cast<char>(c));
    }
    ascii = std::string(ascii::Trim(ascii));
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* reserved : kNames) {
        if (ascii::EqualsNoCase(ascii, reserved)) return true;
    }
    return ascii.size() == 4 && (ascii::StartsWithNoCase(ascii, "COM") || ascii::StartsWithNoCase(ascii, "LPT")) &&
           ascii[3] >= '0' && ascii[3] <= '9';
}

bool ValidComponent(std::u16string_view name, bool allowWildcards) {
    if (name.empty()) return false;
    bool onlyDotsAndBlanks = true;
    for (char16_t c : name) {
        if (c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'/' || c == u'|' || c == 0x7F)
            return false;
        if (!allowWildcards && (c == u'*' || c == u'?')) return false;
        if (c != u'.' && c != u' ') onlyDotsAndBlanks = false;
    }
    return !onlyDotsAndBlanks && !IsReservedDeviceName(name);
}

}  // namespace

bool SplitDevicePath(std::u16string_view path, std::vector<std::u16string>& components, bool allowWildcards) {
    components.clear();
    if (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
    if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
    if (path.empty()) return true;
    size_t start = 0;
    while (true) {
        const size_t end = path.find(u'\\', start);
        const std::u16string_view part = path.substr(start, end == std::u16string_view::npos ? path.size() - start
                                                                                         : end - start);
        const bool last = end == std::u16string_view::npos;
        if (!ValidComponent(part, allowWildcards && last)) {
            components.clear();
            return false;
        }
        components.emplace_back(part);
        if (last) return true;
        start = end + 1;
    }
}

std::u16string JoinDevicePath(const std::vector<std::u16string>& components) {
    if (components.empty()) return u"\\";
    std::u16string out;
    for (const auto& c : components) {
        out += u'\\';
        out += c;
    }
    return out;
}

}  // namespace mrw::device
