// The virtual handheld: path rules, file-system refusals, the registry and
// the device's own files.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/TextEncoding.h"

#include "handheld/device/Device.h"
#include "handheld/device/DeviceFiles.h"
#include "handheld/device/DevicePaths.h"
#include "handheld/device/FileSystem.h"
#include "handheld/device/Registry.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"

namespace mrw::device {
namespace {

constexpr uint32_t kRead = 0x80000000u, kWrite = 0x40000000u;
constexpr uint32_t kOpenExisting = 3;

std::unique_ptr<Device> MakeDevice(const test::TempFolder& tmp, InitOptions options = {}) {
    std::string error;
    EXPECT_TRUE(Device::Create(tmp / "dev", options, error)) << error;
    std::unique_ptr<Device> dev = Device::Open(tmp / "dev", error);
    EXPECT_TRUE(dev) << error;
    return dev;
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

TEST(DevicePaths, RefuseEverythingThatCouldLeaveTheFolder) {
    std::vector<std::u16string> parts;
    EXPECT_TRUE(SplitDevicePath(u"\\My Documents\\Themes\\", parts));
    EXPECT_EQ(parts, (std::vector<std::u16string>{u"My Documents", u"Themes"}));
    for (const char16_t* bad : {u"\\..", u"\\Windows\\..\\..\\x", u"\\.", u"\\a\\\\b", u"\\a/../../b", u"\\c:x",
                                u"\\NUL", u"\\com1.txt", u"\\ . ", u"\\a\x01"})
        EXPECT_FALSE(SplitDevicePath(bad, parts)) << text::Utf16ToUtf8(bad);
    EXPECT_FALSE(SplitDevicePath(u"\\a*\\b", parts, true));  // wildcards only in the last component
    EXPECT_TRUE(SplitDevicePath(u"\\a\\*.m?w", parts, true));
    EXPECT_TRUE(MatchesPattern(u"Old.MRW", u"*.mrw"));
    EXPECT_TRUE(MatchesPattern(u"noext", u"*.*"));
    EXPECT_FALSE(MatchesPattern(u"x.mrwx", u"*.mrw"));
}

TEST(DeviceFileSystem, NamesIgnoreCaseAndKeepTheirSpellingAndOrder) {
    test::TempFolder tmp;
    auto dev = MakeDevice(tmp);
    FileSystem& fs = dev->Files();
    ASSERT_EQ(fs.WriteAll(u"\\Windows\\STWater.gif", Bytes("one")), 0u);
    ASSERT_EQ(fs.WriteAll(u"\\windows\\stwater.GIF", Bytes("two")), 0u);  // the same file
    ASSERT_EQ(fs.WriteAll(u"\\WINDOWS\\a.gif", Bytes("")), 0u);
    ASSERT_EQ(fs.CreateFolder(u"\\Windows\\b.GIF"), 0u);
    EXPECT_EQ(fs.CreateFolder(u"\\windows\\B.gif"), 183u);
    std::vector<FoundFile> found;
    ASSERT_EQ(fs.Find(u"\\windows\\*.Gif", found), 0u);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, u"a.gif");
    EXPECT_EQ(found[1].name, u"b.GIF");
    EXPECT_EQ(found[1].attributes, 0x10u);
    EXPECT_EQ(found[2].name, u"STWater.gif");
    EXPECT_EQ(found[2].size, 3u);
    EXPECT_EQ(fs.Find(u"\\Windows\\*.swf", found), 2u);
    EXPECT_EQ(fs.Find(u"\\Nowhere\\*", found), 3u);
    std::vector<uint8_t> data;
    EXPECT_EQ(fs.ReadAll(u"\\Windows\\stwater.gif", data), 0u);
    EXPECT_EQ(data, Bytes("two"));
    EXPECT_EQ(fs.ReadAll(u"\\Nowhere\\x", data), 3u);
    EXPECT_EQ(fs.ReadAll(u"\\Windows\\..\\..\\settings", data), 161u);
    // Moving onto an existing file fails; other letter case of the same name respells it.
    EXPECT_EQ(fs.Move(u"\\Windows\\a.gif", u"\\windows\\stwater.gif"), 183u);
    EXPECT_EQ(fs.Move(u"\\Windows\\a.gif", u"\\Windows\\A.GIF"), 0u);
    EXPECT_TRUE(files::IsFile(tmp / "dev/files/Windows/A.GIF"));
}

#if !defined(_WIN32)
TEST(DeviceFileSystem, NeverFollowsALinkOutOfTheFolder) {
    test::TempFolder tmp;
    auto dev = MakeDevice(tmp);
    test::WriteText(tmp / "outside.txt", "secret");
    std::filesystem::create_symlink(tmp / "outside.txt", tmp / "dev/files/Windows/link.txt");
    std::filesystem::create_directory_symlink(tmp.path(), tmp / "dev/files/Temp/up");
    FileSystem& fs = dev->Files();
    std::vector<uint8_t> data;
    EXPECT_EQ(fs.ReadAll(u"\\Windows\\LINK.txt", data), 5u);
    EXPECT_EQ(fs.WriteAll(u"\\Windows\\link.txt", Bytes("x")), 5u);
    EXPECT_EQ(fs.WriteAll(u"\\Temp\\up\\outside.txt", Bytes("x")), 5u);
    EXPECT_EQ(fs.Delete(u"\\Windows\\link.txt"), 5u);
    std::vector<FoundFile> found;
    fs.Find(u"\\Temp\\*", found);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(test::ReadText(tmp / "outside.txt"), "secret");
}
#endif

TEST(DeviceFileSystem, RomInUseOpenAndReadOnlyFilesRefuseChanges) {
    test::TempFolder tmp;
    InitOptions options;
    options.settings.romFiles = {u"\\Windows\\Rom.dll"};
    options.settings.cards = {u"Storage Card"};
    auto dev = MakeDevice(tmp, options);
    FileSystem& fs = dev->Files();
    uint32_t attributes = 0;
    ASSERT_EQ(fs.GetAttributes(u"\\windows\\rom.DLL", attributes), 0u);
    EXPECT_EQ(attributes, 0x40u);
    ASSERT_EQ(fs.GetAttributes(u"\\storage card", attributes), 0u);
    EXPECT_EQ(attributes, 0x110u);
    EXPECT_EQ(fs.RemoveFolder(u"\\Storage Card"), 5u);
    FileSystem::FileId id = 0;
    bool existed = false;
    EXPECT_EQ(fs.Open(u"\\Windows\\rom.dll", kWrite, 0, kOpenExisting, 0, id, existed), 5u);
    EXPECT_EQ(fs.Delete(u"\\Windows\\rom.dll"), 5u);
    EXPECT_EQ(fs.Move(u"\\Windows\\rom.dll", u"\\Windows\\x.dll"), 5u);
    EXPECT_EQ(fs.SetAttributes(u"\\Windows\\rom.dll", 0x80), 5u);
    ASSERT_EQ(fs.Open(u"\\Windows\\rom.dll", kRead, 1, kOpenExisting, 0, id, existed), 0u);
    fs.Close(id);
    // A ROM path whose file was removed from outside is simply absent.
    files::Delete(tmp / "dev/files/Windows/Rom.dll");
    EXPECT_EQ(fs.GetAttributes(u"\\Windows\\rom.dll", attributes), 2u);

    ASSERT_EQ(fs.WriteAll(u"\\Windows\\item.dll", Bytes("lib")), 0u);
    ASSERT_EQ(fs.SetInUse(u"\\WINDOWS\\ITEM.DLL", true), 0u);
    EXPECT_EQ(fs.WriteAll(u"\\Windows\\item.dll", Bytes("new")), 32u);
    EXPECT_EQ(fs.Delete(u"\\Windows\\item.dll"), 32u);
    EXPECT_EQ(fs.Move(u"\\Windows\\item.dll", u"\\Windows\\old.dll"), 32u);
    EXPECT_EQ(fs.Copy(u"\\Windows\\item.dll", u"\\Temp\\copy.dll", true), 0u);  // reading is allowed
    ASSERT_EQ(fs.SetInUse(u"\\Windows\\item.dll", false), 0u);
    EXPECT_EQ(fs.Copy(u"\\Temp\\copy.dll", u"\\Windows\\item.dll", true), 80u);

    // An open file without sharing refuses other openers and deletion.
    ASSERT_EQ(fs.Open(u"\\Windows\\item.dll", kRead, 0, kOpenExisting, 0, id, existed), 0u);
    FileSystem::FileId other = 0;
    EXPECT_EQ(fs.Open(u"\\Windows\\item.dll", kRead, 1, kOpenExisting, 0, other, existed), 32u);
    EXPECT_EQ(fs.Delete(u"\\Windows\\item.dll"), 32u);
    fs.Close(id);
    EXPECT_EQ(fs.SetAttributes(u"\\Windows\\item.dll", 0x01), 0u);
    EXPECT_EQ(fs.Delete(u"\\Windows\\item.dll"), 5u);
    EXPECT_EQ(fs.SetAttributes(u"\\Windows\\item.dll", 0x80), 0u);
    EXPECT_EQ(fs.Delete(u"\\Windows\\item.dll"), 0u);
    EXPECT_EQ(fs.RemoveFolder(u"\\Windows"), 145u);
}

TEST(DeviceRegistry, NamesIgnoreCaseAndKeysGoWithTheirSubkeys) {
    Registry reg;
    bool created = false;
    ASSERT_EQ(reg.CreateKey(RegRoot::kLocalMachine, u"Software\\Microsoft\\Today\\Items\\Morwen", &created), 0u);
    EXPECT_TRUE(created);
    ASSERT_EQ(reg.CreateKey(RegRoot::kLocalMachine, u"SOFTWARE\\microsoft\\today\\items\\MORWEN", &created), 0u);
    EXPECT_FALSE(created);
    ASSERT_EQ(reg.SetValue(RegRoot::kLocalMachine, u"software\\Microsoft\\Today\\Items\\Morwen", u"DLL", 1, {1, 0}), 0u);
    ASSERT_EQ(reg.SetValue(RegRoot::kLocalMachine, u"software\\Microsoft\\Today\\Items\\Morwen", u"dll", 1, {2, 0}), 0u);
    ASSERT_EQ(reg.SetValue(RegRoot::kLocalMachine, u"software\\Microsoft\\Today\\Items\\Morwen", u"", 3, {7}), 0u);
    std::vector<std::u16string> subKeys;
    std::vector<RegValue> values;
    ASSERT_EQ(reg.ListKey(RegRoot::kLocalMachine, u"Software\\Microsoft\\Today\\Items\\morwen", subKeys, values), 0u);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].name, u"DLL");  // the first spelling stays
    EXPECT_EQ(values[0].data, (std::vector<uint8_t>{2, 0}));
    EXPECT_EQ(values[1].name, u"");
    ASSERT_EQ(reg.EnumKey(RegRoot::kLocalMachine, u"Software\\Microsoft\\Today\\Items", 0, subKeys.emplace_back()), 0u);
    EXPECT_EQ(subKeys.back(), u"Morwen");
    EXPECT_EQ(reg.DeleteKey(RegRoot::kLocalMachine, u"software\\microsoft\\today"), 0u);
    EXPECT_FALSE(reg.KeyExists(RegRoot::kLocalMachine, u"Software\\Microsoft\\Today\\Items"));
    EXPECT_TRUE(reg.KeyExists(RegRoot::kLocalMachine, u"Software\\Microsoft"));
    EXPECT_EQ(reg.DeleteKey(RegRoot::kLocalMachine, u"Software\\Microsoft\\Today"), 2u);
    EXPECT_EQ(reg.DeleteKey(RegRoot::kLocalMachine, u""), 5u);
}

TEST(DeviceRegistry, FileRoundTripsAndDamageIsRefused) {
    Registry reg;
    reg.CreateKey(RegRoot::kCurrentUser, u"Software\\B");
    reg.CreateKey(RegRoot::kCurrentUser, u"Software\\a");
    reg.SetValue(RegRoot::kCurrentUser, u"Software\\a", u"Skin", 1, {0x5C, 0, 0, 0});
    reg.SetValue(RegRoot::kUsers, u"", u"x", 4, {1, 2, 3, 4});
    const std::vector<uint8_t> bytes = reg.Serialize();
    Registry copy;
    std::string error;
    ASSERT_TRUE(copy.Parse(bytes.data(), bytes.size(), error)) << error;
    EXPECT_EQ(copy.Serialize(), bytes);
    for (size_t cut : {size_t(0), size_t(7), bytes.size() / 2, bytes.size() - 1}) {
        EXPECT_FALSE(copy.Parse(bytes.data(), cut, error)) << cut;
    }
    std::vector<uint8_t> flipped = bytes;
    flipped[20] ^= 1;
    EXPECT_FALSE(copy.Parse(flipped.data(), flipped.size(), error));
    EXPECT_FALSE(copy.KeyExists(RegRoot::kCurrentUser, u"Software"));  // left empty
    // A count far beyond the file, with a valid checksum.
    std::vector<uint8_t> lying(bytes.begin(), bytes.end() - 4);
    lying[12] = 0xFF, lying[13] = 0xFF, lying[14] = 0xFF, lying[15] = 0x7F;
    const uint32_t crc = RegistryChecksum(lying.data(), lying.size());
    for (int i = 0; i < 4; ++i) lying.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    EXPECT_FALSE(copy.Parse(lying.data(), lying.size(), error));
}

TEST(DeviceStore, SettingsEventsAndRegistrySurviveAndDamageFailsTheOpen) {
    test::TempFolder tmp;
    InitOptions options;
    options.settings.osMajor = 4;
    options.settings.osMinor = 20;
    options.settings.todayScreen = false;
    options.settings.outsideWindows = {{u"Cls", u"A, b%\tc"}};
    {
        auto dev = MakeDevice(tmp, options);
        EXPECT_EQ(dev->BeginBoot(), 1);
        dev->Log({"start", {{"pid", "7", true}, {"image", "\\Windows\\a b.exe\n", false}}});
        EXPECT_EQ(dev->BeginBoot(), 2);
        dev->Log({"exit", {{"exitCode", "4294967295", true}, {"window", "true", false, true}}});
        dev->Reg().CreateKey(RegRoot::kCurrentUser, u"Software\\X");
        std::string error;
        EXPECT_TRUE(dev->Save(error)) << error;
        std::string second;
        EXPECT_FALSE(Device::Open(tmp / "dev", second));  // held by this process
    }
    std::string error;
    auto dev = Device::Open(tmp / "dev", error);
    ASSERT_TRUE(dev) << error;
    EXPECT_EQ(dev->GetSettings().osMajor, 4u);
    EXPECT_EQ(dev->GetSettings().osMinor, 20u);
    EXPECT_FALSE(dev->GetSettings().todayScreen);
    ASSERT_EQ(dev->GetSettings().outsideWindows.size(), 1u);
    EXPECT_EQ(dev->GetSettings().outsideWindows[0].title, u"A, b%\tc");
    EXPECT_EQ(dev->GetSettings().romFiles.size(), 2u);
    EXPECT_TRUE(dev->Reg().KeyExists(RegRoot::kCurrentUser, u"software\\x"));
    const auto events = dev->Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].boot, 1);
    EXPECT_EQ(events[0].event.fields[1].text, "\\Windows\\a b.exe\n");
    EXPECT_EQ(events[1].boot, 2);
    EXPECT_EQ(events[1].event.fields[0].text, "4294967295");
    EXPECT_TRUE(events[1].event.fields[1].isBoolean);
    EXPECT_EQ(dev->BeginBoot(), 3);
    dev.reset();

    Settings other;
    other.otherSettings = {{"connectDelay", "250"}};
    Settings parsed;
    ASSERT_TRUE(ParseSettings(FormatSettings(other), parsed, error)) << error;
    EXPECT_EQ(parsed.otherSettings, other.otherSettings);

    // A line torn by a crash is dropped; a whole line that makes no sense is damage.
    std::string text = test::ReadText(tmp / "dev/events");
    test::WriteText(tmp / "dev/events", text + "E\tstart\tpid\tn");
    dev = Device::Open(tmp / "dev", error);
    ASSERT_TRUE(dev) << error;
    EXPECT_EQ(dev->Events().size(), 2u);
    dev.reset();
    EXPECT_EQ(test::ReadText(tmp / "dev/events"), text);
    test::WriteText(tmp / "dev/events", text + "E\tstart\tpid\tn\tseven\n");
    EXPECT_FALSE(Device::Open(tmp / "dev", error));
    EXPECT_NE(error.find("event log"), std::string::npos);
    test::WriteText(tmp / "dev/events", text);
    // A crash between the removal of the old registry file and the rename of the new one.
    ASSERT_TRUE(files::Move(tmp / "dev/registry", tmp / "dev/registry.new"));
    dev = Device::Open(tmp / "dev", error);
    ASSERT_TRUE(dev) << error;
    EXPECT_TRUE(dev->Reg().KeyExists(RegRoot::kCurrentUser, u"Software\\X"));
    dev.reset();
    std::vector<uint8_t> registry = test::ReadBytes(tmp / "dev/registry");
    registry.resize(registry.size() - 3);
    test::WriteBytes(tmp / "dev/registry", registry);
    EXPECT_FALSE(Device::Open(tmp / "dev", error));
    EXPECT_NE(error.find("registry"), std::string::npos);
    EXPECT_FALSE(Device::Open(tmp / "nothing", error));
    std::string created;
    EXPECT_FALSE(Device::Create(tmp / "dev", {}, created));  // not empty
}

}  // namespace
}  // namespace mrw::device
