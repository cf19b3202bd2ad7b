// Placeholder resolution of the three preview controls, the click table of
// the Today screen and the messages the preview sends its page.
#include <gtest/gtest.h>

#include "editor/document/ThemeDocument.h"
#include "editor/packages/preview/PreviewControls.h"
#include "editor/packages/preview/tests/PreviewTestSupport.h"
#include "platform/Files.h"
#include "platform/ResourceText.h"
#include "platform/Settings.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

const char kColourKey[] = "HKLM,Software\\Microsoft\\Color";

void AddColour(ThemeDocument& theme, const char* index, std::vector<uint8_t> bytes) {
    theme.AddRegistryEntry(kColourKey, index, 1, bytes.data(), bytes.size());
}

// A theme with colour 8 = 10,20,30, colour 9 with three bytes and colour 10 with two.
std::unique_ptr<ThemeDocument> ColouredTheme() {
    auto theme = std::make_unique<ThemeDocument>();
    AddColour(*theme, "8", {10, 20, 30, 0});
    AddColour(*theme, "9", {1, 2, 3});
    AddColour(*theme, "10", {7, 7});
    return theme;
}

const char kFolder[] = "/skins/work/";

// ---------------------------------------------------------------- colour placeholder

TEST(ColourPlaceholder, PrefixInAnyCaseAndIndexUpToThePercentSign) {
    std::string index;
    ASSERT_TRUE(ParseColourPlaceholder("%hklm,Software\\Microsoft\\Color,12%", index));
    EXPECT_EQ(index, "12");
    ASSERT_TRUE(ParseColourPlaceholder("%HKLM,SOFTWARE\\MICROSOFT\\COLOR|36%rest", index));
    EXPECT_EQ(index, "36");
    // No closing percent sign: an empty index.
    ASSERT_TRUE(ParseColourPlaceholder("%HKLM,SOFTWARE\\MICROSOFT\\COLOR,12", index));
    EXPECT_EQ(index, "");
    ASSERT_TRUE(ParseColourPlaceholder("%HKLM,SOFTWARE\\MICROSOFT\\COLOR", index));
    EXPECT_EQ(index, "");
    EXPECT_FALSE(ParseColourPlaceholder("%HKLM,SOFTWARE\\MICROSOFT\\COLO", index));
    EXPECT_FALSE(ParseColourPlaceholder("HKLM,SOFTWARE\\MICROSOFT\\COLOR,12%", index));
}

// ---------------------------------------------------------------- Today screen

class ScreenResolve : public ::testing::Test {
protected:
    void SetUp() override {
        theme = ColouredTheme();
        preview.LoadTemplate(theme.get(), kFolder, "missing.inf");
    }
    std::string Resolve(std::string value) {
        preview.ResolveText(value);
        return value;
    }
    std::unique_ptr<ThemeDocument> theme;
    PreviewWindow window;
    TodayScreenPreview preview{&window, 0};
};

TEST_F(ScreenResolve, TablePlaceholdersInAnyCaseBecomeTheirStrings) {
    const std::pair<const char*, int> table[] = {
        {"%START%", 147}, {"%OWNERINFO%", 149}, {"%INBOXINFO%", 170}, {"%CALENDARINFO%", 150},
        {"%TASKINFO%", 174}, {"%ANIMATION%", 152}, {"%NEW%", 159}, {"%DATE%", 153},
        {"%CALENDAR%", 166}, {"%CALENDARMSG%", 228}, {"%SHORTDATE%", 229}};
    for (const auto& [text, id] : table) {
        ASSERT_FALSE(LoadResourceString(id).empty()) << id;
        EXPECT_EQ(Resolve(text), LoadResourceString(id)) << text;
    }
    EXPECT_EQ(Resolve("%start%"), LoadResourceString(147));
    EXPECT_EQ(Resolve("%IDS_TODAY%"), "%IDS_TODAY%");  // a menu placeholder stays
}

TEST_F(ScreenResolve, TodayPictureAndFolderPlaceholder) {
    EXPECT_EQ(Resolve("%tdywater%"), std::string(kFolder) + "tdywater.gif");
    EXPECT_EQ(Resolve("%TEMPPATH%vx5n.htm"), std::string(kFolder) + "vx5n.htm");
    EXPECT_EQ(Resolve("a%TEMPPATH%b%TEMPPATH%"), std::string("a") + kFolder + "b" + kFolder);
    // Only the upper-case form, and other text keeps its case.
    EXPECT_EQ(Resolve("%temppath%Pic.png"), "%temppath%Pic.png");
    EXPECT_EQ(Resolve("Mixed Case"), "Mixed Case");
}

TEST_F(ScreenResolve, ColoursFromTheThemeOnly) {
    EXPECT_EQ(Resolve("%HKLM,Software\\Microsoft\\Color,8%"), "10,20,30");
    EXPECT_EQ(Resolve("%HKLM,Software\\Microsoft\\Color,9%"), "1,2,3");
    // Too short, missing, or without its closing sign: the value stays.
    EXPECT_EQ(Resolve("%HKLM,Software\\Microsoft\\Color,10%"), "%HKLM,Software\\Microsoft\\Color,10%");
    EXPECT_EQ(Resolve("%HKLM,Software\\Microsoft\\Color,4%"), "%HKLM,Software\\Microsoft\\Color,4%");
    EXPECT_EQ(Resolve("%HKLM,Software\\Microsoft\\Color,8"), "%HKLM,Software\\Microsoft\\Color,8");
}

// ---------------------------------------------------------------- Start menu

TEST(MenuResolve, UpperCasesEverythingItDoesNotReplace) {
    auto theme = ColouredTheme();
    TodayMenuPreview menu;
    menu.LoadTemplate(theme.get(), kFolder, "missing.inf");
    auto resolve = [&](std::string v) {
        menu.ResolveText(v);
        return v;
    };
    EXPECT_EQ(resolve("%temppath%tdywater.gif"), std::string(kFolder) + "TDYWATER.GIF");
    EXPECT_EQ(resolve("plain words"), "PLAIN WORDS");
    EXPECT_EQ(resolve("%hklm,software\\microsoft\\color,8%"), "10,20,30");
    EXPECT_EQ(resolve("%HKLM,Software\\Microsoft\\Color,4%"), "%HKLM,SOFTWARE\\MICROSOFT\\COLOR,4%");
    const std::pair<const char*, int> table[] = {
        {"%IDS_TODAY%", 164}, {"%IDS_ACTIVESYNC%", 165}, {"%IDS_CALENDAR%", 166}, {"%IDS_CONTACTS%", 167},
        {"%IDS_INBOX%", 181}, {"%IDS_INTERNETEXPLORER%", 172}, {"%IDS_NOTES%", 173}, {"%IDS_TASKS%", 182},
        {"%IDS_GPRSMANAGER%", 201}, {"%IDS_POCKETPHONETOOLS%", 200}, {"%IDS_PROGRAMS%", 175},
        {"%IDS_SETTINGS%", 176}, {"%IDS_FIND%", 177}, {"%IDS_HELP%", 178}};
    for (const auto& [text, id] : table) EXPECT_EQ(resolve(text), LoadResourceString(id)) << text;
    EXPECT_EQ(resolve("%ids_help%"), LoadResourceString(178));
    EXPECT_EQ(resolve("%START%"), "%START%");
}

// ---------------------------------------------------------------- bubbles

TEST(BubbleResolve, TitlesAndColoursWithDefaults) {
    auto theme = ColouredTheme();
    CNotificationBubble bubble;
    bubble.LoadTemplate(theme.get(), kFolder, "missing.inf");
    auto resolve = [&](std::string v) {
        bubble.ResolveText(v);
        return v;
    };
    EXPECT_EQ(resolve("%criticaltitle%"), LoadResourceString(190));
    EXPECT_EQ(resolve("%CRITICALMESSAGE%"), LoadResourceString(185));
    EXPECT_EQ(resolve("%NormalTitle%"), LoadResourceString(183));
    EXPECT_EQ(resolve("%HKLM,Software\\Microsoft\\Color,8%"), "10,20,30");
    // Colours the theme lacks take the built-in defaults (7: 0xCCCCCC, 9 with three bytes: black).
    EXPECT_EQ(resolve("%HKLM,Software\\Microsoft\\Color,7%"), "204,204,204");
    EXPECT_EQ(resolve("%HKLM,Software\\Microsoft\\Color,9%"), "0,0,0");
    EXPECT_EQ(resolve("%HKLM,Software\\Microsoft\\Color,37%"), "255,255,255");
    // Other values keep their text and case.
    EXPECT_EQ(resolve("Dismiss"), "Dismiss");
    EXPECT_EQ(resolve("%TEMPPATH%x.png"), "%TEMPPATH%x.png");
}

// ---------------------------------------------------------------- ShowTheme and the click table

class ScreenActions : public ::testing::Test {
protected:
    void SetUp() override {
        CopySkinTemplates(test::TemplateFolder(), work.path());
        window.SetTarget(&preview);
        window.SetParentHandler(page.Handler());
        ASSERT_TRUE(preview.ShowTheme(&theme, work.path()));
    }
    bool Visible(const char* name) {
        const SkinControl* c = preview.GetSkin().FindControl(name);
        return c && c->Visible();
    }
    bool NotificationsVisible() {
        return Visible("Notification bar") && Visible("Notification background") && Visible("Battery icon") &&
               Visible("Message icon") && Visible("Notification Hilight");
    }
    bool NotificationsHidden() {
        return !Visible("Notification bar") && !Visible("Notification background") && !Visible("Battery icon") &&
               !Visible("Message icon") && !Visible("Notification Hilight");
    }
    bool Shown(PreviewWindow* w) { return w && w->IsShown(); }

    test::TempFolder work;
    test::BlockRenderer renderer;
    ThemeDocument theme;
    PreviewWindow window;
    TodayScreenPreview preview{&window, 0, &renderer};
    test::RecordingPage page;
};

TEST_F(ScreenActions, ShowThemeLoadsAllFourSkinsAndHidesTheChildren) {
    EXPECT_TRUE(preview.Shown());
    ASSERT_NE(preview.Menu(), nullptr);
    EXPECT_FALSE(preview.Menu()->GetSkin().Controls().empty());
    EXPECT_FALSE(preview.NormalBubble()->GetSkin().Controls().empty());
    EXPECT_FALSE(preview.CriticalBubble()->GetSkin().Controls().empty());
    EXPECT_FALSE(Shown(preview.MenuWindow()) || Shown(preview.NormalWindow()) || Shown(preview.CriticalWindow()));
    // The bubbles take the shapes of their skins.
    EXPECT_FALSE(preview.CriticalWindow()->WindowRegion().IsEmpty());
    EXPECT_FALSE(preview.NormalWindow()->WindowRegion().IsEmpty());
    EXPECT_TRUE(NotificationsHidden());
    EXPECT_FALSE(preview.MenuShown() || preview.NormalShown() || preview.CriticalShown() ||
                 preview.NotificationShown() || preview.CalendarShown());
}

TEST_F(ScreenActions, MenuTwiceEndsHiddenWithBothBubblesHidden) {
    preview.OnSkinAction("SWITCH_NORMAL");
    ASSERT_TRUE(Shown(preview.NormalWindow()));
    preview.OnSkinAction("switch_menu");
    EXPECT_TRUE(preview.MenuShown());
    EXPECT_TRUE(Shown(preview.MenuWindow()));
    EXPECT_FALSE(Shown(preview.NormalWindow()) || preview.NormalShown());
    preview.OnSkinAction("SWITCH_MENU");
    EXPECT_FALSE(preview.MenuShown());
    EXPECT_FALSE(Shown(preview.MenuWindow()) || Shown(preview.NormalWindow()) || Shown(preview.CriticalWindow()));
    EXPECT_TRUE(page.selections.empty());
}

TEST_F(ScreenActions, CriticalOnThenOffSelectsTheTrayHighlight) {
    preview.OnSkinAction("SWITCH_MENU");
    preview.OnSkinAction("SWITCH_CRITICAL");
    EXPECT_TRUE(preview.CriticalShown());
    EXPECT_FALSE(preview.MenuShown());
    EXPECT_FALSE(Shown(preview.MenuWindow()));
    EXPECT_TRUE(Shown(preview.CriticalWindow()));
    EXPECT_TRUE(NotificationsVisible());
    EXPECT_TRUE(page.selections.empty());

    preview.OnSkinAction("SWITCH_CRITICAL");
    EXPECT_FALSE(Shown(preview.CriticalWindow()));
    EXPECT_FALSE(Visible("Notification Hilight"));
    EXPECT_TRUE(Visible("Notification bar"));  // only the highlight goes
    ASSERT_EQ(page.selections.size(), 1u);
    EXPECT_EQ(page.selections[0].name, "CE_COLOR_12");
    EXPECT_EQ(page.selections[0].state, 1u);
}

TEST_F(ScreenActions, NormalBubbleHidesTheOthersAndTheNotifications) {
    preview.OnSkinAction("SWITCH_CRITICAL");
    preview.OnSkinAction("SWITCH_NORMAL");
    EXPECT_TRUE(preview.NormalShown());
    EXPECT_FALSE(preview.CriticalShown());
    EXPECT_TRUE(Shown(preview.NormalWindow()));
    EXPECT_FALSE(Shown(preview.CriticalWindow()));
    EXPECT_TRUE(NotificationsHidden());
    preview.OnSkinAction("SWITCH_NORMAL");
    EXPECT_FALSE(Shown(preview.NormalWindow()));
}

TEST_F(ScreenActions, TrayAreaTogglesTheAlertAndSelectsOnlyWhenShowing) {
    preview.OnSkinAction("CE_COLOR_10");
    EXPECT_TRUE(preview.NotificationShown());
    EXPECT_TRUE(preview.CriticalShown());
    EXPECT_TRUE(Shown(preview.CriticalWindow()));
    EXPECT_TRUE(NotificationsVisible());
    ASSERT_EQ(page.selections.size(), 1u);
    EXPECT_EQ(page.selections[0].name, "CE_COLOR_10");

    preview.OnSkinAction("CE_COLOR_10");
    EXPECT_FALSE(preview.NotificationShown());
    EXPECT_FALSE(preview.CriticalShown());
    EXPECT_FALSE(Shown(preview.CriticalWindow()));
    EXPECT_TRUE(NotificationsHidden());
    EXPECT_EQ(page.selections.size(), 1u);
}

TEST_F(ScreenActions, CalendarPageShowsGroupTwoAndTodayHidesIt) {
    ASSERT_FALSE(Visible("Calendar page"));
    preview.OnSkinAction("SWITCH_MENU");
    preview.OnSkinAction("SWITCH_CALENDAR");
    EXPECT_TRUE(preview.CalendarShown());
    EXPECT_FALSE(preview.MenuShown());
    EXPECT_FALSE(Shown(preview.MenuWindow()));
    for (const auto& c : preview.GetSkin().Controls()) {
        if (c && c->Group() == 2) {
            EXPECT_TRUE(c->Visible()) << c->Name();
        }
    }
    preview.OnSkinAction("SWITCH_TODAY");
    EXPECT_FALSE(preview.CalendarShown());
    for (const auto& c : preview.GetSkin().Controls()) {
        if (c && c->Group() == 2) {
            EXPECT_FALSE(c->Visible()) << c->Name();
        }
    }
}

TEST_F(ScreenActions, OtherNamesSelectWithTheActionState) {
    preview.OnSkinAction("IMAGE_TODAY");
    preview.OnSkinRepeatAction("CE_COLOR_8");
    ASSERT_EQ(page.selections.size(), 2u);
    EXPECT_EQ(page.selections[0].name, "IMAGE_TODAY");
    EXPECT_EQ(page.selections[0].state, 1u);
    EXPECT_EQ(page.selections[1].name, "CE_COLOR_8");
    EXPECT_EQ(page.selections[1].state, 2u);
    EXPECT_EQ(preview.ActionState(), 1);  // the base handling ran afterwards
}

// A click goes from the element through the posted message to the control.
void Click(PreviewWindow& window, int x, int y, unsigned message = kWmLButtonDown) {
    const intptr_t at = intptr_t((x & 0xFFFF) | ((y & 0xFFFF) << 16));
    window.Post(message, 0, at);
    window.Post(message == kWmLButtonDown ? kWmLButtonUp : message, 0, at);
    window.Pump();
}

TEST_F(ScreenActions, ClicksOnTheTemplateReachTheTable) {
    Click(window, 20, 12);  // Start
    EXPECT_TRUE(preview.MenuShown());
    Click(window, 100, 200);  // the Today picture
    ASSERT_FALSE(page.selections.empty());
    EXPECT_EQ(page.selections.back().name, "IMAGE_TODAY");
    Click(window, 120, 310);  // the command bar
    EXPECT_EQ(page.selections.back().name, "CE_COLOR_7");
}

// A double click opens the editor of what the user sees there, not of a
// hidden element of the calendar page or the notification tray above it.
TEST_F(ScreenActions, DoubleClicksGoToVisibleElements) {
    const SkinControl* date = preview.GetSkin().FindControl("Date");
    ASSERT_NE(date, nullptr);
    const int x = date->Rect().left + 4, y = date->Rect().top + 4;
    window.Post(kWmLButtonDown, 0, intptr_t(x | (y << 16)));
    window.Post(kWmLButtonUp, 0, intptr_t(x | (y << 16)));
    window.Post(kWmLButtonDblClk, 0, intptr_t(x | (y << 16)));
    window.Post(kWmLButtonUp, 0, intptr_t(x | (y << 16)));
    window.Pump();
    ASSERT_EQ(page.selections.size(), 2u);
    EXPECT_EQ(page.selections[1].name, "CE_COLOR_4");
    EXPECT_EQ(page.selections[1].state, 2u);
    EXPECT_FALSE(preview.CalendarShown());

    // The tray area under the hidden message icon shows the alert.
    page.selections.clear();
    window.Post(kWmLButtonDblClk, 0, intptr_t(150 | (10 << 16)));
    window.Pump();
    ASSERT_EQ(page.selections.size(), 1u);
    EXPECT_EQ(page.selections[0].name, "CE_COLOR_10");
    EXPECT_TRUE(preview.CriticalShown());
}

TEST_F(ScreenActions, ChildClicksArePassedToTheScreen) {
    preview.OnSkinAction("SWITCH_MENU");
    PreviewWindow& menuWindow = *preview.MenuWindow();
    // The picture of the menu, far from its items' texts.
    Click(menuWindow, 135, 280);
    preview.PumpChildren();
    ASSERT_FALSE(page.selections.empty());
    EXPECT_EQ(page.selections.back().name, "IMAGE_MENU");
    EXPECT_EQ(page.selections.back().state, 1u);

    // A double click in the menu opens the element's editor (state 2).
    preview.MenuWindow()->Post(kWmLButtonDblClk, 0, intptr_t(135 | (280 << 16)));
    preview.PumpChildren();
    EXPECT_EQ(page.selections.back().state, 2u);

    // Dismiss in the alert bubble closes it through the screen's table.
    preview.OnSkinAction("SWITCH_CRITICAL");
    ASSERT_TRUE(preview.CriticalShown());
    const SkinControl* dismiss = preview.CriticalBubble()->GetSkin().FindControl("Dismiss hot");
    ASSERT_NE(dismiss, nullptr);
    Click(*preview.CriticalWindow(), dismiss->Rect().left + 2, dismiss->Rect().top + 2);
    preview.PumpChildren();
    EXPECT_FALSE(preview.CriticalShown());
    EXPECT_FALSE(preview.CriticalWindow()->IsShown());
    EXPECT_EQ(page.selections.back().name, "CE_COLOR_12");
}

TEST_F(ScreenActions, NoThemeHidesAndDropsTheSkin) {
    EXPECT_TRUE(preview.ShowTheme(nullptr, work.path()));
    EXPECT_FALSE(preview.Shown());
    EXPECT_TRUE(preview.GetSkin().Controls().empty());
}

TEST_F(ScreenActions, MissingTemplateFails) {
    test::TempFolder empty;
    EXPECT_FALSE(preview.ShowTheme(&theme, empty.path()));
}

TEST(ScreenTemplates, TemplateByKindAndStyle) {
    test::TempFolder work;
    CopySkinTemplates(test::TemplateFolder(), work.path());
    test::BlockRenderer renderer;
    ThemeDocument theme;
    const struct {
        int style, kind;
        const char* file;
    } cases[] = {{0, 0, "SkinToday.inf"},     {1, 0, "SkinToday2003.inf"}, {0, 1, "SkinAnimated.inf"},
                 {1, 1, "SkinAnimated2003.inf"}, {0, 2, "facelift.inf"},   {1, 2, "facelift.inf"},
                 {2, 0, "SkinToday2003.inf"}};
    for (const auto& c : cases) {
        PreviewWindow window;
        TodayScreenPreview preview(&window, c.style, &renderer);
        theme.tskType = c.kind;
        ASSERT_TRUE(preview.ShowTheme(&theme, work.path()));
        EXPECT_EQ(preview.GetSkin().SkinPath(), work.path() + c.file);
        // Style 2: the children are made but load nothing.
        EXPECT_EQ(preview.Menu()->GetSkin().Controls().empty(), c.style == 2);
    }
}

TEST(ScreenTemplates, PageAreaTakesTheAnimationHeight) {
    test::TempFolder work;
    CopySkinTemplates(test::TemplateFolder(), work.path());
    test::BlockRenderer renderer;
    ThemeDocument theme;
    theme.tskType = 1;
    theme.animationHeight = 150;
    PreviewWindow window;
    TodayScreenPreview preview(&window, 0, &renderer);
    window.SetTarget(&preview);
    ASSERT_TRUE(preview.ShowTheme(&theme, work.path()));
    const SkinControl* browser = preview.GetSkin().FindControl("HTML browser");
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->Rect().Height(), 150);
    ASSERT_EQ(window.Browsers().size(), 1u);
    EXPECT_EQ(window.Browsers().begin()->second.url, work.path() + "vx5n.htm");
    preview.OnSkinAction("SWITCH_CALENDAR");
    EXPECT_FALSE(window.Browsers().begin()->second.visible);
}

// ---------------------------------------------------------------- the preview system of the settings

// Gives the test its own "preview"/"system" setting: a store in memory
// installed for the test, so that the user's settings are never touched.
class PreviewSystemSetting : public ::testing::Test {
protected:
    void Set(int value) { ASSERT_TRUE(store_->WriteInt("preview", "system", value)); }
    // The templates the Today screen and its menu load for a theme, built
    // the way the pages build it (the style from the settings).
    std::pair<std::string, bool> Loaded() {
        test::TempFolder work;
        CopySkinTemplates(test::TemplateFolder(), work.path());
        ThemeDocument theme;
        PreviewWindow window;
        TodayScreenPreview preview(&window);
        window.SetTarget(&preview);
        EXPECT_TRUE(preview.ShowTheme(&theme, work.path()));
        std::string file = preview.GetSkin().SkinPath().substr(work.path().size());
        return {file, !preview.Menu()->GetSkin().Controls().empty()};
    }

    std::unique_ptr<SettingsStore> store_ = NewMemorySettings();
    ScopedSettings settings_{*store_};
};

TEST_F(PreviewSystemSetting, MissingSettingMeansPocketPc2002) {
    EXPECT_EQ(ReadPreviewSystemStyle(), 0);
    EXPECT_EQ(Loaded(), std::make_pair(std::string("SkinToday.inf"), true));
}

TEST_F(PreviewSystemSetting, ValuesOtherThanZeroMeanTheNewerTemplates) {
    Set(1);
    EXPECT_EQ(ReadPreviewSystemStyle(), 1);
    EXPECT_EQ(Loaded(), std::make_pair(std::string("SkinToday2003.inf"), true));
    Set(0);
    EXPECT_EQ(ReadPreviewSystemStyle(), 0);
    EXPECT_EQ(Loaded().first, "SkinToday.inf");
    // Neither 0 nor 1: the Today screen of the newer style, nothing in the menu.
    Set(2);
    EXPECT_EQ(ReadPreviewSystemStyle(), 2);
    EXPECT_EQ(Loaded(), std::make_pair(std::string("SkinToday2003.inf"), false));
    Set(-1);
    EXPECT_EQ(ReadPreviewSystemStyle(), -1);
    EXPECT_EQ(Loaded(), std::make_pair(std::string("SkinToday2003.inf"), false));
}

TEST_F(PreviewSystemSetting, ReadOnceWhenThePreviewIsMade) {
    Set(1);
    PreviewWindow window;
    TodayScreenPreview preview(&window);
    Set(0);
    EXPECT_EQ(preview.SystemStyle(), 1);
}

TEST(CopySkinTemplates, ReplacesEveryTemplateAndLeavesOtherFiles) {
    test::TempFolder work;
    test::WriteText(work / "SkinToday.inf", "stale");
    test::WriteText(work / "tdywater.gif", "theme file");
    CopySkinTemplates(test::TemplateFolder(), work.path());
    for (const char* name : kSkinTemplateFiles)
        EXPECT_EQ(test::ReadBytes(work / name), test::ReadBytes(test::TemplateFolder() + name)) << name;
    EXPECT_EQ(test::ReadText(work / "tdywater.gif"), "theme file");
}

}  // namespace
}  // namespace mrw
