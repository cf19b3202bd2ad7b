// Reading rules of skin files.
#include <gtest/gtest.h>

#include <string>

#include "editor/skin/SkinFile.h"

namespace mrw {
namespace {

SkinFile FromText(const std::string& text) {
    SkinFile file;
    file.OpenBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return file;
}

TEST(SkinFileTest, HeadersKeysAndQuotes) {
    const SkinFile f = FromText(
        "; comment line\r\n"
        "  [ \tGeneral \x1a]\r\n"
        "  size = 240 , 320 \r\n"
        "[Elem]\r\n"
        "Name = ' quoted word '\r\n"
        "Other=\"mixed'\r\n"
        "name = second\r\n"
        "; key = hidden\r\n"
        "noequals\r\n");
    bool found = false;
    EXPECT_EQ(f.GetString("General", "size", "x", &found), "240 , 320");
    EXPECT_TRUE(found);
    // Quotes are removed after trimming; inner blanks stay.
    EXPECT_EQ(f.GetString("Elem", "name", ""), " quoted word ");
    // Keys compare without case; the first match wins.
    EXPECT_EQ(f.GetString("Elem", "NAME", ""), " quoted word ");
    // Different quote characters are kept.
    EXPECT_EQ(f.GetString("Elem", "Other", ""), "\"mixed'");
    EXPECT_EQ(f.GetString("Elem", "key", "dflt", &found), "dflt");
    EXPECT_FALSE(found);
    // A line without "=" has an empty key and an empty value.
    EXPECT_EQ(f.GetString("Elem", "", "dflt", &found), "");
    EXPECT_TRUE(found);
    // Section names compare with case.
    EXPECT_EQ(f.GetString("general", "size", "none"), "none");
    EXPECT_EQ(f.SectionNames(), (std::vector<std::string>{"General", "Elem"}));
}

TEST(SkinFileTest, SectionsDifferingInCaseAreDifferent) {
    const SkinFile f = FromText("[abc]\nk=lower\n[ABC]\nk=upper\nj=1\n");
    EXPECT_EQ(f.GetString("abc", "k", ""), "lower");
    EXPECT_EQ(f.GetString("ABC", "k", ""), "upper");
    // The section ends at the next header: no key of a later section leaks in.
    EXPECT_EQ(f.GetString("abc", "j", "none"), "none");
}

TEST(SkinFileTest, RepeatedSectionIsReadFromItsFirstOccurrence) {
    const SkinFile f = FromText("[a]\nk=1\n[b]\n[a]\nk=2\nz=3\n");
    EXPECT_EQ(f.GetString("a", "k", ""), "1");
    EXPECT_EQ(f.GetString("a", "z", "none"), "none");
    EXPECT_EQ(f.SectionNames().size(), 3u);
}

TEST(SkinFileTest, HeaderWithoutClosingBracketIsIgnored) {
    const SkinFile f = FromText("[a]\n[b\nk=in a\n");
    EXPECT_EQ(f.GetString("a", "k", ""), "in a");
    EXPECT_EQ(f.GetString("b", "k", "none"), "none");
}

TEST(SkinFileTest, BlankLineWithLineFeedOnlyEndsTheSearch) {
    const SkinFile lf = FromText("[a]\nfirst=1\n\nsecond=2\n[b]\nk=1\n");
    EXPECT_EQ(lf.GetString("a", "first", ""), "1");
    EXPECT_EQ(lf.GetString("a", "second", "none"), "none");
    EXPECT_EQ(lf.GetString("b", "k", "none"), "none");
    // With CR LF line ends a blank line is an ordinary empty line.
    const SkinFile crlf = FromText("[a]\r\nfirst=1\r\n\r\nsecond=2\r\n[b]\r\nk=1\r\n");
    EXPECT_EQ(crlf.GetString("a", "second", ""), "2");
    EXPECT_EQ(crlf.GetString("b", "k", ""), "1");
    // A blank line of spaces is not empty.
    const SkinFile spaces = FromText("[a]\n  \nsecond=2\n");
    EXPECT_EQ(spaces.GetString("a", "second", ""), "2");
}

TEST(SkinFileTest, LongLinesContinueAsTheNextLine) {
    // 2,047 bytes per read: the tail of a long line is a line of its own.
    std::string text = "[a]\nlong=" + std::string(2047 - 5, 'x') + "tail=yes\nafter=1\n";
    const SkinFile f = FromText(text);
    EXPECT_EQ(f.GetString("a", "long", "").size(), size_t(2047 - 5));
    EXPECT_EQ(f.GetString("a", "tail", ""), "yes");
    EXPECT_EQ(f.GetString("a", "after", ""), "1");
}

TEST(SkinFileTest, NulByteEndsTheLineText) {
    std::string text = "[a]\nk=ab";
    text += '\0';
    text += "cd\nj=2\n";
    const SkinFile f = FromText(text);
    EXPECT_EQ(f.GetString("a", "k", ""), "ab");
    EXPECT_EQ(f.GetString("a", "j", ""), "2");
}

TEST(SkinFileTest, IntegersAreDigitsOnly) {
    const SkinFile f = FromText("[a]\nneg=-1\nplus=+3\nok=0042\nblank=4 2\nempty=\nbig=99999999999\n");
    EXPECT_EQ(f.GetInt("a", "neg", 7), 7);
    EXPECT_EQ(f.GetInt("a", "plus", 7), 7);
    EXPECT_EQ(f.GetInt("a", "ok", 7), 42);
    EXPECT_EQ(f.GetInt("a", "blank", 7), 7);
    EXPECT_EQ(f.GetInt("a", "empty", 7), 7);
    EXPECT_EQ(f.GetInt("a", "missing", 7), 7);
    EXPECT_EQ(f.GetInt("a", "big", 7), 2147483647);
}

TEST(SkinFileTest, PairsAndRectangles) {
    const SkinFile f = FromText("[a]\np=-5 10\nq=7\nr=1,2, 3 ,4,5\ns=,,8\nlong=" + std::string(100, '1') +
                                "\nalmost=" + std::string(99, '2') + "\n");
    SkinPair p = f.GetPair("a", "p");
    EXPECT_TRUE(p.present);
    EXPECT_EQ(p.x, -5);
    EXPECT_EQ(p.y, 10);
    p = f.GetPair("a", "q");
    EXPECT_TRUE(p.present);
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, 0);
    p = f.GetPair("a", "missing");
    EXPECT_FALSE(p.present);
    // 100 characters or more count as missing.
    EXPECT_FALSE(f.GetPair("a", "long").present);
    EXPECT_TRUE(f.GetPair("a", "almost").present);

    bool present = false;
    EXPECT_EQ(f.GetRect("a", "r", &present), (SkinRect{1, 2, 3, 4}));
    EXPECT_TRUE(present);
    EXPECT_EQ(f.GetRect("a", "s", &present), (SkinRect{8, 0, 0, 0}));
    EXPECT_EQ(f.GetRect("a", "missing", &present), SkinRect{});
    EXPECT_FALSE(present);
}

TEST(SkinFileTest, Colours) {
    const SkinFile f = FromText("[a]\nc=255, 128 ,1\nwrap=256,-1,511\nshort=9\nempty=\n");
    EXPECT_EQ(f.GetColour("a", "c", 0x123456), 255u + 128u * 256u + 1u * 65536u);
    // Each token keeps its low 8 bits.
    EXPECT_EQ(f.GetColour("a", "wrap", 0), 0u + 255u * 256u + 255u * 65536u);
    EXPECT_EQ(f.GetColour("a", "short", 0x123456), 9u);
    EXPECT_EQ(f.GetColour("a", "empty", 0x123456), 0x123456u);
    EXPECT_EQ(f.GetColour("a", "missing", 0x123456), 0x123456u);
}

TEST(SkinFileTest, DrawFlags) {
    const SkinFile f = FromText(
        "[a]\nf=CENTER|VCENTER|SINGLELINE\nlower=center|vcenter|singleline\n"
        "mixed=RIGHT+BOTTOM,WORDBREAK&END_ELLIPSIS NOPREFIX|BOGUS\nempty=\nlong=" +
        std::string(256, 'A') + "\n");
    EXPECT_EQ(f.GetDrawFlags("a", "f", 0), 0x25u);
    EXPECT_EQ(f.GetDrawFlags("a", "lower", 0x99), 0u);
    EXPECT_EQ(f.GetDrawFlags("a", "mixed", 0), 0x2u | 0x8u | 0x10u | 0x8000u | 0x800u);
    EXPECT_EQ(f.GetDrawFlags("a", "empty", 0x99), 0u);
    EXPECT_EQ(f.GetDrawFlags("a", "missing", 0x99), 0x99u);
    EXPECT_EQ(f.GetDrawFlags("a", "long", 0x99), 0x99u);
}

TEST(SkinFileTest, MissingFileGivesDefaults) {
    SkinFile f;
    EXPECT_FALSE(f.Open("/nonexistent/folder/skin.inf"));
    EXPECT_EQ(f.GetInt("General", "x", 3), 3);
    EXPECT_FALSE(f.GetPair("General", "size").present);
    EXPECT_TRUE(f.SectionNames().empty());
}

}  // namespace
}  // namespace mrw
