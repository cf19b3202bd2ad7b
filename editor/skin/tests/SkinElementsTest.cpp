// Element arithmetic and drawing: slider, multistate, gradients, chrono,
// pictures cut out of their files, bitmap fonts, visibility and painting.
#include <gtest/gtest.h>

#include "editor/skin/Skin.h"
#include "editor/skin/tests/SkinTestSupport.h"

namespace mrw {
namespace {

using test::FixedTextRenderer;
using test::PixelAt;
using test::RecordingOwner;

class SkinElementsTest : public ::testing::Test {
protected:
    int Load(const std::string& text) {
        skin.AttachOwner(&owner);
        return test::LoadSkinText(skin, folder, "[General]\r\nsize=100,80\r\n" + text);
    }
    template <class T>
    T* Element(size_t i) {
        return dynamic_cast<T*>(skin.Controls().at(i).get());
    }
    RecordingOwner owner;
    FixedTextRenderer renderer;
    Skin skin{&renderer};
    test::TempFolder folder;
};

// A 60 x 20 picture: left half red, right half blue (24-bit BMP).
void WriteTwoColourBmp(const std::string& path) {
    DibImage image;
    image.Create(60, 20, 24);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) {
            uint8_t* p = image.Row(y) + x * 3;
            p[0] = x < 30 ? 0 : 255;
            p[1] = 0;
            p[2] = x < 30 ? 255 : 0;
        }
    image.Save(path, 1);
}

// An 8-bit glyph picture: `markers` glyphs of 3 columns, 4 rows of ink above the marker row.
void WriteBitmapFont(const std::string& path, int markers) {
    DibImage image;
    image.Create(markers * 3, 5, 8);
    image.SetGreyPalette();
    for (int y = 0; y < 4; ++y) std::fill_n(image.Row(y), markers * 3, uint8_t(0));
    uint8_t* bottom = image.Row(4);
    for (int x = 0; x < markers * 3; ++x) bottom[x] = (x % 3 == 0) ? 255 : 10;
    image.Save(path, 1);
}

TEST_F(SkinElementsTest, ImageDrawsItsWindowAtPos) {
    WriteTwoColourBmp(folder / "pic.bmp");
    ASSERT_EQ(Load("[img]\r\ntype=image\r\nFile=pic.bmp\r\nWindow=30,0,40,10\r\npos=5,6\r\n"
                   "[whole]\r\ntype=image\r\nFile=pic.bmp\r\npos=0,50\r\n"),
              0);
    EXPECT_EQ(skin.Controls()[0]->Rect(), (SkinRect{5, 6, 15, 16}));
    EXPECT_EQ(PixelAt(skin.Canvas(), 5, 6), MakeColour(0, 0, 255));
    EXPECT_EQ(PixelAt(skin.Canvas(), 14, 15), MakeColour(0, 0, 255));
    EXPECT_EQ(PixelAt(skin.Canvas(), 15, 16), MakeColour(255, 255, 255));
    EXPECT_EQ(PixelAt(skin.Canvas(), 4, 6), MakeColour(255, 255, 255));
    // Without a window the whole picture shows (clipped at the canvas edge).
    EXPECT_EQ(skin.Controls()[1]->Rect(), (SkinRect{0, 50, 60, 70}));
    EXPECT_EQ(PixelAt(skin.Canvas(), 0, 50), MakeColour(255, 0, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 59, 69), MakeColour(0, 0, 255));
}

TEST_F(SkinElementsTest, PictureAtAFullPathFromTheTextHook) {
    WriteTwoColourBmp(folder / "pic.bmp");
    // A folder placeholder resolves to a full path; the letter case of the name does not matter.
    owner.replacements = {{"%TEMPPATH%PIC.BMP", folder / "PIC.BMP"}};
    ASSERT_EQ(Load("[img]\r\ntype=image\r\nFile=%TEMPPATH%PIC.BMP\r\npos=0,0\r\n"), 0);
    EXPECT_EQ(skin.Controls()[0]->File(), folder / "PIC.BMP");
    EXPECT_EQ(PixelAt(skin.Canvas(), 0, 0), MakeColour(255, 0, 0));
}

TEST_F(SkinElementsTest, WindowOutsideThePictureDrawsNothing) {
    WriteTwoColourBmp(folder / "pic.bmp");
    ASSERT_EQ(Load("[img]\r\ntype=image\r\nFile=pic.bmp\r\nWindow=50,0,70,10\r\npos=0,0\r\n"
                   "[neg]\r\ntype=image\r\nFile=pic.bmp\r\nWindow=-5,0,5,10\r\npos=20,0\r\n"
                   "[btn]\r\ntype=button\r\nFile=pic.bmp\r\nSize=10,10\r\nUp=55,15\r\nDown=0,0\r\nPos=40,0\r\n"),
              0);
    EXPECT_TRUE(Element<SkinImage>(0)->Picture().IsEmpty());
    EXPECT_TRUE(Element<SkinImage>(1)->Picture().IsEmpty());
    for (int x = 0; x < 60; ++x) EXPECT_EQ(PixelAt(skin.Canvas(), x, 5), MakeColour(255, 255, 255)) << x;
    // The element still takes part in input: pressing shows the Down picture, which lies inside.
    skin.OnButtonDown(0, 45, 5);
    EXPECT_EQ(PixelAt(skin.Canvas(), 45, 5), MakeColour(255, 0, 0));
    skin.OnButtonUp(0, 45, 5);
    EXPECT_EQ(PixelAt(skin.Canvas(), 45, 5), MakeColour(255, 255, 255));
}

TEST_F(SkinElementsTest, TransparentImageBlendsOverBackColour) {
    test::WriteSolidBmp(folder / "w.bmp", 4, 4, MakeColour(255, 255, 255));
    ASSERT_EQ(Load("[t]\r\ntype=TransparentImage\r\nFile=w.bmp\r\npos=0,0\r\nTransparency=0\r\nbackcolor=0,0,255\r\n"
                   "[d]\r\ntype=TransparentImage\r\nFile=w.bmp\r\npos=10,0\r\n"),
              0);
    EXPECT_EQ(PixelAt(skin.Canvas(), 1, 1), MakeColour(0, 0, 255));
    // Defaults: alpha 128 over red.
    EXPECT_EQ(PixelAt(skin.Canvas(), 11, 1), MakeColour(255, 128, 128));
}

TEST_F(SkinElementsTest, ShapeGivesTheWindowRegion) {
    test::WriteSolidBmp(folder / "s.bmp", 8, 2, MakeColour(1, 2, 3));
    ASSERT_EQ(Load("[s]\r\ntype=Shape\r\nFile=s.bmp\r\npos=2,3\r\nExcludeColor=9,9,9\r\n"), 0);
    ASSERT_FALSE(skin.Shape().IsEmpty());
    EXPECT_TRUE(skin.Shape().Contains(2, 3));
    EXPECT_TRUE(skin.Shape().Contains(9, 4));
    EXPECT_FALSE(skin.Shape().Contains(1, 3));
    EXPECT_FALSE(skin.Shape().Contains(10, 3));
}

TEST_F(SkinElementsTest, SliderArithmetic) {
    WriteTwoColourBmp(folder / "pic.bmp");
    ASSERT_EQ(Load("[s]\r\ntype=slider\r\nFile=pic.bmp\r\nAction=300\r\nbackground=0,0,30,20\r\nSize=4,4\r\n"
                   "Cursor=30,0\r\npos=10,10\r\nstart=0,0\r\nEnd=0,16\r\n"),
              0);
    auto* s = Element<SkinSlider>(0);
    ASSERT_NE(s, nullptr);
    // Empty range: the cursor sits at the start and nothing divides by zero.
    EXPECT_EQ(s->CursorPosition().y, 0);
    EXPECT_EQ(s->Percentage(), 0);
    EXPECT_EQ(PixelAt(skin.Canvas(), 10, 10), MakeColour(0, 0, 255));
    EXPECT_EQ(s->ValueForPointer(30), 0);

    s->SetRange(0, 8);
    s->SetValue(4);
    EXPECT_EQ(s->CursorPosition().y, 8);
    EXPECT_EQ(s->Percentage(), 50);
    EXPECT_EQ(PixelAt(skin.Canvas(), 10, 18), MakeColour(0, 0, 255));
    EXPECT_EQ(PixelAt(skin.Canvas(), 10, 10), MakeColour(255, 0, 0));
    s->SetValue(99);
    EXPECT_EQ(s->GetValue(), 8);
    s->SetPercentage(30);
    EXPECT_EQ(s->GetValue(), 2);  // 8 * 30 / 100
    s->SetRange(10, 20);
    EXPECT_EQ(s->GetValue(), 10);
    EXPECT_EQ(s->LastReported(), 10);

    // Dragging: half a step is added before scaling. Travel 16 over a range of 8: step 2.
    s->SetRange(0, 8);
    owner.Clear();
    skin.OnButtonDown(0, 11, 11);  // on the cursor at (0, 0): grab offset 1
    skin.OnMouseMove(0, 11, 10 + 1 + 7);
    // y = 18 - 10 - 1 = 7, + 1 = 8 -> 8 * 8 / 16 = 4
    EXPECT_EQ(s->GetValue(), 4);
    skin.OnButtonUp(0, 11, 100);
    EXPECT_EQ(s->GetValue(), 8);
    EXPECT_EQ(s->LastReported(), 8);
    EXPECT_EQ(owner.Commands(), (std::vector<int>{300}));
    owner.Clear();
    s->Notify();
    EXPECT_TRUE(owner.Commands().empty());
    s->SetPercentage(0);
    s->Notify();
    EXPECT_EQ(owner.Commands(), (std::vector<int>{300}));
}

TEST_F(SkinElementsTest, MultistateStatesAndPercentages) {
    WriteTwoColourBmp(folder / "pic.bmp");
    ASSERT_EQ(Load("[gap]\r\ntype=multistate\r\nFile=pic.bmp\r\nSize=10,10\r\nPos=0,0\r\nstate0=0,0\r\nstate2=30,0\r\n"
                   "[m]\r\ntype=multistate\r\nFile=pic.bmp\r\nSize=10,10\r\nPos=20,0\r\n"
                   "state0=0,0\r\nstate1=30,0\r\nstate2=0,5\r\nstate3=55,0\r\nstate4=30,5\r\n"),
              0);
    // States stop at the first missing number.
    EXPECT_EQ(Element<SkinMultiState>(0)->StateCount(), 1);
    auto* m = Element<SkinMultiState>(1);
    ASSERT_EQ(m->StateCount(), 5);
    EXPECT_EQ(PixelAt(skin.Canvas(), 20, 0), MakeColour(255, 0, 0));
    m->SetState(1);
    EXPECT_EQ(PixelAt(skin.Canvas(), 20, 0), MakeColour(0, 0, 255));
    m->SetState(5);
    m->SetState(-1);
    EXPECT_EQ(m->State(), 1);
    // s = 100 / 4 = 25; state = (p + 12) / 25.
    m->SetPercentage(12);
    EXPECT_EQ(m->State(), 0);
    m->SetPercentage(13);
    EXPECT_EQ(m->State(), 1);
    m->SetPercentage(62);
    EXPECT_EQ(m->State(), 2);
    m->SetPercentage(100);
    EXPECT_EQ(m->State(), 4);
    EXPECT_EQ(m->Percentage(), 100);
    // State 3 lies outside the picture: it has no picture and state 0 shows instead.
    m->SetState(3);
    EXPECT_EQ(m->State(), 3);
    EXPECT_EQ(PixelAt(skin.Canvas(), 20, 0), MakeColour(255, 0, 0));
}

TEST(GradientBandsTest, BandsAndColours) {
    // Black to white over 300 columns: 255 bands, the last one ends at the right edge.
    auto bands = GradientBands(MakeColour(0, 0, 0), MakeColour(255, 255, 255), 10, 300);
    ASSERT_EQ(bands.size(), 255u);
    EXPECT_EQ(bands[0].left, 10);
    EXPECT_EQ(bands[0].right, 10 + 300 / 255);
    EXPECT_EQ(bands[0].colour, MakeColour(0, 0, 0));
    EXPECT_EQ(bands[254].right, 310);
    EXPECT_EQ(bands[254].colour, MakeColour(254, 254, 254));
    for (size_t i = 1; i < bands.size(); ++i) EXPECT_EQ(bands[i].left, bands[i - 1].right);

    // More colour steps than columns: one band per column.
    bands = GradientBands(MakeColour(0, 0, 0), MakeColour(200, 0, 0), 0, 4);
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_EQ(bands[1].colour, MakeColour(50, 0, 0));
    EXPECT_EQ(bands[3].colour, MakeColour(150, 0, 0));

    // Falling channels.
    bands = GradientBands(MakeColour(10, 0, 0), MakeColour(0, 3, 0), 0, 100);
    ASSERT_EQ(bands.size(), 10u);
    EXPECT_EQ(bands[1].colour, MakeColour(9, 0, 0));
    EXPECT_EQ(bands[4].colour, MakeColour(6, 1, 0));
    // A falling channel that moves less than one step a band goes down at the
    // first band already: 3 - 0.3 rounds down to 2.
    bands = GradientBands(MakeColour(0, 3, 0), MakeColour(10, 0, 0), 0, 100);
    ASSERT_EQ(bands.size(), 10u);
    EXPECT_EQ(bands[0].colour, MakeColour(0, 3, 0));
    EXPECT_EQ(bands[1].colour, MakeColour(1, 2, 0));
    EXPECT_EQ(bands[9].colour, MakeColour(9, 0, 0));

    // Equal colours: one band.
    bands = GradientBands(MakeColour(7, 7, 7), MakeColour(7, 7, 7), 0, 50);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0].right, 50);
    EXPECT_TRUE(GradientBands(0, 0, 0, 0).empty());
}

TEST_F(SkinElementsTest, GradientRectDrawsItsBands) {
    ASSERT_EQ(Load("[g]\r\ntype=GradientRect\r\nRect=0,0,4,2\r\nLeftColor=0,0,0\r\nRightColor=200,0,0\r\n"
                   "[d]\r\ntype=DualGradientRect\r\nRect=0,10,2,14\r\nLeftColor=0,0,0\r\nRightColor=0,0,0\r\n"
                   "IntLeftColor=0,100,0\r\nIntRightColor=0,100,0\r\n"),
              0);
    EXPECT_EQ(PixelAt(skin.Canvas(), 0, 1), MakeColour(0, 0, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 2, 1), MakeColour(100, 0, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 3, 0), MakeColour(150, 0, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 4, 0), MakeColour(255, 255, 255));
    EXPECT_EQ(PixelAt(skin.Canvas(), 1, 11), MakeColour(0, 0, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 1, 12), MakeColour(0, 100, 0));
}

TEST(ChronoFormatTest, Patterns) {
    EXPECT_EQ(FormatElapsed("%H:%M:%S", 3661), "01:01:01");
    // Hours within the day.
    EXPECT_EQ(FormatElapsed("%H:%M:%S", 90061), "01:01:01");
    EXPECT_EQ(FormatElapsed("%D days %H%%", 90061), "1 days 01%");
    EXPECT_EQ(FormatElapsed("%S%", 5), "05%");
    EXPECT_EQ(FormatElapsed("a%Xb", 5), "a%Xb");
}

TEST_F(SkinElementsTest, ChronoShowsElapsedTime) {
    ASSERT_EQ(Load("[c]\r\ntype=chrono\r\nWindow=0,0,100,20\r\n"), 0);
    auto* c = Element<SkinChrono>(0);
    ASSERT_NE(c, nullptr);
    c->Tick(50);  // not started: nothing changes
    EXPECT_EQ(c->Text(), "");
    c->Start(1000);
    EXPECT_EQ(c->Text(), "00:00:00");
    c->Tick(1000 + 3661);
    EXPECT_EQ(c->Text(), "01:01:01");
    EXPECT_EQ(c->Extent().width, 8 * FixedTextRenderer::kGlyphWidth);
}

TEST_F(SkinElementsTest, TextKeysAndTextHook) {
    owner.replacements = {{"%COLOUR%", "0,128,0"}, {"%LABEL%", "Hi"}};
    ASSERT_EQ(Load("[t]\r\ntype=text\r\ntext=%LABEL%\r\nTextColor=%COLOUR%\r\nWindow=0,0,50,20\r\n"
                   "Format=WORDBREAK|CENTER\r\nfont=Missing\r\nParam=%LABEL%\r\n"),
              0);
    auto* t = Element<SkinText>(0);
    EXPECT_EQ(t->Text(), "Hi");
    EXPECT_EQ(t->Param(), "%LABEL%");  // not passed through the hook
    EXPECT_EQ(t->TextColour(), MakeColour(0, 128, 0));
    EXPECT_EQ(t->BigFontName(), "Missing");
    EXPECT_EQ(t->DisabledFontName(), "DisabledFont");
    // Centred: 50 - 12 = 38, so the text starts at column 19, in the text colour.
    EXPECT_EQ(PixelAt(skin.Canvas(), 18, 5), MakeColour(255, 255, 255));
    EXPECT_EQ(PixelAt(skin.Canvas(), 19, 5), MakeColour(0, 128, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 30, 5), MakeColour(0, 128, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 31, 5), MakeColour(255, 255, 255));
    // Disabled: the disabled colour.
    t->SetEnabled(false);
    EXPECT_EQ(PixelAt(skin.Canvas(), 19, 5), MakeColour(128, 128, 128));
}

TEST_F(SkinElementsTest, FontDeclaredAfterTheTextIsUsed) {
    WriteBitmapFont(folder / "font.bmp", 3);
    ASSERT_EQ(Load("[t]\r\ntype=text\r\ntext=!!!!\r\nWindow=0,0,50,10\r\nfont=late\r\n"
                   "[late]\r\ntype=FontBitmap\r\nFile=font.bmp\r\n"),
              0);
    // Four glyphs of 3 columns from the bitmap font, not the 6-column standard font.
    EXPECT_EQ(Element<SkinText>(0)->Extent().width, 12);
    EXPECT_EQ(Element<SkinText>(0)->Extent().height, 4);
}

TEST_F(SkinElementsTest, TextWithoutWordBreakBreaksByCharacters) {
    ASSERT_EQ(Load("[t]\r\ntype=text\r\ntext=abcdefgh\r\nWindow=0,0,20,40\r\nFormat=CENTER\r\n"), 0);
    auto* t = Element<SkinText>(0);
    // Three glyphs fit in 20 columns: three lines, drawn at the left edge.
    EXPECT_EQ(t->Extent().height, 30);
    EXPECT_EQ(t->Extent().width, 18);
    EXPECT_EQ(PixelAt(skin.Canvas(), 0, 25), MakeColour(0, 0, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 12, 25), MakeColour(255, 255, 255));
}

TEST_F(SkinElementsTest, EditInsertsAndDeletes) {
    ASSERT_EQ(Load("[e]\r\ntype=edit\r\ntext=ab\r\nWindow=0,0,24,10\r\nFormat=WORDBREAK\r\nstyle=3\r\n"), 0);
    auto* e = Element<SkinEdit>(0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Style(), 3);
    EXPECT_EQ(e->InsertionPoint(), 2u);
    EXPECT_TRUE(e->InsertCharacter('c'));
    EXPECT_TRUE(e->InsertCharacter('d'));
    EXPECT_EQ(e->Text(), "abcd");
    // A fifth glyph would need a second line, which the window has no room for.
    EXPECT_FALSE(e->InsertCharacter('e'));
    EXPECT_EQ(e->Text(), "abcd");
    e->DeleteCharacter();
    EXPECT_EQ(e->Text(), "abc");
    EXPECT_EQ(e->InsertionPoint(), 3u);
    e->SetText("");
    e->DeleteCharacter();
    EXPECT_EQ(e->Text(), "");
}

TEST_F(SkinElementsTest, VisibilityByNameAndGroup) {
    ASSERT_EQ(Load("[r1]\r\ntype=Rect\r\nRect=0,0,10,10\r\nColor=255,0,0\r\nGroup=2\r\n"
                   "[r2]\r\ntype=Rect\r\nRect=20,0,30,10\r\nColor=0,255,0\r\nGroup=2\r\nshow=0\r\n"
                   "[r3]\r\ntype=Rect\r\nRect=40,0,50,10\r\nColor=0,0,255\r\n"
                   "[web]\r\ntype=WebBrowser\r\nRect=0,20,100,60\r\nUrl=about:blank\r\n"),
              0);
    EXPECT_EQ(PixelAt(skin.Canvas(), 5, 5), MakeColour(255, 0, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 25, 5), MakeColour(255, 255, 255));
    skin.SetGroupVisible(2, true);
    EXPECT_EQ(PixelAt(skin.Canvas(), 25, 5), MakeColour(0, 255, 0));
    owner.invalidated.clear();
    skin.SetVisibleByName("r3", false);
    EXPECT_EQ(PixelAt(skin.Canvas(), 45, 5), MakeColour(255, 255, 255));
    ASSERT_EQ(owner.invalidated.size(), 1u);
    EXPECT_EQ(owner.invalidated[0], (SkinRect{40, 0, 50, 10}));
    skin.SetVisibleByName("nobody", false);
    skin.SetValueByName("nobody", 3);
    // The page area: 240 wide, min(value, 294 - top) high.
    skin.SetValueByName("WEB", 500);
    auto* web = Element<SkinWebBrowser>(3);
    EXPECT_EQ(web->Rect().bottom, 294);
    EXPECT_EQ(web->BrowserWidth(), 240);
    skin.SetValueByName("web", 30);
    EXPECT_EQ(web->Rect().bottom, 50);
}

TEST_F(SkinElementsTest, PaintMakesThe4096ColourCopy) {
    ASSERT_EQ(Load("[r]\r\ntype=Rect\r\nRect=0,0,100,80\r\nColor=100,150,200\r\n"), 0);
    EXPECT_TRUE(skin.Dirty());
    const DibImage& shown = skin.Paint();
    EXPECT_FALSE(skin.Dirty());
    ASSERT_EQ(shown.Width(), 100);
    ASSERT_EQ(shown.Height(), 80);
    for (int y = 0; y < 80; y += 7)
        for (int x = 0; x < 100; x += 9) {
            const Colour c = PixelAt(shown, x, y);
            EXPECT_EQ(RedOf(c) % 17, 0);
            EXPECT_EQ(GreenOf(c) % 17, 0);
            EXPECT_EQ(BlueOf(c) % 17, 0);
        }
    // The copy averages out to the canvas colour.
    long sum = 0;
    for (int x = 0; x < 100; ++x) sum += RedOf(PixelAt(shown, x, 40));
    EXPECT_NEAR(sum / 100.0, 100.0, 4.0);
}

TEST_F(SkinElementsTest, MissingFileGivesAnEmptySkin) {
    EXPECT_EQ(skin.Load(folder.path(), "absent.inf"), 0);
    EXPECT_TRUE(skin.Controls().empty());
    EXPECT_TRUE(skin.Canvas().IsEmpty());
    EXPECT_TRUE(skin.Paint().IsEmpty());
}

TEST_F(SkinElementsTest, BitmapFontGlyphLayout) {
    WriteBitmapFont(folder / "font.bmp", 3);
    WriteBitmapFont(folder / "huge.bmp", 226);
    ASSERT_EQ(Load("[small]\r\ntype=FontBitmap\r\nFile=font.bmp\r\n"
                   "[toomany]\r\ntype=FontBitmap\r\nFile=huge.bmp\r\n"
                   "[t]\r\ntype=text\r\ntext=!\"#\r\nWindow=0,0,50,10\r\nfont=small\r\n"
                   "[u]\r\ntype=text\r\ntext=!\r\nWindow=0,20,50,30\r\nfont=TOOMANY\r\n"),
              0);
    ASSERT_EQ(skin.Fonts().size(), 2u);
    auto* small = dynamic_cast<const SkinBitmapFont*>(&skin.FindFont("SMALL"));
    ASSERT_NE(small, nullptr);
    ASSERT_EQ(small->Glyphs().size(), 3u);
    EXPECT_EQ(small->Glyphs()[1].x, 3);
    EXPECT_EQ(small->Glyphs()[1].width, 3);
    EXPECT_EQ(small->LineHeight(), 4);
    // Code 32 (space) is glyph 0; "!" is glyph 1, '"' glyph 2, '#' has none.
    EXPECT_EQ(small->Width("!\"#"), 6);
    EXPECT_EQ(PixelAt(skin.Canvas(), 0, 0), MakeColour(0, 0, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 5, 3), MakeColour(0, 0, 0));
    EXPECT_EQ(PixelAt(skin.Canvas(), 6, 0), MakeColour(255, 255, 255));
    EXPECT_EQ(PixelAt(skin.Canvas(), 0, 4), MakeColour(255, 255, 255));
    // More markers than glyph codes: refused, the text draws nothing.
    EXPECT_FALSE(skin.FindFont("toomany").IsUsable());
    for (int x = 0; x < 50; ++x) EXPECT_EQ(PixelAt(skin.Canvas(), x, 22), MakeColour(255, 255, 255));
    EXPECT_EQ(dynamic_cast<SkinText*>(skin.Controls()[1].get())->Extent().width, 0);
}

TEST_F(SkinElementsTest, HostileValuesStayBounded) {
    WriteTwoColourBmp(folder / "pic.bmp");
    ASSERT_EQ(Load("[b]\r\ntype=button\r\nFile=pic.bmp\r\nSize=2000000000,2000000000\r\nUp=-1,-1\r\nPos=-5,-5\r\n"
                   "[t]\r\ntype=text\r\ntext=x\r\nWindow=-100000,-100000,100000,100000\r\n"
                   "[l]\r\ntype=Line\r\nStart=-2000000000,0\r\nEnd=2000000000,5\r\nWidth=100000\r\n"
                   "[s]\r\ntype=slider\r\nFile=pic.bmp\r\nbackground=0,0,60,20\r\nSize=5,5\r\nCursor=0,0\r\n"
                   "start=0,0\r\nEnd=2000000000,2000000000\r\n"
                   "[g]\r\ntype=GradientRect\r\nRect=-2000000000,0,2000000000,10\r\n"),
              0);
    auto* s = Element<SkinSlider>(3);
    s->SetRange(-2000000000, 2000000000);
    s->SetValue(1999999999);
    s->SetPercentage(100);
    skin.OnButtonDown(0, 1, 1);
    skin.OnMouseMove(0, 1, 2000000);
    skin.OnButtonUp(0, 1, -2000000);
    skin.Redraw();
    SUCCEED();
}

TEST_F(SkinElementsTest, ReloadingDropsThePreviousElements) {
    ASSERT_EQ(Load("[a]\r\ntype=Rect\r\nRect=0,0,1,1\r\n[f]\r\ntype=Font\r\nBold=1\r\n"), 0);
    EXPECT_EQ(skin.Controls().size(), 1u);
    EXPECT_EQ(skin.Fonts().size(), 1u);
    ASSERT_EQ(test::LoadSkinText(skin, folder, "[x]\r\ntype=unknown\r\n[General]\r\ntype=image\r\n", "b.inf"), 0);
    // "General" with a type is an element like any other; unknown types are skipped.
    EXPECT_EQ(skin.Controls().size(), 1u);
    EXPECT_TRUE(skin.Fonts().empty());
    EXPECT_TRUE(skin.Bounds().IsEmpty());
}

}  // namespace
}  // namespace mrw
