// cabwiz end to end: the INF the package build writes in, a cabinet out that
// our reader, cabextract and gcab all read.
#include <gtest/gtest.h>

#include "base/ByteOrder.h"
#include "base/formats/CabinetLayout.h"
#include "editor/packages/CabinetWriter.h"
#include "editor/packages/ThemePackageReader.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"
#include "tools/cabwiz/CabWiz.h"
#include "tools/cabwiz/CabinetPlan.h"

namespace mrw::cabwiz {
namespace {

using test::CabWizProgram;
using test::HaveTool;
using test::Shell;

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> v(size);
    for (auto& b : v) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    return v;
}

// The INF exactly as the package build writes it (CR LF, unquoted names).
std::string ThemeInf(const std::string& alias, const std::vector<std::string>& files,
                     const std::vector<std::string>& registry) {
    std::string t =
        "[Version]\r\nSignature=\"$Chicago$\"\r\nCESignature=\"$Windows CE$\"\r\nProvider= \"Windows\"\r\n\r\n"
        "[CEStrings]\r\nAppName=\"" + alias + "\"\r\nInstallDir= %CE2%\r\n\r\n"
        "[CEDevice.POCKETPC2002]\r\nProcessorType = 2577\r\nUnsupportedPlatforms= \"HPC\",\"Jupiter\"\r\n"
        "VersionMin = 3.0\r\nVersionMax = 100.0\r\n\r\n"
        "[SourceDisksNames.POCKETPC2002]\r\n1 = ,\"Other\",,.\r\n\r\n"
        "[DefaultInstall.POCKETPC2002]\r\nCopyFiles = Files.Common.Windows\r\nAddReg=Registry.Common\r\n\r\n"
        "[DestinationDirs]\r\nFiles.Common.Windows=0,%CE2%\r\nDefaultDestDir=0,%InstallDir%\r\n\r\n"
        "[SourceDisksFiles]\r\n";
    for (const auto& f : files) t += f + "=1\r\n";
    t += "\r\n[Files.Common.Windows]\r\n";
    for (const auto& f : files) t += f + ",,,0x40000000\r\n";
    t += "\r\n[Strings]\r\nreg_path = Software\\Microsoft\\Color\r\n\r\n[Registry.Common]\r\n";
    for (const auto& r : registry) t += r + "\r\n";
    return t;
}

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

struct ThemeFolder {
    test::TempFolder dir;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"tdywater.gif", Pattern(14, 1)},
        {"stwater.gif", Pattern(70000, 2)},        // crosses two block boundaries
        {"my theme file.gif", Pattern(32768, 3)},  // blanks; one whole block
        {"empty.txt", {}},
        {"vx5n.htm", Pattern(28000, 4)},
    };
    std::string inf;

    explicit ThemeFolder(const std::vector<std::string>& registry = {
                             "HKLM,Software\\Microsoft\\Color,5,0x00000001,ff,80,00,00",
                             "HKCU,Software\\Microsoft\\Today,Skin,0x00010001,05,00,00,00",
                             "HKCU,Software\\Microsoft\\Today,Name,0x00000000,41,42,00",
                             "HKCU,Software\\Microsoft\\Today,Count,0x00010001,42",
                             "HKCU,Software\\Microsoft\\Today,Flag,0x00010001,0x2a",
                             "HKCU,Software\\Microsoft\\Today,Empty,0x00000001,"}) {
        std::vector<std::string> names;
        for (const auto& f : files) {
            test::WriteBytes(dir / f.first, f.second);
            names.push_back(f.first);
        }
        inf = dir / "Today.INF";
        test::WriteText(inf, ThemeInf("Blue", names, registry));
    }
    std::string cabinet() const { return dir / "TODAY.POCKETPC2002.CAB"; }
};

TEST(CabWiz, SetupFileMatchesTheHandheldLayoutByteForByte) {
    test::TempFolder dir;
    test::WriteBytes(dir / "tdywater.gif", Pattern(10, 1));
    test::WriteBytes(dir / "stwater.gif", Pattern(20, 2));
    test::WriteText(dir / "Today.INF", ThemeInf("Blue", {"tdywater.gif", "stwater.gif"},
                                                {"HKLM,Software\\Microsoft\\Color,5,0x00000001,ff,80,00,00"}));
    std::string cabinet, error;
    ASSERT_TRUE(BuildCabinet(dir / "Today.INF", "POCKETPC2002", "", cabinet, error)) << error;
    EXPECT_EQ(cabinet, dir / "TODAY.POCKETPC2002.CAB");

    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(cabinet));
    ASSERT_EQ(reader.FileCount(), 3u);
    EXPECT_EQ(reader.File(0).name, "TODAYP~1.000");
    EXPECT_EQ(reader.File(1).name, "0stwater.002");
    EXPECT_EQ(reader.File(2).name, "tdywater.001");
    std::vector<uint8_t> setup;
    ASSERT_TRUE(reader.ReadMember(0, setup));
    const std::vector<uint8_t> expected = FromHex(
        "4d534345 00000000 1a010000 00000000 01000000 110a0000 03000000 00000000"
        "64000000 00000000 00000000 00000000 0500 0200 0200 0100 0100 0000"
        "7e000000 b7000000 c7000000 f8000000 08010000 1a010000"
        "6400 0500 6900 0800 7100 0d00 0000 0000"
        "426c756500 57696e646f777300 48504300 4a555049544552 00 00"
        "0100 0600 2543453225 00  0200 0600 2543453225 00"
        "0300 0900 536f667477617265 00  0400 0a00 4d6963726f736f6674 00  0500 0600 436f6c6f72 00"
        "0200 0400 0200 0000  0100 0400 0100 0000"
        "0100 0200 0100 00000040 0d00 7464797761746572 2e676966 00"
        "0200 0200 0200 00000040 0c00 73747761746572 2e676966 00"
        "0100 0300 0000 0800 0300 0400 0500 0000"
        "0100 0100 0000 01000000 0600 3500 ff800000");
    ASSERT_EQ(expected.size(), 282u);
    EXPECT_EQ(setup, expected);
}

TEST(CabWiz, CabinetLayoutAndRoundTrip) {
    ThemeFolder theme;
    std::string cabinet, error;
    ASSERT_TRUE(BuildCabinet(theme.inf, "POCKETPC2002", "", cabinet, error)) << error;
    const auto bytes = test::ReadBytes(cabinet);
    namespace cab = cabinet;
    const uint8_t* h = bytes.data();
    const uint8_t* folder = h + cab::kFolderTableOffset;
    ASSERT_GT(bytes.size(), cab::kFolderTableOffset + cab::kFolderSize);
    EXPECT_EQ(h[cab::header::kVersion], 3);  // version 1.3
    EXPECT_EQ(h[cab::header::kVersion + 1], 1);
    EXPECT_EQ(le::U16(h + cab::header::kFolderCount), 1);
    EXPECT_EQ(le::U16(h + cab::header::kFlags), 0);
    EXPECT_EQ(le::U32(h + cab::header::kCabinetSize), bytes.size());
    EXPECT_EQ(le::U16(folder + cab::folder::kCompression), cab::kCompressionNone);
    // Walk the data blocks: sizes and checksums.
    size_t at = le::U32(folder + cab::folder::kDataOffset);
    const unsigned blocks = le::U16(folder + cab::folder::kBlockCount);
    {
        ThemePackageReader sizes;
        ASSERT_TRUE(sizes.Open(cabinet));
        uint64_t total = 0;
        for (size_t i = 0; i < sizes.FileCount(); ++i) total += sizes.File(i).size;
        EXPECT_EQ(blocks, (total + cab::kMaxBlockData - 1) / cab::kMaxBlockData);
    }
    for (unsigned i = 0; i < blocks; ++i) {
        ASSERT_LE(at + cab::kDataHeaderSize, bytes.size());
        const uint8_t* block = h + at;
        const uint16_t size = le::U16(block + cab::data::kStoredSize);
        EXPECT_LE(size, cab::kMaxBlockData);
        EXPECT_EQ(le::U16(block + cab::data::kUncompressedSize), size);
        EXPECT_EQ(le::U32(block + cab::data::kChecksum), CabinetBlockChecksum(block + cab::kDataHeaderSize, size));
        at += cab::kDataHeaderSize + size;
    }
    EXPECT_EQ(at, bytes.size());

    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(cabinet));
    test::TempFolder out;
    ASSERT_EQ(reader.ExtractTo(out.path()), 1);
    ASSERT_EQ(reader.ReadSetupFile(reader.FindFileBySuffix(".000")), 1);
    for (const auto& f : theme.files) EXPECT_EQ(test::ReadBytes(out / f.first), f.second) << f.first;
    EXPECT_EQ(reader.PackageKind(), PackageKind::AnimatedToday);
    EXPECT_EQ(reader.ApplicationName(), "Blue");
    EXPECT_EQ(reader.UnsupportedPlatforms(), (std::vector<std::string>{"HPC", "JUPITER"}));

    struct Expect {
        const char* key;
        const char* name;
        uint32_t flags;
        std::vector<uint8_t> data;
    };
    const Expect values[] = {
        {"HKLM,Software\\Microsoft\\Color", "5", 1, {0xff, 0x80, 0, 0}},
        {"HKCU,Software\\Microsoft\\Today", "Skin", 0x10001, {5, 0, 0, 0}},
        {"HKCU,Software\\Microsoft\\Today", "Name", 0, {0x41, 0x42, 0}},
        {"HKCU,Software\\Microsoft\\Today", "Count", 0x10001, {42, 0, 0, 0}},
        {"HKCU,Software\\Microsoft\\Today", "Flag", 0x10001, {42, 0, 0, 0}},
        {"HKCU,Software\\Microsoft\\Today", "Empty", 1, {}},
    };
    const SetupRegistryValue* v = reader.FirstValue();
    for (const auto& e : values) {
        ASSERT_NE(v, nullptr);
        std::string key;
        EXPECT_TRUE(reader.KeyPath(v->keyId, key));
        EXPECT_EQ(key, e.key);
        EXPECT_EQ(v->name, e.name);
        EXPECT_EQ(v->flags, e.flags);
        EXPECT_EQ(v->data, e.data) << e.name;
        v = reader.NextValue();
    }
    EXPECT_EQ(v, nullptr);
}

TEST(CabWiz, TextValuesOfHandWrittenInfFiles) {
    InfFile inf;
    std::string error;
    ASSERT_TRUE(inf.Parse("[Version]\nSignature=\"$Windows NT$\"\n[CEStrings]\nAppName=App\nInstallDir=%CE1%\\App\n"
                          "[DefaultInstall]\nAddReg=R\n[R]\n"
                          "HKCR,\"a\\b\",\"s\",0,\"x, y\"\n"
                          "HKCR,a\\b,m,0x00010000,one,two\n"
                          "HKCR,a\\b,p,0,\"%InstallDir%\\app.exe\"\n",
                          error))
        << error;
    CabinetPlan plan;
    ASSERT_TRUE(PlanCabinet(inf, "", ".", plan, error)) << error;
    ASSERT_EQ(plan.setup.values.size(), 3u);
    const auto& v = plan.setup.values;
    EXPECT_EQ(std::string(v[0].data.begin(), v[0].data.end()), std::string("x, y\0", 5));
    EXPECT_EQ(std::string(v[1].data.begin(), v[1].data.end()), std::string("one\0two\0\0", 9));
    EXPECT_EQ(std::string(v[2].data.begin(), v[2].data.end()), std::string("%InstallDir%\\app.exe\0", 21));
    EXPECT_EQ(v[2].substitute, 1);
    EXPECT_EQ(v[0].substitute, 0);
    ASSERT_EQ(plan.setup.keys.size(), 1u);
    EXPECT_EQ(plan.setup.strings[0], "%CE1%\\App");
}

TEST(CabWiz, BadInfOrMissingSourceLeavesNoCabinet) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> broken = {
        {"bad root", {"HKXX,Software\\Microsoft\\Color,5,0x00000001,ff"}},
        {"bad binary", {"HKLM,Software\\Microsoft\\Color,5,0x00000001,fff,zz"}},
        {"bad flags", {"HKLM,Software\\Microsoft\\Color,5,0xZZ,ff"}},
        {"too few fields", {"HKLM"}},
    };
    for (const auto& [what, registry] : broken) {
        ThemeFolder theme(registry);
        test::WriteBytes(theme.cabinet(), {1, 2, 3});  // left by an earlier run
        std::string cabinet, error;
        EXPECT_FALSE(BuildCabinet(theme.inf, "POCKETPC2002", "", cabinet, error)) << what;
        EXPECT_FALSE(error.empty()) << what;
        EXPECT_FALSE(files::Exists(theme.cabinet())) << what;
    }
    {
        ThemeFolder theme;
        files::Delete(theme.dir / "stwater.gif");
        std::string cabinet, error;
        EXPECT_FALSE(BuildCabinet(theme.inf, "POCKETPC2002", "", cabinet, error));
        EXPECT_NE(error.find("stwater.gif"), std::string::npos) << error;
        EXPECT_FALSE(files::Exists(theme.cabinet()));
    }
    {
        ThemeFolder theme;
        test::WriteText(theme.inf, "[Version]\r\nSignature=\"$Chicago$\r\n");
        std::string cabinet, error;
        EXPECT_FALSE(BuildCabinet(theme.inf, "POCKETPC2002", "", cabinet, error));
        test::WriteText(theme.inf, "[Strings]\r\nx=1\r\n");
        EXPECT_FALSE(BuildCabinet(theme.inf, "POCKETPC2002", "", cabinet, error));
        EXPECT_FALSE(files::Exists(theme.cabinet()));
    }
    {
        // A final name with a folder part is refused rather than written.
        test::TempFolder dir;
        test::WriteBytes(dir / "x.gif", {1});
        test::WriteText(dir / "Today.INF",
                        ThemeInf("Blue", {"x.gif"}, {}) + "[Files.Common.Windows]\r\n..\\x.gif,x.gif,,0\r\n");
        std::string cabinet, error;
        EXPECT_FALSE(BuildCabinet(dir / "Today.INF", "POCKETPC2002", "", cabinet, error));
    }
}

TEST(CabWiz, SourceFilesAreFoundWithoutRegardToCase) {
    // The theme names its file "TdyWater.gif"; an earlier build left the
    // working folder's copy spelt "tdywater.gif", and the export wrote into it.
    test::TempFolder dir;
    test::WriteBytes(dir / "tdywater.gif", Pattern(40000, 5));
    test::WriteText(dir / "Today.INF", ThemeInf("Blue", {"TdyWater.gif"}, {}));
    std::string cabinet, error;
    ASSERT_TRUE(BuildCabinet(dir / "Today.INF", "POCKETPC2002", "", cabinet, error)) << error;
    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(cabinet));
    ASSERT_EQ(reader.FileCount(), 2u);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(reader.ReadMember(1, bytes));
    EXPECT_EQ(bytes, Pattern(40000, 5));
    ASSERT_EQ(reader.ReadSetupFileFromCabinet(), 1);
    EXPECT_EQ(reader.File(1).targetName, "TdyWater.gif");
}

TEST(CabWiz, ProgramTakesTheBuildsCommandLine) {
    if (!files::IsFile(CabWizProgram())) GTEST_SKIP() << "cabwiz not staged";
    ThemeFolder theme;
    const std::string log = theme.dir / "stderr.txt";
    EXPECT_EQ(Shell("\"" + CabWizProgram() + "\" \"" + theme.inf + "\" /CPU POCKETPC2002 2>\"" + log + "\""), 0);
    EXPECT_TRUE(files::IsFile(theme.cabinet()));
    files::Delete(theme.dir / "vx5n.htm");
    EXPECT_NE(Shell("\"" + CabWizProgram() + "\" \"" + theme.inf + "\" /CPU POCKETPC2002 2>\"" + log + "\""), 0);
    EXPECT_FALSE(files::Exists(theme.cabinet()));
    EXPECT_NE(test::ReadText(log).find("vx5n.htm"), std::string::npos);
}

TEST(CabWizInterop, CabextractAndGcabReadOurCabinets) {
    const bool cabextract = HaveTool("cabextract --version");
    const bool gcab = HaveTool("gcab --version");
    if (!cabextract && !gcab) GTEST_SKIP() << "neither cabextract nor gcab installed";
    ThemeFolder theme;
    std::string cabinet, error;
    ASSERT_TRUE(BuildCabinet(theme.inf, "POCKETPC2002", "", cabinet, error)) << error;
    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(cabinet));
    test::TempFolder ours;
    ASSERT_EQ(reader.ExtractTo(ours.path()), 1);
    if (cabextract) {
        EXPECT_EQ(Shell("cabextract -q -t '" + cabinet + "' >/dev/null 2>&1"), 0);
        test::TempFolder out;
        ASSERT_EQ(Shell("cabextract -q -d '" + out.path() + "' '" + cabinet + "' >/dev/null 2>&1"), 0);
        for (size_t i = 0; i < reader.FileCount(); ++i) {
            const std::string& name = reader.File(i).name;
            EXPECT_EQ(test::ReadBytes(out / name), test::ReadBytes(ours / name)) << name;
        }
    }
    if (gcab) {
        EXPECT_EQ(Shell("gcab -t '" + cabinet + "' >/dev/null 2>&1"), 0);
        test::TempFolder out;
        ASSERT_EQ(Shell("cd '" + out.path() + "' && gcab -x '" + cabinet + "' >/dev/null 2>&1"), 0);
        for (size_t i = 0; i < reader.FileCount(); ++i) {
            const std::string& name = reader.File(i).name;
            EXPECT_EQ(test::ReadBytes(out / name), test::ReadBytes(ours / name)) << name;
        }
    }
}

TEST(CabWizInterop, OurReaderReadsGcabCabinets) {
    if (!HaveTool("gcab --version")) GTEST_SKIP() << "gcab not installed";
    ThemeFolder theme;
    std::string names;
    for (const auto& f : theme.files) names += " '" + f.first + "'";
    const std::string cabinet = theme.dir / "gcab.cab";
    ASSERT_EQ(Shell("cd '" + theme.dir.path() + "' && gcab -c -n '" + cabinet + "'" + names + " >/dev/null 2>&1"), 0);
    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(cabinet));
    ASSERT_EQ(reader.FileCount(), theme.files.size());
    test::TempFolder out;
    ASSERT_EQ(reader.ExtractTo(out.path()), 1) << CabinetErrorText(reader.LastError());
    for (const auto& f : theme.files) EXPECT_EQ(test::ReadBytes(out / f.first), f.second) << f.first;
}

}  // namespace
}  // namespace mrw::cabwiz
