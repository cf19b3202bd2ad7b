// The template set as data (every placeholder and every editable colour is
// used, clickable areas carry the names the editor understands) and the
// composed preview pictures, checked against recorded checksums.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>

#include "editor/document/ColourTable.h"
#include "editor/document/ThemeDocument.h"
#include "editor/imaging/PngWriter.h"
#include "editor/packages/preview/PreviewComposer.h"
#include "editor/packages/preview/PreviewControls.h"
#include "editor/packages/preview/tests/PreviewTestSupport.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

std::string Template(const std::string& name) { return test::ReadText(test::TemplateFolder() + name); }

std::string StyleSet(bool style2003) {
    const char* s = style2003 ? "2003" : "";
    return Template(std::string("SkinToday") + s + ".inf") + Template(std::string("SkinAnimated") + s + ".inf") +
           Template(std::string("TodayMenu") + s + ".inf") + Template(std::string("NormalBubble") + s + ".inf") +
           Template(std::string("CriticalBubble") + s + ".inf");
}

TEST(TemplateSet, EveryPlaceholderIsUsed) {
    const std::string all = StyleSet(false) + StyleSet(true) + Template("facelift.inf");
    for (const char* p : {"%START%", "%OWNERINFO%", "%INBOXINFO%", "%CALENDARINFO%", "%TASKINFO%", "%ANIMATION%",
                          "%NEW%", "%DATE%", "%CALENDAR%", "%CALENDARMSG%", "%SHORTDATE%", "%TDYWATER%",
                          "%TEMPPATH%", "%IDS_TODAY%", "%IDS_ACTIVESYNC%", "%IDS_CALENDAR%", "%IDS_CONTACTS%",
                          "%IDS_INBOX%", "%IDS_INTERNETEXPLORER%", "%IDS_NOTES%", "%IDS_TASKS%",
                          "%IDS_GPRSMANAGER%", "%IDS_POCKETPHONETOOLS%", "%IDS_PROGRAMS%", "%IDS_SETTINGS%",
                          "%IDS_FIND%", "%IDS_HELP%", "%CRITICALTITLE%", "%CRITICALMESSAGE%", "%NORMALTITLE%"})
        EXPECT_NE(all.find(p), std::string::npos) << p;
}

// Each style draws every colour the user can edit for it and lets a click select it.
TEST(TemplateSet, EveryEditableColourIsDrawnAndSelectable) {
    for (bool style2003 : {false, true}) {
        const std::string set = StyleSet(style2003);
        for (const ColourTableRow& row : kColourTable) {
            if (row.colourGroup == 1 && !style2003) continue;
            const std::string index = std::to_string(row.index);
            EXPECT_NE(set.find("Color," + index + "%"), std::string::npos) << style2003 << " colour " << index;
            const std::regex selectable("(\\[|=)CE_COLOR_" + index + "(\\]|\\r)");
            EXPECT_TRUE(std::regex_search(set, selectable)) << style2003 << " CE_COLOR_" << index;
        }
        for (const char* name : {"IMAGE_TODAY", "IMAGE_MENU", "ANIMATION", "SWITCH_MENU", "SWITCH_NORMAL",
                                 "SWITCH_CRITICAL", "SWITCH_CALENDAR", "SWITCH_TODAY", "HTML browser",
                                 "Notification bar", "Notification background", "Notification Hilight",
                                 "Battery icon", "Message icon"})
            EXPECT_NE(set.find(name), std::string::npos) << style2003 << " " << name;
    }
}

// ---------------------------------------------------------------- pictures

uint64_t Checksum(const DibImage& image) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.Row(y);
        for (int i = 0; i < image.Width() * 3; ++i) h = (h ^ row[i]) * 1099511628211ull;
    }
    return h;
}

class PreviewPicture : public ::testing::Test {
protected:
    void SetUp() override {
        // The default theme of the program folder, exported beside the templates.
        for (const char* name : {"Default.THM", "DefaultTDY000.gif", "DefaultSTA000.gif"})
            ASSERT_TRUE(files::Copy(test::TemplateFolder() + name, library / name, false)) << name;
        theme = ThemeDocument::OpenHeader(library / "Default.THM");
        theme->LoadProject();
        ASSERT_TRUE(theme->ExportFiles(work.path()));
        CopySkinTemplates(test::TemplateFolder(), work.path());
    }

    // The picture of `style` with the child of `action` shown (none when null).
    uint64_t Compose(int style, const char* action, const char* saveAs) {
        PreviewWindow window;
        TodayScreenPreview preview(&window, style, &renderer);
        window.SetTarget(&preview);
        EXPECT_TRUE(preview.ShowTheme(theme.get(), work.path()));
        if (action) preview.OnSkinAction(action);
        DibImage picture;
        EXPECT_EQ(ComposePreview(preview, &window, theme->animationBkColour, picture), 0);
        EXPECT_EQ(picture.Width(), 240);
        EXPECT_EQ(picture.Height(), 320);
        // MRW_KEEP_PREVIEWS=folder keeps the pictures for a look when the sums change.
        if (const char* keep = std::getenv("MRW_KEEP_PREVIEWS")) SavePng(picture, std::string(keep) + "/" + saveAs);
        last = std::move(picture);
        return Checksum(last);
    }

    // The pixel at (x, y) as 0xRRGGBB.
    uint32_t At(int x, int y) const {
        const uint8_t* p = last.Row(y) + size_t(x) * 3;
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }

    test::TempFolder library, work;
    test::BlockRenderer renderer;
    std::unique_ptr<ThemeDocument> theme;
    DibImage last;
};

// The recorded sums change on purpose when the templates or their pictures
// change: run with MRW_KEEP_PREVIEWS=<folder>, look at the pictures, then
// record the new values the failures print.
std::string Hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llxull", (unsigned long long)v);
    return text;
}

TEST_F(PreviewPicture, PocketPc2002MatchesItsRecordedPictures) {
    EXPECT_EQ(Hex(Compose(0, nullptr, "2002-today.png")), "0x09b2a9e6f5066272ull");
    EXPECT_EQ(Hex(Compose(0, "SWITCH_MENU", "2002-menu.png")), "0x794fec724acef1bbull");
    EXPECT_EQ(Hex(Compose(0, "SWITCH_CRITICAL", "2002-critical.png")), "0x4c8dac1ac8cb2353ull");
}

TEST_F(PreviewPicture, PocketPc2003MatchesItsRecordedPictures) {
    EXPECT_EQ(Hex(Compose(1, nullptr, "2003-today.png")), "0xb0ea4abad06f8073ull");
    EXPECT_EQ(Hex(Compose(1, "SWITCH_NORMAL", "2003-normal.png")), "0xca87c70871c96af6ull");
    EXPECT_EQ(Hex(Compose(1, "SWITCH_CALENDAR", "2003-calendar.png")), "0x95a077903a39c48full");
}

// Pixels as a handheld of 4,096 colours shows them: every channel a multiple of 17.
TEST_F(PreviewPicture, ColoursAreThoseOfTheHandheldScreen) {
    Compose(0, "SWITCH_MENU", "levels.png");
    for (int y = 0; y < 320; y += 7)
        for (int x = 0; x < 240; x += 5) {
            const uint32_t c = At(x, y);
            ASSERT_EQ((c >> 16) % 17, 0u);
            ASSERT_EQ(((c >> 8) & 0xFF) % 17, 0u);
            ASSERT_EQ((c & 0xFF) % 17, 0u);
        }
}

TEST_F(PreviewPicture, ThemeColoursLandWhereTheyBelong) {
    // Navigation bar (8) and command bar (7) of the 2002 screen; the title
    // gradient (36 left, 37 right) of the 2003 screen.
    const uint8_t red[] = {255, 0, 0, 0}, green[] = {0, 255, 0, 0}, blue[] = {0, 0, 255, 0};
    theme->FindColour(8)->data.assign(red, red + 4);
    theme->FindColour(7)->data.assign(green, green + 4);
    theme->FindColour(36)->data.assign(blue, blue + 4);
    theme->FindColour(37)->data.assign(green, green + 4);
    Compose(0, nullptr, "colours-2002.png");
    EXPECT_EQ(At(110, 2), 0xFF0000u);
    EXPECT_EQ(At(100, 318), 0x00FF00u);
    Compose(1, nullptr, "colours-2003.png");
    EXPECT_EQ(At(0, 2), 0x0000FFu);
    EXPECT_EQ(At(239, 2), 0x00FF00u);
    // The Start-menu background (38) shows in the menu's strip of recent
    // programs, above the theme's picture.
    theme->FindColour(38)->data.assign(red, red + 4);
    Compose(1, "SWITCH_MENU", "colours-2003-menu.png");
    EXPECT_EQ(At(2, TodayScreenPreview::kMenuRect.top + 1), 0xFF0000u);
    EXPECT_NE(At(70, TodayScreenPreview::kMenuRect.top + 150), 0xFF0000u);
}

// A text aligns and shortens its line only when laid out word by word, so
// every format that asks for either carries WORDBREAK.
TEST(TemplateSet, AlignedTextsAreLaidOutWordByWord) {
    const std::string all = StyleSet(false) + StyleSet(true) + Template("facelift.inf");
    const std::regex format("Format=([^\r\n]*)"), aligning("CENTER|RIGHT|BOTTOM|ELLIPSIS");
    size_t checked = 0;
    for (std::sregex_iterator it(all.begin(), all.end(), format), end; it != end; ++it) {
        const std::string flags = (*it)[1];
        if (std::regex_search(flags, aligning)) {
            EXPECT_NE(flags.find("WORDBREAK"), std::string::npos) << flags;
            ++checked;
        }
    }
    EXPECT_GT(checked, 10u);
}

TEST_F(PreviewPicture, AlertBubbleShowsOnlyInsideItsShape) {
    Compose(0, nullptr, "plain.png");
    DibImage plain = std::move(last);
    Compose(0, "SWITCH_CRITICAL", "critical.png");
    // The corner of the bubble's rectangle lies outside its rounded shape:
    // the Today screen shows through there; inside, the bubble covers it.
    const SkinRect r = TodayScreenPreview::kCriticalRect;
    auto same = [&](int x, int y) {
        return std::equal(plain.Row(y) + x * 3, plain.Row(y) + x * 3 + 3, last.Row(y) + x * 3);
    };
    EXPECT_TRUE(same(r.left, r.bottom - 1));
    EXPECT_TRUE(same(r.left + 1, r.top + 1));
    EXPECT_FALSE(same(r.left + 30, r.top + 60) && same(r.left + 31, r.top + 61) && same(r.left + 60, r.top + 70));
}

}  // namespace
}  // namespace mrw

namespace mrw {
namespace {

TEST(PreviewBackground, HiddenPreviewShowsTheCrossHatch) {
    PreviewWindow window;
    test::BlockRenderer renderer;
    TodayScreenPreview preview(&window, 0, &renderer);
    DibImage picture;
    ASSERT_EQ(ComposePreview(preview, &window, 0xFFFFFF, picture), 0);
    auto grey = [&](int x, int y) { return picture.Row(y)[x * 3]; };
    EXPECT_EQ(grey(0, 0), 0);
    EXPECT_EQ(grey(7, 0), 0);
    EXPECT_EQ(grey(3, 4), 0);
    EXPECT_EQ(grey(1, 0), 255);
    EXPECT_EQ(grey(4, 1), 255);
}

}  // namespace
}  // namespace mrw
