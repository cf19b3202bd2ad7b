// Reading rules of skin files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "editor/skin/Skin.h"
#include "editor/skin/SkinFile.h"
#include "editor/skin/tests/SkinTestSupport.h"

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

// ---------------------------------------------------------------- whole skins

// A skin written by hand the way people write them: indented comments,
// comments after headers, blanks and quotes around values, signs where none
// belong, type names and keys in any case.
TEST(SkinLoadTest, HandWrittenSkinIsReadAsWritten) {
    test::TempFolder folder;
    test::FixedTextRenderer renderer;
    Skin skin(&renderer);
    ASSERT_EQ(test::LoadSkinText(skin, folder,
                                 "; hand-written skin\r\n"
                                 "   ; an indented comment [Hidden]\r\n"
                                 "[General] ; the drawing surface\r\n"
                                 "size = 120 90\r\n"
                                 "\r\n"
                                 "[Back]\r\n"
                                 "TYPE = RECT\r\n"
                                 "Rect=0 0 120 90\r\n"
                                 "Color='0 , 255 , 0'\r\n"
                                 "GROUP= 2 \x1a\r\n"
                                 "show=-1\r\n"
                                 "[Caption]\r\n"
                                 "type=Text\r\n"
                                 "\ttext = \"  Hello  \"\t\r\n"
                                 "TextColor=255,0,0,99\r\n"
                                 "Window=10,10,110,30\r\n"
                                 "Format=CENTER|vcenter+WORDBREAK\r\n"
                                 "Trigger=down\r\n"
                                 "text=second\r\n"
                                 "[caption]\r\n"
                                 "type=text\r\n"
                                 "text=other\r\n"
                                 "show=0\r\n"
                                 "[Tail]\r\n"
                                 "type=image\r\n"
                                 "Window=0,0,4,4\r\n"
                                 "pos=-3,+7\r\n"
                                 "Action=\r\n"
                                 "Group=+1\r\n"
                                 "[Ignored]\r\n"
                                 "type=nothing-known\r\n"),
              0);
    EXPECT_EQ(skin.Bounds(), (SkinRect{0, 0, 120, 90}));
    // One element per known section; "Caption" and "caption" are two sections.
    ASSERT_EQ(skin.Controls().size(), 4u);
    const auto& c = skin.Controls();

    auto* back = dynamic_cast<SkinFilledRect*>(c[0].get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Rect(), (SkinRect{0, 0, 120, 90}));
    EXPECT_EQ(back->FillColour(), MakeColour(0, 255, 0));
    EXPECT_EQ(back->Group(), 2);
    EXPECT_TRUE(back->Visible());  // "-1" is no integer: the default 1
    EXPECT_EQ(back->Action(), "Back");

    auto* caption = dynamic_cast<SkinText*>(c[1].get());
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->Name(), "Caption");
    EXPECT_EQ(caption->Text(), "  Hello  ");  // the first "text" key; inner blanks kept
    EXPECT_EQ(caption->TextColour(), MakeColour(255, 0, 0));
    EXPECT_EQ(caption->Rect(), (SkinRect{10, 10, 110, 30}));
    EXPECT_EQ(caption->Format(), unsigned(kDtCenter | kDtWordBreak));  // "vcenter" is no flag name
    EXPECT_FALSE(caption->TriggerOnUp());

    auto* other = dynamic_cast<SkinText*>(c[2].get());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->Text(), "other");
    EXPECT_FALSE(other->Visible());
    EXPECT_TRUE(other->TriggerOnUp());

    const SkinControl* tail = c[3].get();
    EXPECT_EQ(tail->Rect(), (SkinRect{-3, 7, 1, 11}));  // pairs take signs
    EXPECT_EQ(tail->Action(), "");                       // present and empty: not the section name
    EXPECT_EQ(tail->Group(), 0);                         // integers do not
}

// The values of "text", "File", "Url" and the colour keys pass through the
// owner's text hook; "ExcludeColor", "TextColorDown", "backcolor" and the
// other keys do not.
TEST(SkinLoadTest, TextHookSeesExactlyItsKeys) {
    test::TempFolder folder;
    test::FixedTextRenderer renderer;
    test::RecordingOwner owner;
    owner.replacements = {{"%RECT%", "0,0,255"}, {"%DOWN%", "1,1,1"}, {"%TC%", "9,9,9"}};
    Skin skin(&renderer);
    skin.AttachOwner(&owner);
    ASSERT_EQ(test::LoadSkinText(skin, folder,
                                 "[General]\r\nsize=50,50\r\n"
                                 "[l]\r\ntype=Line\r\nColor=%LINE%\r\nParam=%PARAM%\r\n"
                                 "[r]\r\ntype=Rect\r\nColor=%RECT%\r\nRect=0,0,5,5\r\nAction=%ACTION%\r\n"
                                 "[g]\r\ntype=GradientRect\r\nLeftColor=%GL%\r\nRightColor=%GR%\r\n"
                                 "LeftAction=%LA%\r\n"
                                 "[d]\r\ntype=DualGradientRect\r\nLeftColor=%DL%\r\nRightColor=%DR%\r\n"
                                 "IntLeftColor=%IL%\r\nIntRightColor=%IR%\r\n"
                                 "[w]\r\ntype=WebBrowser\r\nUrl=%URL%\r\n"
                                 "[i]\r\ntype=image\r\nFile=%FILE%\r\ntext=%TEXT%\r\n"
                                 "[s]\r\ntype=Shape\r\nFile=%SHAPE%\r\nExcludeColor=%EXCLUDE%\r\n"
                                 "[t]\r\ntype=TransparentImage\r\nbackcolor=%BACK%\r\n"
                                 "[k]\r\ntype=link\r\nTextColor=%TC%\r\nTextColorDisabled=%TD%\r\n"
                                 "TextColorDown=%DOWN%\r\nToolTip=%TIP%\r\nfont=%FONTNAME%\r\n"
                                 "[f]\r\ntype=FontBitmap\r\nFile=%FONT%\r\n"),
              0);
    auto hooked = [&](const char* value) {
        return std::find(owner.hooked.begin(), owner.hooked.end(), value) != owner.hooked.end();
    };
    for (const char* v : {"%LINE%", "%RECT%", "%GL%", "%GR%", "%DL%", "%DR%", "%IL%", "%IR%", "%URL%", "%FILE%",
                          "%TEXT%", "%SHAPE%", "%TC%", "%TD%", "%FONT%"})
        EXPECT_TRUE(hooked(v)) << v;
    for (const char* v : {"%PARAM%", "%ACTION%", "%LA%", "%EXCLUDE%", "%BACK%", "%DOWN%", "%TIP%", "%FONTNAME%"})
        EXPECT_FALSE(hooked(v)) << v;
    // The replaced texts are what the elements read.
    EXPECT_EQ(dynamic_cast<SkinFilledRect*>(skin.FindControl("r"))->FillColour(), MakeColour(0, 0, 255));
    auto* link = dynamic_cast<SkinLink*>(skin.FindControl("k"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->TextColour(), MakeColour(9, 9, 9));
    // "%DOWN%" reached the reader unreplaced: no number in it, so black.
    EXPECT_EQ(link->DownColour(), MakeColour(0, 0, 0));
}

}  // namespace
}  // namespace mrw
