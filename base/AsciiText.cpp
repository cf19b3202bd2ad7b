#include "base/AsciiText.h"

#include <limits>

namespace mrw::ascii {

std::string ToLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = ToLower(c);
    return out;
}

std::string ToUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = ToUpper(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLower(a[i]) != ToLower(b[i])) return false;
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

size_t FindNoCase(std::string_view text, std::string_view what, size_t from) {
    if (from > text.size() || what.size() > text.size() - from) return std::string_view::npos;
    for (size_t i = from; i + what.size() <= text.size(); ++i)
        if (EqualsNoCase(text.substr(i, what.size()), what)) return i;
    return std::string_view::npos;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(ToUpper(a[i]));
        const auto y = static_cast<unsigned char>(ToUpper(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string_view Trim(std::string_view text) { return TrimIf(text, [](char c) { return IsSpace(c); }); }

bool IsAllSpace(std::string_view text) { return Trim(text).empty(); }

bool IsAllDigits(std::string_view text) {
    for (char c : text)
        if (!IsDigit(c)) return false;
    return true;
}

bool ParseHexByte(char high, char low, uint8_t& byte) {
    const int h = HexDigitValue(high), l = HexDigitValue(low);
    if (h < 0 || l < 0) return false;
    byte = static_cast<uint8_t>(h * 16 + l);
    return true;
}

std::string PercentEscape(std::string_view bytes, std::string_view alsoEscaped) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x20 || c == 0x7F || c == '%' || alsoEscaped.find(static_cast<char>(c)) != std::string_view::npos) {
            out += '%';
            out += kDigits[c >> 4];
            out += kDigits[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool PercentUnescape(std::string_view text, std::string& bytes) {
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        uint8_t byte = 0;
        if (i + 2 >= text.size() || !ParseHexByte(text[i + 1], text[i + 2], byte)) return false;
        bytes += static_cast<char>(byte);
        i += 2;
    }
    return true;
}

std::string HexBytes(const uint8_t* data, size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0xF];
    }
    return out;
}

bool ParseDecimal(std::string_view text, int64_t min, int64_t max, int64_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    // Accumulated as a negative number, whose range is the larger one.
    int64_t n = 0;
    const int64_t lowest = std::numeric_limits<int64_t>::min();
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) return false;
        const int d = text[i] - '0';
        if (n < (lowest + d) / 10) return false;
        n = n * 10 - d;
    }
    if (!negative) {
        if (n == lowest) return false;
        n = -n;
    }
    if (n < min || n > max) return false;
    value = n;
    return true;
}

bool ParseDecimal(std::string_view text, int& value) {
    int64_t v = 0;
    if (!ParseDecimal(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), v)) return false;
    value = static_cast<int>(v);
    return true;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLower(a[i]) != ToLower(b[i])) return false;
    return true;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

size_t FindNoCase(std::u16string_view text, std::u16string_view what, size_t from) {
    if (from > text.size() || what.size() > text.size() - from) return std::u16string_view::npos;
    for (size_t i = from; i + what.size() <= text.size(); ++i)
        if (EqualsNoCase(text.substr(i, what.size()), what)) return i;
    return std::u16string_view::npos;
}

}  // namespace mrw::ascii
