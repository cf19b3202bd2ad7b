#include <gtest/gtest.h>

#include <map>

#include "base/AsciiText.h"

namespace mrw::ascii {
namespace {

TEST(AsciiText, FoldsOnlyLatinLetters) {
    EXPECT_TRUE(EqualsNoCase("STWater.GIF", "stwater.gif"));
    EXPECT_FALSE(EqualsNoCase("\xC9t\xE9", "\xE9t\xC9"));  // É and é are different bytes
    EXPECT_FALSE(EqualsNoCase("[", "{"));                  // 0x5B and 0x7B differ by 0x20 too
    EXPECT_EQ(ToUpper("caf\xE9"), "CAF\xE9");
}

TEST(AsciiText, FindsAndOrdersWithoutCase) {
    EXPECT_EQ(FindNoCase("my Storage Card", "STORAGE CARD"), 3u);
    EXPECT_EQ(FindNoCase("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(FindNoCase("abc", "", 3), 3u);
    EXPECT_EQ(FindNoCase("abc", "a", 4), std::string_view::npos);
    EXPECT_TRUE(LessNoCase("apple", "Banana"));
    EXPECT_TRUE(LessNoCase("ab", "ABC"));
    EXPECT_EQ(CompareNoCase("Readme", "README"), 0);
    // Letters sort as upper case: "_" (0x5F) comes after "Z", before "a".
    EXPECT_TRUE(LessNoCase("z", "_"));
    std::map<std::string, int, NoCaseLess> map{{"Key", 1}};
    EXPECT_EQ(map.count("KEY"), 1u);
}

TEST(AsciiText, Utf16FoldsOnlyLatinLetters) {
    EXPECT_TRUE(EqualsNoCase(u"CATEGNotify", u"categnotify"));
    EXPECT_FALSE(EqualsNoCase(u"\u00C9", u"\u00E9"));
    EXPECT_FALSE(EqualsNoCase(u"[", u"{"));
    EXPECT_TRUE(StartsWithNoCase(u"FILE://\\x", u"file://"));
    EXPECT_EQ(FindNoCase(u"http://h/Docs/Vx5n.Htm", u"VX5N.HTM"), 14u);
    EXPECT_EQ(FindNoCase(u"ab", u"abc"), std::u16string_view::npos);
}

TEST(AsciiText, TrimsTheCLibrarysSpace) {
    EXPECT_EQ(Trim(" \t\r\n\v\fvalue \f"), "value");
    EXPECT_EQ(Trim("\xA0value"), "\xA0value");  // a no-break space is not space
    EXPECT_TRUE(IsAllSpace(" \t"));
    EXPECT_EQ(TrimIf(",,a,", [](char c) { return c == ','; }), "a");
}

TEST(AsciiText, ParsesHexAndDecimalStrictly) {
    uint8_t b = 0;
    EXPECT_TRUE(ParseHexByte('f', 'E', b));
    EXPECT_EQ(b, 0xFE);
    EXPECT_FALSE(ParseHexByte('g', '0', b));
    const uint8_t bytes[] = {0x00, 0xAB, 0x7F};
    EXPECT_EQ(HexBytes(bytes, 3), "00AB7F");

    int v = 7;
    EXPECT_TRUE(ParseDecimal("-2147483648", v));
    EXPECT_EQ(v, -2147483647 - 1);
    EXPECT_TRUE(ParseDecimal("+2147483647", v));
    for (const char* bad : {"2147483648", "-2147483649", "", "-", " 1", "1 ", "0x10", "99999999999999999999"}) {
        v = 7;
        EXPECT_FALSE(ParseDecimal(bad, v)) << bad;
        EXPECT_EQ(v, 7) << bad;
    }
    int64_t w = 0;
    EXPECT_TRUE(ParseDecimal("-9223372036854775808", INT64_MIN, INT64_MAX, w));
    EXPECT_FALSE(ParseDecimal("9223372036854775808", INT64_MIN, INT64_MAX, w));
    EXPECT_FALSE(ParseDecimal("300", 0, 255, w));
}

}  // namespace
}  // namespace mrw::ascii
