// Package import, and themes built and imported again.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "base/AsciiText.h"
#include "editor/document/ColourTable.h"
#include "editor/document/NewTheme.h"
#include "editor/document/ProjectValues.h"
#include "editor/packages/AnimatedPage.h"
#include "base/ByteOrder.h"
#include "base/formats/CabinetLayout.h"
#include "editor/packages/CabinetWriter.h"
#include "editor/packages/PackageBuild.h"
#include "editor/packages/PackageImport.h"
#include "editor/packages/SetupFileWriter.h"
#include "editor/packages/ThemePackageReader.h"
#include "editor/tasks/WaitingTaskRunner.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "testing/TestSupport.h"
#include "PackageTestSupport.h"

namespace mrw {
namespace {

using Value = std::tuple<std::string, std::string, int, std::vector<uint8_t>>;

std::vector<Value> Values(const ThemeDocument& theme) {
    std::vector<Value> values;
    for (const auto& e : theme.registryEntries) values.emplace_back(ascii::ToUpper(e->subKey), e->valueName, e->flags, e->data);
    std::sort(values.begin(), values.end());
    return values;
}

class PackageImport : public ::testing::Test {
protected:
    void SetUp() override {
        library.Scan(sourceDir.path());
        theme = CreateNewTheme(library, "Blue");
        ASSERT_NE(theme, nullptr);
        ASSERT_TRUE(test::InstallBuilder(test::RealBuilder(), tools.path()));
    }
    // Builds the theme into `name` in the package folder.
    std::string Build(const std::string& name) {
        const std::string path = packages / name;
        PackageExportTask task(path);
        EXPECT_TRUE(task.BuildPackage(tools.path(), *theme, runner)) << "status " << task.status;
        return path;
    }
    std::string Exported(const std::string& realName) const { return paths::Join(tools / "tmp", realName); }
    LibraryImport Import(const std::string& package) {
        LibraryImport result = ImportPackageIntoLibrary(targetDir.path(), package, runner);
        if (!result.extractionFolder.empty()) files::RemoveTree(result.extractionFolder);
        return result;
    }

    test::TempFolder sourceDir, targetDir, tools, packages;
    ThemeLibrary library;
    ThemeDocument* theme = nullptr;
    WaitingTaskRunner runner;
};

TEST_F(PackageImport, RoundTripKeepsFilesColoursValuesAndAnimation) {
    // Every registry value type, one value far longer than a path.
    std::vector<uint8_t> longData(200);
    for (size_t i = 0; i < longData.size(); ++i) longData[i] = uint8_t(i * 7);
    const std::string text = std::string("Hello, handheld") + '\0';
    const uint8_t multi[] = {'a', 0, 'b', 'c', 0, 0};
    const uint8_t number[] = {0x78, 0x56, 0x34, 0x12};
    theme->AddRegistryEntry("HKLM,Software\\Morwen\\Test", "Text", 0, reinterpret_cast<const uint8_t*>(text.data()),
                            text.size());
    theme->AddRegistryEntry("HKLM,Software\\Morwen\\Test", "Long", 1, longData.data(), longData.size());
    theme->AddRegistryEntry("HKCU,Software\\Morwen", "Multi", 0x10000, multi, sizeof multi);
    theme->AddRegistryEntry("HKCU,Software\\Morwen", "Number", 0x10001, number, sizeof number);
    theme->FindColour(5)->SetColour(0x0080FF);
    theme->FindColour(40)->SetColour(0x123456);
    test::TempFolder extra;
    test::WriteText(extra / "notes.txt", "a plain member file\r\n");
    theme->AddFile(extra.path(), "notes.txt");
    ASSERT_TRUE(MakeAnimated(*theme, test::ProgramFolder()));
    theme->animationHeight = 123;
    theme->animationBkColour = 0x3C2B1A;
    ASSERT_TRUE(WriteAnimatedPage(*theme, tools.path()));
    ASSERT_EQ(theme->SaveProject(), 1);

    LibraryImport imported = Import(Build("Round.tsk"));
    ASSERT_NE(imported.document, nullptr) << imported.status;
    ThemeDocument& copy = *imported.document;
    EXPECT_EQ(copy.projectPath, targetDir / "Round.THM");
    EXPECT_EQ(copy.alias, "Round");
    EXPECT_EQ(copy.tskType, 1);
    EXPECT_EQ(copy.animationHeight, 123);
    EXPECT_EQ(copy.animationBkColour, 0x3C2B1Au);

    ASSERT_EQ(copy.files.size(), theme->files.size());
    for (const auto& f : theme->files) {
        const ThemeFile* g = copy.FindFile(f->realName);
        ASSERT_NE(g, nullptr) << f->realName;
        EXPECT_EQ(g->kind, f->kind) << f->realName;
        EXPECT_EQ(test::ReadBytes(targetDir / g->name), test::ReadBytes(Exported(f->realName))) << f->realName;
    }
    EXPECT_EQ(Values(copy), Values(*theme));
    for (const ColourTableRow& row : kColourTable) EXPECT_EQ(copy.GetColour(row.index), theme->GetColour(row.index));

    // And from the saved project.
    std::unique_ptr<ThemeDocument> reloaded = ThemeDocument::OpenHeader(copy.projectPath);
    reloaded->LoadProject();
    EXPECT_EQ(Values(*reloaded), Values(*theme));
    EXPECT_EQ(reloaded->tskType, 1);
    EXPECT_EQ(reloaded->animationHeight, 123);
    EXPECT_EQ(reloaded->animationBkColour, 0x3C2B1Au);
}

TEST_F(PackageImport, SetupFileListedLastIsSkippedAndEveryThemeFileKept) {
    const std::string built = Build("Built.tsk");
    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(built));
    std::vector<CabinetMember> members;
    for (size_t i = 0; i < reader.FileCount(); ++i) {
        CabinetMember m;
        m.name = reader.File(i).name;
        ASSERT_TRUE(reader.ReadMember(i, m.bytes));
        members.push_back(std::move(m));
    }
    reader.Close();
    ASSERT_EQ(members.size(), 3u);
    std::rotate(members.begin(), members.begin() + 1, members.end());  // setup file last
    std::string error;
    ASSERT_TRUE(WriteCabinet(packages / "Reordered.tsk", members, error)) << error;

    LibraryImport imported = Import(packages / "Reordered.tsk");
    ASSERT_NE(imported.document, nullptr);
    ASSERT_EQ(imported.document->files.size(), 2u);
    EXPECT_NE(imported.document->TodayImage(), nullptr);
    EXPECT_NE(imported.document->StartMenuImage(), nullptr);
    EXPECT_EQ(Values(*imported.document), Values(*theme));
}

TEST_F(PackageImport, StartImageServesAsTodayImage) {
    theme->RemoveFile("tdywater.gif");
    const uint8_t on[4] = {1, 0, 0, 0};
    theme->AddRegistryEntry("HKCU,Software\\Microsoft\\Today", "UseStartImage", 0x10001, on, 4);
    LibraryImport imported = Import(Build("Start.tsk"));
    ASSERT_NE(imported.document, nullptr);
    const ThemeDocument& copy = *imported.document;
    ASSERT_EQ(copy.files.size(), 2u);
    ASSERT_NE(copy.TodayImage(), nullptr);
    ASSERT_NE(copy.StartMenuImage(), nullptr);
    EXPECT_EQ(copy.TodayImage()->realName, "TdyWater.gif");
    EXPECT_EQ(test::ReadBytes(targetDir / copy.TodayImage()->name),
              test::ReadBytes(targetDir / copy.StartMenuImage()->name));
    for (const auto& e : copy.registryEntries) EXPECT_NE(e->valueName, "UseStartImage");
}

TEST_F(PackageImport, StartImageSwitchOffIsAnOrdinaryValue) {
    const uint8_t off[4] = {0, 0, 0, 0};
    theme->AddRegistryEntry("HKCU,Software\\Microsoft\\Today", "UseStartImage", 0x10001, off, 4);
    LibraryImport imported = Import(Build("Off.tsk"));
    ASSERT_NE(imported.document, nullptr);
    EXPECT_EQ(imported.document->files.size(), 2u);
    EXPECT_EQ(Values(*imported.document), Values(*theme));
}

TEST_F(PackageImport, HandMadePackageWithValuesOfEveryTypeAndOddKeys) {
    // A package of another tool: setup file in the middle of the table,
    // values of every type, a key under a root the script cannot name
    // (HKEY_USERS), a value of a missing key, a final name leading outside.
    SetupFileModel m;
    m.applicationName = "Other";
    m.strings = {"Software", "Maker", "Setting"};
    SetupRegistryKey maker, users;
    maker.id = 4;
    maker.root = kRootLocalMachine;
    maker.componentIds = {1, 2};
    users.id = 9;
    users.root = 4;
    users.componentIds = {3};
    m.keys = {users, maker};
    m.values = {{1, 4, 0, 0x00000000, "Text", {'h', 'i', 0}},
                {2, 4, 0, 0x00000001, "Bytes", {1, 2, 3}},
                {3, 4, 0, 0x00010000, "Multi", {'a', 0, 'b', 0, 0}},
                {4, 4, 0, 0x00010003, "Number", {0x78, 0x56, 0x34, 0x12}},
                {5, 4, 0, 0x00000001, "", {}},
                {6, 9, 0, 0x00000001, "Users", {1}},
                {7, 5, 0, 0x00000001, "NoKey", {1}}};
    m.files = {{1, 1, 1, 0, "notes.txt"}, {2, 1, 1, 0, "..\\outside.txt"}};
    std::vector<CabinetMember> members(3);
    members[0].name = "0notes.001";
    members[0].bytes = {'n'};
    members[1].name = "OTHER~1.000";
    std::string error;
    ASSERT_TRUE(WriteSetupFile(m, members[1].bytes, error)) << error;
    members[2].name = "outside.002";
    members[2].bytes = {'o'};
    ASSERT_TRUE(WriteCabinet(packages / "Other.tsk", members, error)) << error;

    LibraryImport imported = Import(packages / "Other.tsk");
    ASSERT_NE(imported.document, nullptr);
    const ThemeDocument& copy = *imported.document;
    ASSERT_EQ(copy.files.size(), 1u);
    EXPECT_EQ(copy.files[0]->realName, "notes.txt");
    std::vector<Value> expected = {
        {"HKLM,SOFTWARE\\MAKER", "Text", 0, {'h', 'i', 0}},
        {"HKLM,SOFTWARE\\MAKER", "Bytes", 1, {1, 2, 3}},
        {"HKLM,SOFTWARE\\MAKER", "Multi", 0x10000, {'a', 0, 'b', 0, 0}},
        {"HKLM,SOFTWARE\\MAKER", "Number", 0x10003, {0x78, 0x56, 0x34, 0x12}},
        {"HKLM,SOFTWARE\\MAKER", "", 1, {}}};
    std::vector<Value> got;
    for (const auto& v : Values(copy)) {
        if (std::get<0>(v) != "HKLM,SOFTWARE\\MICROSOFT\\COLOR") got.push_back(v);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);

    // The imported theme builds: nothing in it is refused by the builder.
    theme = imported.document.get();
    const std::string rebuilt = Build("Rebuilt.tsk");
    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(rebuilt));
    ASSERT_EQ(reader.ReadSetupFileFromCabinet(), 1);
    size_t count = 0;
    for (const SetupRegistryValue* v = reader.FirstValue(); v; v = reader.NextValue()) ++count;
    EXPECT_EQ(count, copy.registryEntries.size());
}

TEST_F(PackageImport, TakenNamesAreNumberedFromTwo) {
    const std::string package = Build("Blue.tsk");
    test::WriteText(targetDir / "Blue.THM", "");
    test::WriteText(targetDir / "Blue(2).THM", "");
    LibraryImport imported = Import(package);
    ASSERT_NE(imported.document, nullptr);
    EXPECT_EQ(imported.document->projectPath, targetDir / "Blue(3).THM");
    EXPECT_EQ(imported.document->alias, "Blue(3)");
    EXPECT_TRUE(files::IsFile(targetDir / "Blue(3).THM"));
}

TEST_F(PackageImport, UnreadablePackageIsReportedAndAddsNothing) {
    test::WriteText(packages / "bad.tsk", "not a cabinet at all, not even close");
    // The failure comes back in the result: no message box from the worker.
    ScriptedPrompter prompter;
    ScopedPrompter scoped(prompter);
    LibraryImport imported = Import(packages / "bad.tsk");
    EXPECT_EQ(imported.document, nullptr);
    EXPECT_EQ(imported.status, kImportOpenFailed);
    EXPECT_EQ(imported.message.argument, packages / "bad.tsk");
    EXPECT_EQ(ImportMessageText(imported.message), "Erreur \xE0 l'ouverture du fichier");
    EXPECT_TRUE(files::Find(targetDir / "*").empty());
    imported = Import(packages / "missing.tsk");
    EXPECT_EQ(imported.status, kImportOpenFailed);

    // A cabinet of compressed data is refused the same way, not imported as
    // an empty theme.
    std::vector<CabinetMember> members(1);
    members[0].name = "tdywater.001";
    members[0].bytes = {'G', 'I', 'F'};
    std::string error;
    ASSERT_TRUE(WriteCabinet(packages / "packed.tsk", members, error)) << error;
    auto bytes = test::ReadBytes(packages / "packed.tsk");
    le::SetU16(bytes.data() + cabinet::kFolderTableOffset + cabinet::folder::kCompression,
               cabinet::kCompressionMszip);  // folder 0
    test::WriteBytes(packages / "packed.tsk", bytes);
    imported = Import(packages / "packed.tsk");
    EXPECT_EQ(imported.document, nullptr);
    EXPECT_EQ(imported.status, kImportOpenFailed);
    EXPECT_EQ(imported.message.stringId, kImportOpenFailedMessage);
    EXPECT_TRUE(prompter.Messages().empty());
    EXPECT_TRUE(files::Find(targetDir / "*").empty());
}

TEST_F(PackageImport, ACancelledImportLeavesNoProjectAndNoExtractedPackage) {
    const std::string package = Build("Blue.tsk");
    for (int step = 0; step <= 3; ++step) {
        test::CancelAtStepRunner cancel(step);
        LibraryImport imported = ImportPackageIntoLibrary(targetDir.path(), package, cancel);
        EXPECT_EQ(imported.document, nullptr) << step;
        EXPECT_EQ(imported.status, kTaskStatusCancelled) << step;
        EXPECT_EQ(imported.message.stringId, kNoImportMessage) << step;
        EXPECT_TRUE(files::Find(targetDir / "*").empty()) << step;
        EXPECT_EQ(imported.extractionFolder.empty(), step < 2) << step;  // extracted from step 2 on
        if (!imported.extractionFolder.empty()) {
            EXPECT_FALSE(files::Exists(imported.extractionFolder)) << step;
        }
    }
}

TEST_F(PackageImport, ImportFailingPartWayLeavesNoHalfProject) {
    const std::string package = Build("Half.tsk");
    ASSERT_TRUE(files::CreateFolder(targetDir / "Half.THM"));  // the project cannot be written
    ThemeDocument target;
    target.projectFolder = targetDir.path();
    target.alias = "Half";
    PackageImportTask task;
    EXPECT_FALSE(task.ImportPackage(package, std::string(), target, runner));
    EXPECT_EQ(task.status, kImportNotWritten);
    EXPECT_EQ(task.message.stringId, 132);
    const auto left = files::Find(targetDir / "*");
    ASSERT_EQ(left.size(), 1u);  // only the folder in the way
    EXPECT_TRUE(left[0].isDirectory);
    EXPECT_TRUE(target.files.empty());
    files::RemoveTree(task.ExtractionFolder());
}

TEST(AnimationFiles, HeightComesFromTheSizeLine) {
    test::TempFolder dir;
    int height = 7;
    EXPECT_FALSE(ReadAnimationHeight(dir / "missing.atc", height));
    test::WriteText(dir / "a.atc", "s=12\r\n[x]\r\n  size = 120\r\nsize=5\r\n");
    EXPECT_TRUE(ReadAnimationHeight(dir / "a.atc", height));
    EXPECT_EQ(height, 120);
    test::WriteText(dir / "b.atc", "s=12\r\nsizes=4\r\n");
    height = 7;
    EXPECT_FALSE(ReadAnimationHeight(dir / "b.atc", height));
    EXPECT_EQ(height, 7);
    test::WriteText(dir / "c.atc", "SIZE=99999999999999\r\n");
    EXPECT_TRUE(ReadAnimationHeight(dir / "c.atc", height));
    EXPECT_EQ(height, 320);  // kept within 1..320
}

TEST(AnimationFiles, ColourComesFromTheMarker) {
    test::TempFolder dir;
    uint32_t colour = 0x123456;
    test::WriteText(dir / "a.htm", "<BODY BGCOLOR=\"#1A2b3C\">");
    EXPECT_TRUE(ReadAnimationColour(dir / "a.htm", colour));
    EXPECT_EQ(colour, 0x3C2B1Au);
    test::WriteText(dir / "b.htm", "<BODY BGCOLOR=\"#F");  // too short
    colour = 0x123456;
    EXPECT_FALSE(ReadAnimationColour(dir / "b.htm", colour));
    test::WriteText(dir / "c.htm", "BGCOLOR=\"#F-0102>>");
    EXPECT_TRUE(ReadAnimationColour(dir / "c.htm", colour));
    EXPECT_EQ(colour, 0x02010Fu);  // "F-" reads as 15
    EXPECT_EQ(colour & 0xFF, 15u);
}

}  // namespace
}  // namespace mrw
