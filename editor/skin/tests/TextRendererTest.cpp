// The platform text renderer (FreeType natively, GDI on Windows) through the skin fonts.
#include <gtest/gtest.h>

#include <vector>

#include "editor/skin/Skin.h"
#include "editor/skin/SkinFont.h"
#include "editor/skin/tests/SkinTestSupport.h"
#include "platform/TextRenderer.h"

namespace mrw {
namespace {

std::unique_ptr<SkinPlatformFont> OpenOrSkip(const FontSpec& spec) {
    auto font = std::make_unique<SkinPlatformFont>("f", spec, PlatformTextRenderer());
    return font;
}

TEST(TextRendererTest, MeasuresAndDrawsInk) {
    FontSpec spec;
    spec.height = FontHeightForTenths(85, PlatformTextRenderer().PixelsPerInchY());
    auto font = OpenOrSkip(spec);
    if (!font->IsUsable()) GTEST_SKIP() << font->Error();
    EXPECT_EQ(spec.height, -11);
    EXPECT_GE(font->LineHeight(), 11);
    EXPECT_LE(font->LineHeight(), 16);
    const int w = font->Width("Today");
    EXPECT_GT(w, 20);
    EXPECT_LT(w, 50);
    std::vector<int> ends;
    font->PartialWidths("Today", ends);
    ASSERT_EQ(ends.size(), 5u);
    EXPECT_EQ(ends.back(), w);
    for (size_t i = 1; i < ends.size(); ++i) EXPECT_GE(ends[i], ends[i - 1]);

    std::vector<uint8_t> ink(60 * 20, 0);
    CoverageMask mask{ink.data(), 60, 20, 60};
    font->DrawLine("Today", 2, 2, mask);
    int inked = 0, full = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint8_t v = ink[size_t(y) * 60 + size_t(x)];
            if (v) ++inked;
            if (v > 200) ++full;
            // Nothing well left of the start column or well below the line.
            if (x < 1 || y >= 2 + font->LineHeight() + 2) {
                EXPECT_EQ(v, 0) << x << "," << y;
            }
        }
    EXPECT_GT(inked, 20);
    EXPECT_GT(full, 5);

    // Drawing partly outside the mask never writes beyond it.
    std::vector<uint8_t> small(4 * 4 + 8, 0x5A);
    CoverageMask tiny{small.data(), 4, 4, 4};
    font->DrawLine("WWWW", -3, -5, tiny);
    for (size_t i = 16; i < small.size(); ++i) EXPECT_EQ(small[i], 0x5A);
}

TEST(TextRendererTest, BoldIsWiderAndBigFontTaller) {
    FontSpec regular;
    regular.height = -11;
    FontSpec bold = regular;
    bold.bold = true;
    FontSpec big = regular;
    big.height = FontHeightForTenths(170, 96);
    auto r = OpenOrSkip(regular), b = OpenOrSkip(bold), g = OpenOrSkip(big);
    if (!r->IsUsable() || !b->IsUsable() || !g->IsUsable()) GTEST_SKIP() << r->Error();
    EXPECT_GT(b->Width("Messages"), r->Width("Messages"));
    EXPECT_GT(g->LineHeight(), r->LineHeight() + 5);
}

TEST(TextRendererTest, SkinTextWithThePlatformFont) {
    test::TempFolder folder;
    Skin skin;
    if (!skin.StandardFont().IsUsable()) GTEST_SKIP() << skin.FontError();
    EXPECT_EQ(skin.FontError(), "");
    ASSERT_EQ(test::LoadSkinText(skin, folder,
                                 "[General]\r\nsize=120,40\r\n[t]\r\ntype=text\r\ntext=Start\r\n"
                                 "Window=0,0,120,40\r\nTextColor=0,0,255\r\nFormat=SINGLELINE|WORDBREAK\r\n"
                                 "[f]\r\ntype=FontGDI\r\nfont size=9\r\nBold=1\r\n"),
              0);
    auto* text = dynamic_cast<SkinText*>(skin.Controls()[0].get());
    ASSERT_NE(text, nullptr);
    EXPECT_GT(text->Extent().width, 15);
    EXPECT_GT(text->Extent().height, 8);
    // Some pixel inside the extent is blue ink.
    bool blue = false;
    for (int y = 0; y < text->Extent().height; ++y)
        for (int x = 0; x < text->Extent().width; ++x) {
            const Colour c = test::PixelAt(skin.Canvas(), x, y);
            if (BlueOf(c) > 200 && RedOf(c) < 60) blue = true;
        }
    EXPECT_TRUE(blue);
    EXPECT_TRUE(skin.FindFont("F").IsUsable());
}

}  // namespace
}  // namespace mrw

namespace mrw {
namespace {

class NoFontRenderer : public TextRenderer {
public:
    std::unique_ptr<TextFont> OpenFont(const FontSpec&, std::string* error) override {
        if (error) *error = "no font here";
        return nullptr;
    }
};

TEST(TextRendererTest, MissingFontIsReportedAndTextsDrawNothing) {
    NoFontRenderer renderer;
    test::TempFolder folder;
    Skin skin(&renderer);
    EXPECT_EQ(skin.FontError(), "no font here");
    ASSERT_EQ(test::LoadSkinText(skin, folder,
                                 "[General]\r\nsize=40,20\r\n[t]\r\ntype=text\r\ntext=abc\r\nWindow=0,0,40,20\r\n"),
              0);
    auto* text = dynamic_cast<SkinText*>(skin.Controls()[0].get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Extent().width, 0);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(test::PixelAt(skin.Canvas(), x, 10), MakeColour(255, 255, 255));
}

}  // namespace
}  // namespace mrw
