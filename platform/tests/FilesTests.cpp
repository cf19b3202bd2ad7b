#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "testing/TestSupport.h"

namespace mrw::files {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

std::vector<std::string> Names(const std::vector<FoundEntry>& entries) {
    std::vector<std::string> names;
    for (const FoundEntry& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FilesCopy, HonoursFailIfExistsAndOverwritesOtherwise) {
    TempFolder dir;
    WriteText(dir / "a.txt", "new");
    WriteText(dir / "b.txt", "old");
    EXPECT_FALSE(Copy(dir / "a.txt", dir / "b.txt", true));
    EXPECT_EQ(ReadText(dir / "b.txt"), "old");
    EXPECT_TRUE(Copy(dir / "a.txt", dir / "b.txt", false));
    EXPECT_EQ(ReadText(dir / "b.txt"), "new");
    EXPECT_TRUE(Copy(dir / "a.txt", dir / "c.txt", true));
    EXPECT_EQ(ReadText(dir / "c.txt"), "new");
    EXPECT_FALSE(Copy(dir / "missing.txt", dir / "d.txt", false));
    EXPECT_FALSE(Exists(dir / "d.txt"));
}

TEST(FilesCopy, CarriesTheReadOnlyAttributeAndRefusesReadOnlyTargets) {
    TempFolder dir;
    WriteText(dir / "ro.txt", "locked");
    ASSERT_TRUE(SetReadOnly(dir / "ro.txt", true));
    ASSERT_TRUE(Copy(dir / "ro.txt", dir / "copy.txt", true));
    EXPECT_TRUE(IsReadOnly(dir / "copy.txt"));
    EXPECT_EQ(ReadText(dir / "copy.txt"), "locked");
    WriteText(dir / "src.txt", "fresh");
    EXPECT_FALSE(Copy(dir / "src.txt", dir / "copy.txt", false));
    EXPECT_EQ(ReadText(dir / "copy.txt"), "locked");
    ASSERT_TRUE(SetReadOnly(dir / "copy.txt", false));
    EXPECT_TRUE(Copy(dir / "src.txt", dir / "copy.txt", false));
    EXPECT_EQ(ReadText(dir / "copy.txt"), "fresh");
}

TEST(FilesCopy, OntoItselfFailsAndKeepsTheContent) {
    TempFolder dir;
    WriteText(dir / "self.txt", "content");
    EXPECT_FALSE(Copy(dir / "self.txt", dir / "self.txt", false));
    EXPECT_EQ(ReadText(dir / "self.txt"), "content");
}

TEST(FilesMove, FailsOntoAnExistingTarget) {
    TempFolder dir;
    WriteText(dir / "a.txt", "a");
    WriteText(dir / "b.txt", "b");
    EXPECT_FALSE(Move(dir / "a.txt", dir / "b.txt"));
    EXPECT_EQ(ReadText(dir / "a.txt"), "a");
    EXPECT_EQ(ReadText(dir / "b.txt"), "b");
    EXPECT_TRUE(Move(dir / "a.txt", dir / "c.txt"));
    EXPECT_FALSE(Exists(dir / "a.txt"));
    EXPECT_EQ(ReadText(dir / "c.txt"), "a");
    EXPECT_FALSE(Move(dir / "a.txt", dir / "d.txt"));
}

TEST(FilesMove, MovesFoldersAndChangesLetterCase) {
    TempFolder dir;
    ASSERT_TRUE(CreateFolder(dir / "sub"));
    WriteText(dir / "sub" + paths::Separator() + "f.txt", "f");
    EXPECT_TRUE(Move(dir / "sub", dir / "moved"));
    EXPECT_TRUE(IsFile(dir / "moved" + paths::Separator() + "f.txt"));
    WriteText(dir / "lower.txt", "x");
    EXPECT_TRUE(Move(dir / "lower.txt", dir / "LOWER.txt"));
    EXPECT_EQ(Names(Find(dir / "*.txt")), std::vector<std::string>{"LOWER.txt"});
}

TEST(FilesReplace, SwapsTheTargetInOneStep) {
    TempFolder dir;
    WriteText(dir / "project.new", "second");
    WriteText(dir / "project.thm", "first");
    EXPECT_TRUE(Replace(dir / "project.new", dir / "project.thm"));
    EXPECT_EQ(ReadText(dir / "project.thm"), "second");
    EXPECT_FALSE(Exists(dir / "project.new"));
    // A missing target is simply created.
    WriteText(dir / "other.new", "third");
    EXPECT_TRUE(Replace(dir / "other.new", dir / "other.thm"));
    EXPECT_EQ(ReadText(dir / "other.thm"), "third");
    EXPECT_FALSE(Replace(dir / "gone.new", dir / "other.thm"));
    EXPECT_EQ(ReadText(dir / "other.thm"), "third");
}

TEST(FilesReplace, LeavesBothFilesWhenTheTargetIsReadOnly) {
    TempFolder dir;
    WriteText(dir / "p.new", "new");
    WriteText(dir / "p.thm", "old");
    ASSERT_TRUE(SetReadOnly(dir / "p.thm", true));
    EXPECT_FALSE(Replace(dir / "p.new", dir / "p.thm"));
    EXPECT_EQ(ReadText(dir / "p.thm"), "old");
    EXPECT_EQ(ReadText(dir / "p.new"), "new");
}

TEST(FilesDelete, RefusesReadOnlyFilesFoldersAndMissingFiles) {
    TempFolder dir;
    WriteText(dir / "ro.txt", "x");
    ASSERT_TRUE(SetReadOnly(dir / "ro.txt", true));
    EXPECT_TRUE(IsReadOnly(dir / "ro.txt"));
    EXPECT_FALSE(Delete(dir / "ro.txt"));
    EXPECT_TRUE(Exists(dir / "ro.txt"));
    ASSERT_TRUE(SetReadOnly(dir / "ro.txt", false));
    EXPECT_FALSE(IsReadOnly(dir / "ro.txt"));
    EXPECT_TRUE(Delete(dir / "ro.txt"));
    EXPECT_FALSE(Exists(dir / "ro.txt"));
    EXPECT_FALSE(Delete(dir / "ro.txt"));
    ASSERT_TRUE(CreateFolder(dir / "folder"));
    EXPECT_FALSE(Delete(dir / "folder"));
    EXPECT_TRUE(IsDirectory(dir / "folder"));
}

TEST(FilesFolders, CreateNestedFoldersAndRemoveTreesWithReadOnlyFiles) {
    TempFolder dir;
    const char s = paths::Separator();
    const std::string deep = dir / "a" + s + "b" + s + "c";
    EXPECT_FALSE(CreateFolder(deep));
    EXPECT_TRUE(CreateFolders(deep));
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_TRUE(CreateFolder(deep));  // already there
    EXPECT_TRUE(CreateFolders(deep + s));
    // Exclusive creation: only the caller that made the folder succeeds.
    EXPECT_FALSE(CreateNewFolder(deep));
    EXPECT_TRUE(CreateNewFolder(deep + s + "own" + s));
    EXPECT_FALSE(CreateNewFolder(deep + s + "own"));
    EXPECT_FALSE(CreateNewFolder(dir / "missing" + s + "own"));
    WriteText(deep + s + "f.txt", "x");
    ASSERT_TRUE(SetReadOnly(deep + s + "f.txt", true));
    WriteText(dir / "a" + s + "g.txt", "y");
    EXPECT_TRUE(RemoveTree(dir / "a"));
    EXPECT_FALSE(Exists(dir / "a"));
    EXPECT_TRUE(RemoveTree(dir / "a"));  // nothing left to remove
    WriteText(dir / "plain.txt", "z");
    EXPECT_FALSE(CreateFolder(dir / "plain.txt"));
}

TEST(FilesFind, MatchesWildcardsWithoutRegardToCase) {
    TempFolder dir;
    WriteText(dir / "Blue.THM", "");
    WriteText(dir / "red.thm", "");
    WriteText(dir / "red.thm.bak", "");
    WriteText(dir / "notes", "");
    ASSERT_TRUE(CreateFolder(dir / "Folder.thm"));
    const std::vector<FoundEntry> themes = Find(dir / "*.THM");
    EXPECT_EQ(Names(themes), (std::vector<std::string>{"Blue.THM", "Folder.thm", "red.thm"}));
    for (const FoundEntry& e : themes) EXPECT_EQ(e.isDirectory, e.name == "Folder.thm") << e.name;
    EXPECT_EQ(Names(Find(dir / "r?d.*")), (std::vector<std::string>{"red.thm", "red.thm.bak"}));
    EXPECT_EQ(Names(Find(dir / "*.*")).size(), 5u);
    EXPECT_EQ(Names(Find(dir / "BLUE.thm")), std::vector<std::string>{"Blue.THM"});
    EXPECT_TRUE(Find(dir / "*.tsk").empty());
    EXPECT_TRUE(Find(dir / "missing" + paths::Separator() + "*.*").empty());
}

#ifndef _WIN32
// The order of NTFS: letters compare as upper case, so '_' (0x5F) follows
// them; names that differ only in case come in byte order.
TEST(FilesFind, ListsByNameAsNtfsOrdersThem) {
    TempFolder dir;
    for (const char* name : {"blue_1.thm", "BlueB.thm", "bluea.thm", "Blue.thm", "blue.thm"}) WriteText(dir / name, "");
    std::vector<std::string> listed;
    for (const FoundEntry& e : Find(dir / "*.thm")) listed.push_back(e.name);
    EXPECT_EQ(listed, (std::vector<std::string>{"Blue.thm", "blue.thm", "bluea.thm", "BlueB.thm", "blue_1.thm"}));
}
#endif

TEST(FilesWhole, ReadAndWriteWholeFiles) {
    TempFolder dir;
    const std::string bytes("a\0b\r\n", 5);
    ASSERT_TRUE(WriteAll(dir / "w.bin", bytes.data(), bytes.size()));
    std::vector<uint8_t> read;
    ASSERT_TRUE(ReadAll(dir / "w.bin", read));
    EXPECT_EQ(std::string(read.begin(), read.end()), bytes);
    EXPECT_EQ(SizeOf(dir / "w.bin"), 5);
    EXPECT_EQ(SizeOf(dir / "none"), -1);
    EXPECT_FALSE(ReadAll(dir / "none", read));
    EXPECT_TRUE(read.empty());
    ASSERT_TRUE(SetReadOnly(dir / "w.bin", true));
    EXPECT_FALSE(WriteAll(dir / "w.bin", "x", 1));
    EXPECT_EQ(SizeOf(dir / "w.bin"), 5);
    ASSERT_TRUE(WriteAll(dir / "empty", "", 0));
    EXPECT_EQ(SizeOf(dir / "empty"), 0);
}

TEST(FilesFolders, TempProgramAndCurrentFolders) {
    const std::string temp = files::TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_TRUE(paths::IsSeparator(temp.back()));
    const std::string program = ProgramFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(paths::IsSeparator(program.back()));
    EXPECT_TRUE(IsDirectory(program));
    const std::string before = CurrentFolder();
    test::TempFolder dir;
    ASSERT_TRUE(SetCurrentFolder(dir.path()));
    WriteText(dir / "here.txt", "h");
    EXPECT_TRUE(IsFile("here.txt"));
    EXPECT_TRUE(SetCurrentFolder(before));
    EXPECT_EQ(CurrentFolder(), before);
    EXPECT_FALSE(SetCurrentFolder(dir / "missing"));
}

#ifndef _WIN32
TEST(FilesTempFolder, FollowsTmpdir) {
    const char* saved = std::getenv("TMPDIR");
    const std::string old = saved ? saved : "";
    setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(files::TempFolder(), "/var/tmp/");
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(files::TempFolder(), "/tmp/");
    if (saved) setenv("TMPDIR", old.c_str(), 1);
    else unsetenv("TMPDIR");
}

// Theme files are addressed as "STWater.gif" and stored as "stwater.gif".
TEST(FilesCaseInsensitive, ExistingNamesResolveWithoutRegardToCase) {
    TempFolder dir;
    ASSERT_TRUE(CreateFolder(dir / "Themes"));
    WriteText(dir / "Themes/stwater.gif", "gif");
    const std::string addressed = dir / "THEMES/STWater.gif";
    EXPECT_TRUE(Exists(addressed));
    EXPECT_TRUE(IsFile(addressed));
    EXPECT_TRUE(IsDirectory(dir / "themes"));
    EXPECT_EQ(SizeOf(addressed), 3);
    EXPECT_EQ(Resolve(addressed), dir / "Themes/stwater.gif");
    EXPECT_EQ(Resolve(dir / "themes/none.gif"), dir / "themes/none.gif");
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadAll(addressed, bytes));
    EXPECT_TRUE(Copy(addressed, dir / "THEMES/Copy.GIF", true));
    EXPECT_EQ(ReadText(dir / "Themes/Copy.GIF"), "gif");
    // Writing an existing name in other case writes that file, as on Windows.
    ASSERT_TRUE(WriteAll(dir / "themes/STWATER.GIF", "new", 3));
    EXPECT_EQ(ReadText(dir / "Themes/stwater.gif"), "new");
    EXPECT_EQ(Names(Find(dir / "Themes/*.gif")), (std::vector<std::string>{"Copy.GIF", "stwater.gif"}));
    EXPECT_TRUE(Move(dir / "themes/copy.gif", dir / "THEMES/Moved.gif"));
    EXPECT_TRUE(IsFile(dir / "Themes/Moved.gif"));
    EXPECT_FALSE(Move(dir / "themes/moved.gif", dir / "themes/STWATER.gif"));
    EXPECT_TRUE(SetReadOnly(dir / "THEMES/MOVED.GIF", true));
    EXPECT_FALSE(Delete(dir / "themes/moved.gif"));
    EXPECT_TRUE(SetReadOnly(dir / "THEMES/MOVED.GIF", false));
    EXPECT_TRUE(Delete(dir / "themes/moved.gif"));
    EXPECT_FALSE(Exists(dir / "Themes/Moved.gif"));
    EXPECT_TRUE(CreateFolder(dir / "THEMES/tmp/"));
    EXPECT_TRUE(CreateFolders(dir / "themes/TMP/deeper/still"));
    EXPECT_TRUE(IsDirectory(dir / "Themes/tmp/deeper/still"));
    EXPECT_EQ(Names(Find(dir / "*")), std::vector<std::string>{"Themes"});
    EXPECT_EQ(Names(Find(dir / "Themes/*")), (std::vector<std::string>{"stwater.gif", "tmp"}));
    EXPECT_TRUE(RemoveTree(dir / "THEMES"));
    EXPECT_FALSE(Exists(dir / "Themes"));
}

TEST(FilesCaseInsensitive, BackslashesSeparateAndExactNamesWin) {
    TempFolder dir;
    WriteText(dir / "Name.txt", "upper");
    WriteText(dir / "name.txt", "lower");
    EXPECT_EQ(ReadText(Resolve(dir / "name.txt")), "lower");
    EXPECT_EQ(ReadText(Resolve(dir / "Name.txt")), "upper");
    EXPECT_EQ(ReadText(Resolve(dir / "NAME.TXT")), "upper");  // first in name order
    ASSERT_TRUE(CreateFolder(dir / "Sub"));
    WriteText(dir / "Sub/f.txt", "f");
    EXPECT_TRUE(IsFile(dir / "sub\\F.TXT"));
}
#endif

}  // namespace
}  // namespace mrw::files
