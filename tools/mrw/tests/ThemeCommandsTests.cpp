// mrw's theme commands: exit statuses and what they leave in the project.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

#include "editor/document/NewTheme.h"
#include "editor/imaging/DibImage.h"
#include "editor/packages/PackageBuild.h"
#include "editor/packages/PackageImport.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

constexpr int kUsage = 64;  // the exit status of every usage error

// One argument in the form the runtime splits back (quotes, backslashes).
std::string Quote(const std::string& arg) {
    std::string q = "\"";
    size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        q.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
        slashes = 0;
        q += c;
    }
    q.append(2 * slashes, '\\');
    return q + "\"";
}

int Mrw(std::initializer_list<std::string> args) {
    std::string line = "mrw";
    for (const auto& a : args) line += " " + Quote(a);
    int exitCode = -1;
    process::StartOptions options;
    if (!process::Start(test::MrwProgram(), line, options, &exitCode)) return -1;
    return exitCode;
}

// What mrw writes to stderr (line ends as LF).
std::string MrwErrors(std::initializer_list<std::string> args, const std::string& errorFile) {
    std::string line = "\"" + test::ProgramFolder() + process::ExecutableName("mrw") + "\"";
    for (const auto& a : args) line += " " + Quote(a);
    line += " 2>\"" + errorFile + "\"";
#ifdef _WIN32
    line = "\"" + line + "\"";  // cmd removes the outer quotes
#endif
    if (std::system(line.c_str()) == -1) return std::string();
    std::string text = test::ReadText(errorFile);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TEST(MrwUsage, EveryUsageErrorExits64) {
    EXPECT_EQ(Mrw({}), kUsage);
    EXPECT_EQ(Mrw({"no-such-command"}), kUsage);
    EXPECT_EQ(Mrw({"build", "a.THM", "--no-such-option"}), kUsage);
    EXPECT_EQ(Mrw({"import"}), kUsage);
    EXPECT_EQ(Mrw({"list", "a.tsk", "b.tsk"}), kUsage);
    EXPECT_EQ(Mrw({"--help"}), 0);
    EXPECT_EQ(Mrw({"build", "--help"}), 0);
}

class ThemeCommands : public ::testing::Test {
protected:
    void SetUp() override {
        library.Scan(dir.path());
        ThemeDocument* doc = CreateNewTheme(library, "Blue");
        ASSERT_NE(doc, nullptr);
        project = doc->projectPath;
    }
    std::unique_ptr<ThemeDocument> Reload() const {
        auto doc = ThemeDocument::OpenHeader(project);
        doc->LoadProject();
        return doc;
    }
    size_t FilesMatching(const std::string& pattern) const { return files::Find(dir / pattern).size(); }

    test::TempFolder dir;
    ThemeLibrary library;
    std::string project;
};

TEST_F(ThemeCommands, ColourNotePdaColoursAndRegistryValues) {
    EXPECT_EQ(Mrw({"set-colour", project, "5", "255,128,0"}), 0);
    EXPECT_EQ(Mrw({"set-colour", project, "99", "1,2,3"}), 1);
    EXPECT_EQ(Mrw({"set-colour", project, "5", "256,0,0"}), kUsage);
    EXPECT_EQ(Mrw({"set-note", project, "first\nsecond"}), 0);
    EXPECT_EQ(Mrw({"set-pda-colours", project, "2"}), 0);
    EXPECT_EQ(Mrw({"set-pda-colours", project, "3"}), kUsage);
    std::string bytes;
    for (int i = 0; i < 100; ++i) bytes += (i ? "," : "") + std::string(1, "0123456789abcdef"[i / 16 % 16]) + "f";
    EXPECT_EQ(Mrw({"add-registry", project, "HKCU,Software\\Morwen Test", "Long", "0x00000001", bytes}), 0);
    EXPECT_EQ(Mrw({"add-registry", project, "HKXX,Software", "X", "1", "01"}), kUsage);
    EXPECT_EQ(Mrw({"add-registry", project, "HKCU,Software", "X", "1", "01,zz"}), kUsage);
    EXPECT_EQ(Mrw({"set-colour", dir / "missing.THM", "5", "1,2,3"}), 1);

    auto doc = Reload();
    EXPECT_EQ(doc->GetColour(5), 0x0080FFu);
    EXPECT_EQ(doc->note, "first\r\nsecond");
    EXPECT_EQ(doc->pdaColours, 2);
    const RegistryEntry* added = doc->registryEntries.back().get();
    EXPECT_EQ(added->subKey, "HKCU,Software\\Morwen Test");
    EXPECT_EQ(added->valueName, "Long");
    EXPECT_EQ(added->flags, 1);
    EXPECT_EQ(added->data.size(), 100u);
}

TEST_F(ThemeCommands, SetImageFramesTheTurnedPictureAndReplacesTheMemberFile) {
    DibImage picture;
    ASSERT_EQ(picture.Create(480, 320, 24), kImageOk);
    picture.Fill(MakeColour(10, 200, 30));
    ASSERT_EQ(picture.Save(dir / "wide.bmp", kImageBmp), kImageOk);
    const std::string before = Reload()->TodayImage()->name;

    ASSERT_EQ(Mrw({"set-image", project, "today", dir / "wide.bmp"}), 0);
    auto doc = Reload();
    auto* today = dynamic_cast<ThemeImage*>(doc->TodayImage());
    ASSERT_NE(today, nullptr);
    EXPECT_NE(today->name, before);
    EXPECT_FALSE(files::Exists(dir / before));
    EXPECT_EQ(test::ReadBytes(dir / today->name), test::ReadBytes(dir / "wide.bmp"));
    EXPECT_EQ(today->cropRight, 286);  // the largest 240 x 268 frame in 480 x 320
    EXPECT_EQ(today->cropBottom, 320);

    ASSERT_EQ(Mrw({"set-image", project, "start", dir / "wide.bmp", "--rotation", "4", "--hflip", "1",
                   "--transparency", "40", "--transparency-colour", "1,2,3"}),
              0);
    doc = Reload();
    auto* start = dynamic_cast<ThemeImage*>(doc->StartMenuImage());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->rotation, 4);
    EXPECT_EQ(start->hFlip, 1);
    EXPECT_EQ(start->transparency, 40);
    EXPECT_EQ(start->transparencyColour, 0x030201u);
    EXPECT_EQ(start->cropRight, 248);  // 150 x 290 frame in the turned 320 x 480 picture
    EXPECT_EQ(start->cropBottom, 480);

    EXPECT_EQ(Mrw({"set-image", project, "today", dir / "wide.bmp", "--crop", "10,20,5,40"}), kUsage);
    EXPECT_EQ(Mrw({"set-image", project, "today", project}), 1);  // not a picture
}

TEST_F(ThemeCommands, AnimateAndUnanimate) {
    ASSERT_EQ(Mrw({"animate", project, "--height", "50", "--bk-colour", "64,128,255"}), 0);
    auto doc = Reload();
    EXPECT_EQ(doc->tskType, 1);
    EXPECT_EQ(doc->animationHeight, 50);
    ASSERT_NE(doc->FindFile("vx5n.htm"), nullptr);
    EXPECT_NE(test::ReadText(dir / doc->FindFile("vx5n.htm")->name).find("HEIGHT=\"50\""), std::string::npos);
    EXPECT_EQ(FilesMatching("*.htm"), 1u);

    test::WriteText(dir / "mine.swf", "FWS movie of the user");
    ASSERT_EQ(Mrw({"animate", project, "--movie", dir / "mine.swf", "--height", "70"}), 0);
    doc = Reload();
    EXPECT_EQ(test::ReadText(dir / doc->FindFile("vx5n.swf")->name), "FWS movie of the user");
    EXPECT_EQ(FilesMatching("*.swf"), 2u);  // the member and mine.swf
    EXPECT_EQ(FilesMatching("*.htm"), 1u);
    EXPECT_EQ(Mrw({"animate", project, "--height", "0"}), kUsage);

    ASSERT_EQ(Mrw({"unanimate", project}), 0);
    doc = Reload();
    EXPECT_EQ(doc->tskType, 0);
    EXPECT_EQ(doc->FindFile("vx5n.htm"), nullptr);
    EXPECT_EQ(FilesMatching("*.htm") + FilesMatching("*.atc"), 0u);
}

TEST_F(ThemeCommands, BuildAndImportReportTheirResults) {
    ASSERT_EQ(Mrw({"build", project}), 0);
    EXPECT_TRUE(files::IsFile(dir / "Blue.tsk"));
    test::TempFolder other;
    ASSERT_EQ(Mrw({"import", dir / "Blue.tsk", "--library", other.path()}), 0);
    ASSERT_EQ(Mrw({"import", dir / "Blue.tsk", "--library", other.path()}), 0);
    EXPECT_TRUE(files::IsFile(other / "Blue.THM"));
    EXPECT_TRUE(files::IsFile(other / "Blue(2).THM"));

    test::TempFolder empty;
    test::WriteText(dir / "bad.tsk", "not a package");
    EXPECT_EQ(Mrw({"import", dir / "bad.tsk", "--library", empty.path()}), 1);
    EXPECT_TRUE(files::Find(empty / "*").empty());
    // The import's own message, with the package's path, in the console's encoding.
    EXPECT_EQ(MrwErrors({"import", dir / "bad.tsk", "--library", empty.path()}, dir / "errors.txt"),
              "mrw import: " + dir / "bad.tsk" + ": " + console::ForConsole(kImportOpenFailedText) + "\n");

    files::Delete(dir / Reload()->TodayImage()->name);
    EXPECT_EQ(Mrw({"build", project, "-o", dir / "out.tsk"}), kBuildExportFailed);
    EXPECT_FALSE(files::Exists(dir / "out.tsk"));
}

}  // namespace
}  // namespace mrw
