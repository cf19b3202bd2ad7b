// The project file as the theme model writes it and as other programs and
// older versions left it.
#include <gtest/gtest.h>

#include "editor/document/ColourTable.h"
#include "editor/document/ThemeDocument.h"
#include "platform/Files.h"
#include "platform/profile/ProfileFile.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

class ProjectFile : public ::testing::Test {
protected:
    std::string Project(const std::string& text, const std::string& name = "Blue.THM") {
        const std::string path = dir / name;
        test::WriteText(path, text);
        return path;
    }
    std::unique_ptr<ThemeDocument> Open(const std::string& path) {
        auto doc = ThemeDocument::OpenHeader(path);
        doc->LoadProject();
        return doc;
    }
    ProfileFile Reread(const std::string& path) {
        ProfileFile f;
        f.Load(path);
        return f;
    }
    test::TempFolder dir;
};

TEST_F(ProjectFile, SavedThemeReadsBackFieldForField) {
    ThemeDocument doc;
    doc.alias = "Blue";
    doc.note = "a\r\nb";
    doc.pdaColours = 2;
    doc.tskType = 1;
    doc.animationHeight = 77;
    doc.animationBkColour = 0x102030;
    doc.customColours[3] = 0x123456;
    auto image = std::make_unique<ThemeImage>();
    image->name = "BlueTDY000.gif";
    image->realName = "tdywater.gif";
    image->cropLeft = 1, image->cropTop = 2, image->cropRight = 30, image->cropBottom = 40;
    image->rotation = 4, image->hFlip = 1, image->transparency = 9, image->transparencyColour = 0x0A0B0C;
    doc.files.push_back(std::move(image));
    const uint8_t bytes[] = {1, 171, 255};
    doc.AddRegistryEntry("HKCU,Software\\X", "V", 0, bytes, 3);
    doc.EnsureColourTable();
    ASSERT_EQ(doc.SaveProject(dir / "Blue.THM"), 1);
    EXPECT_EQ(doc.note, "a\r\nb");  // only the stored value is escaped
    EXPECT_FALSE(doc.modified);

    ProfileFile stored = Reread(dir / "Blue.THM");
    EXPECT_EQ(stored.GetString("Theme", "Note"), "a<crlf>b");
    EXPECT_EQ(stored.GetString("Theme", "AnimationBkColor"), "48,32,16");
    EXPECT_EQ(stored.GetString("File0", "TransparencyColor"), "12,11,10");
    EXPECT_EQ(stored.GetString("Reg0", "Data"), "01,ab,ff");
    EXPECT_EQ(stored.GetString("Reg1", "Data"), "00,00,00,00");  // first colour of the table, index 4
    EXPECT_EQ(stored.GetString("CustomColors", "0"), "16777215");
    EXPECT_EQ(stored.SectionNames().front(), "Theme");
    EXPECT_EQ(stored.KeyNames("File0"),
              (std::vector<std::string>{"Transparency", "HFlip", "Left", "Right", "Top", "Bottom", "Rotation",
                                        "TransparencyColor", "Name", "Realname", "type"}));
    EXPECT_EQ(stored.KeyNames("Theme"), (std::vector<std::string>{"PDAcolors", "Alias", "Note", "TskType",
                                                                  "AnimationHeight", "AnimationBkColor"}));

    auto back = Open(dir / "Blue.THM");
    EXPECT_EQ(back->alias, "Blue");
    EXPECT_EQ(back->note, "a\r\nb");
    EXPECT_EQ(back->pdaColours, 2);
    EXPECT_EQ(back->tskType, 1);
    EXPECT_EQ(back->animationHeight, 77);
    EXPECT_EQ(back->animationBkColour, 0x102030u);
    EXPECT_EQ(back->customColours[3], 0x123456u);
    ASSERT_EQ(back->files.size(), 1u);
    auto* img = dynamic_cast<ThemeImage*>(back->files[0].get());
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->labelId, kLabelTodayImage);
    EXPECT_EQ(img->cropRight, 30);
    EXPECT_EQ(img->rotation, 4);
    EXPECT_EQ(img->transparencyColour, 0x0A0B0Cu);
    ASSERT_EQ(back->registryEntries.size(), 23u);
    EXPECT_EQ(back->registryEntries[0]->data, (std::vector<uint8_t>{1, 171, 255}));
    EXPECT_FALSE(back->modified);
}

TEST_F(ProjectFile, SparseSectionNumbersComeBackDense) {
    const std::string path = Project(
        "[Theme]\r\nAlias=Blue\r\n[File3]\r\nName=a.htm\r\nRealname=a.htm\r\ntype=3\r\n"
        "[File7]\r\nName=b.htm\r\nRealname=b.htm\r\ntype=3\r\n");
    auto doc = Open(path);
    ASSERT_EQ(doc->files.size(), 2u);
    doc->SaveProject();
    ProfileFile stored = Reread(path);
    EXPECT_EQ(stored.GetString("File0", "Name"), "a.htm");
    EXPECT_EQ(stored.GetString("File1", "Name"), "b.htm");
    EXPECT_FALSE(stored.HasSection("File3"));
    EXPECT_FALSE(stored.HasSection("File7"));
}

TEST_F(ProjectFile, UntypedFileSectionsAreResolvedByProbingTheMember) {
    test::WriteText(dir / "pic.gif", std::string("GIF89a") + std::string(20, '\0'));
    test::WriteText(dir / "page.htm", "<html></html>");
    const std::string path = Project(
        "[Theme]\r\nAlias=Blue\r\n[File0]\r\nName=pic.gif\r\nRealname=x.gif\r\n"
        "[File1]\r\nName=page.htm\r\nRealname=vx5n.htm\r\n"
        "[File2]\r\nName=missing.bin\r\nRealname=m.bin\r\n"
        "[File3]\r\nRealname=nothing\r\n"  // no member at all: probed as unopenable, dropped as an image without Name
        "[File4]\r\nName=sub\r\nRealname=s\r\n");  // a folder cannot be opened as a file either
    ASSERT_TRUE(files::CreateFolder(dir / "sub"));
    auto doc = Open(path);
    ASSERT_EQ(doc->files.size(), 4u);
    EXPECT_EQ(doc->files[3]->kind, kKindImage);
    EXPECT_EQ(doc->files[3]->name, "sub");
    EXPECT_EQ(doc->files[0]->kind, kKindImage);
    EXPECT_NE(dynamic_cast<ThemeImage*>(doc->files[0].get()), nullptr);
    EXPECT_EQ(doc->files[1]->kind, 0);  // a plain file keeps the kind it was loaded with
    EXPECT_EQ(doc->files[1]->labelId, kLabelFile);
    EXPECT_EQ(doc->files[2]->kind, kKindImage);  // a member that cannot be opened counts as an image
}

TEST_F(ProjectFile, ImageSectionsWithoutRealnameDeriveItFromTheMemberName) {
    const std::string path = Project(
        "[Theme]\r\nAlias=Blue\r\n"
        "[File0]\r\nName=BlueTDY.gif\r\ntype=1\r\n"
        "[File1]\r\nName=TDYBlue2.gif\r\ntype=1\r\n"
        "[File2]\r\nName=BlueSTA004.gif\r\ntype=1\r\n"
        "[File3]\r\nName=BluSTA.gif\r\ntype=1\r\n"
        "[File4]\r\nName=\r\ntype=1\r\n");
    auto doc = Open(path);
    ASSERT_EQ(doc->files.size(), 4u);  // the image without Name is dropped
    EXPECT_EQ(doc->files[0]->realName, "tdywater.gif");
    EXPECT_EQ(doc->files[1]->realName, "tdywater.gif");
    EXPECT_EQ(doc->files[2]->realName, "stwater.gif");
    EXPECT_EQ(doc->files[2]->labelId, kLabelStartMenuImage);
    EXPECT_EQ(doc->files[3]->realName, "");
    auto* img = dynamic_cast<ThemeImage*>(doc->files[0].get());
    EXPECT_EQ(img->transparencyColour, 0xFFFFFFu);
}

TEST_F(ProjectFile, RegistrySectionsOfUnknownTypeAreSkipped) {
    const std::string path = Project(
        "[Theme]\r\nAlias=Blue\r\n[Reg0]\r\nSubKey=HKLM,Software\\A\r\nName=x\r\ntype=3\r\n"
        "[Reg1]\r\nSubKey=HKLM,Software\\A\r\nName=y\r\nFlags=1\r\nData=1,AB, fff\r\ntype=4\r\n");
    auto doc = Open(path);
    ASSERT_EQ(doc->registryEntries.size(), 1u + kColourTableSize);
    EXPECT_EQ(doc->registryEntries[0]->valueName, "y");
    EXPECT_EQ(doc->registryEntries[0]->data, (std::vector<uint8_t>{1, 171, 255}));
}

TEST_F(ProjectFile, AnimationHeightIsClampedAndDefaultsTo150) {
    auto zero = Open(Project("[Theme]\r\nAnimationHeight=0\r\n", "a.THM"));
    auto big = Open(Project("[Theme]\r\nAnimationHeight=400\r\n", "b.THM"));
    auto none = Open(Project("[Theme]\r\nAlias=x\r\n", "c.THM"));
    EXPECT_EQ(zero->animationHeight, 1);
    EXPECT_EQ(big->animationHeight, 320);
    EXPECT_EQ(none->animationHeight, 150);
    EXPECT_EQ(ThemeDocument().animationHeight, 100);
}

TEST_F(ProjectFile, OldColourSectionsBecomeColourEntriesAndAreRewritten) {
    const std::string path = Project("[Theme]\r\nAlias=Blue\r\n[COLOR16]\r\nRed=255\r\n[color4]\r\nGreen=300\r\n");
    auto doc = Open(path);
    RegistryEntry* c16 = doc->FindColour(16);
    ASSERT_NE(c16, nullptr);
    EXPECT_EQ(c16->data, (std::vector<uint8_t>{255, 0, 0, 0}));
    EXPECT_EQ(c16->kind, kKindColour);
    EXPECT_EQ(c16->colourGroup, 1);
    EXPECT_EQ(doc->FindColour(4)->data, (std::vector<uint8_t>{0, 44, 0, 0}));
    // The load completed the table, so the file was rewritten at once.
    ProfileFile stored = Reread(path);
    EXPECT_FALSE(stored.HasSection("COLOR16"));
    EXPECT_EQ(stored.GetString("Reg0", "Name"), "16");
    EXPECT_EQ(stored.GetString("Reg0", "type"), "2");
    EXPECT_EQ(stored.GetString("Reg0", "Data"), "ff,00,00,00");
}

TEST_F(ProjectFile, ForeignFileIsRewrittenInTheWriterOrderByteForByte) {
    const std::string path = Project(
        "; made by another program\n\n[theme]\n alias = Old \nTskType=1\nNote=a<crlf>b\n"
        "[Reg7]\nSubKey=HKCU,Software\\X\nName=v\nData=1,AB\ntype=4\n"
        "[color16]\nRed=255\n[File9]\nName=page.htm\nRealname=vx5n.htm\ntype=3\n[CustomColors]\n2=255\n");
    auto doc = Open(path);
    const std::string k = "SubKey=HKLM,Software\\Microsoft\\Color\r\n";
    const std::string expectedStart =
        "[Theme]\r\nPDAcolors=1\r\nAlias=Old\r\nNote=a<crlf>b\r\nTskType=1\r\nAnimationHeight=150\r\n"
        "AnimationBkColor=255,255,255\r\n"
        "[File0]\r\nName=page.htm\r\nRealname=vx5n.htm\r\ntype=3\r\n"
        "[Reg0]\r\nSubKey=HKCU,Software\\X\r\nName=v\r\nFlags=0\r\nData=01,ab\r\ntype=4\r\n"
        "[Reg1]\r\n" + k + "Name=16\r\nFlags=1\r\nData=ff,00,00,00\r\ntype=2\r\n"
        "[Reg2]\r\n" + k + "Name=4\r\nFlags=1\r\nData=00,00,00,00\r\ntype=2\r\n"
        "[Reg3]\r\n" + k + "Name=5\r\nFlags=1\r\nData=77,77,77,00\r\ntype=2\r\n";
    const std::string expectedEnd =
        "[Reg22]\r\n" + k + "Name=40\r\nFlags=1\r\nData=00,00,00,00\r\ntype=2\r\n"
        "[CustomColors]\r\n0=16777215\r\n1=16777215\r\n2=255\r\n3=16777215\r\n4=16777215\r\n"
        "5=16777215\r\n6=16777215\r\n7=16777215\r\n8=16777215\r\n9=16777215\r\n10=16777215\r\n"
        "11=16777215\r\n12=16777215\r\n13=16777215\r\n14=16777215\r\n15=16777215\r\n";
    const std::string written = test::ReadText(path);
    EXPECT_EQ(written.substr(0, expectedStart.size()), expectedStart);
    ASSERT_GE(written.size(), expectedEnd.size());
    EXPECT_EQ(written.substr(written.size() - expectedEnd.size()), expectedEnd);
    EXPECT_EQ(Reread(path).SectionNames().size(), 1u + 1u + 23u + 1u);
    EXPECT_EQ(doc->files[0]->kind, kKindFile);
}

TEST_F(ProjectFile, ThemeWithoutColoursGainsTheWholeTableInOrder) {
    const std::string path = Project("[Theme]\r\nAlias=Blue\r\nPDAcolors=0\r\n");
    auto doc = Open(path);
    ASSERT_EQ(doc->registryEntries.size(), size_t(kColourTableSize));
    for (int i = 0; i < kColourTableSize; ++i) {
        EXPECT_EQ(doc->registryEntries[i]->valueName, std::to_string(kColourTable[i].index));
        EXPECT_EQ(doc->registryEntries[i]->labelId, kColourTable[i].labelId);
        EXPECT_EQ(doc->registryEntries[i]->colourGroup, kColourTable[i].colourGroup);
    }
    EXPECT_EQ(doc->GetColour(37), 0xF7CFB6u);  // stored default 182,207,247
    EXPECT_FALSE(doc->modified);
    EXPECT_EQ(Reread(path).GetString("Reg21", "Name"), "40");
    EXPECT_EQ(doc->pdaColours, 0);
}

TEST_F(ProjectFile, CompleteThemeIsNotRewrittenOnLoad) {
    ThemeDocument doc;
    doc.EnsureColourTable();
    const std::string path = dir / "Full.THM";
    doc.SaveProject(path);
    test::WriteText(path, test::ReadText(path) + "; hand-made comment\r\n");
    Open(path);
    EXPECT_NE(test::ReadText(path).find("hand-made comment"), std::string::npos);
}

TEST_F(ProjectFile, MissingProjectFileLoadsDefaultsAndIsWritten) {
    const std::string path = dir / "New.THM";
    auto doc = Open(path);
    EXPECT_EQ(doc->alias, "New");
    EXPECT_EQ(doc->pdaColours, 1);
    EXPECT_EQ(doc->registryEntries.size(), size_t(kColourTableSize));
    ASSERT_TRUE(files::IsFile(path));
    EXPECT_EQ(Reread(path).GetString("Theme", "Alias"), "New");
}

TEST_F(ProjectFile, ProjectNamedInOtherLetterCaseIsTheSameFile) {
    // Completing the colours rewrites the file the theme was read from; it
    // must never be replaced by defaults because its name was spelt otherwise.
    Project("[Theme]\r\nAlias=Case\r\nPDAcolors=2\r\n[File0]\r\nName=x.htm\r\nRealname=x.htm\r\ntype=3\r\n",
            "Case.THM");
    auto doc = Open(dir / "case.thm");
    EXPECT_EQ(doc->alias, "Case");
    EXPECT_EQ(doc->pdaColours, 2);
    ASSERT_EQ(doc->files.size(), 1u);
    ASSERT_EQ(files::Find(dir / "*.thm").size(), 1u);
    EXPECT_EQ(Reread(dir / "Case.THM").GetString("File0", "Name"), "x.htm");
    EXPECT_EQ(Reread(dir / "Case.THM").GetString("Reg21", "Name"), "40");
}

TEST_F(ProjectFile, NoUsablePathGivesDefaultsAndWritesNothing) {
    ThemeDocument doc;
    doc.pdaColours = 2;
    doc.note = "x";
    doc.LoadProject();
    EXPECT_EQ(doc.pdaColours, 1);
    EXPECT_EQ(doc.note, "");
    EXPECT_EQ(doc.registryEntries.size(), size_t(kColourTableSize));
    EXPECT_TRUE(doc.modified);  // completed, but there is no file to write it to
}

TEST_F(ProjectFile, LongDataAndLongNotesSurviveASaveAndLoad) {
    ThemeDocument doc;
    std::vector<uint8_t> big(1000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
    doc.AddRegistryEntry("HKLM,Software\\Big", "Blob", 1, big.data(), big.size());
    std::string note;
    for (int i = 0; i < 120; ++i) note += "line\r\n";
    doc.note = note;
    const std::string path = dir / "Long.THM";
    doc.SaveProject(path);
    auto back = Open(path);
    EXPECT_EQ(back->registryEntries[0]->data, big);
    EXPECT_EQ(back->note, note);
}

TEST_F(ProjectFile, NoteWithLoneLineEndsCannotAddSections) {
    ThemeDocument doc;
    doc.note = "x\r[File9]\rName=a.gif\ntype=1";
    const std::string path = dir / "Note.THM";
    doc.SaveProject(path);
    EXPECT_FALSE(Reread(path).HasSection("File9"));
    auto back = Open(path);
    EXPECT_TRUE(back->files.empty());
    EXPECT_EQ(back->note, "x\r\n[File9]\r\nName=a.gif\r\ntype=1");

    // Names taken over from a package cannot start sections either.
    const uint8_t one[1] = {1};
    doc.AddRegistryEntry("HKLM,Software\\A", "v\r\n[Reg7]\r\ntype=4", 1, one, 1);
    doc.SaveProject();
    EXPECT_FALSE(Reread(path).HasSection("Reg7"));
    EXPECT_EQ(Open(path)->registryEntries[0]->valueName, "v  [Reg7]  type=4");
}

TEST_F(ProjectFile, FailedSaveKeepsTheOldFileAndTheModifiedState) {
    ThemeDocument doc;
    doc.alias = "Blue";
    const std::string path = dir / "Blue.THM";
    ASSERT_EQ(doc.SaveProject(path), 1);
    const std::string before = test::ReadText(path);
    doc.note = "changed";
    doc.modified = true;
    // A read-only project cannot be replaced.
    ASSERT_TRUE(files::SetReadOnly(path, true));
    EXPECT_EQ(doc.SaveProject(), 0);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(test::ReadText(path), before);
    EXPECT_EQ(files::Find(dir / "*.new").size(), 0u);  // the new copy is not left lying about
    ASSERT_TRUE(files::SetReadOnly(path, false));

    // The new copy is written under a name of this save alone: whatever lies
    // at the old fixed name (a folder, another program's half-written file)
    // neither stops the save nor ends up in the project.
    ASSERT_TRUE(files::CreateFolder(path + ".new"));
    EXPECT_EQ(doc.SaveProject(), 1);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(Reread(path).GetString("Theme", "Note"), "changed");
    EXPECT_TRUE(files::IsDirectory(path + ".new"));
}

TEST_F(ProjectFile, HostileProjectFilesLoadWithDefaultsKeyByKey) {
    std::string junk = "[Theme]\r\nPDAcolors=abc\r\nAnimationHeight=99999999999999\r\nAnimationBkColor=,,,\r\n";
    const char binary[] = "\0\x01\xff[File0\r\nName";
    junk += std::string(binary, sizeof binary - 1);
    junk += "\r\n[Reg0]\r\ntype=2\r\nData=" + std::string(100000, ',') + "\r\nkeywithoutvalue\r\n";
    // A value that starts with NUL reads as empty, so the default applies.
    junk += "[CustomColors]\r\n0=" + std::string(1, '\0') + "7\r\n1=x\r\n";
    for (int i = 0; i < 3000; ++i) junk += "[File" + std::to_string(i) + "]\r\ntype=1\r\n";
    auto doc = Open(Project(junk));
    EXPECT_EQ(doc->pdaColours, 0);
    EXPECT_EQ(doc->customColours[0], 0xFFFFFFu);
    EXPECT_EQ(doc->customColours[1], 0u);
    EXPECT_GE(doc->animationHeight, 1);
    EXPECT_LE(doc->animationHeight, 320);
    EXPECT_TRUE(doc->files.empty());  // image sections without Name are dropped
    EXPECT_GE(doc->registryEntries.size(), size_t(kColourTableSize));
}

}  // namespace
}  // namespace mrw
