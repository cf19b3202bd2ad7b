#include <gtest/gtest.h>

#include "platform/Paths.h"

namespace mrw::paths {
namespace {

TEST(Paths, SplitsWindowsAndPosixPaths) {
    EXPECT_EQ(FolderOf("C:\\a\\b.THM"), "C:\\a\\");
    EXPECT_EQ(FolderOf("/home/u/b.THM"), "/home/u/");
    EXPECT_EQ(FolderOf("C:\\a/b.THM"), "C:\\a/");
    EXPECT_EQ(FolderOf("C:b.THM"), "C:");
    EXPECT_EQ(FolderOf("b.THM"), "");
    EXPECT_EQ(FileNameOf("C:\\a\\b.THM"), "b.THM");
    EXPECT_EQ(FileNameOf("/a/b/"), "");
    EXPECT_EQ(FileNameOf("C:b.THM"), "b.THM");
    EXPECT_EQ(FileNameOf("plain"), "plain");
}

TEST(Paths, ExtensionIsTheLastDotOfTheFileName) {
    EXPECT_EQ(BaseNameOf("C:\\a\\b.c.THM"), "b.c");
    EXPECT_EQ(ExtensionOf("C:\\a\\b.c.THM"), ".THM");
    EXPECT_EQ(ExtensionOf("C:\\a.d\\b"), "");
    EXPECT_EQ(BaseNameOf("C:\\a.d\\b"), "b");
    EXPECT_EQ(ExtensionOf("name."), ".");
    EXPECT_EQ(WithoutExtension("C:\\a\\b.c.THM"), "C:\\a\\b.c");
    EXPECT_EQ(WithoutExtension("/x.y/z"), "/x.y/z");
    EXPECT_EQ(WithoutExtension("/x/Blue.tsk"), "/x/Blue");
}

TEST(Paths, JoinInsertsTheSeparatorOnlyWhenNeeded) {
    const std::string sep(1, Separator());
    EXPECT_EQ(Join("a", "b"), "a" + sep + "b");
    EXPECT_EQ(Join("a\\", "b"), "a\\b");
    EXPECT_EQ(Join("a/", "b"), "a/b");
    EXPECT_EQ(Join("", "b"), "b");
    EXPECT_EQ(WithTrailingSeparator("a"), "a" + sep);
    EXPECT_EQ(WithTrailingSeparator("a/"), "a/");
    EXPECT_EQ(WithTrailingSeparator(""), "");
#ifdef _WIN32
    EXPECT_EQ(Separator(), '\\');
#else
    EXPECT_EQ(Separator(), '/');
#endif
    EXPECT_TRUE(IsSeparator('\\'));
    EXPECT_TRUE(IsSeparator('/'));
    EXPECT_FALSE(IsSeparator(':'));
}

}  // namespace
}  // namespace mrw::paths
