// New themes and the handheld form of a theme's member files.
#include <gtest/gtest.h>

#include "editor/document/NewTheme.h"
#include "editor/imaging/DibImage.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

void ExpectWhiteGif(const std::string& path, int width, int height) {
    DibImage image;
    ASSERT_EQ(image.Load(path), kImageOk) << path;
    EXPECT_EQ(DetectImageFormat(path), kImageGif);
    EXPECT_EQ(image.Width(), width);
    EXPECT_EQ(image.Height(), height);
    ASSERT_EQ(image.BitsPerPixel(), 8);
    const PaletteEntry& p = image.Info().colours[image.Row(height / 2)[width / 2]];
    EXPECT_EQ(p.red + p.green + p.blue, 3 * 255);
}

TEST(NewTheme, HasWhiteImagesAndTheColourTable) {
    test::TempFolder dir;
    ThemeLibrary library;
    library.Scan(dir.path());
    ThemeDocument* doc = CreateNewTheme(library, "Blue");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->projectPath, dir / "Blue.THM");
    EXPECT_FALSE(doc->modified);
    ASSERT_EQ(doc->files.size(), 2u);
    EXPECT_EQ(doc->files[0]->name, "BlueTDY000.gif");
    EXPECT_EQ(doc->files[1]->name, "BlueSTA000.gif");
    ExpectWhiteGif(dir / "BlueTDY000.gif", 240, 268);
    ExpectWhiteGif(dir / "BlueSTA000.gif", 180, 290);
    EXPECT_EQ(doc->registryEntries.size(), 22u);

    // Replacing the theme leaves one theme of that name and no stray member files.
    ASSERT_NE(CreateNewTheme(library, "Blue"), nullptr);
    EXPECT_EQ(library.documents.size(), 1u);
    std::vector<files::FoundEntry> found = files::Find(dir / "*");
    EXPECT_EQ(found.size(), 3u);
}

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        library.Scan(dir.path());
        doc = CreateNewTheme(library, "Blue");
        ASSERT_NE(doc, nullptr);
        out = dir / "out";
        files::CreateFolder(out);
    }
    test::TempFolder dir;
    ThemeLibrary library;
    ThemeDocument* doc = nullptr;
    std::string out;
};

TEST_F(Export, WritesEveryMemberUnderItsRealName) {
    test::WriteText(dir / "page.htm", "<html/>");
    doc->AddFile(dir.path(), "page.htm");
    ASSERT_TRUE(doc->ExportFiles(out));
    ExpectWhiteGif(out + "/tdywater.gif", 240, 268);
    ExpectWhiteGif(out + "/stwater.gif", 150, 290);  // the Start-menu image is cut to 150 wide
    EXPECT_EQ(test::ReadText(out + "/page.htm"), "<html/>");
}

TEST_F(Export, StopsAtTheFirstFailure) {
    doc->files[0]->name = "gone.gif";  // the Today image cannot be loaded
    EXPECT_FALSE(doc->ExportFiles(out));
    EXPECT_FALSE(files::Exists(out + "/stwater.gif"));
    EXPECT_FALSE(doc->ExportImages(out));
}

TEST_F(Export, ResultFollowsTheLastExportedElement) {
    ThemeDocument empty;
    EXPECT_FALSE(empty.ExportFiles(out));  // nothing exported: the running result stays false
    EXPECT_TRUE(empty.ExportImages(out));
    // A plain file whose member is missing fails the export; images alone still succeed.
    auto missing = std::make_unique<ThemeFile>();
    missing->name = "absent.htm";
    missing->realName = "vx5n.htm";
    doc->files.push_back(std::move(missing));
    EXPECT_FALSE(doc->ExportFiles(out));
    EXPECT_TRUE(doc->ExportImages(out));
}

}  // namespace
}  // namespace mrw
