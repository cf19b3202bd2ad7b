#include <gtest/gtest.h>

#include <string>

#include "base/TextEncoding.h"

namespace mrw::text {
namespace {

// The code page's 0x80-0x9F row; bytes outside it are their own code point.
const char16_t kRow80[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                             0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                             0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

TEST(TextEncoding, EveryCp1252ByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const char16_t expected = (b >= 0x80 && b <= 0x9F) ? kRow80[b - 0x80] : static_cast<char16_t>(b);
        const std::u16string wide = Cp1252ToUtf16(byte);
        ASSERT_EQ(wide, std::u16string(1, expected)) << b;
        EXPECT_EQ(Utf16ToCp1252(wide), byte) << b;
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(byte)), byte) << b;
        EXPECT_EQ(Utf8ToUtf16(Cp1252ToUtf8(byte)), wide) << b;
    }
    EXPECT_EQ(Cp1252ToUtf8("Erreur \xE0 l'ouverture \x80"), "Erreur \xC3\xA0 l'ouverture \xE2\x82\xAC");
}

TEST(TextEncoding, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Utf16ToCp1252(u"\u4E2D\u20AC\U0001F600"), "?\x80?");
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");
}

TEST(TextEncoding, LoneSurrogatesBecomeOneReplacementEach) {
    const std::u16string lone{0xD800, u'a', 0xDC00, 0xDBFF};
    EXPECT_EQ(Utf16ToUtf8(lone), "\xEF\xBF\xBD" "a" "\xEF\xBF\xBD\xEF\xBF\xBD");
    const std::u16string pair{0xD83D, 0xDE00};
    EXPECT_EQ(Utf16ToUtf8(pair), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), pair);
}

TEST(TextEncoding, InvalidUtf8GivesOneReplacementPerMaximalSubpart) {
    const std::u16string R(1, kReplacementCharacter);
    struct Case { const char* in; std::u16string out; } cases[] = {
        {"\x80", R},                              // stray continuation byte
        {"\xC0\xAF", R + R},                      // overlong: C0 is never valid
        {"\xE0\x80\xAF", R + R + R},              // overlong three-byte form
        {"\xED\xA0\x80", R + R + R},              // surrogate encoded in UTF-8
        {"\xF4\x90\x80\x80", R + R + R + R},      // above U+10FFFF
        {"\xE2\x82", R},                          // truncated at the end
        {"\xE2\x82" "A", R + u"A"},               // truncated before ASCII
        {"\xF0\x9F\x98", R},                      // truncated four-byte form
        {"\xFF" "a", R + u"a"},
        {"\xC3\xA9", u"\u00E9"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << c.in;
        EXPECT_EQ(IsValidUtf8(c.in), c.out.find(kReplacementCharacter) == std::u16string::npos) << c.in;
    }
}

TEST(TextEncoding, AsUtf8KeepsUtf8AndReadsAnythingElseAsTheCodePage) {
    EXPECT_EQ(AsUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(AsUtf8("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(AsUtf8("\x80 \xEF\xBF\xBD"), "\xE2\x82\xAC \xC3\xAF\xC2\xBF\xC2\xBD");
    EXPECT_EQ(AsUtf8("plain"), "plain");
}

}  // namespace
}  // namespace mrw::text
