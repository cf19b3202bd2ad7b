// Action firing, button action lists and the routing of mouse input.
#include <gtest/gtest.h>

#include "editor/skin/Skin.h"
#include "editor/skin/SkinStatic.h"
#include "editor/skin/tests/SkinTestSupport.h"

namespace mrw {
namespace {

using test::FixedTextRenderer;
using test::RecordingOwner;

class SkinActionsTest : public ::testing::Test {
protected:
    int Load(const std::string& text) {
        skin.AttachOwner(&owner);
        return test::LoadSkinText(skin, folder, "[General]\r\nsize=100,100\r\n" + text);
    }
    void Click(int x, int y) {
        skin.OnButtonDown(0, x, y);
        skin.OnButtonUp(0, x, y);
    }
    RecordingOwner owner;
    FixedTextRenderer renderer;
    Skin skin{&renderer};
    test::TempFolder folder;
};

TEST_F(SkinActionsTest, ActionFormsOfPlainElements) {
    // The reader removes one pair of quotes, so the character form is written with two.
    ASSERT_EQ(Load("[chr]\r\ntype=image\r\nAction=''x''\r\n"
                   "[num]\r\ntype=image\r\nAction=42\r\n"
                   "[empty]\r\ntype=image\r\nAction=\r\n"
                   "[word]\r\ntype=image\r\nAction=DoIt\r\n"
                   "[unnamed]\r\ntype=image\r\n"),
              0);
    ASSERT_EQ(skin.Controls().size(), 5u);
    for (const auto& c : skin.Controls()) c->FireAction();
    ASSERT_EQ(owner.posted.size(), 5u);
    EXPECT_EQ(owner.posted[0].message, kSkinActionMessage);
    EXPECT_EQ(owner.posted[0].wParam, kSkinActionCharacter);
    EXPECT_EQ(owner.posted[0].lParam, intptr_t('x'));
    EXPECT_EQ(owner.posted[1].message, kWmCommand);
    EXPECT_EQ(owner.posted[1].wParam, 42u);
    EXPECT_EQ(owner.posted[1].lParam, 0);
    EXPECT_EQ(owner.posted[2].message, kWmCommand);
    EXPECT_EQ(owner.posted[2].wParam, 0u);
    EXPECT_EQ(owner.posted[3].wParam, kSkinActionNamed);
    EXPECT_EQ(owner.posted[3].text, "DoIt");
    // Without "Action" the section name is the action; the address stays valid.
    EXPECT_EQ(owner.posted[4].text, "unnamed");
    EXPECT_EQ(reinterpret_cast<const char*>(owner.posted[4].lParam), skin.Controls()[4]->Action().c_str());

    owner.Clear();
    skin.Controls()[3]->FireRepeatAction();
    ASSERT_EQ(owner.posted.size(), 1u);
    EXPECT_EQ(owner.posted[0].wParam, kSkinActionRepeat);
    EXPECT_EQ(owner.posted[0].text, "DoIt");
}

TEST_F(SkinActionsTest, CharacterActionIsASignedByte) {
    ASSERT_EQ(Load("[hi]\r\ntype=image\r\nAction=''\xE9''\r\n"), 0);
    skin.Controls()[0]->FireAction();
    ASSERT_EQ(owner.posted.size(), 1u);
    EXPECT_EQ(owner.posted[0].lParam, intptr_t(static_cast<signed char>('\xE9')));
}

TEST_F(SkinActionsTest, ButtonActionListFiresInTurn) {
    ASSERT_EQ(Load("[b]\r\ntype=button\r\nSize=10,10\r\nPos=0,0\r\nAction=(a),17,Named\r\n"), 0);
    auto* button = dynamic_cast<SkinButton*>(skin.Controls()[0].get());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Entries(), (std::vector<std::string>{"(a)", "17", "Named"}));

    button->FireAction();
    ASSERT_EQ(owner.posted.size(), 1u);
    EXPECT_EQ(owner.posted[0].message, kSkinActionMessage);
    EXPECT_EQ(owner.posted[0].wParam, kSkinActionCharacter);
    EXPECT_EQ(owner.posted[0].lParam, intptr_t('a'));

    owner.Clear();
    button->FireAction();
    // After a character: 2028 first, then the number's command.
    EXPECT_EQ(owner.Commands(), (std::vector<int>{2028, 17}));

    owner.Clear();
    button->FireAction();
    ASSERT_EQ(owner.posted.size(), 1u);
    EXPECT_EQ(owner.posted[0].text, "Named");
    // Back to the first entry.
    owner.Clear();
    button->FireAction();
    EXPECT_EQ(owner.posted[0].lParam, intptr_t('a'));
}

TEST_F(SkinActionsTest, ButtonWithTooLongListUsesItsName) {
    ASSERT_EQ(Load("[btn]\r\ntype=button\r\nAction=" + std::string(100, '1') + "\r\n"
                   "[empty]\r\ntype=button\r\nAction=\r\n"),
              0);
    skin.Controls()[0]->FireAction();
    ASSERT_EQ(owner.posted.size(), 1u);
    EXPECT_EQ(owner.posted[0].text, "btn");
    owner.Clear();
    // A button without entries fires nothing.
    skin.Controls()[1]->FireAction();
    EXPECT_TRUE(owner.posted.empty());
}

TEST_F(SkinActionsTest, OverlappingButtonsLaterSectionWins) {
    ASSERT_EQ(Load("[under]\r\ntype=button\r\nSize=50,50\r\nPos=0,0\r\nAction=1\r\n"
                   "[over]\r\ntype=button\r\nSize=50,50\r\nPos=25,25\r\nAction=2\r\n"),
              0);
    Click(30, 30);
    EXPECT_EQ(owner.Commands(), (std::vector<int>{2}));
    owner.Clear();
    Click(10, 10);
    EXPECT_EQ(owner.Commands(), (std::vector<int>{1}));
    // A hidden element does not take the press: the one below does.
    owner.Clear();
    skin.SetVisibleByName("OVER", false);
    Click(30, 30);
    EXPECT_EQ(owner.Commands(), (std::vector<int>{1}));
}

TEST_F(SkinActionsTest, PressCapturesAndReleaseOutsideFiresNothing) {
    ASSERT_EQ(Load("[a]\r\ntype=button\r\nSize=20,20\r\nPos=0,0\r\nAction=5\r\n"
                   "[b]\r\ntype=button\r\nSize=20,20\r\nPos=50,50\r\nAction=6\r\n"),
              0);
    skin.OnButtonDown(0, 5, 5);
    EXPECT_EQ(skin.CapturedControl(), skin.Controls()[0].get());
    EXPECT_TRUE(skin.Controls()[0]->Pressed());
    EXPECT_EQ(owner.events, (std::vector<std::string>{"capture", "start 123 500"}));
    // Released over the other button: the captured one gets it and does not fire.
    skin.OnButtonUp(0, 55, 55);
    EXPECT_TRUE(owner.Commands().empty());
    EXPECT_EQ(skin.CapturedControl(), nullptr);
    EXPECT_FALSE(skin.Controls()[0]->Pressed());
    EXPECT_EQ(owner.events, (std::vector<std::string>{"capture", "start 123 500", "release", "stop 123"}));
}

TEST_F(SkinActionsTest, TriggerDownFiresOnPress) {
    ASSERT_EQ(Load("[a]\r\ntype=image\r\nAction=9\r\nTrigger=down\r\n"), 0);
    // An image without a picture has an empty rectangle: give it one through a Rect-sized image.
    auto* image = skin.Controls()[0].get();
    EXPECT_FALSE(image->TriggerOnUp());
    image->OnButtonDown(0, 0, 0);
    EXPECT_EQ(owner.Commands(), (std::vector<int>{9}));
    image->OnButtonUp(0, 0, 0);
    EXPECT_EQ(owner.Commands(), (std::vector<int>{9}));
}

TEST_F(SkinActionsTest, DoubleClickFiresRepeatAction) {
    ASSERT_EQ(Load("[a]\r\ntype=button\r\nSize=20,20\r\nPos=0,0\r\nAction=Go\r\n"), 0);
    skin.OnDoubleClick(0, 5, 5);
    ASSERT_EQ(owner.posted.size(), 1u);
    EXPECT_EQ(owner.posted[0].wParam, kSkinActionRepeat);
    EXPECT_EQ(owner.posted[0].text, "Go");
}

TEST_F(SkinActionsTest, HiddenElementsTakeNoInput) {
    ASSERT_EQ(Load("[shown]\r\ntype=image\r\nWindow=0,0,50,50\r\npos=0,0\r\nAction=Shown\r\n"
                   "[hidden]\r\ntype=image\r\nWindow=0,0,50,50\r\npos=0,0\r\nAction=Hidden\r\nshow=0\r\n"
                   "[counter]\r\ntype=multistate\r\nSize=10,10\r\nPos=60,60\r\nAction=5\r\nshow=0\r\n"),
              0);
    Click(10, 10);
    skin.OnDoubleClick(0, 10, 10);
    ASSERT_EQ(owner.posted.size(), 2u);
    EXPECT_EQ(owner.posted[0].text, "Shown");
    EXPECT_EQ(owner.posted[1].wParam, kSkinActionRepeat);
    EXPECT_EQ(owner.posted[1].text, "Shown");
    // A release over a hidden multistate posts nothing.
    owner.Clear();
    skin.OnButtonUp(0, 65, 65);
    EXPECT_TRUE(owner.posted.empty());
    // Shown again, it takes the double click.
    skin.SetVisibleByName("hidden", true);
    skin.OnDoubleClick(0, 10, 10);
    ASSERT_EQ(owner.posted.size(), 1u);
    EXPECT_EQ(owner.posted[0].text, "Hidden");
}

TEST_F(SkinActionsTest, TextHitsOnlyItsDrawnExtent) {
    ASSERT_EQ(Load("[back]\r\ntype=button\r\nSize=100,100\r\nPos=0,0\r\nAction=1\r\n"
                   "[label]\r\ntype=text\r\ntext=abc\r\nWindow=10,10,90,60\r\nAction=2\r\n"),
              0);
    auto* text = dynamic_cast<SkinText*>(skin.Controls()[1].get());
    ASSERT_NE(text, nullptr);
    // Three glyphs of 6 x 10.
    EXPECT_EQ(text->Extent().width, 18);
    EXPECT_EQ(text->Extent().height, 10);
    EXPECT_TRUE(text->HitTest(10, 10));
    EXPECT_TRUE(text->HitTest(27, 19));
    EXPECT_FALSE(text->HitTest(28, 10));
    EXPECT_FALSE(text->HitTest(10, 20));
    Click(12, 12);
    EXPECT_EQ(owner.Commands(), (std::vector<int>{2}));
    owner.Clear();
    // Inside the window but beyond the text: the element behind gets the click.
    Click(50, 40);
    EXPECT_EQ(owner.Commands(), (std::vector<int>{1}));
}

TEST_F(SkinActionsTest, GradientHalvesFireTheirActions) {
    ASSERT_EQ(Load("[g]\r\ntype=GradientRect\r\nRect=0,0,40,10\r\nLeftColor=0,0,0\r\nRightColor=255,255,255\r\n"
                   "LeftAction=L\r\nRightAction=1234\r\n"
                   "[d]\r\ntype=DualGradientRect\r\nRect=0,20,40,30\r\nAction=Both\r\nIntLeftAction=IL\r\n"),
              0);
    Click(19, 5);
    Click(20, 5);
    skin.OnDoubleClick(0, 1, 5);
    Click(5, 25);
    Click(35, 25);
    ASSERT_EQ(owner.posted.size(), 5u);
    EXPECT_EQ(owner.posted[0].text, "L");
    // Digits still go as a named action.
    EXPECT_EQ(owner.posted[1].message, kSkinActionMessage);
    EXPECT_EQ(owner.posted[1].wParam, kSkinActionNamed);
    EXPECT_EQ(owner.posted[1].text, "1234");
    EXPECT_EQ(owner.posted[2].wParam, kSkinActionRepeat);
    EXPECT_EQ(owner.posted[2].text, "L");
    EXPECT_EQ(owner.posted[3].text, "IL");
    // Inner right action defaults to the element's action.
    EXPECT_EQ(owner.posted[4].text, "Both");
}

TEST_F(SkinActionsTest, MultistateReleasePostsItsCommand) {
    ASSERT_EQ(Load("[m]\r\ntype=multistate\r\nSize=10,10\r\nPos=0,0\r\nAction=77\r\n"), 0);
    skin.OnButtonDown(0, 2, 2);
    EXPECT_EQ(owner.events, (std::vector<std::string>{"capture", "start 123 500"}));
    skin.OnButtonUp(0, 50, 50);
    EXPECT_EQ(owner.Commands(), (std::vector<int>{77}));
    owner.Clear();
    skin.Controls()[0]->SetEnabled(false);
    skin.OnButtonDown(0, 2, 2);
    skin.OnButtonUp(0, 2, 2);
    EXPECT_TRUE(owner.Commands().empty());
}

TEST_F(SkinActionsTest, HeldElementShowsItsToolTipUntilRelease) {
    ASSERT_EQ(Load("[b]\r\ntype=button\r\nSize=20,20\r\nPos=0,0\r\nAction=3\r\nToolTip=Hint\r\n"), 0);
    skin.OnTimer(kSkinTimerId);  // nothing held
    EXPECT_EQ(skin.ToolTipElement(), nullptr);
    skin.OnButtonDown(0, 5, 5);
    skin.OnTimer(kSkinTimerId);
    ASSERT_NE(skin.ToolTipElement(), nullptr);
    EXPECT_EQ(skin.ToolTipElement()->Text(), "Hint");
    const SkinRect tip = skin.ToolTipElement()->Rect();
    EXPECT_EQ(tip.top, 20);
    EXPECT_EQ(test::PixelAt(skin.Canvas(), tip.right - 1, tip.top), MakeColour(255, 255, 225));
    skin.OnButtonUp(0, 5, 5);
    EXPECT_EQ(skin.ToolTipElement(), nullptr);
    EXPECT_EQ(test::PixelAt(skin.Canvas(), tip.right - 1, tip.top), MakeColour(255, 255, 255));
    EXPECT_EQ(owner.Commands(), (std::vector<int>{3}));
}

class RecordingStatic : public SkinStatic {
public:
    using SkinStatic::SkinStatic;
    std::vector<std::pair<std::string, int>> actions;
    void OnSkinAction(const std::string& text) override {
        actions.emplace_back(text, actionState_);
        SkinStatic::OnSkinAction(text);
    }
    void ResolveText(std::string& text) override {
        if (text == "%NAME%") text = "resolved";
    }
};

TEST(SkinStaticTest, LoadsRoutesAndDispatchesNamedActions) {
    test::TempFolder folder;
    test::WriteText(folder / "s.inf",
                    "[General]\r\nsize=50,50\r\n[b]\r\ntype=button\r\nSize=50,50\r\nPos=0,0\r\nAction=Hello\r\n"
                    "[t]\r\ntype=text\r\ntext=%NAME%\r\nWindow=0,0,1,1\r\n");
    RecordingOwner host;
    FixedTextRenderer renderer;
    RecordingStatic window(&host, &renderer);
    EXPECT_FALSE(window.LoadSkin(folder.path()));  // no file name after the separator
    EXPECT_FALSE(window.LoadSkin("s.inf"));        // no separator at all
    ASSERT_TRUE(window.LoadSkin(folder / "s.inf"));
    EXPECT_EQ(window.GetSkin().Controls()[1]->Text(), "resolved");

    const intptr_t at = (intptr_t(10) << 16) | 10;
    window.HandleMessage(kWmLButtonDown, 0, at);
    window.HandleMessage(kWmLButtonUp, 0, at);
    ASSERT_EQ(host.posted.size(), 1u);
    // The host delivers the posted message back to the window.
    for (const auto& m : host.posted) window.HandleMessage(m.message, m.wParam, m.lParam);
    window.HandleMessage(kWmLButtonDblClk, 0, at);
    for (size_t i = 1; i < host.posted.size(); ++i)
        window.HandleMessage(host.posted[i].message, host.posted[i].wParam, host.posted[i].lParam);
    ASSERT_EQ(window.actions.size(), 2u);
    EXPECT_EQ(window.ActionState(), 1);
    EXPECT_EQ(window.actions[0], (std::pair<std::string, int>{"Hello", 1}));
    EXPECT_EQ(window.actions[1], (std::pair<std::string, int>{"Hello", 2}));
    EXPECT_EQ(window.HandleMessage(kSkinToolTipMessage, 0, 0), 1);
}

}  // namespace
}  // namespace mrw
