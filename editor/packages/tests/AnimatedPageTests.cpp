// The animated Today page: page text, default files, settings file export.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/document/ThemeDocument.h"
#include "editor/packages/AnimatedPage.h"
#include "editor/packages/PackageImport.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

const char kPageTemplate[] =
    "<HTML><HEAD></HEAD><BODY TOPMARGIN=\"0\" LEFTMARGIN=\"0\" BGCOLOR=\"#%C\"><OBJECT "
    "classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" ID=\"pocketpc\" WIDTH=\"240\" HEIGHT=\"%H\"><PARAM "
    "NAME=\"bgcolor\" VALUE=\"#%C\"><PARAM NAME=\"movie\" VALUE=\"vx5n.swf\"><PARAM NAME=\"quality\" "
    "VALUE=\"High\"></OBJECT></BODY></HTML>";

std::string ExpectedPage(const std::string& height, const std::string& colour) {
    std::string page = kPageTemplate;
    for (size_t p; (p = page.find("%C")) != std::string::npos;) page.replace(p, 2, colour);
    page.replace(page.find("%H"), 2, height);
    return page;
}

// A theme in its own folder, without files.
struct Theme {
    test::TempFolder dir;
    ThemeDocument doc;
    Theme() {
        doc.projectFolder = dir.path();
        doc.projectPath = dir / "Blue.THM";
        doc.alias = "Blue";
    }
};

TEST(AnimatedPage, TextIsTheSevenPiecesWithHeightAndColour) {
    EXPECT_EQ(AnimatedPageText(0, 0x000000), ExpectedPage("0", "000000"));
    EXPECT_EQ(AnimatedPageText(150, 0xFF8040), ExpectedPage("150", "4080ff"));
    EXPECT_EQ(AnimatedPageText(150, 0xFF8040).find('\n'), std::string::npos);
}

TEST(AnimatedPage, MakeAnimatedTakesTheProgramFolderDefaults) {
    Theme t;
    ASSERT_TRUE(MakeAnimated(t.doc, test::ProgramFolder()));
    EXPECT_EQ(t.doc.tskType, 1);
    EXPECT_TRUE(t.doc.modified);
    ASSERT_EQ(t.doc.files.size(), 3u);
    for (const char* name : {"vx5n.htm", "vx5n.swf", "vx5n.atc"}) {
        const ThemeFile* f = t.doc.FindFile(name);
        ASSERT_NE(f, nullptr) << name;
        EXPECT_EQ(f->kind, kKindFile) << name;
        EXPECT_EQ(test::ReadBytes(t.dir / f->name), test::ReadBytes(test::ProgramFolder() + name)) << name;
    }
    // Made animated again (after the type was reset by hand): nothing doubles.
    t.doc.tskType = 0;
    ASSERT_TRUE(MakeAnimated(t.doc, test::ProgramFolder()));
    EXPECT_EQ(t.doc.files.size(), 3u);
}

TEST(AnimatedPage, MakeAnimatedWithoutTheDefaultsChangesNothing) {
    Theme t;
    test::TempFolder empty;
    test::WriteText(empty / "vx5n.htm", "<HTML></HTML>");
    EXPECT_FALSE(MakeAnimated(t.doc, empty.path()));
    EXPECT_TRUE(t.doc.files.empty());
    EXPECT_EQ(t.doc.tskType, 0);
    EXPECT_TRUE(files::Find(t.dir / "*").empty());
}

TEST(AnimatedPage, WriteAnimatedPageNeedsThePageElement) {
    Theme t;
    test::TempFolder tools;
    t.doc.animationHeight = 77;
    EXPECT_FALSE(WriteAnimatedPage(t.doc, tools.path()));
    EXPECT_FALSE(files::Exists(tools / "tmp"));

    ASSERT_TRUE(MakeAnimated(t.doc, test::ProgramFolder()));
    const std::string before = t.doc.FindFile("vx5n.htm")->name;
    t.doc.animationBkColour = 0x3C2B1A;
    ASSERT_TRUE(WriteAnimatedPage(t.doc, tools.path()));
    const ThemeFile* page = t.doc.FindFile("vx5n.htm");
    EXPECT_NE(page->name, before);  // a fresh member name; the save commits it
    EXPECT_EQ(test::ReadText(t.dir / page->name), ExpectedPage("77", "1a2b3c"));
    EXPECT_TRUE(files::IsFile(paths::Join(tools / "tmp", "vx5n.htm")));
    // The default page copied in a moment ago was never saved: it goes.
    EXPECT_EQ(files::Find(t.dir / "*.htm").size(), 1u);
    EXPECT_FALSE(files::Exists(t.dir / before));
}

TEST(AnimatedPage, SettingsFileIsRewrittenWithTheHeightOnExport) {
    Theme t;
    test::TempFolder out;
    test::TempFolder source;
    test::WriteText(source / "vx5n.atc", "[Today]\n   SIZE=50\r\n\t  other = x \r\nlast");
    t.doc.AddFile(source.path(), "vx5n.atc");
    t.doc.animationHeight = 123;
    ASSERT_TRUE(t.doc.ExportFiles(out.path()));
    EXPECT_EQ(test::ReadText(out / "vx5n.atc"), "[Today]\r\nsize=123\r\nother = x \r\nlast\r\n");
}

TEST(AnimatedPage, ExportRewritesTheSizeLineTheImportReads) {
    // "  size = 120" is the size line for the import: the export must rewrite
    // it too, or the package keeps its old height beside a page of the new one.
    Theme t;
    test::TempFolder out;
    test::TempFolder source;
    test::WriteText(source / "vx5n.atc", "fontsize=12\r\n  size = 120\r\n");
    t.doc.AddFile(source.path(), "vx5n.atc");
    t.doc.animationHeight = 96;
    ASSERT_TRUE(t.doc.ExportFiles(out.path()));
    EXPECT_EQ(test::ReadText(out / "vx5n.atc"), "fontsize=12\r\nsize=96\r\n");
    int height = 0;
    EXPECT_TRUE(ReadAnimationHeight(out / "vx5n.atc", height));
    EXPECT_EQ(height, 96);
}

TEST(AnimatedPage, SettingsFileMissingFailsTheExport) {
    Theme t;
    test::TempFolder out;
    auto f = std::make_unique<ThemeFile>();
    f->realName = "vx5n.atc";
    f->name = "BlueEXT000.atc";  // not on disk
    f->kind = kKindFile;
    t.doc.files.push_back(std::move(f));
    EXPECT_FALSE(t.doc.ExportFiles(out.path()));
    EXPECT_FALSE(files::Exists(out / "vx5n.atc"));
}

TEST(AnimatedPage, DefaultMovieIsAWellFormedFlashFile) {
    const std::vector<uint8_t> swf = test::ReadBytes(test::ProgramFolder() + "vx5n.swf");
    ASSERT_GE(swf.size(), 21u);
    EXPECT_EQ(std::memcmp(swf.data(), "FWS", 3), 0);
    const uint32_t length = swf[4] | swf[5] << 8 | swf[6] << 16 | uint32_t(swf[7]) << 24;
    EXPECT_EQ(length, swf.size());
    // Frame rectangle: 5 bits of field size, then four fields.
    auto bit = [&](size_t i) { return (swf[8 + i / 8] >> (7 - i % 8)) & 1; };
    auto field = [&](size_t at, int n) {
        int v = 0;
        for (int i = 0; i < n; ++i) v = v << 1 | bit(at + i);
        return v;
    };
    const int n = field(0, 5);
    EXPECT_EQ(field(5 + n, n), 240 * 20);
    EXPECT_EQ(field(5 + 3 * n, n), 100 * 20);
    size_t pos = 8 + (5 + 4 * n + 7) / 8 + 4;  // rectangle, frame rate, frame count
    bool sawBackground = false, sawEnd = false;
    while (pos + 2 <= swf.size()) {
        const int header = swf[pos] | swf[pos + 1] << 8;
        const int code = header >> 6;
        size_t size = header & 0x3F;
        pos += 2;
        if (size == 0x3F) {
            ASSERT_LE(pos + 4, swf.size());
            size = swf[pos] | swf[pos + 1] << 8 | swf[pos + 2] << 16 | size_t(swf[pos + 3]) << 24;
            pos += 4;
        }
        ASSERT_LE(pos + size, swf.size());
        if (code == 9) sawBackground = size == 3;
        pos += size;
        if (code == 0) {
            sawEnd = true;
            break;
        }
    }
    EXPECT_TRUE(sawBackground);
    EXPECT_TRUE(sawEnd);
    EXPECT_EQ(pos, swf.size());
}

TEST(AnimatedPage, DefaultPageAndSettingsHaveTheirForms) {
    EXPECT_EQ(test::ReadText(test::ProgramFolder() + "vx5n.htm"), AnimatedPageText(100, 0xFFFFFF));
    const std::string atc = test::ReadText(test::ProgramFolder() + "vx5n.atc");
    EXPECT_NE(atc.find("size=100\r\n"), std::string::npos);
}

}  // namespace
}  // namespace mrw
