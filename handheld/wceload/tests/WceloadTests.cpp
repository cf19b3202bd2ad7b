// WCEload and unload on a booted virtual handheld: hand-made packages in,
// the device's files, registry and event log checked.
#include <gtest/gtest.h>

#include <map>

#include "base/TextEncoding.h"
#include "editor/packages/CabinetWriter.h"
#include "editor/packages/SetupFileWriter.h"
#include "handheld/ce/Boot.h"
#include "handheld/device/Device.h"
#include "handheld/device/FileSystem.h"
#include "handheld/device/Registry.h"
#include "handheld/programs/HandheldPrograms.h"
#include "handheld/wceload/RemovalRecord.h"
#include "handheld/wceload/Wceload.h"
#include "testing/TestSupport.h"

namespace mrw::wceload {
namespace {

using device::RegRoot;

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> Utf16Z(const std::u16string& text) {
    std::vector<uint8_t> out;
    for (char16_t c : text + u'\0') {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

// A package: "Maker" / "App", files into \Windows and \My Documents\Sub,
// values under HKLM\Software\Test.
struct Package {
    SetupFileModel model;
    std::map<int, std::vector<uint8_t>> members;  // member id -> bytes (not 000)

    Package() {
        model.processor = 2577;
        model.versionMinMajor = 3;
        model.versionMaxMajor = 100;
        model.applicationName = "App";
        model.providerName = "Maker";
        model.strings = {"%CE2%", "Software", "Test", "%CE5%", "Sub"};
        model.directories = {{2, {4, 5}}, {1, {1}}};
        model.files = {{1, 1, 1, 0, "one.txt"}, {2, 2, 2, 0, "two.txt"}};
        members[1] = Bytes("first");
        members[2] = Bytes("second");
        SetupRegistryKey key;
        key.id = 1;
        key.root = kRootLocalMachine;
        key.componentIds = {2, 3};
        model.keys = {key};
    }
    void AddValue(uint32_t flags, const std::string& name, std::vector<uint8_t> data, uint16_t substitute = 0) {
        model.values.push_back({static_cast<uint16_t>(model.values.size() + 1), 1, substitute, flags, name, data});
    }
    std::vector<uint8_t> Cabinet() const {
        std::vector<uint8_t> setup;
        std::string error;
        EXPECT_TRUE(WriteSetupFile(model, setup, error)) << error;
        std::vector<CabinetMember> list;
        CabinetMember first;
        first.name = "PKG.000";
        first.bytes = setup;
        list.push_back(first);
        for (const auto& [id, bytes] : members) {
            CabinetMember m;
            char name[16];
            std::snprintf(name, sizeof name, "PKG.%03d", id);
            m.name = name;
            m.bytes = bytes;
            list.push_back(m);
        }
        MemoryByteSink sink;
        EXPECT_TRUE(WriteCabinet(sink, list, error)) << error;
        return sink.Take();
    }
};

class WceloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ce::RegisterProgram(u"wceload", WceloadMain);
        ce::RegisterProgram(u"unload", UnloadMain);
        MakeDevice(3, 0);
    }
    void MakeDevice(uint32_t major, uint32_t minor) {
        folder_ = std::make_unique<test::TempFolder>();
        dir_ = *folder_ / "device";
        device::InitOptions options;
        options.settings.osMajor = major;
        options.settings.osMinor = minor;
        options.settings.todayScreen = false;
        std::string error;
        ASSERT_TRUE(device::Device::Create(dir_, options, error)) << error;
    }
    // One boot: the package put at `path`, then each command run in turn; the exit codes.
    std::vector<ce::DWORD> Boot(const std::vector<uint8_t>& cab, const std::u16string& path,
                                const std::vector<std::pair<std::u16string, std::u16string>>& runs) {
        std::string error;
        auto boot = ce::Boot::Start(dir_, error);
        EXPECT_TRUE(boot) << error;
        if (!boot) return {};
        if (!cab.empty()) {
            EXPECT_EQ(boot->GetDevice().Files().WriteAll(path, cab), 0u);
        }
        std::vector<ce::DWORD> codes;
        for (const auto& [image, line] : runs) {
            ce::DWORD code = 0xDEAD;
            EXPECT_TRUE(boot->Run(image, line, code, error)) << error;
            codes.push_back(code);
        }
        EXPECT_TRUE(boot->Shutdown(error)) << error;
        return codes;
    }
    ce::DWORD Install(const Package& p, const std::u16string& options = u"/noui ") {
        const auto codes = Boot(p.Cabinet(), u"\\My Documents\\p.cab", {{u"\\Windows\\wceload", options + u"\"\\My Documents\\p.cab\""}});
        return codes.empty() ? 0xDEAD : codes[0];
    }
    ce::DWORD Run(const std::u16string& image, const std::u16string& line) {
        const auto codes = Boot({}, u"", {{image, line}});
        return codes.empty() ? 0xDEAD : codes[0];
    }
    std::unique_ptr<device::Device> Open() {
        std::string error;
        auto d = device::Device::Open(dir_, error);
        EXPECT_TRUE(d) << error;
        return d;
    }
    bool Exists(const std::u16string& path) {
        uint32_t attributes = 0;
        return Open()->Files().GetAttributes(path, attributes) == 0;
    }
    std::string FileText(const std::u16string& path) {
        std::vector<uint8_t> data;
        if (Open()->Files().ReadAll(path, data) != 0) return "<missing>";
        return std::string(data.begin(), data.end());
    }
    // The value's type and bytes; type 0xFFFF when it is missing.
    device::RegValue Value(const std::u16string& name, const std::u16string& key = u"Software\\Test") {
        device::RegValue v;
        if (Open()->Reg().QueryValue(RegRoot::kLocalMachine, key, name, v) != 0) v.type = 0xFFFF;
        return v;
    }
    // Everything on the device: paths and sizes, registry keys and values.
    std::string Snapshot() {
        auto d = Open();
        std::string s;
        for (const auto& f : d->Files().ListAll()) s += text::Utf16ToUtf8(f.path) + ":" + std::to_string(f.size) + "\n";
        d->Reg().Walk([&](RegRoot root, const std::u16string& path, const std::vector<device::RegValue>& values) {
            s += std::to_string(static_cast<int>(root)) + text::Utf16ToUtf8(path) + "\n";
            for (const auto& v : values) s += " " + text::Utf16ToUtf8(v.name) + "\n";
        });
        return s;
    }
    std::vector<std::string> CallEvents() {
        std::vector<std::string> calls;
        for (const auto& e : Open()->Events()) {
            if (e.event.kind != "call") continue;
            std::string line;
            for (const auto& f : e.event.fields) line += (line.empty() ? "" : "=") + f.text;
            calls.push_back(line);
        }
        return calls;
    }

    std::unique_ptr<test::TempFolder> folder_;
    std::string dir_;
};

TEST(WceloadCommandLine, OptionsAndQuotedOrBarePath) {
    Options o;
    ASSERT_TRUE(ParseCommandLine(u"/safe /NOUI /nouninstall /delete 0 \"\\My Documents\\a b.tsk\"", o));
    EXPECT_TRUE(o.safe && o.noUi && o.noUninstall);
    EXPECT_FALSE(o.deletePackage);
    EXPECT_EQ(o.package, u"\\My Documents\\a b.tsk");
    ASSERT_TRUE(ParseCommandLine(u"/delete 1 \\Temp\\x y.cab  ", o));
    EXPECT_TRUE(o.deletePackage);
    EXPECT_EQ(o.package, u"\\Temp\\x y.cab");
    EXPECT_FALSE(ParseCommandLine(u"/noui /safe", o));
    EXPECT_FALSE(ParseCommandLine(u"\"\"", o));
}

TEST(WceloadRemovalRecord, EscapedFieldsRoundTripAndDamageIsRefused) {
    RemovalRecord r;
    r.application = u"Maker App";
    r.files = {u"\\Windows\\a%b\tc.txt"};
    r.values = {{3, u"Software\\Test", u"na\nme"}};
    r.keys = {{2, u"Software\\New", u""}};
    RemovalRecord back;
    ASSERT_TRUE(ParseRemovalRecord(FormatRemovalRecord(r), back));
    EXPECT_EQ(back.files, r.files);
    EXPECT_EQ(back.values[0].name, u"na\nme");
    EXPECT_EQ(back.keys[0].root, 2u);
    EXPECT_FALSE(ParseRemovalRecord("MRW-REMOVAL 1\nvalue\t9\tx\ty\n", back));
    EXPECT_FALSE(ParseRemovalRecord("MRW-REMOVAL 1\nfile\t%4\n", back));
    EXPECT_FALSE(ParseRemovalRecord("something else\n", back));
}

TEST_F(WceloadTest, InstallsFilesAndValuesByTypeThenDeletesThePackage) {
    Package p;
    p.AddValue(0x00000000, "Text", {'c', 'a', 'f', 0xE9, 0});                 // Windows-1252 e acute
    p.AddValue(0x00010000, "Multi", {'a', 0, 0x80, 'b', 0, 0});                 // 0x80 is the euro sign
    p.AddValue(0x00010001, "Number", {0x78, 0x56, 0x34, 0x12});
    p.AddValue(0x00000001, "Bytes", {0xFF, 0x00, 0x80});
    p.AddValue(0x00000000, "", {'d', 0});
    EXPECT_EQ(Install(p), 0u);
    EXPECT_EQ(FileText(u"\\Windows\\one.txt"), "first");
    EXPECT_EQ(FileText(u"\\My Documents\\Sub\\two.txt"), "second");
    EXPECT_EQ(Value(u"Text").type, ce::REG_SZ);
    EXPECT_EQ(Value(u"Text").data, Utf16Z(u"caf\u00e9"));
    EXPECT_EQ(Value(u"Multi").type, ce::REG_MULTI_SZ);
    std::u16string multi = u"a";
    multi += u'\0';
    multi += u"\u20acb";
    multi += u'\0';
    EXPECT_EQ(Value(u"Multi").data, Utf16Z(multi));
    EXPECT_EQ(Value(u"Number").type, ce::REG_DWORD);
    EXPECT_EQ(Value(u"Number").data, (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(Value(u"Bytes").data, (std::vector<uint8_t>{0xFF, 0x00, 0x80}));
    EXPECT_EQ(Value(u"").data, Utf16Z(u"d"));
    EXPECT_FALSE(Exists(u"\\My Documents\\p.cab"));
    EXPECT_TRUE(Exists(RecordPath(u"Maker App")));
}

TEST_F(WceloadTest, DeleteZeroKeepsThePackageAndNoUninstallKeepsNoRecord) {
    Package p;
    EXPECT_EQ(Install(p, u"/noui /nouninstall /delete 0 "), 0u);
    EXPECT_TRUE(Exists(u"\\My Documents\\p.cab"));
    EXPECT_FALSE(Exists(RecordPath(u"Maker App")));
    EXPECT_EQ(FileText(u"\\Windows\\one.txt"), "first");
}

TEST_F(WceloadTest, FileFlagsNoOverwriteAndReplaceOnly) {
    {
        std::string error;
        auto d = device::Device::Open(dir_, error);
        ASSERT_EQ(d->Files().WriteAll(u"\\Windows\\one.txt", Bytes("old one")), 0u);
    }
    Package p;
    p.model.files[0].flags = 0x10;   // no-overwrite: the old one.txt stays
    p.model.files[1].flags = 0x400;  // replace-only: two.txt is not there, so not copied
    p.model.files.push_back({3, 1, 3, 0x400, "three.txt"});
    p.members[3] = Bytes("third");
    {
        std::string error;
        auto d = device::Device::Open(dir_, error);
        ASSERT_EQ(d->Files().WriteAll(u"\\Windows\\three.txt", Bytes("old three")), 0u);
    }
    EXPECT_EQ(Install(p), 0u);
    EXPECT_EQ(FileText(u"\\Windows\\one.txt"), "old one");
    EXPECT_FALSE(Exists(u"\\My Documents\\Sub\\two.txt"));
    EXPECT_EQ(FileText(u"\\Windows\\three.txt"), "third");
}

TEST_F(WceloadTest, NoClobberKeepsAnExistingValueOnly) {
    {
        std::string error;
        auto d = device::Device::Open(dir_, error);
        d->Reg().CreateKey(RegRoot::kLocalMachine, u"Software\\Test");
        d->Reg().SetValue(RegRoot::kLocalMachine, u"Software\\Test", u"Kept", ce::REG_SZ, Utf16Z(u"mine"));
        ASSERT_TRUE(d->Save(error)) << error;
    }
    Package p;
    p.AddValue(0x00000002, "Kept", {'n', 'e', 'w', 0});
    p.AddValue(0x00000002, "Fresh", {'n', 'e', 'w', 0});
    EXPECT_EQ(Install(p), 0u);
    EXPECT_EQ(Value(u"Kept").data, Utf16Z(u"mine"));
    EXPECT_EQ(Value(u"Fresh").data, Utf16Z(u"new"));
}

TEST_F(WceloadTest, FolderMacrosExpandOnlyWhenTheRecordAsks) {
    Package p;
    p.AddValue(0, "Expanded", Bytes(std::string("%CE2%\\x;%InstallDir%") + '\0'), 1);
    p.AddValue(0, "Literal", Bytes(std::string("%CE2%\\x") + '\0'), 0);
    EXPECT_EQ(Install(p), 0u);
    EXPECT_EQ(Value(u"Expanded").data, Utf16Z(u"\\Windows\\x;\\Windows"));
    EXPECT_EQ(Value(u"Literal").data, Utf16Z(u"%CE2%\\x"));
}

TEST_F(WceloadTest, StandardFoldersOfTheDevicesVersion) {
    EXPECT_EQ(StandardFolder(11, 3), u"\\Windows\\Start Menu\\Programs");
    EXPECT_EQ(StandardFolder(3, 4), u"");
    Package p;
    p.model.strings[3] = "%CE6%";  // \Program Files\Accessories: not on CE 3.0
    EXPECT_EQ(Install(p), static_cast<ce::DWORD>(kRefused));
    MakeDevice(4, 20);
    EXPECT_EQ(Install(p), 0u);
    EXPECT_EQ(FileText(u"\\Program Files\\Accessories\\Sub\\two.txt"), "second");
}

TEST_F(WceloadTest, RefusedPackagesInstallNothing) {
    struct Case {
        const char* what;
        void (*change)(Package&);
        const char16_t* options;
    };
    const Case cases[] = {
        {"other processor", [](Package& p) { p.model.processor = 4000; }, u""},
        {"needs a newer OS", [](Package& p) { p.model.versionMinMajor = 4; p.model.versionMinMinor = 20; }, u""},
        {"for an older OS", [](Package& p) { p.model.versionMaxMajor = 2; p.model.versionMaxMinor = 11; }, u""},
        {"/safe with a program", [](Package& p) { p.model.files[1].name = "tool.EXE"; }, u"/safe "},
        {"/safe with a library", [](Package& p) { p.model.files[1].name = "x.dll"; }, u"/safe "},
        {"/safe with a setup library", [](Package& p) { p.members[999] = Bytes("MZ"); }, u"/safe "},
        {"folder leading out", [](Package& p) { p.model.strings[4] = ".."; }, u""},
        {"folder text leading out", [](Package& p) { p.model.strings[4] = "a\\..\\..\\.."; }, u""},
        {"file name with a path", [](Package& p) { p.model.files[1].name = "..\\..\\evil.txt"; }, u""},
        {"undefined standard folder", [](Package& p) { p.model.strings[0] = "%CE3%"; }, u""},
        {"missing directory record", [](Package& p) { p.model.files[1].directoryId = 9; }, u""},
        {"missing member", [](Package& p) { p.members.erase(2); }, u""},
        {"missing string", [](Package& p) { p.model.directories[0].componentIds = {4, 77}; }, u""},
        {"value of a missing key", [](Package& p) { p.model.values.push_back({1, 5, 0, 0, "x", {0}}); }, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeDevice(3, 0);
        Package p;
        p.AddValue(0x00010001, "Number", {1, 0, 0, 0});
        c.change(p);
        ASSERT_EQ(Open()->Files().WriteAll(u"\\Temp\\p.cab", p.Cabinet()), 0u);
        const std::string before = Snapshot();
        const auto codes = Boot({}, u"", {{u"\\Windows\\wceload", std::u16string(c.options) + u"\\Temp\\p.cab"}});
        ASSERT_EQ(codes.size(), 1u);
        EXPECT_EQ(codes[0], static_cast<ce::DWORD>(kRefused));
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(WceloadTest, NoPackageOrNoSetupFile) {
    EXPECT_EQ(Run(u"\\Windows\\wceload", u"\\Temp\\none.cab"), static_cast<ce::DWORD>(kNoPackage));
    EXPECT_EQ(Run(u"\\Windows\\wceload", u"/noui"), static_cast<ce::DWORD>(kBadCommandLine));
    const auto codes = Boot(Bytes("MSCF but not really"), u"\\Temp\\bad.cab", {{u"\\Windows\\wceload", u"\\Temp\\bad.cab"}});
    EXPECT_EQ(codes, (std::vector<ce::DWORD>{static_cast<ce::DWORD>(kNoPackage)}));
}

TEST_F(WceloadTest, UnloadRemovesWhatWasInstalled) {
    Package p;
    SetupRegistryKey deep;
    deep.id = 2;
    deep.root = kRootCurrentUser;
    deep.componentIds = {2, 5};  // HKCU\Software\Sub: created by the installation
    p.model.keys.push_back(deep);
    p.AddValue(0, "Text", {'x', 0});
    p.model.values.push_back({2, 2, 0, 0x00010001, "N", {1, 0, 0, 0}});
    const auto codes = Boot(p.Cabinet(), u"\\Temp\\p.cab",
                            {{u"\\Windows\\wceload", u"/noui \\Temp\\p.cab"}, {u"\\Windows\\unload", u"Maker App"},
                             {u"\\Windows\\unload", u"Maker App"}});
    EXPECT_EQ(codes, (std::vector<ce::DWORD>{0, static_cast<ce::DWORD>(kRemoved),
                                             static_cast<ce::DWORD>(kNotInstalled)}));
    EXPECT_FALSE(Exists(u"\\Windows\\one.txt"));
    EXPECT_FALSE(Exists(u"\\My Documents\\Sub"));
    EXPECT_TRUE(Exists(u"\\My Documents"));
    EXPECT_EQ(Value(u"Text").type, 0xFFFFu);
    EXPECT_TRUE(Open()->Reg().KeyExists(RegRoot::kLocalMachine, u"Software"));
    EXPECT_FALSE(Open()->Reg().KeyExists(RegRoot::kCurrentUser, u"Software\\Sub"));
    EXPECT_FALSE(Exists(RecordPath(u"Maker App")));
}

}  // namespace
}  // namespace mrw::wceload

namespace mrw::wceload {
namespace {

#ifdef WCELOAD_TEST_SETUP
class WceloadSetupLibraryTest : public WceloadTest {
protected:
    // The test library's answers for this device.
    void Answers(ce::DWORD installInit, ce::DWORD installExit, ce::DWORD uninstallInit) {
        auto d = Open();
        d->Reg().CreateKey(RegRoot::kLocalMachine, u"Software\\WceloadTest");
        const auto set = [&](const char16_t* name, ce::DWORD answer) {
            d->Reg().SetValue(RegRoot::kLocalMachine, u"Software\\WceloadTest", name, ce::REG_DWORD,
                              {static_cast<uint8_t>(answer), 0, 0, 0});
        };
        set(u"Install_Init", installInit);
        set(u"Install_Exit", installExit);
        set(u"Uninstall_Init", uninstallInit);
        std::string error;
        ASSERT_TRUE(d->Save(error)) << error;
    }
    Package WithLibrary() {
        Package p;
        p.members[999] = test::ReadBytes(WCELOAD_TEST_SETUP);
        EXPECT_FALSE(p.members[999].empty());
        p.AddValue(0, "Text", {'x', 0});
        return p;
    }
};

TEST_F(WceloadSetupLibraryTest, InstallInitCancelInstallsNothing) {
    Answers(ce::codeINSTALL_INIT_CANCEL, 0, 0);
    const Package p = WithLibrary();
    ASSERT_EQ(Open()->Files().WriteAll(u"\\Temp\\p.cab", p.Cabinet()), 0u);
    const std::string before = Snapshot();
    EXPECT_EQ(Run(u"\\Windows\\wceload", u"\\Temp\\p.cab"), static_cast<ce::DWORD>(kCancelled));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(CallEvents(), (std::vector<std::string>{"Install_Init=1"}));
}

TEST_F(WceloadSetupLibraryTest, InstallExitUninstallTakesItAllBack) {
    Answers(0, ce::codeINSTALL_EXIT_UNINSTALL, 0);
    EXPECT_EQ(Install(WithLibrary()), static_cast<ce::DWORD>(kCancelled));
    EXPECT_FALSE(Exists(u"\\Windows\\one.txt"));
    EXPECT_FALSE(Exists(u"\\My Documents\\Sub"));
    EXPECT_EQ(Value(u"Text").type, 0xFFFFu);
    EXPECT_FALSE(Exists(SetupLibraryPath(u"Maker App")));
    EXPECT_EQ(CallEvents(), (std::vector<std::string>{"Install_Init=0", "Install_Exit=1"}));
}

TEST_F(WceloadSetupLibraryTest, UnloadCallsTheKeptLibraryAroundTheRemoval) {
    Answers(0, 0, ce::codeUNINSTALL_INIT_CANCEL);
    EXPECT_EQ(Install(WithLibrary()), 0u);
    EXPECT_TRUE(Exists(SetupLibraryPath(u"Maker App")));
    EXPECT_EQ(Run(u"\\Windows\\unload", u"Maker App"), static_cast<ce::DWORD>(kRemovalCancelled));
    EXPECT_TRUE(Exists(u"\\Windows\\one.txt"));
    Answers(0, 0, ce::codeUNINSTALL_INIT_CONTINUE);
    EXPECT_EQ(Run(u"\\Windows\\unload", u"Maker App"), static_cast<ce::DWORD>(kRemoved));
    EXPECT_FALSE(Exists(u"\\Windows\\one.txt"));
    EXPECT_FALSE(Exists(SetupLibraryPath(u"Maker App")));
    EXPECT_EQ(CallEvents(), (std::vector<std::string>{"Install_Init=0", "Install_Exit=0", "Uninstall_Init=1",
                                                      "Uninstall_Init=0", "Uninstall_Exit=0"}));
}
#endif

// The handheld part as the program folder carries it, installed over the
// running Today item (whose library is in use) and removed again.
TEST_F(WceloadTest, HandheldPartOverARunningItemAndRemoved) {
    const std::string cab = std::string(MRW_PROGRAM_DIR) + "/Morwen2PPC.CAB";
    const std::vector<uint8_t> bytes = test::ReadBytes(cab);
    if (bytes.empty()) GTEST_SKIP() << "no " << cab;
    handheld::RegisterHandheldPrograms();
    folder_ = std::make_unique<test::TempFolder>();
    dir_ = *folder_ / "device";
    std::string error;
    ASSERT_TRUE(device::Device::Create(dir_, device::InitOptions(), error)) << error;
    {
        auto d = Open();
        d->Reg().CreateKey(RegRoot::kLocalMachine, u"Software\\Microsoft\\Today\\Items\\Morwen");
        d->Reg().SetValue(RegRoot::kLocalMachine, u"Software\\Microsoft\\Today\\Items\\Morwen", u"URL", ce::REG_SZ,
                          Utf16Z(u"http://example.com/Page.htm"));
        ASSERT_TRUE(d->Save(error)) << error;
    }
    const std::u16string item = u"Software\\Microsoft\\Today\\Items\\Morwen";
    const auto codes = Boot(bytes, u"\\My Documents\\Morwen2PPC.CAB",
                            {{u"\\Windows\\wceload", u"/noui /delete 0 \"\\My Documents\\Morwen2PPC.CAB\""},
                             {u"\\Windows\\wceload", u"/noui /delete 0 \"\\My Documents\\Morwen2PPC.CAB\""}});
    EXPECT_EQ(codes, (std::vector<ce::DWORD>{0, 0}));
    EXPECT_TRUE(Exists(u"\\Windows\\mrw2html.dll"));
    EXPECT_TRUE(Exists(u"\\Windows\\mRW2Host.exe"));
    EXPECT_TRUE(Exists(u"\\Windows\\mrw2Err.htm"));
    EXPECT_EQ(Value(u"Type", item).data, (std::vector<uint8_t>{4, 0, 0, 0}));
    EXPECT_EQ(Value(u"DLL", item).data, Utf16Z(u"\\Windows\\mrw2html.dll"));
    EXPECT_EQ(Value(u"URL", item).data, Utf16Z(u"http://example.com/Page.htm"));  // no-clobber
    EXPECT_EQ(Value(u"AutoHeight", item).data, (std::vector<uint8_t>{1, 0, 0, 0}));
    // The second installation found the item loaded: the setup library took it
    // away before the copy and the Today screen loaded it again afterwards.
    int loads = 0;
    std::vector<std::string> calls;
    for (const auto& e : Open()->Events()) {
        if (e.event.kind == "load") ++loads;
        if (e.event.kind == "call") calls.push_back(e.event.fields[0].text + "=" + e.event.fields[1].text);
    }
    EXPECT_GE(loads, 2);
    EXPECT_EQ(calls, (std::vector<std::string>{"Install_Init=0", "Install_Exit=0", "Install_Init=0", "Install_Exit=0"}));

    EXPECT_EQ(Run(u"\\Windows\\unload", u"ZOLT Software Morwen 2"), static_cast<ce::DWORD>(kRemoved));
    EXPECT_FALSE(Exists(u"\\Windows\\mrw2html.dll"));
    EXPECT_FALSE(Exists(u"\\Windows\\mRW2Host.exe"));
    EXPECT_EQ(Value(u"DLL", item).type, 0xFFFFu);
    EXPECT_TRUE(Exists(u"\\My Documents\\Morwen2PPC.CAB"));
}

}  // namespace
}  // namespace mrw::wceload

namespace mrw::wceload {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A theme built by `mrw build`, put in \My Documents\Themes and applied: the
// applier clears the old theme and the installer puts the new one in place.
TEST(WceloadApply, BuiltThemeAppliedThroughMrwDeviceApply) {
    const std::string mrw = Quoted(test::MrwProgram());
    test::TempFolder t;
    const std::string quiet = " > " + Quoted(t / "quiet.txt");
    if (test::Shell(mrw + " device help apply" + quiet) != 0) GTEST_SKIP() << "no mrw device apply";
    // No separator at the end: before a closing quote it would escape the quote.
    std::string library = t.path();
    while (!library.empty() && (library.back() == '/' || library.back() == '\\')) library.pop_back();
    ASSERT_EQ(test::Shell(mrw + " new " + Quoted(library) + " Blue" + quiet), 0);
    ASSERT_EQ(test::Shell(mrw + " build " + Quoted(t / "Blue.THM") + " -o " + Quoted(t / "Blue.tsk") + quiet),
              0);
    const std::string dir = t / "device";
    ASSERT_EQ(test::Shell(mrw + " device init " + Quoted(dir)), 0);
    {
        std::string error;
        auto d = device::Device::Open(dir, error);
        ASSERT_TRUE(d) << error;
        ASSERT_EQ(d->Files().CreateFolder(u"\\My Documents\\Themes"), 0u);
        ASSERT_EQ(d->Files().WriteAll(u"\\My Documents\\Themes\\Blue Sky.tsk", test::ReadBytes(t / "Blue.tsk")), 0u);
    }
    ASSERT_EQ(test::Shell(mrw + " device apply " + Quoted(dir) + " \"\\My Documents\\Themes\\Blue Sky.tsk\" > " +
                          Quoted(t / "out.txt")),
              0);
    const std::string printed = test::ReadText(t / "out.txt");
    EXPECT_TRUE(printed == "0\n" || printed == "0\r\n") << printed;
    std::string error;
    auto d = device::Device::Open(dir, error);
    ASSERT_TRUE(d) << error;
    uint32_t attributes = 0;
    EXPECT_EQ(d->Files().GetAttributes(u"\\Windows\\Sarnick.exe", attributes), 0u);
    EXPECT_EQ(d->Files().GetAttributes(u"\\My Documents\\Themes\\Blue Sky.tsk", attributes), 0u);  // /delete 0
    std::vector<uint8_t> image;
    EXPECT_EQ(d->Files().ReadAll(u"\\Windows\\tdywater.gif", image), 0u);
    EXPECT_GT(image.size(), 0u);
    device::RegValue skin;
    EXPECT_EQ(d->Reg().QueryValue(RegRoot::kCurrentUser, u"Software\\Microsoft\\Today", u"Skin", skin), 0u);
    EXPECT_EQ(skin.data, Utf16Z(u"\\My Documents\\Themes\\Blue Sky.tsk"));
    bool wceloadRan = false;
    for (const auto& e : d->Events()) {
        if (e.event.kind != "start") continue;
        for (const auto& f : e.event.fields)
            wceloadRan = wceloadRan || (f.name == "commandLine" &&
                                        f.text == "/safe /noui /nouninstall /delete 0 \"\\My Documents\\Themes\\Blue Sky.tsk\"");
    }
    EXPECT_TRUE(wceloadRan);
}

#ifndef _WIN32
// Sarnick.exe as the desktop starts it: the device named by MRW_DEVICE.
TEST(WceloadApply, SarnickRunsTheApplierOnTheDeviceInMrwDevice) {
    const std::string sarnick = Quoted(std::string(MRW_PROGRAM_DIR) + "/Sarnick.exe");
    test::TempFolder t;
    const std::string dir = t / "device";
    std::string error;
    ASSERT_TRUE(device::Device::Create(dir, device::InitOptions(), error)) << error;
    {
        auto d = device::Device::Open(dir, error);
        ASSERT_TRUE(d) << error;
        ASSERT_EQ(d->Files().WriteAll(u"\\Windows\\Sarnick.exe", Bytes("copied by the desktop")), 0u);
    }
    EXPECT_NE(test::Shell("MRW_DEVICE= " + sarnick + " 2> /dev/null"), 0);
    // Without a command line the applier only reloads the Today screen: exit 0.
    EXPECT_EQ(test::Shell("MRW_DEVICE=" + Quoted(dir) + " " + sarnick), 0);
    auto d = device::Device::Open(dir, error);
    ASSERT_TRUE(d) << error;
    std::string images;
    for (const auto& e : d->Events()) {
        for (const auto& f : e.event.fields) {
            if (e.event.kind == "start" && f.name == "image") images += f.text + ";";
        }
    }
    EXPECT_EQ(images, "\\Windows\\Sarnick.exe;");
}
#endif

}  // namespace
}  // namespace mrw::wceload
