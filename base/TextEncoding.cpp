#include "base/TextEncoding.h"

#include <cstdint>

namespace mrw::text {

namespace {

// Code points of the bytes 0x80-0x9F; the other bytes are their own code point.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char ToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Calls `emit` with each code point of a UTF-16 text; lone surrogates give U+FFFD.
template <class Emit>
void DecodeUtf16(std::u16string_view text, Emit emit) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            emit(0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            emit(kReplacementCharacter);
        } else {
            emit(c);
        }
    }
}

// Calls `emit` with each code point of a UTF-8 text; each maximal ill-formed
// subsequence gives one U+FFFD. True when there was none.
template <class Emit>
bool DecodeUtf8(std::string_view text, Emit emit) {
    bool wellFormed = true;
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (b < 0x80) {
            emit(b);
            ++i;
            continue;
        }
        int length;
        char32_t cp;
        uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2, cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3, cp = b & 0x0F;
            if (b == 0xE0) low = 0xA0;        // overlong
            if (b == 0xED) high = 0x9F;       // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4, cp = b & 0x07;
            if (b == 0xF0) low = 0x90;        // overlong
            if (b == 0xF4) high = 0x8F;       // above U+10FFFF
        } else {
            emit(kReplacementCharacter);
            wellFormed = false;
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool complete = true;
        for (int k = 1; k < length; ++k, ++j) {
            const uint8_t lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
            if (j >= n || p[j] < lo || p[j] > hi) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (p[j] & 0x3F);
        }
        emit(complete ? cp : kReplacementCharacter);
        wellFormed = wellFormed && complete;
        i = j;
    }
    return wellFormed;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

char16_t Cp1252CodePoint(unsigned char byte) {
    return (byte >= 0x80 && byte <= 0x9F) ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte);
}

std::u16string Cp1252ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += Cp1252CodePoint(static_cast<unsigned char>(c));
    return out;
}

std::string Utf16ToCp1252(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    DecodeUtf16(text, [&](char32_t cp) { out += ToCp1252(cp); });
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    DecodeUtf16(text, [&](char32_t cp) { AppendUtf8(out, cp); });
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    DecodeUtf8(text, [&](char32_t cp) { AppendUtf16(out, cp); });
    return out;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) AppendUtf8(out, Cp1252CodePoint(static_cast<unsigned char>(c)));
    return out;
}

bool IsValidUtf8(std::string_view text) {
    return DecodeUtf8(text, [](char32_t) {});
}

std::string AsUtf8(std::string_view text) {
    return IsValidUtf8(text) ? std::string(text) : Cp1252ToUtf8(text);
}

std::string Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    DecodeUtf8(text, [&](char32_t cp) { out += ToCp1252(cp); });
    return out;
}

}  // namespace mrw::text
