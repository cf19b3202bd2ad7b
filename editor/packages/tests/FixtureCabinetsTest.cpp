// The reader against third-party cabinets and real handheld installers.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "editor/packages/CabinetReader.h"
#include "editor/packages/ThemePackageReader.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

using test::HaveTool;
using test::Shell;

namespace fs = std::filesystem;

std::vector<std::string> CabinetsUnder(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string ext = it->path().extension().string();
        if (it->is_regular_file() && (ext == ".cab" || ext == ".CAB")) found.push_back(it->path().string());
    }
    return found;
}

TEST(FixtureCabinets, EveryFileOpensOrIsRefusedCleanly) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "no fixtures";
    std::vector<std::string> all = CabinetsUnder(test::Fixture("cab"));
    for (const auto& f : CabinetsUnder(test::Fixture("ce-cabs"))) all.push_back(f);
    ASSERT_GT(all.size(), 80u);
    test::TempFolder out;
    for (const auto& path : all) {
        SCOPED_TRACE(path);
        ThemePackageReader reader;
        if (!reader.Open(path)) {
            EXPECT_NE(reader.LastError(), CabinetError::None);
            continue;
        }
        const std::string folder = out / fs::path(path).stem().string();
        const int result = reader.ExtractTo(folder);
        if (result == 0) {
            EXPECT_NE(reader.LastError(), CabinetError::None);
        }
        reader.ReadSetupFileFromCabinet();
        const std::string setup = reader.FindFileBySuffix(".000");
        if (!setup.empty()) reader.ReadSetupFile(setup);
        // Nothing may appear outside the folder given.
        for (const auto& e : files::Find(out.path() + "*")) EXPECT_TRUE(e.isDirectory) << e.name;
    }
}

TEST(FixtureCabinets, RefusalsSayWhy) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "no fixtures";
    const std::map<std::string, CabinetError> expected = {
        {"cab/valid/reserve_HFD.cab", CabinetError::ReservedAreas},
        {"ce-cabs/Runtime.WM.CAB", CabinetError::ReservedAreas},
        {"ce-cabs/App.WM.CAB", CabinetError::ReservedAreas},
        {"cab/multipart/multi_basic/multi_basic_pt2.cab", CabinetError::MultiCabinet},
        {"cab/embedded/search_basic.cab", CabinetError::NotCabinet},
        {"cab/malformed/partial_shortheader.cab", CabinetError::TooShort},
        {"cab/malformed/bad_nofolders.cab", CabinetError::BadFolderTable},
        {"cab/malformed/hidden-file-beyond-eof.cab", CabinetError::BadFileTable},
        {"cab/malformed/partial_shortfile2.cab", CabinetError::BadFileTable},
    };
    for (const auto& [file, error] : expected) {
        CabinetReader reader;
        EXPECT_FALSE(reader.Open(test::Fixture(file))) << file;
        EXPECT_EQ(reader.LastError(), error) << file;
    }
    // Compressed folders: listed, not extracted.
    test::TempFolder out;
    for (const char* file : {"cab/valid/mszip_lzx_qtm.cab", "cab/valid/test_read_format_cab_2.cab"}) {
        CabinetReader reader;
        ASSERT_TRUE(reader.Open(test::Fixture(file))) << file;
        EXPECT_GT(reader.FileCount(), 0u);
        EXPECT_EQ(reader.ExtractTo(out.path()), 0) << file;
        EXPECT_EQ(reader.LastError(), CabinetError::CompressedFolder) << file;
    }
}

TEST(FixtureCabinets, HiddenFileTableIsTheOneTheHeaderNames) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "no fixtures";
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(test::Fixture("cab/valid/hidden-files.cab")));
    ASSERT_EQ(reader.FileCount(), 2u);
    EXPECT_EQ(reader.File(0).name, "hidden1.txt");
    EXPECT_EQ(reader.File(1).name, "hidden2.txt");
}

// Uncompressed valid cabinets: every member with a plain name comes out as
// cabextract gives it; members with folder parts are refused.
TEST(FixtureCabinets, UncompressedOnesExtractLikeCabextract) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "no fixtures";
    if (!HaveTool("cabextract --version")) GTEST_SKIP() << "cabextract not installed";
    std::vector<std::string> cabinets = CabinetsUnder(test::Fixture("cab/valid"));
    for (const char* ce : {"ce-cabs/BenchmarkDotNet_PPC.ARM.CAB", "ce-cabs/NSBasic.Showcase.CAB", "ce-cabs/SymbolAXO.arm.cab"})
        cabinets.push_back(test::Fixture(ce));
    int compared = 0;
    for (const auto& path : cabinets) {
        SCOPED_TRACE(path);
        CabinetReader reader;
        if (!reader.Open(path)) continue;  // reserved areas
        bool compressed = false, allPlain = true;
        for (size_t i = 0; i < reader.FileCount(); ++i) allPlain = allPlain && IsPlainFileName(reader.File(i).name);
        test::TempFolder ours, theirs;
        const int result = reader.ExtractTo(ours.path());
        if (reader.LastError() == CabinetError::CompressedFolder) compressed = true;
        if (compressed) continue;
        EXPECT_EQ(result, allPlain ? 1 : 0);
        ASSERT_EQ(Shell("cabextract -q -d '" + theirs.path() + "' '" + path + "' >/dev/null 2>&1"), 0);
        for (size_t i = 0; i < reader.FileCount(); ++i) {
            const std::string& name = reader.File(i).name;
            if (!IsPlainFileName(name)) continue;
            EXPECT_EQ(test::ReadBytes(ours / name), test::ReadBytes(theirs / name)) << name;
            ++compared;
        }
    }
    EXPECT_GT(compared, 30);
}

}  // namespace
}  // namespace mrw
