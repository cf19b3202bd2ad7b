#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "base/AsciiText.h"
#include "editor/document/NewTheme.h"
#include "editor/imaging/ImageFormat.h"
#include "editor/document/ProjectValues.h"
#include "editor/document/ThemeLibrary.h"
#include "platform/Prompter.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/ResourceText.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

TEST(ThemeLibrary, ScanListsProjectFilesByHeaderOnly) {
    test::TempFolder dir;
    test::WriteText(dir / "Blue.THM", "[Theme]\r\nAlias=Sky\r\n");
    test::WriteText(dir / "red.thm", "[Theme]\r\n");
    test::WriteText(dir / "notes.txt", "");
    files::CreateFolder(dir / "Folder.THM");
    ThemeLibrary library;
    ASSERT_TRUE(library.Scan(dir.path()));
    std::vector<std::string> aliases;
    for (const auto& d : library.documents) aliases.push_back(d->alias);
    std::sort(aliases.begin(), aliases.end());
    EXPECT_EQ(aliases, (std::vector<std::string>{"Sky", "red"}));
    EXPECT_TRUE(library.documents[0]->registryEntries.empty());

    test::TempFolder empty;
    EXPECT_FALSE(library.Scan(empty.path()));
    EXPECT_TRUE(library.documents.empty());
}

TEST(ThemeLibrary, DeleteByAliasSparesTheDefaultTheme) {
    test::TempFolder dir;
    const std::string defaultName = LoadResourceString(120);
    ASSERT_FALSE(defaultName.empty());
    test::WriteText(dir / "Blue.THM", "[Theme]\r\nAlias=Blue\r\n");
    test::WriteText(dir / (defaultName + ".THM"), "[Theme]\r\nAlias=" + defaultName + "\r\n");
    ThemeLibrary library;
    library.Scan(dir.path());
    EXPECT_FALSE(library.DeleteByAlias(defaultName));
    EXPECT_TRUE(files::Exists(dir / (defaultName + ".THM")));
    EXPECT_FALSE(library.DeleteByAlias("blue"));  // exact comparison
    EXPECT_TRUE(library.DeleteByAlias("Blue"));
    EXPECT_FALSE(files::Exists(dir / "Blue.THM"));
    EXPECT_EQ(library.documents.size(), 1u);
    ThemeDocument stranger;
    EXPECT_FALSE(library.Delete(&stranger));
}

}  // namespace
}  // namespace mrw

namespace mrw {
namespace {

TEST(ThemeNames, DialogRefusalsComeInTheirOrder) {
    ThemeLibrary library;
    auto blue = std::make_unique<ThemeDocument>();
    blue->alias = "Blue";
    library.Add(std::move(blue));
    const std::string defaultName = LoadResourceString(120);
    EXPECT_EQ(CheckThemeName("a:b", library), ThemeNameCheck::kForbiddenChars);
    EXPECT_EQ(CheckThemeName("x|y", library), ThemeNameCheck::kForbiddenChars);
    EXPECT_EQ(CheckThemeName(ascii::ToUpper(defaultName), library), ThemeNameCheck::kDefaultName);
    EXPECT_EQ(CheckThemeName("", library), ThemeNameCheck::kEmpty);
    EXPECT_EQ(CheckThemeName("BLUE", library), ThemeNameCheck::kExists);
    EXPECT_EQ(CheckThemeName("Green", library), ThemeNameCheck::kAccepted);

    ScriptedPrompter prompter;
    ScopedPrompter scoped(prompter);
    EXPECT_FALSE(ReportThemeNameCheck(ThemeNameCheck::kForbiddenChars, "a:b"));
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_NE(prompter.Messages()[0].text.find(kForbiddenNameChars), std::string::npos);
    prompter.SetAnswers({kIdNo});
    EXPECT_FALSE(ReportThemeNameCheck(ThemeNameCheck::kExists, "Blue"));
    prompter.SetAnswers({kIdYes});
    EXPECT_TRUE(ReportThemeNameCheck(ThemeNameCheck::kExists, "Blue"));
}

}  // namespace
}  // namespace mrw

namespace mrw {
namespace {

// What new themes leave in the shared temporary folder.
std::vector<files::FoundEntry> ScratchLeftOvers() {
    return files::Find(paths::WithTrailingSeparator(files::TempFolder() + "mrw") + "new-*");
}

TEST(NewTheme, MadeWithWhiteImagesAndTheColourTableAndNoScratchLeftBehind) {
    test::TempFolder dir;
    // A folder of the name an earlier version used for every "Blue", left
    // behind by someone else, is neither needed nor touched.
    const std::string stale = paths::WithTrailingSeparator(files::TempFolder() + "mrw") + "new-Blue";
    ASSERT_TRUE(files::CreateFolders(stale));
    test::WriteText(stale + "/tdywater.gif", "not a picture");
    ThemeLibrary library;
    library.Scan(dir.path());
    ThemeDocument* doc = CreateNewTheme(library, "Blue");
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->files.size(), 2u);
    EXPECT_EQ(doc->files[0]->name, "BlueTDY000.gif");
    EXPECT_EQ(doc->files[1]->name, "BlueSTA000.gif");
    EXPECT_EQ(DetectImageFormat(dir / "BlueTDY000.gif"), kImageGif);
    EXPECT_EQ(doc->registryEntries.size(), 22u);
    EXPECT_EQ(test::ReadText(stale + "/tdywater.gif"), "not a picture");
    files::RemoveTree(stale);
    EXPECT_TRUE(ScratchLeftOvers().empty());
}

TEST(NewTheme, SameNameMadeAtOnceNeverCollides) {
    // Each round two makers create "Blue" at the same moment: once in two
    // libraries, once in the same library. Every call must succeed with
    // members of its own, and no scratch folder may stay behind.
    for (int round = 0; round < 10; ++round) {
        test::TempFolder a, b, c;
        for (bool shared : {false, true}) {
            ThemeLibrary first, second;
            first.Scan(shared ? c.path() : a.path());
            second.Scan(shared ? c.path() : b.path());
            ThemeDocument* made[2] = {nullptr, nullptr};
            std::thread other([&] { made[1] = CreateNewTheme(second, "Blue"); });
            made[0] = CreateNewTheme(first, "Blue");
            other.join();
            ASSERT_NE(made[0], nullptr) << "round " << round;
            ASSERT_NE(made[1], nullptr) << "round " << round;
            if (shared) {
                EXPECT_NE(made[0]->files[0]->name, made[1]->files[0]->name);
            }
            for (ThemeDocument* doc : made)
                for (const auto& f : doc->files) EXPECT_TRUE(files::IsFile(doc->projectFolder + f->name));
        }
        EXPECT_TRUE(ScratchLeftOvers().empty());
    }
}

}  // namespace
}  // namespace mrw
