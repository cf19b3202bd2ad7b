#include "editor/packages/CabinetReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "base/formats/CabinetLayout.h"
#include "editor/packages/CabinetWriter.h"
#include "editor/packages/tests/RawCabinet.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

using test::Pattern;
using test::RawCabinet;

std::string WriteCab(const test::TempFolder& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir / name;
    test::WriteBytes(path, bytes);
    return path;
}

TEST(CabinetReaderOpen, RefusesWhatIsNoSupportedCabinet) {
    test::TempFolder dir;
    CabinetReader reader;
    EXPECT_FALSE(reader.Open(dir / "missing.tsk"));
    EXPECT_EQ(reader.LastError(), CabinetError::OpenFailed);

    // A folder opens on POSIX but is no file to read.
    EXPECT_FALSE(reader.Open(dir.path()));
    EXPECT_EQ(reader.LastError(), CabinetError::OpenFailed);

    auto good = RawCabinet::Sequential({{"a.001", Pattern(10, 1)}}).Bytes();
    const std::vector<uint8_t> shortHeader(good.begin(), good.begin() + cabinet::kHeaderSize - 1);
    EXPECT_FALSE(reader.Open(WriteCab(dir, "short.tsk", shortHeader)));
    EXPECT_EQ(reader.LastError(), CabinetError::TooShort);

    auto sig = good;
    sig[0] = 'X';
    EXPECT_FALSE(reader.Open(WriteCab(dir, "sig.tsk", sig)));
    EXPECT_EQ(reader.LastError(), CabinetError::NotCabinet);

    RawCabinet cab = RawCabinet::Sequential({{"a.001", Pattern(10, 1)}});
    cab.version = 0x0102;
    EXPECT_FALSE(reader.Open(WriteCab(dir, "ver.tsk", cab.Bytes())));
    EXPECT_EQ(reader.LastError(), CabinetError::BadVersion);

    cab.version = 0x0103;
    cab.flags = cabinet::kFlagReserve;
    EXPECT_FALSE(reader.Open(WriteCab(dir, "res.tsk", cab.Bytes())));
    EXPECT_EQ(reader.LastError(), CabinetError::ReservedAreas);
    cab.flags = cabinet::kFlagNextCabinet;
    EXPECT_FALSE(reader.Open(WriteCab(dir, "next.tsk", cab.Bytes())));
    EXPECT_EQ(reader.LastError(), CabinetError::MultiCabinet);
}

TEST(CabinetReaderOpen, BoundsTheTablesByTheRealFile) {
    test::TempFolder dir;
    CabinetReader reader;
    // A file table claiming more records than the table holds: the records
    // that are there are listed and extracted.
    RawCabinet cab = RawCabinet::Sequential({{"a.001", Pattern(10, 1)}, {"b.002", Pattern(5, 2)}});
    cab.fileCountOverride = 60000;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "many.tsk", cab.Bytes())));
    EXPECT_EQ(reader.FileCount(), 2u);
    EXPECT_EQ(reader.DeclaredFileCount(), 60000u);
    test::TempFolder out;
    EXPECT_EQ(reader.ExtractTo(out.path()), 1);
    EXPECT_EQ(test::ReadBytes(out / "b.002"), Pattern(5, 2));
    reader.Close();

    // Folder records beyond the end of the file.
    auto bytes = RawCabinet::Sequential({{"a.001", Pattern(10, 1)}}).Bytes();
    le::SetU16(bytes.data() + cabinet::header::kFolderCount, 5000);
    EXPECT_FALSE(reader.Open(WriteCab(dir, "folders.tsk", bytes)));
    EXPECT_EQ(reader.LastError(), CabinetError::BadFolderTable);

    // A folder whose data would start beyond the end: the table size is a lie.
    bytes = RawCabinet::Sequential({{"a.001", Pattern(10, 1)}}).Bytes();
    le::SetU32(bytes.data() + cabinet::kFolderTableOffset + cabinet::folder::kDataOffset, 0x7FFFFFF0);
    EXPECT_FALSE(reader.Open(WriteCab(dir, "table.tsk", bytes)));
    EXPECT_EQ(reader.LastError(), CabinetError::BadFileTable);

    // A name of 260 bytes without NUL.
    RawCabinet longName = RawCabinet::Sequential({{std::string(300, 'n'), Pattern(10, 1)}});
    EXPECT_FALSE(reader.Open(WriteCab(dir, "name.tsk", longName.Bytes())));
    EXPECT_EQ(reader.LastError(), CabinetError::NameTooLong);
    RawCabinet okName = RawCabinet::Sequential({{std::string(259, 'n'), Pattern(10, 1)}});
    EXPECT_TRUE(reader.Open(WriteCab(dir, "name2.tsk", okName.Bytes())));
}

TEST(CabinetReaderNames, LookupsBySuffixAndId) {
    test::TempFolder dir;
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "Blue.tsk",
                                     RawCabinet::Sequential({{"x.000a", {}}, {"SETUP~1.000", {}}, {"tdywater.001", {}},
                                                             {"a.0012", {}}, {"b.012", {}}})
                                         .Bytes())));
    EXPECT_EQ(reader.FindFileBySuffix(".000"), "SETUP~1.000");
    EXPECT_EQ(reader.FindFileBySuffix(".00A"), "");
    ASSERT_NE(reader.FindFileById(1), nullptr);
    EXPECT_EQ(reader.FindFileById(1)->name, "tdywater.001");
    EXPECT_EQ(reader.FindFileById(12)->name, "b.012");
    EXPECT_EQ(reader.FindFileById(2), nullptr);
    EXPECT_EQ(reader.FindFileById(1000), nullptr);
    EXPECT_EQ(reader.BaseName(), "Blue");
}

TEST(CabinetReaderNames, BaseNameIsCutAtTheFirstDot) {
    test::TempFolder dir;
    const auto bytes = RawCabinet::Sequential({}).Bytes();
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "Blue.v2.tsk", bytes)));
    EXPECT_EQ(reader.BaseName(), "Blue");
    ASSERT_TRUE(reader.Open(WriteCab(dir, "NoDot", bytes)));
    EXPECT_EQ(reader.BaseName(), "NoDot");
}

TEST(CabinetReaderExtract, ContentSurvivesBlockBoundaries) {
    test::TempFolder dir;
    // Sizes around the block size: a file ending exactly on a boundary, an
    // empty one in the middle, one spanning three blocks.
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> members = {
        {"a.001", Pattern(cabinet::kMaxBlockData - 100, 1)}, {"b.002", Pattern(100, 2)}, {"empty.003", {}},
        {"c.004", Pattern(70001, 3)},       {"d.005", Pattern(1, 4)}};
    std::vector<CabinetMember> writerMembers;
    for (const auto& m : members) {
        CabinetMember cm;
        cm.name = m.first;
        cm.bytes = m.second;
        writerMembers.push_back(cm);
    }
    std::string error;
    ASSERT_TRUE(WriteCabinet(dir / "Blocks.tsk", writerMembers, error)) << error;

    for (size_t blockSize : {cabinet::kMaxBlockData, size_t(1000), size_t(7)}) {
        const std::string path =
            blockSize == cabinet::kMaxBlockData
                ? dir / "Blocks.tsk"
                : WriteCab(dir, "Small.tsk", RawCabinet::Sequential(members, blockSize).Bytes());
        CabinetReader reader;
        ASSERT_TRUE(reader.Open(path));
        ASSERT_EQ(reader.FileCount(), members.size());
        test::TempFolder out;
        ASSERT_EQ(reader.ExtractTo(out.path()), 1) << CabinetErrorText(reader.LastError());
        for (const auto& m : members) {
            EXPECT_EQ(test::ReadBytes(out / m.first), m.second) << m.first << " block size " << blockSize;
        }
        std::vector<uint8_t> member;
        ASSERT_TRUE(reader.ReadMember(3, member));  // out of order after a full pass
        EXPECT_EQ(member, members[3].second);
        ASSERT_TRUE(reader.ReadMember(0, member));
        EXPECT_EQ(member, members[0].second);
    }
}

TEST(CabinetArchive, ReadsMembersFromMemory) {
    // No file anywhere: the package is only bytes in memory.
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> members = {
        {"a.001", Pattern(50, 1)}, {"b.002", Pattern(30, 2)}, {"c.003", Pattern(9, 3)}};
    auto bytes = RawCabinet::Sequential(members, 16).Bytes();
    MemoryByteSource source(bytes);
    CabinetArchive archive;
    ASSERT_TRUE(archive.Open(source));
    ASSERT_EQ(archive.FileCount(), 3u);
    std::vector<uint8_t> member;
    for (size_t i : {2u, 0u, 1u}) {
        ASSERT_TRUE(archive.ReadMember(i, member)) << i;
        EXPECT_EQ(member, members[i].second) << i;
    }
    // Cut inside the last member's data: what lies before the cut still reads.
    bytes.resize(bytes.size() - 4);
    MemoryByteSource cut(bytes);
    ASSERT_TRUE(archive.Open(cut));
    EXPECT_TRUE(archive.ReadMember(1, member));
    EXPECT_FALSE(archive.ReadMember(2, member));
    EXPECT_EQ(archive.LastError(), CabinetError::DataTruncated);
}

TEST(CabinetArchive, ReadsWhatTheWriterPutIntoASink) {
    // A member that spans two data blocks and one after it, all in memory.
    std::vector<CabinetMember> members(2);
    members[0].name = "big.001";
    members[0].bytes = Pattern(40000, 7);
    members[1].name = "small.002";
    members[1].bytes = Pattern(10, 9);
    MemoryByteSink sink;
    std::string error;
    ASSERT_TRUE(WriteCabinet(sink, members, error)) << error;
    MemoryByteSource source(sink.bytes());
    CabinetArchive archive;
    ASSERT_TRUE(archive.Open(source));
    ASSERT_EQ(archive.FileCount(), 2u);
    std::vector<uint8_t> member;
    for (size_t i : {1u, 0u}) {
        ASSERT_TRUE(archive.ReadMember(i, member)) << i;
        EXPECT_EQ(member, members[i].bytes) << i;
    }
}

TEST(CabinetReaderExtract, DefaultFolderIsUnderTheTemporaryFolderAndEmptiedFirst) {
    test::TempFolder a, b;
    const std::string first = WriteCab(a, "MrwTestShared.tsk", RawCabinet::Sequential({{"one.001", Pattern(5, 1)}}).Bytes());
    const std::string second = WriteCab(b, "MrwTestShared.tsk", RawCabinet::Sequential({{"two.001", Pattern(6, 2)}}).Bytes());
    const std::string sep(1, paths::Separator());
    CabinetReader r1, r2;
    ASSERT_TRUE(r1.Open(first));
    ASSERT_EQ(r1.ExtractAll(), 1);
    EXPECT_EQ(r1.ExtractionFolder(), files::TempFolder() + "mrw" + sep + "MrwTestShared" + sep);
    EXPECT_TRUE(files::IsFile(r1.ExtractionFolder() + "one.001"));
    ASSERT_TRUE(r2.Open(second));
    ASSERT_EQ(r2.ExtractAll(), 1);
    EXPECT_EQ(r2.ExtractionFolder(), r1.ExtractionFolder());
    EXPECT_FALSE(files::Exists(r2.ExtractionFolder() + "one.001"));
    EXPECT_TRUE(files::IsFile(r2.ExtractionFolder() + "two.001"));
    files::RemoveTree(r2.ExtractionFolder());
}

TEST(CabinetReaderExtract, NamesAreFoundWithoutRegardToCase) {
    // As on the desktop: the package opens under another spelling, and a
    // member written over a file spelt differently replaces that file.
    test::TempFolder dir, out;
    WriteCab(dir, "Blue.tsk", RawCabinet::Sequential({{"a.001", Pattern(10, 1)}}).Bytes());
    test::WriteText(out / "A.001", "older");
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(dir / "BLUE.TSK"));
    EXPECT_EQ(reader.ExtractTo(out.path()), 1);
    const auto found = files::Find(out / "*");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(test::ReadBytes(out / found[0].name), Pattern(10, 1));
}

TEST(CabinetReaderExtract, EmptyCabinetSucceeds) {
    test::TempFolder dir, out;
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "e.tsk", RawCabinet::Sequential({}).Bytes())));
    EXPECT_EQ(reader.FileCount(), 0u);
    EXPECT_EQ(reader.ExtractTo(out.path()), 1);
}

TEST(CabinetReaderExtract, ShortFolderLeavesATruncatedFileAndFails) {
    test::TempFolder dir, out;
    RawCabinet cab = RawCabinet::Sequential({{"a.001", Pattern(50000, 1)}, {"b.002", Pattern(10, 2)}});
    cab.files[0].size = 90000;  // more than the folder holds
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "s.tsk", cab.Bytes())));
    EXPECT_EQ(reader.ExtractTo(out.path()), 0);
    EXPECT_EQ(files::SizeOf(out / "a.001"), 50010);
    std::vector<uint8_t> member;
    EXPECT_FALSE(reader.ReadMember(0, member));
}

TEST(CabinetReaderExtract, OversizedOrMissingBlocksFail) {
    test::TempFolder dir, out;
    RawCabinet cab = RawCabinet::Sequential({{"a.001", Pattern(40000, 1)}}, 40000);
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "big.tsk", cab.Bytes())));
    EXPECT_EQ(reader.ExtractTo(out.path()), 0);
    EXPECT_EQ(reader.LastError(), CabinetError::DataTruncated);

    // The cabinet ends inside the first block: the members before the cut
    // are whole, the one it cuts stays short, the ones after it are missing.
    auto bytes = RawCabinet::Sequential({{"a.001", Pattern(1000, 1)}, {"b.002", Pattern(3000, 2)}, {"c.003", Pattern(10, 3)}})
                     .Bytes();
    bytes.resize(bytes.size() - 100);
    ASSERT_TRUE(reader.Open(WriteCab(dir, "cut.tsk", bytes)));
    EXPECT_EQ(reader.ExtractTo(out.path()), 0);
    EXPECT_EQ(test::ReadBytes(out / "a.001"), Pattern(1000, 1));
    EXPECT_EQ(files::SizeOf(out / "b.002"), 2910);
    EXPECT_FALSE(files::Exists(out / "c.003"));
    std::vector<uint8_t> member;
    EXPECT_TRUE(reader.ReadMember(0, member));
    EXPECT_EQ(member, Pattern(1000, 1));
    EXPECT_FALSE(reader.ReadMember(1, member));
}

TEST(CabinetReaderExtract, FileOutsideTheCurrentBlockStopsExtraction) {
    test::TempFolder dir, out;
    RawCabinet cab = RawCabinet::Sequential({{"a.001", Pattern(100, 1)}, {"b.002", Pattern(100, 2)}, {"c.003", Pattern(5, 3)}});
    cab.files[1].offset = 5000;  // beyond the single block
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "gap.tsk", cab.Bytes())));
    EXPECT_EQ(reader.ExtractTo(out.path()), 0);
    EXPECT_EQ(reader.LastError(), CabinetError::BadDataOffset);
    EXPECT_TRUE(files::IsFile(out / "a.001"));
    EXPECT_FALSE(files::Exists(out / "b.002"));  // no empty file for a member that cannot be read
    EXPECT_FALSE(files::Exists(out / "c.003"));

    cab.files[1].offset = 100;
    cab.files[1].folder = 3;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "folder.tsk", cab.Bytes())));
    EXPECT_EQ(reader.ExtractTo(out.path()), 0);
    EXPECT_EQ(reader.LastError(), CabinetError::BadFolderIndex);
}

TEST(CabinetReaderExtract, MemberStartsAtItsOwnOffsetInsideTheBlock) {
    // Table order differs from data order inside one block: each member must
    // still get its own bytes.
    test::TempFolder dir, out;
    RawCabinet cab = RawCabinet::Sequential({{"a.001", Pattern(300, 1)}, {"b.002", Pattern(200, 2)}});
    std::swap(cab.files[0], cab.files[1]);
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "order.tsk", cab.Bytes())));
    EXPECT_EQ(reader.ExtractTo(out.path()), 1);
    EXPECT_EQ(test::ReadBytes(out / "a.001"), Pattern(300, 1));
    EXPECT_EQ(test::ReadBytes(out / "b.002"), Pattern(200, 2));
}

TEST(CabinetReaderExtract, RefusesCompressedFolders) {
    test::TempFolder dir, out;
    RawCabinet cab = RawCabinet::Sequential({{"a.001", Pattern(100, 1)}});
    cab.folders[0].compression = cabinet::kCompressionMszip;
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "zip.tsk", cab.Bytes())));
    EXPECT_EQ(reader.FileCount(), 1u);
    EXPECT_EQ(reader.ExtractTo(out.path()), 0);
    EXPECT_EQ(reader.LastError(), CabinetError::CompressedFolder);
    EXPECT_FALSE(files::Exists(out / "a.001"));
}

TEST(CabinetReaderExtract, HostileMemberNamesAreNotWritten) {
    test::TempFolder dir, root;
    const std::string out = root / "out";
    const std::vector<std::string> hostile = {"../evil1", "..\\evil2", "sub/evil3", "C:evil4", "/tmp/evil5",
                                              "\\evil6", "..", "."};
    std::vector<std::pair<std::string, std::vector<uint8_t>>> members;
    for (const auto& h : hostile) members.push_back({h, Pattern(10, 9)});
    members.push_back({"good.001", Pattern(33000, 7)});
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(WriteCab(dir, "evil.tsk", RawCabinet::Sequential(members).Bytes())));
    EXPECT_EQ(reader.ExtractTo(out), 0);
    EXPECT_EQ(reader.LastError(), CabinetError::UnsafeName);
    // The plain member after them still gets its own bytes.
    EXPECT_EQ(test::ReadBytes(out + paths::Separator() + "good.001"), Pattern(33000, 7));
    for (const auto& name : {"evil1", "evil2", "evil3", "evil4", "evil6", "sub", "C:evil4"}) {
        EXPECT_FALSE(files::Exists(root / name)) << name;
        EXPECT_FALSE(files::Exists(out + paths::Separator() + name)) << name;
    }
    EXPECT_FALSE(files::Exists("/tmp/evil5"));
    EXPECT_EQ(files::Find(out + paths::Separator() + "*").size(), 1u);
}

TEST(CabinetReaderNames, PlainFileNames) {
    EXPECT_TRUE(IsPlainFileName("tdywater.gif"));
    EXPECT_TRUE(IsPlainFileName("my file..gif"));
    EXPECT_TRUE(IsPlainFileName("...x"));
    for (const char* fine : {"console.gif", "com10.001", "nulx.000", "LPT0.txt", "a b.gif", "caf\xe9.gif"}) {
        EXPECT_TRUE(IsPlainFileName(fine)) << fine;
    }
    for (const char* bad : {"", ".", "..", "a\\b", "a/b", "C:x", "x:", "\\x", "/x"}) {
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    }
    // Names the desktop would not store as they are, or would open as a device.
    for (const char* bad : {"a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a\tb", "a\x1b[2Jb", "x.gif.", "x.gif ",
                            "CON", "nul.001", "Com1.gif", "lpt9", "AUX .txt", "prn.tar.gz"}) {
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    }
}

}  // namespace
}  // namespace mrw
