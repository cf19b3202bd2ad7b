#include <gtest/gtest.h>

#include <algorithm>

#include "editor/document/NewTheme.h"
#include "editor/document/ProjectValues.h"
#include "editor/document/ThemeLibrary.h"
#include "platform/Prompter.h"
#include "platform/Files.h"
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
    EXPECT_EQ(CheckThemeName(ToUpperAscii(defaultName), library), ThemeNameCheck::kDefaultName);
    EXPECT_EQ(CheckThemeName("", library), ThemeNameCheck::kEmpty);
    EXPECT_EQ(CheckThemeName("BLUE", library), ThemeNameCheck::kExists);
    EXPECT_EQ(CheckThemeName("Green", library), ThemeNameCheck::kAccepted);

    ScriptedPrompter prompter;
    ScopedPrompter scoped(prompter);
    EXPECT_FALSE(ReportThemeNameCheck(ThemeNameCheck::kForbiddenChars, "a:b"));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown[0].text.find(kForbiddenNameChars), std::string::npos);
    prompter.answers = {kIdNo};
    EXPECT_FALSE(ReportThemeNameCheck(ThemeNameCheck::kExists, "Blue"));
    prompter.answers = {kIdYes};
    EXPECT_TRUE(ReportThemeNameCheck(ThemeNameCheck::kExists, "Blue"));
}

}  // namespace
}  // namespace mrw
