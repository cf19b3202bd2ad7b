#include <gtest/gtest.h>

#include "base/ByteOrder.h"
#include "base/formats/SetupFileLayout.h"
#include "editor/packages/CabinetReader.h"
#include "editor/packages/SetupFile.h"
#include "editor/packages/SetupFileWriter.h"
#include "editor/packages/ThemePackageReader.h"
#include "editor/packages/tests/RawCabinet.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

using test::Pattern;
using test::RawCabinet;
namespace sf = setupfile;

SetupFileModel ThemeModel() {
    SetupFileModel m;
    m.processor = 2577;
    m.applicationName = "Blue";
    m.providerName = "Windows";
    m.unsupportedPlatforms = {"HPC", "JUPITER"};
    m.strings = {"%CE2%", "%CE2%", "Software", "Microsoft", "Today"};
    m.directories = {{2, {2}}, {1, {1}}};
    m.files = {{1, 2, 1, 0x40000000, "tdywater.gif"}, {2, 2, 2, 0x40000000, "stwater.gif"}};
    SetupRegistryKey key;
    key.id = 1;
    key.root = kRootCurrentUser;
    key.componentIds = {3, 4, 5};
    m.keys = {key};
    m.values = {{1, 1, 0, 0x00010001, "Skin", {1, 0, 0, 0}}, {2, 1, 1, 0x00000001, "", {0xff, 0x80}}};
    return m;
}

std::vector<uint8_t> Serialize(const SetupFileModel& m) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(WriteSetupFile(m, bytes, error)) << error;
    return bytes;
}

SetupFileContent Parse(const std::vector<uint8_t>& bytes, bool expectOk = true) {
    SetupFileContent c;
    EXPECT_EQ(ParseSetupFile(bytes.data(), bytes.size(), c), expectOk);
    return c;
}

// Where a section's first record lies.
uint32_t Offset(const std::vector<uint8_t>& b, sf::Section section) {
    return le::U32(b.data() + sf::OffsetField(section));
}

void SetLength(std::vector<uint8_t>& b, uint32_t length) { le::SetU32(b.data() + sf::header::kLength, length); }

TEST(SetupFileParse, ReadsWhatTheWriterWrites) {
    const auto bytes = Serialize(ThemeModel());
    const SetupFileContent c = Parse(bytes);
    EXPECT_EQ(c.applicationName, "Blue");
    EXPECT_EQ(c.providerName, "Windows");
    EXPECT_EQ(c.unsupportedPlatforms, (std::vector<std::string>{"HPC", "JUPITER"}));
    EXPECT_EQ(c.strings.size(), 5u);
    ASSERT_EQ(c.files.size(), 2u);
    EXPECT_EQ(c.files[1].name, "stwater.gif");
    EXPECT_EQ(c.files[1].flags, 0x40000000u);
    ASSERT_EQ(c.keys.size(), 1u);
    EXPECT_EQ(FormatKeyPath(c.keys[0], c.strings), "HKCU,Software\\Microsoft\\Today");
    ASSERT_EQ(c.values.size(), 2u);
    EXPECT_EQ(c.values[0].data, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(c.values[1].name, "");
    EXPECT_EQ(c.values[1].data, (std::vector<uint8_t>{0xff, 0x80}));
    EXPECT_EQ(c.values[0].substitute, 0);
    EXPECT_EQ(c.values[1].substitute, 1);
    EXPECT_EQ(c.processor, 2577u);
    ASSERT_EQ(c.directories.size(), 2u);
    EXPECT_EQ(c.directories[0].id, 2);
    EXPECT_EQ(c.directories[0].componentIds, (std::vector<uint16_t>{2, 0}));
}

TEST(SetupFileParse, RefusesWhatIsNoSetupFile) {
    auto bytes = Serialize(ThemeModel());
    SetupFileContent c;
    EXPECT_FALSE(ParseSetupFile(bytes.data(), sf::kHeaderSize - 1, c));
    auto lying = bytes;
    SetLength(lying, static_cast<uint32_t>(bytes.size() + 1));  // longer than the data
    EXPECT_FALSE(ParseSetupFile(lying.data(), lying.size(), c));
    SetLength(lying, 0xFFFFFFFFu);
    EXPECT_FALSE(ParseSetupFile(lying.data(), lying.size(), c));
    auto sig = bytes;
    sig[3] = 'X';
    EXPECT_FALSE(ParseSetupFile(sig.data(), sig.size(), c));
}

TEST(SetupFileParse, LengthBelowTheHeaderIsReadAsEmpty) {
    // The length bounds every read: one of 50 leaves every section outside,
    // so the file reads with nothing in it; the counted key and value records
    // are there, empty.
    auto bytes = Serialize(ThemeModel());
    SetLength(bytes, 50);
    SetupFileContent c;
    ASSERT_TRUE(ParseSetupFile(bytes.data(), bytes.size(), c));
    EXPECT_EQ(c.applicationName, "");
    EXPECT_TRUE(c.unsupportedPlatforms.empty());
    EXPECT_TRUE(c.strings.empty());
    EXPECT_TRUE(c.files.empty());
    ASSERT_EQ(c.keys.size(), 1u);
    EXPECT_EQ(c.keys[0].id, 0);
    EXPECT_TRUE(c.keys[0].componentIds.empty());
    ASSERT_EQ(c.values.size(), 2u);
    EXPECT_EQ(c.values[1].keyId, 0);
    EXPECT_EQ(c.values[1].name, "");
    EXPECT_TRUE(c.values[1].data.empty());
}

TEST(SetupFileParse, EmptyTablesReadFine) {
    SetupFileModel m;
    m.applicationName = "x";
    const SetupFileContent c = Parse(Serialize(m));
    EXPECT_TRUE(c.unsupportedPlatforms.empty());
    EXPECT_TRUE(c.values.empty());
    EXPECT_TRUE(c.files.empty());
}

TEST(SetupFileParse, LastFileRecordEndingAtTheEndIsRead) {
    SetupFileModel m = ThemeModel();
    m.keys.clear();
    m.values.clear();
    const auto bytes = Serialize(m);
    const SetupFileContent c = Parse(bytes);
    ASSERT_EQ(c.files.size(), 2u);
    EXPECT_EQ(c.files[1].name, "stwater.gif");
}

TEST(SetupFileParse, DamagedSectionsStopWithoutReadingOutside) {
    const auto good = Serialize(ThemeModel());
    {
        // A string record whose size runs past the end ends the string table.
        auto b = good;
        le::SetU16(b.data() + Offset(b, sf::kStrings) + sf::string::kSize, 0xFFFF);
        const SetupFileContent c = Parse(b);
        EXPECT_TRUE(c.strings.empty());
        EXPECT_EQ(c.files.size(), 2u);
    }
    {
        // A file name without its NUL ends the file table.
        auto b = good;
        le::SetU16(b.data() + Offset(b, sf::kFiles) + sf::file::kNameSize, 5);
        const SetupFileContent c = Parse(b);
        EXPECT_TRUE(c.files.empty());
    }
    {
        // Offsets beyond `length`: empty texts, no records, counted values stay empty.
        auto b = good;
        for (sf::Section s : {sf::kStrings, sf::kFiles, sf::kKeys, sf::kValues})
            le::SetU32(b.data() + sf::OffsetField(s), 0xFFFFFFF0u);
        le::SetU16(b.data() + sf::header::kAppNameOffset, 0xFFFF);
        const SetupFileContent c = Parse(b);
        EXPECT_EQ(c.applicationName, "");
        EXPECT_TRUE(c.strings.empty());
        EXPECT_TRUE(c.files.empty());
        ASSERT_EQ(c.keys.size(), 1u);
        EXPECT_EQ(c.keys[0].id, 0);
        ASSERT_EQ(c.values.size(), 2u);
        EXPECT_TRUE(c.values[1].name.empty());
    }
    {
        // Unsupported list not ending in NUL, or wrapping past 64 KB: ignored.
        auto b = good;
        le::SetU16(b.data() + sf::header::kUnsupportedLength, 11);
        EXPECT_TRUE(Parse(b).unsupportedPlatforms.empty());
        le::SetU16(b.data() + sf::header::kUnsupportedLength, 0xFFFF);
        EXPECT_TRUE(Parse(b).unsupportedPlatforms.empty());
    }
    {
        // Counts far above the records present.
        auto b = good;
        for (sf::Section s : {sf::kStrings, sf::kFiles, sf::kKeys, sf::kValues})
            le::SetU16(b.data() + sf::CountField(s), 0xFFFF);
        const SetupFileContent c = Parse(b);
        ASSERT_GE(c.files.size(), 2u);
        EXPECT_EQ(c.files[1].name, "stwater.gif");
        EXPECT_EQ(c.keys.size(), 0xFFFFu);
        EXPECT_EQ(c.values.size(), 0xFFFFu);
    }
}

TEST(SetupFileParse, OddValueAndKeyRecords) {
    auto b = Serialize(ThemeModel());
    // Value 1 ("Skin" + NUL + 4 bytes = 9): a size of 3 leaves no room for the NUL.
    le::SetU16(b.data() + Offset(b, sf::kValues) + sf::value::kSize, 3);
    SetupFileContent c = Parse(b);
    ASSERT_EQ(c.values.size(), 2u);
    EXPECT_TRUE(c.values[0].name.empty());
    EXPECT_TRUE(c.values[0].data.empty());
    EXPECT_EQ(c.values[0].keyId, 1);

    // A key whose list size is odd reads the whole ids only; root 4 maps to nothing.
    b = Serialize(ThemeModel());
    le::SetU16(b.data() + Offset(b, sf::kKeys) + sf::key::kListSize, 7);
    c = Parse(b);
    ASSERT_EQ(c.keys.size(), 1u);
    EXPECT_EQ(c.keys[0].componentIds, (std::vector<uint16_t>{3, 4, 5}));
    c.keys[0].root = 4;
    EXPECT_EQ(FormatKeyPath(c.keys[0], c.strings), "");
    c.keys[0].root = 3;
    c.keys[0].componentIds = {0, 3, 99, 5, 0};
    EXPECT_EQ(FormatKeyPath(c.keys[0], c.strings), "HKLM,\\Software\\Today");
}

// ---- through the cabinet ----------------------------------------------------

struct Package {
    test::TempFolder dir;
    std::string path;
};

void MakePackage(Package& p, const SetupFileModel& model, const std::vector<std::string>& members) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> content = {{"TODAYP~1.000", Serialize(model)}};
    uint8_t seed = 1;
    for (const auto& m : members) content.push_back({m, Pattern(20, seed++)});
    p.path = p.dir / "Theme.tsk";
    test::WriteBytes(p.path, RawCabinet::Sequential(content).Bytes());
}

TEST(SetupFileRead, RenamesExtractedFilesToTheirFinalNames) {
    Package p;
    MakePackage(p, ThemeModel(), {"0stwater.002", "tdywater.001"});
    test::TempFolder out;
    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(p.path));
    ASSERT_EQ(reader.ExtractTo(out.path()), 1);
    ASSERT_EQ(reader.ReadSetupFile(reader.FindFileBySuffix(".000")), 1);
    EXPECT_TRUE(files::IsFile(out / "tdywater.gif"));
    EXPECT_TRUE(files::IsFile(out / "stwater.gif"));
    EXPECT_FALSE(files::Exists(out / "tdywater.001"));
    EXPECT_EQ(test::ReadBytes(out / "tdywater.gif"), Pattern(20, 2));
    EXPECT_EQ(reader.FindFileById(2)->targetName, "stwater.gif");
    EXPECT_EQ(reader.FindFileById(2)->setupFlags, 0x40000000u);

    std::string key;
    EXPECT_TRUE(reader.KeyPath(1, key));
    EXPECT_EQ(key, "HKCU,Software\\Microsoft\\Today");
    EXPECT_FALSE(reader.KeyPath(7, key));
    int count = 0;
    for (const SetupRegistryValue* v = reader.FirstValue(); v; v = reader.NextValue()) ++count;
    EXPECT_EQ(count, 2);
    EXPECT_EQ(reader.FirstValue()->name, "Skin");
    EXPECT_EQ(reader.PackageKind(), PackageKind::Plain);
}

TEST(SetupFileRead, FinalNamesFromAnArchiveInMemory) {
    const auto bytes = RawCabinet::Sequential({{"TODAYP~1.000", Serialize(ThemeModel())},
                                               {"0stwater.002", Pattern(20, 1)},
                                               {"tdywater.001", Pattern(20, 2)}})
                           .Bytes();
    MemoryByteSource source(bytes);
    CabinetArchive archive;
    ASSERT_TRUE(archive.Open(source));
    ASSERT_EQ(archive.ReadSetupFileFromCabinet(), 1);
    EXPECT_EQ(archive.FindFileById(2)->targetName, "stwater.gif");
    EXPECT_FALSE(archive.FindFileById(2)->renamed);
    EXPECT_EQ(archive.ApplicationName(), "Blue");
}

TEST(SetupFileRead, HostileOrClashingFinalNamesAreNotApplied) {
    SetupFileModel m = ThemeModel();
    m.files = {{1, 2, 1, 0, "..\\..\\escaped1"}, {2, 2, 2, 0, "../escaped2"}, {3, 2, 3, 0, "C:escaped3"},
               {4, 2, 4, 0, "same.gif"},        {5, 2, 5, 0, "same.gif"},    {6, 2, 6, 0, "/tmp/escaped6"}};
    Package p;
    MakePackage(p, m, {"a.001", "b.002", "c.003", "d.004", "e.005", "f.006"});
    test::TempFolder root;
    const std::string out = root / "x";
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(p.path));
    ASSERT_EQ(reader.ExtractTo(out), 1);
    ASSERT_EQ(reader.ReadSetupFile("TODAYP~1.000"), 1);
    const std::string o = reader.ExtractionFolder();
    for (const char* kept : {"a.001", "b.002", "c.003", "e.005", "f.006", "same.gif"}) {
        EXPECT_TRUE(files::IsFile(o + kept)) << kept;
    }
    EXPECT_FALSE(files::Exists(o + "d.004"));
    EXPECT_EQ(reader.FindFileById(1)->targetName, "..\\..\\escaped1");  // recorded, not applied
    EXPECT_EQ(reader.FindFileById(5)->targetName, "same.gif");
    EXPECT_FALSE(files::Exists(root / "escaped2"));
    EXPECT_FALSE(files::Exists("/tmp/escaped6"));
    EXPECT_EQ(reader.ReadSetupFile("../TODAYP~1.000"), 0);
}

TEST(SetupFileRead, MissingShortOrLyingSetupFileGivesZero) {
    Package p;
    MakePackage(p, ThemeModel(), {"tdywater.001"});
    test::TempFolder out;
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(p.path));
    ASSERT_EQ(reader.ExtractTo(out.path()), 1);
    EXPECT_EQ(reader.ReadSetupFile("none.000"), 0);
    auto bytes = test::ReadBytes(out / "TODAYP~1.000");
    SetLength(bytes, static_cast<uint32_t>(bytes.size() + 10));
    test::WriteBytes(out / "TODAYP~1.000", bytes);
    EXPECT_EQ(reader.ReadSetupFile("TODAYP~1.000"), 0);
    bytes.resize(60);
    test::WriteBytes(out / "TODAYP~1.000", bytes);
    EXPECT_EQ(reader.ReadSetupFile("TODAYP~1.000"), 0);
    EXPECT_EQ(reader.FirstValue(), nullptr);
}

TEST(SetupFileRead, PackageKindFromTheFirstMarkerInTableOrder) {
    struct Case {
        std::vector<std::string> names;
        PackageKind kind;
    };
    const Case cases[] = {{{"VX5N.HTM", "taskbar.gif"}, PackageKind::AnimatedToday},
                          {{"TaskBar.GIF", "vx5n.htm"}, PackageKind::TaskbarImage},
                          {{"vx5n.html", "a.gif"}, PackageKind::Plain}};
    for (const auto& c : cases) {
        SetupFileModel m = ThemeModel();
        m.files = {{1, 2, 1, 0, c.names[0]}, {2, 2, 2, 0, c.names[1]}};
        Package p;
        MakePackage(p, m, {"a.001", "b.002"});
        ThemePackageReader reader;
        ASSERT_TRUE(reader.Open(p.path));
        ASSERT_EQ(reader.ReadSetupFileFromCabinet(), 1);
        EXPECT_EQ(reader.PackageKind(), c.kind) << c.names[0];
    }
}

// ---- real setup files written by the handheld SDK's cabinet builder ---------

SetupFileContent ParseFixture(const std::string& name) {
    SetupFileContent c;
    const auto bytes = test::ReadBytes(test::Fixture("ce-cabs/setup-000/" + name));
    EXPECT_TRUE(ParseSetupFile(bytes.data(), bytes.size(), c)) << name;
    return c;
}

std::string Text(const std::vector<uint8_t>& data) { return std::string(data.begin(), data.end()); }

TEST(SetupFileFixtures, NamesAndValuesMatchTheirInfFiles) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "no fixtures";
    {
        const SetupFileContent c = ParseFixture("NSBasic.Showcase.000");
        EXPECT_EQ(c.applicationName, "NS BASIC Showcase");
        EXPECT_EQ(c.providerName, "NSB");
        ASSERT_EQ(c.files.size(), 11u);
        EXPECT_EQ(c.files[0].name, "NS Basic Showcase.nsb");
        EXPECT_EQ(c.files[1].name, "basic.exe");
        // CESelfRegister adds 0x10000000 to the INF's 0x10.
        EXPECT_EQ(c.files[9].name, "Vbscript.dll");
        EXPECT_EQ(c.files[9].flags, 0x10000010u);
        ASSERT_EQ(c.values.size(), 4u);
        std::vector<std::string> keys;
        for (const auto& v : c.values) {
            for (const auto& k : c.keys) {
                if (k.id == v.keyId) keys.push_back(FormatKeyPath(k, c.strings));
            }
        }
        EXPECT_EQ(keys, (std::vector<std::string>{"HKCR,.nsb", "HKCR,nsbfile", "HKCR,nsbfile\\DefaultIcon",
                                                  "HKCR,nsbfile\\Shell\\Open\\Command"}));
        EXPECT_EQ(c.values[0].name, "Default");
        EXPECT_EQ(Text(c.values[0].data), std::string("nsbfile\0", 8));
        EXPECT_EQ(Text(c.values[3].data), std::string("\"%InstallDir%\\NSBasic\\basic.exe\" \"%1\"\0", 38));
    }
    {
        const SetupFileContent c = ParseFixture("SymbolAXO.arm.000");
        EXPECT_EQ(c.unsupportedPlatforms, (std::vector<std::string>{"HPC", "JUPITER"}));
        ASSERT_EQ(c.files.size(), 6u);
        EXPECT_EQ(c.files[0].name, "ScanObj.dll");
        EXPECT_EQ(c.files[0].flags, 0x90000001u);
        ASSERT_EQ(c.values.size(), 31u);
        ASSERT_EQ(c.keys.size(), 1u);
        EXPECT_EQ(FormatKeyPath(c.keys[0], c.strings), "HKLM,Software\\Symbol\\PrintObj\\BarCodeTypes");
        EXPECT_EQ(c.values[1].name, "UPCE");
        EXPECT_EQ(c.values[1].flags, 0x00010001u);
        EXPECT_EQ(c.values[1].data, (std::vector<uint8_t>{1, 0, 0, 0}));
    }
    {
        const SetupFileContent c = ParseFixture("BenchmarkDotNet_PPC.ARM.000");
        ASSERT_EQ(c.files.size(), 3u);
        EXPECT_EQ(c.files[2].name, "vsd_setup.dll");
        EXPECT_EQ(c.strings[0], "%CE1%\\BenchmarkDotNet");
        EXPECT_TRUE(c.values.empty());
    }
    {
        // Padded strings of the later builder still end in NUL within their size.
        const SetupFileContent c = ParseFixture("App.WM.000");
        EXPECT_EQ(c.strings.size(), 23u);
        EXPECT_EQ(c.files.size(), 4u);
        EXPECT_EQ(c.values.size(), 29u);
    }
}

TEST(SetupFileFixtures, RealCabinetsGetTheirFinalNames) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "no fixtures";
    ThemePackageReader reader;
    ASSERT_TRUE(reader.Open(test::Fixture("ce-cabs/SymbolAXO.arm.cab")));
    test::TempFolder out;
    ASSERT_EQ(reader.ExtractTo(out.path()), 1);
    ASSERT_EQ(reader.ReadSetupFile("00Symbol.000"), 1);
    for (const char* name : {"ScanObj.dll", "MagStripeObj.dll", "PrintObj.dll", "WLANObj.dll"}) {
        EXPECT_TRUE(files::IsFile(out / name)) << name;
    }
    EXPECT_EQ(files::SizeOf(out / "ScanObj.dll"), 262144);
    EXPECT_EQ(reader.ApplicationName(), "SMDK for the Web");
}

}  // namespace
}  // namespace mrw
