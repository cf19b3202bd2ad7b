// Theme model operations: colours, tokens, member files and undo.
#include <gtest/gtest.h>

#include "editor/document/ColourTable.h"
#include "editor/document/ThemeDocument.h"
#include "platform/Files.h"
#include "platform/Prompter.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

TEST(ThemeColours, FindColourNeedsTheMachineRootButIgnoresCaseOfTheRest) {
    ThemeDocument doc;
    const uint8_t red[4] = {255, 0, 0, 0};
    doc.AddRegistryEntry("HKCU,Software\\Microsoft\\Color", "16", 1, red, 4);
    EXPECT_EQ(doc.FindColour(16), nullptr);
    EXPECT_EQ(doc.GetColour(16), 0xCCCCCCu);  // built-in default
    doc.AddRegistryEntry("hklm,SOFTWARE\\microsoft\\color", "16", 1, red, 4);
    ASSERT_NE(doc.FindColour(16), nullptr);
    EXPECT_EQ(doc.GetColour(16), 0x0000FFu);
    EXPECT_EQ(doc.FindColour(16)->kind, kKindColour);
}

TEST(ThemeColours, IndexOutsideTheTableIsAPlainRegistryValue) {
    ThemeDocument doc;
    const uint8_t bytes[4] = {1, 2, 3, 0};
    RegistryEntry* e = doc.AddRegistryEntry(kColourSubKey, "41", 1, bytes, 4);
    EXPECT_EQ(e->kind, kKindRegistry);
    EXPECT_EQ(e->labelId, kLabelRegistryValue);
    EXPECT_EQ(e->data, (std::vector<uint8_t>{1, 2, 3, 0}));
}

TEST(ThemeColours, BuiltInDefaultsDifferFromStoredDefaults) {
    ThemeDocument doc;
    EXPECT_EQ(doc.GetColour(37), 0xFFFFFFu);
    EXPECT_EQ(doc.GetColour(99), 0u);
    doc.EnsureColourTable();
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.GetColour(37), 0xF7CFB6u);
    EXPECT_EQ(doc.GetColour(16), 0xF7E3D6u);
}

TEST(ThemeColours, ExistingColourKeepsItsValueAndGetsItsGroup) {
    ThemeDocument doc;
    const uint8_t red[4] = {255, 0, 0, 0};
    doc.AddRegistryEntry(kColourSubKey, "16", 1, red, 4);
    doc.EnsureColourTable();
    EXPECT_EQ(doc.GetColour(16), 0x0000FFu);
    EXPECT_EQ(doc.FindColour(16)->colourGroup, 1);
    EXPECT_EQ(doc.FindColour(4)->colourGroup, 0);
    EXPECT_EQ(doc.registryEntries.size(), size_t(kColourTableSize));
}

TEST(ThemeColours, ColourOfWrongLengthReadsBlackAndIgnoresChanges) {
    ThemeDocument doc;
    const uint8_t three[3] = {9, 9, 9};
    RegistryEntry* e = doc.AddRegistryEntry(kColourSubKey, "5", 1, three, 3);
    EXPECT_EQ(e->GetColour(), 0u);
    e->SetColour(0x123456);
    EXPECT_EQ(e->data, (std::vector<uint8_t>{9, 9, 9}));
    EXPECT_EQ(doc.GetColour(5), 0u);
}

TEST(ThemeTokens, ColourTokensAreUpperCasedAndCompareTheIndexExactly) {
    ColourEntry five;
    five.valueName = "5";
    ColourEntry zeroFive;
    zeroFive.valueName = "05";
    EXPECT_TRUE(five.MatchesToken("ce_color_5"));
    EXPECT_TRUE(five.MatchesToken("CE_COLOR_5"));
    EXPECT_FALSE(zeroFive.MatchesToken("CE_COLOR_5"));
    EXPECT_FALSE(five.MatchesToken("CE_COLOR_"));
    RegistryEntry plain;
    plain.valueName = "5";
    EXPECT_FALSE(plain.MatchesToken("CE_COLOR_5"));
}

TEST(ThemeTokens, ImagesMatchTheirPlaceholdersAndRealNames) {
    ThemeImage today;
    today.realName = "TDYWATER.GIF";
    today.Classify();
    EXPECT_EQ(today.labelId, kLabelTodayImage);
    EXPECT_TRUE(today.MatchesToken("IMAGE_TODAY"));
    EXPECT_FALSE(today.MatchesToken("image_today"));  // the placeholder itself is exact
    EXPECT_TRUE(today.MatchesToken("tdywater.gif"));
    EXPECT_FALSE(today.MatchesToken("IMAGE_MENU"));
    ThemeImage other;
    other.realName = "logo.gif";
    other.Classify();
    EXPECT_EQ(other.labelId, kLabelImage);
    ThemeFile page;
    page.realName = "vx5n.htm";
    EXPECT_FALSE(page.MatchesToken("vx5n.htm"));
    EXPECT_TRUE(ChooserEntry(kKindAnimationEntry).MatchesToken("animation"));
    EXPECT_FALSE(ChooserEntry(kKindNoteEntry).MatchesToken("ANIMATION"));
}

class MemberFiles : public ::testing::Test {
protected:
    void SetUp() override {
        doc.alias = "Blue";
        doc.projectPath = dir / "Blue.THM";
        doc.projectFolder = dir.path();
        test::WriteText(source.path() + "photo.jpg", "first");
        test::WriteText(source.path() + "other.jpg", "second");
    }
    ThemeImage* AddToday() {
        auto img = std::make_unique<ThemeImage>();
        img->realName = "tdywater.gif";
        doc.files.push_back(std::move(img));
        return static_cast<ThemeImage*>(doc.files.back().get());
    }
    test::TempFolder dir, source;
    ThemeDocument doc;
};

TEST_F(MemberFiles, PlacedFilesTakeTheFirstFreeNameAndAreWritable) {
    ThemeImage* img = AddToday();
    test::WriteText(dir / "BlueTDY000.jpg", "taken");
    const std::string src = source.path() + "photo.jpg";
    files::SetReadOnly(src, true);
    ASSERT_TRUE(img->PlaceFile(src, dir.path(), "Blue"));
    EXPECT_EQ(img->name, "BlueTDY001.jpg");
    EXPECT_EQ(test::ReadText(dir / "BlueTDY001.jpg"), "first");
    EXPECT_FALSE(files::IsReadOnly(dir / "BlueTDY001.jpg"));
    EXPECT_EQ(img->previousName, "");

    ThemeFile page;
    page.realName = "vx5n.htm";
    ASSERT_TRUE(page.PlaceFile(source.path() + "other.jpg", dir.path(), "Blue"));
    EXPECT_EQ(page.name, "BlueEXT000.jpg");
}

TEST_F(MemberFiles, SavingCommitsARenameAndRevertUndoesIt) {
    ThemeImage* img = AddToday();
    ASSERT_TRUE(img->PlaceFile(source.path() + "photo.jpg", dir.path(), "Blue"));
    ASSERT_EQ(doc.SaveProject(), 1);
    EXPECT_EQ(img->previousName, "BlueTDY000.jpg");

    // A second placement replaces a pending copy; the saved one stays until the next save.
    ASSERT_TRUE(img->PlaceFile(source.path() + "other.jpg", dir.path(), "Blue"));
    ASSERT_TRUE(img->PlaceFile(source.path() + "photo.jpg", dir.path(), "Blue"));
    EXPECT_EQ(img->name, "BlueTDY002.jpg");
    EXPECT_FALSE(files::Exists(dir / "BlueTDY001.jpg"));
    EXPECT_TRUE(files::Exists(dir / "BlueTDY000.jpg"));

    doc.Revert();
    EXPECT_FALSE(files::Exists(dir / "BlueTDY002.jpg"));
    ASSERT_EQ(doc.files.size(), 1u);
    EXPECT_EQ(doc.files[0]->name, "BlueTDY000.jpg");

    ASSERT_TRUE(doc.files[0]->PlaceFile(source.path() + "other.jpg", dir.path(), "Blue"));
    ASSERT_EQ(doc.SaveProject(), 1);
    EXPECT_FALSE(files::Exists(dir / "BlueTDY000.jpg"));
    EXPECT_EQ(test::ReadText(dir / doc.files[0]->name), "second");
}

TEST_F(MemberFiles, FailedPlacementKeepsTheElementAsItWas) {
    ThemeImage* img = AddToday();
    ASSERT_TRUE(img->PlaceFile(source.path() + "photo.jpg", dir.path(), "Blue"));
    img->previousName = "Old.jpg";  // pending rename
    EXPECT_FALSE(img->PlaceFile(source.path() + "absent.jpg", dir.path(), "Blue"));
    EXPECT_EQ(img->name, "BlueTDY000.jpg");
    EXPECT_TRUE(files::Exists(dir / "BlueTDY000.jpg"));  // the pending copy is not lost
}

TEST_F(MemberFiles, AddFileProbesAndCopiesIntoTheProject) {
    test::WriteText(source.path() + "stwater.gif", std::string("GIF87a") + std::string(10, '\0'));
    test::WriteText(source.path() + "vx5n.htm", "<html/>");
    ThemeFile* image = doc.AddFile(source.path(), "stwater.gif");
    ThemeFile* page = doc.AddFile(source.path(), "vx5n.htm");
    ThemeFile* absent = doc.AddFile(source.path(), "gone.bin");
    EXPECT_EQ(image->kind, kKindImage);
    EXPECT_EQ(image->labelId, kLabelStartMenuImage);
    EXPECT_EQ(image->name, "BlueSTA000.gif");
    EXPECT_EQ(page->kind, kKindFile);
    EXPECT_EQ(page->labelId, kLabelFile);
    EXPECT_EQ(page->name, "BlueEXT000.htm");
    EXPECT_EQ(absent->kind, kKindImage);  // cannot be opened: counts as an image
    EXPECT_EQ(absent->name, "");           // and the failed copy leaves no name
    EXPECT_EQ(doc.files.size(), 3u);
}

TEST_F(MemberFiles, RemoveFileAndResetAnimationDeleteMembers) {
    test::WriteText(source.path() + "vx5n.swf", "FWS");
    doc.AddFile(source.path(), "vx5n.swf");
    doc.tskType = 1;
    ASSERT_TRUE(files::Exists(dir / "BlueEXT000.swf"));
    doc.ResetAnimation();
    EXPECT_TRUE(doc.files.empty());
    EXPECT_FALSE(files::Exists(dir / "BlueEXT000.swf"));
    EXPECT_EQ(doc.tskType, 0);
    EXPECT_TRUE(doc.modified);

    ThemeDocument plain;
    plain.tskType = 1;
    plain.ResetAnimation();
    EXPECT_EQ(plain.tskType, 0);
    EXPECT_TRUE(plain.modified);
}

TEST_F(MemberFiles, SaveIfModifiedFollowsTheAnswer) {
    ScriptedPrompter prompter;
    ScopedPrompter scoped(prompter);
    EXPECT_EQ(doc.SaveIfModified(148, kMbYesNo), kIdYes);  // nothing to save: no question
    EXPECT_TRUE(prompter.Messages().empty());

    doc.modified = true;
    prompter.SetAnswers({kIdCancel});
    EXPECT_EQ(doc.SaveIfModified(148, kMbYesNo), kIdCancel);
    EXPECT_TRUE(doc.modified);
    EXPECT_FALSE(files::Exists(doc.projectPath));
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_NE(prompter.Messages()[0].text.find("Blue"), std::string::npos);

    prompter.SetAnswers({kIdYes});
    EXPECT_EQ(doc.SaveIfModified(148, kMbYesNo), kIdYes);
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(files::Exists(doc.projectPath));

    doc.note = "unsaved";
    doc.modified = true;
    prompter.SetAnswers({kIdNo});
    EXPECT_EQ(doc.SaveIfModified(148, kMbYesNo), kIdNo);
    EXPECT_EQ(doc.note, "");  // reverted to the file
    EXPECT_FALSE(doc.modified);
}

TEST_F(MemberFiles, DeleteFromDiskRemovesProjectPackageAndMembers) {
    doc.AddFile(source.path(), "photo.jpg");
    doc.SaveProject();
    test::WriteText(dir / "Blue.TSK", "package");
    files::SetReadOnly(dir / "Blue.TSK", true);
    test::WriteText(dir / "unrelated.txt", "stays");
    doc.DeleteFromDisk();
    EXPECT_FALSE(files::Exists(dir / "Blue.THM"));
    EXPECT_FALSE(files::Exists(dir / "Blue.TSK"));
    EXPECT_FALSE(files::Exists(dir / "BlueEXT000.jpg"));
    EXPECT_TRUE(files::Exists(dir / "unrelated.txt"));
}

TEST(ThemeHeader, AliasFallsBackToTheFileNameAndIsCut) {
    test::TempFolder dir;
    test::WriteText(dir / "My.Theme.THM", "[Theme]\r\nTskType=1\r\n");
    auto doc = ThemeDocument::OpenHeader(dir / "My.Theme.THM");
    EXPECT_EQ(doc->alias, "My.Theme");
    EXPECT_EQ(doc->tskType, 1);
    EXPECT_TRUE(doc->registryEntries.empty());  // only the header is read
    test::WriteText(dir / "Long.THM", "[Theme]\r\nAlias=" + std::string(300, 'a') + "\r\n");
    EXPECT_EQ(ThemeDocument::OpenHeader(dir / "Long.THM")->alias.size(), 255u);
    EXPECT_EQ(ThemeDocument::OpenHeader(dir / "Absent.THM")->alias, "Absent");
}

}  // namespace
}  // namespace mrw
