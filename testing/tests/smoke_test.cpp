// Checks that a test executable of this build starts, finds its program
// folder and can use a temporary folder: the ground every other suite stands on.
#include <gtest/gtest.h>

#include <filesystem>

#include "testing/TestSupport.h"

namespace fs = std::filesystem;

TEST(BuildSmoke, ProgramFolderIsStaged) {
    const std::string folder = mrw::test::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_directory(fs::u8path(folder))) << folder;
}

TEST(BuildSmoke, TempFolderRoundTripsAFile) {
    std::string kept;
    {
        mrw::test::TempFolder temp;
        kept = temp.path();
        ASSERT_TRUE(fs::is_directory(fs::u8path(kept)));
        const std::string file = temp / "probe.txt";
        mrw::test::WriteText(file, "line 1\r\nline 2\r\n");
        EXPECT_EQ(mrw::test::ReadText(file), "line 1\r\nline 2\r\n");
    }
    EXPECT_FALSE(fs::exists(fs::u8path(kept)));
}
