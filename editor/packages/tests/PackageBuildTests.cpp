// Package build: the installation script byte for byte, and every build
// status on its fault.
#include <gtest/gtest.h>

#include "editor/document/ColourTable.h"
#include "editor/document/NewTheme.h"
#include "editor/packages/PackageBuild.h"
#include "editor/packages/ThemePackageReader.h"
#include "editor/tasks/WaitingTaskRunner.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "testing/TestSupport.h"
#include "PackageTestSupport.h"

namespace mrw {
namespace {

const char kScriptHead[] =
    "[Version]\r\n"
    "Signature=\"$Chicago$\"\r\n"
    "CESignature=\"$Windows CE$\"\r\n"
    "Provider= \"Windows\"\r\n"
    "\r\n"
    "[CEStrings]\r\n"
    "AppName=\"Blue Sky\"\r\n"
    "InstallDir= %CE2%\r\n"
    "\r\n"
    "[CEDevice.POCKETPC2002]\r\n"
    "ProcessorType = 2577\r\n"
    "UnsupportedPlatforms= \"HPC\",\"Jupiter\"\r\n"
    "VersionMin = 3.0\r\n"
    "VersionMax = 100.0\r\n"
    "\r\n"
    "[SourceDisksNames.POCKETPC2002]\r\n"
    "1 = ,\"Other\",,.\r\n"
    "\r\n"
    "[DefaultInstall.POCKETPC2002]\r\n"
    "CopyFiles = Files.Common.Windows\r\n"
    "AddReg=Registry.Common\r\n"
    "\r\n"
    "[DestinationDirs]\r\n"
    "Files.Common.Windows=0,%CE2%\r\n"
    "DefaultDestDir=0,%InstallDir%\r\n"
    "\r\n"
    "[SourceDisksFiles]\r\n";

TEST(InstallScript, IsWrittenByteForByte) {
    ThemeDocument theme;
    theme.alias = "Blue Sky";
    for (const char* name : {"tdywater.gif", "vx5n.htm"}) {
        theme.files.push_back(std::make_unique<ThemeFile>());
        theme.files.back()->realName = name;
    }
    const uint8_t orange[4] = {255, 128, 0, 0};
    theme.AddRegistryEntry(kColourSubKey, "5", 1, orange, 4);
    theme.AddRegistryEntry("HKCU,Software\\Microsoft\\Today", "Skin", 0x10001, nullptr, 0);
    const std::string expected = std::string(kScriptHead) +
                                 "tdywater.gif=1\r\n"
                                 "vx5n.htm=1\r\n"
                                 "\r\n"
                                 "[Files.Common.Windows]\r\n"
                                 "tdywater.gif,,,0x40000000\r\n"
                                 "vx5n.htm,,,0x40000000\r\n"
                                 "\r\n"
                                 "[Strings]\r\n"
                                 "reg_path = Software\\Microsoft\\Color\r\n"
                                 "\r\n"
                                 "[Registry.Common]\r\n"
                                 "HKLM,Software\\Microsoft\\Color,5,0x00000001,ff,80,00,00\r\n"
                                 "HKCU,Software\\Microsoft\\Today,Skin,0x00010001,\r\n";
    EXPECT_EQ(InstallScriptText(theme), expected);
}

TEST(InstallScript, WithoutRegistryValuesEndsWithTheRegistrySection) {
    ThemeDocument theme;
    theme.alias = "Blue Sky";
    const std::string text = InstallScriptText(theme);
    EXPECT_EQ(text.substr(0, sizeof kScriptHead - 1), kScriptHead);
    const std::string tail = "[SourceDisksFiles]\r\n\r\n[Files.Common.Windows]\r\n\r\n[Strings]\r\n"
                             "reg_path = Software\\Microsoft\\Color\r\n\r\n[Registry.Common]\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(InstallScript, NamesWithScriptSyntaxAreQuotedAndOrdinaryOnesLeftAlone) {
    // Names taken over from other tools' packages may hold what the script
    // gives a meaning to: separators, comments, quotes, "%" substitutions,
    // blanks that would be trimmed, line ends that would start new lines.
    ThemeDocument theme;
    theme.alias = "50% \"off\"";
    for (const char* name : {"a,b.gif", "[x].txt", "100%.txt", "plain name.txt"}) {
        theme.files.push_back(std::make_unique<ThemeFile>());
        theme.files.back()->realName = name;
    }
    theme.AddRegistryEntry("HKCU,Software\\We,ird\"Key", "semi;colon", 0, nullptr, 0);
    theme.AddRegistryEntry("HKCU,Software\\Today", "%reg_path%", 0, nullptr, 0);
    theme.AddRegistryEntry("HKCU,Software\\Today", " spaced ", 0, nullptr, 0);
    theme.AddRegistryEntry("HKCU,Software\\Today", "line\r\n[Files.Common.Windows]\r\nx", 0, nullptr, 0);
    theme.AddRegistryEntry("HKCU,Software\\Today", "a=b", 0, nullptr, 0);
    const std::string text = InstallScriptText(theme);
    EXPECT_NE(text.find("AppName=\"50%% \"\"off\"\"\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("[SourceDisksFiles]\r\n\"a,b.gif\"=1\r\n\"[x].txt\"=1\r\n100%%.txt=1\r\nplain name.txt=1\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Files.Common.Windows]\r\n\"a,b.gif\",,,0x40000000\r\n\"[x].txt\",,,0x40000000\r\n"
                        "100%%.txt,,,0x40000000\r\nplain name.txt,,,0x40000000\r\n"),
              std::string::npos);
    const std::string registry = text.substr(text.find("[Registry.Common]\r\n") + 19);
    EXPECT_EQ(registry,
              "HKCU,\"Software\\We,ird\"\"Key\",\"semi;colon\",0x00000000,\r\n"
              "HKCU,Software\\Today,%%reg_path%%,0x00000000,\r\n"
              "HKCU,Software\\Today,\" spaced \",0x00000000,\r\n"
              "HKCU,Software\\Today,\"line  [Files.Common.Windows]  x\",0x00000000,\r\n"
              "HKCU,Software\\Today,\"a=b\",0x00000000,\r\n");
}

// A default-like theme (two white images, the colour table) in a library
// folder, and a tool folder with a builder.
class PackageBuild : public ::testing::Test {
protected:
    void SetUp() override {
        library.Scan(libraryDir.path());
        theme = CreateNewTheme(library, "Blue");
        ASSERT_NE(theme, nullptr);
        ASSERT_TRUE(test::InstallBuilder(test::RealBuilder(), tools.path()));
    }
    int Build() {
        PackageBuildTask task;
        task.BuildPackage(tools.path(), *theme, runner);
        return task.status;
    }
    std::string Working(const std::string& name) const { return paths::Join(tools / "tmp", name); }

    test::TempFolder libraryDir, tools;
    ThemeLibrary library;
    ThemeDocument* theme = nullptr;
    WaitingTaskRunner runner;
};

TEST_F(PackageBuild, DeliversThePackageBesideTheProject) {
    ASSERT_EQ(Build(), kBuildOk);
    EXPECT_EQ(theme->packageFile, libraryDir / "Blue.tsk");
    EXPECT_TRUE(files::IsFile(libraryDir / "Blue.tsk"));
    EXPECT_FALSE(files::Exists(Working("Blue.tsk")));
    EXPECT_FALSE(files::Exists(Working(kBuiltCabinetName)));
    EXPECT_EQ(test::ReadText(Working("Today.INF")), InstallScriptText(*theme));
    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(libraryDir / "Blue.tsk"));
    EXPECT_EQ(reader.FileCount(), 3u);  // setup file and two images
}

TEST_F(PackageBuild, ReplacesAReadOnlyPackageAndSurvivesAStaleWorkingPackage) {
    test::WriteText(libraryDir / "Blue.tsk", "old");
    ASSERT_TRUE(files::SetReadOnly(libraryDir / "Blue.tsk", true));
    ASSERT_TRUE(files::CreateFolder(tools / "tmp"));
    test::WriteText(Working("Blue.tsk"), "left by a failed delivery");
    ASSERT_EQ(Build(), kBuildOk);
    ThemePackageReader reader;
    EXPECT_TRUE(reader.Open(libraryDir / "Blue.tsk"));
}

TEST_F(PackageBuild, ExportTaskDeliversToItsTargetAndFailsWhenItCannot) {
    PackageExportTask task(libraryDir / "out.tsk");
    EXPECT_TRUE(task.BuildPackage(tools.path(), *theme, runner));
    EXPECT_TRUE(files::IsFile(libraryDir / "out.tsk"));
    EXPECT_TRUE(theme->packageFile.empty());

    PackageExportTask nowhere(paths::Join(libraryDir / "missing", "out.tsk"));
    EXPECT_FALSE(nowhere.BuildPackage(tools.path(), *theme, runner));
    EXPECT_EQ(nowhere.status, kBuildNotDelivered);
    // The package stays in the working folder; the next build is not held up by it.
    EXPECT_TRUE(files::IsFile(Working("Blue.tsk")));
    EXPECT_EQ(Build(), kBuildOk);
}

TEST_F(PackageBuild, AFailedDeliveryKeepsTheOldPackage) {
    test::WriteText(libraryDir / "out.tsk", "old package");
    ASSERT_TRUE(files::CreateFolder(libraryDir / "blocked.tsk"));
    PackageExportTask task(libraryDir / "blocked.tsk");
    EXPECT_FALSE(task.BuildPackage(tools.path(), *theme, runner));
    EXPECT_EQ(task.status, kBuildNotDelivered);
    EXPECT_TRUE(files::IsDirectory(libraryDir / "blocked.tsk"));
    EXPECT_EQ(test::ReadText(libraryDir / "out.tsk"), "old package");
}

TEST_F(PackageBuild, WorkingFolderThatCannotBeCreated) {
    test::WriteText(tools / "tmp", "a file where the folder belongs");
    EXPECT_EQ(Build(), kBuildNoWorkingFolder);
    PackageBuildTask task;
    test::TempFolder gone;
    EXPECT_FALSE(task.BuildPackage(paths::Join(gone / "no", "such"), *theme, runner));
    EXPECT_EQ(task.status, kBuildNoWorkingFolder);
}

TEST_F(PackageBuild, ScriptThatCannotBeCreated) {
    ASSERT_TRUE(files::CreateFolders(Working("Today.INF")));
    EXPECT_EQ(Build(), kBuildNoScript);
}

TEST_F(PackageBuild, ExportThatFails) {
    files::Delete(libraryDir / theme->TodayImage()->name);
    EXPECT_EQ(Build(), kBuildExportFailed);
    EXPECT_FALSE(files::Exists(libraryDir / "Blue.tsk"));
}

TEST_F(PackageBuild, BuilderMissing) {
    files::Delete(tools / process::ExecutableName("CabWiz"));
    EXPECT_EQ(Build(), kBuildNoBuilder);
    EXPECT_FALSE(files::Exists(libraryDir / "Blue.tsk"));
}

TEST_F(PackageBuild, BuilderWritingNothingIsNotTakenForAnEarlierCabinet) {
    ASSERT_TRUE(test::InstallBuilder(test::FakeBuilder(), tools.path()));
    ASSERT_TRUE(files::CreateFolder(tools / "tmp"));
    test::WriteText(Working(kBuiltCabinetName), "from an earlier run");
    EXPECT_EQ(Build(), kBuildNoCabinet);
    EXPECT_FALSE(files::Exists(libraryDir / "Blue.tsk"));
}

TEST_F(PackageBuild, BuilderRejectingTheScript) {
    // A registry root the builder does not know: it refuses the script.
    theme->AddRegistryEntry("HKXX,Software\\Test", "Value", 1, nullptr, 0);
    EXPECT_EQ(Build(), kBuildNoCabinet);
}

TEST_F(PackageBuild, NamesWithScriptSyntaxComeBackFromThePackageUnchanged) {
    const std::vector<std::string> names = {"semi;colon", "%reg_path%", " spaced ", "q\"uote", "a,b", "x=y", "[s]"};
    for (const auto& name : names) {
        const uint8_t data[2] = {'x', 0};
        theme->AddRegistryEntry("HKCU,Software\\We,ird\"Key;%CE2%", name, 0, data, 2);
    }
    const std::string odd = "a,b;c%d%.txt";
    test::WriteText(libraryDir / "odd.txt", "odd");
    theme->AddFile(libraryDir.path(), "odd.txt")->realName = odd;
    ASSERT_EQ(Build(), kBuildOk);

    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(libraryDir / "Blue.tsk"));
    ASSERT_EQ(reader.ReadSetupFileFromCabinet(), 1);
    EXPECT_EQ(reader.ApplicationName(), "Blue");
    std::vector<std::string> read;
    for (const SetupRegistryValue* v = reader.FirstValue(); v; v = reader.NextValue()) {
        std::string key;
        ASSERT_TRUE(reader.KeyPath(v->keyId, key));
        if (key != "HKCU,Software\\We,ird\"Key;%CE2%") continue;
        read.push_back(v->name);
        EXPECT_EQ(v->data, (std::vector<uint8_t>{'x', 0}));
    }
    EXPECT_EQ(read, names);
    bool found = false;
    for (size_t i = 0; i < reader.FileCount(); ++i) found = found || reader.File(i).targetName == odd;
    EXPECT_TRUE(found);
}

TEST_F(PackageBuild, ThemeWithoutFilesInMemoryIsLoadedFirst) {
    ThemeLibrary other;
    other.Scan(libraryDir.path());
    ThemeDocument* header = other.FindByAlias("Blue");
    ASSERT_NE(header, nullptr);
    ASSERT_TRUE(header->files.empty());
    PackageBuildTask task;
    EXPECT_TRUE(task.BuildPackage(tools.path(), *header, runner));
    EXPECT_EQ(header->files.size(), 2u);
}

TEST_F(PackageBuild, ACancelledBuildKeepsTheOldPackageAndLeavesNothingBehind) {
    test::WriteText(libraryDir / "Blue.tsk", "old package");
    const auto before = test::TreeOf(files::TempFolder());
    for (int step = 0; step <= 5; ++step) {
        PackageBuildTask task;
        test::CancelAtStepRunner cancel(step);
        EXPECT_FALSE(task.BuildPackage(tools.path(), *theme, cancel)) << step;
        EXPECT_TRUE(task.Cancelled()) << step;
        EXPECT_EQ(test::ReadText(libraryDir / "Blue.tsk"), "old package") << step;
        EXPECT_FALSE(files::Exists(tools / "tmp")) << step;  // made by the build, gone with it
#ifndef _WIN32
        // The test's own temporary folder (TMPDIR): nothing new anywhere in it.
        EXPECT_EQ(test::TreeOf(files::TempFolder()), before) << step;
#endif
    }
    // A working folder that was there before stays, with what the build did not write.
    ASSERT_TRUE(files::CreateFolder(tools / "tmp"));
    test::WriteText(Working("keep.txt"), "not the build's");
    PackageBuildTask task;
    test::CancelAtStepRunner cancel(5);
    EXPECT_FALSE(task.BuildPackage(tools.path(), *theme, cancel));
    EXPECT_EQ(files::Find(Working("*")).size(), 1u);
    // Once the package is delivered the build is complete.
    test::CancelAtStepRunner late(6);
    EXPECT_TRUE(task.BuildPackage(tools.path(), *theme, late));
    EXPECT_NE(test::ReadText(libraryDir / "Blue.tsk"), "old package");
}

TEST_F(PackageBuild, ACancelWhileTheBuilderRunsRemovesWhatItWrote) {
    ASSERT_TRUE(test::InstallBuilder(test::FakeBuilder(), tools.path()));
    test::WriteText(libraryDir / "Blue.tsk", "old package");
    test::TempFolder hold;
    test::ScopedEnvironment env("MRW_FAKE_CABWIZ_HOLD", hold.path());
    // Cancels once the builder has written its cabinet, then lets it end.
    struct Runner : WaitingTaskRunner {
        std::string hold;
        bool released = false;
        void OnIdle(Task& task) override {
            if (released || !files::Exists(paths::Join(hold, "started"))) return;
            task.RequestCancel();
            test::WriteText(paths::Join(hold, "release"), "");
            released = true;
        }
    } runner;
    runner.hold = hold.path();
    PackageBuildTask task;
    EXPECT_FALSE(task.BuildPackage(tools.path(), *theme, runner));
    EXPECT_TRUE(runner.released);
    EXPECT_TRUE(task.Cancelled());
    EXPECT_EQ(test::ReadText(libraryDir / "Blue.tsk"), "old package");
    EXPECT_FALSE(files::Exists(tools / "tmp"));
}

TEST_F(PackageBuild, CurrentFolderIsRestored) {
    const std::string before = files::CurrentFolder();
    ASSERT_EQ(Build(), kBuildOk);
    EXPECT_EQ(files::CurrentFolder(), before);
}

}  // namespace
}  // namespace mrw
