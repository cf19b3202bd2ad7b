// The handheld programs on a booted virtual handheld: the applier with and
// without PocketFacelift's loader, the Today item and its host through the
// device's Today screen, the options dialog, and the setup hooks.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "base/TextEncoding.h"
#include "editor/document/ColourTable.h"
#include "handheld/applier/Applier.h"
#include "handheld/ce/Boot.h"
#include "handheld/device/Device.h"
#include "handheld/host/Host.h"
#include "handheld/shell/DeviceParts.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"

namespace mrw::handheld {
namespace {

using namespace mrw::ce;

constexpr char16_t kItemKey[] = u"Software\\Microsoft\\Today\\Items\\Morwen";
constexpr char16_t kPackage[] = u"\\My Documents\\Themes\\Blue Sky.tsk";

// ---- stand-ins for the installers: they record what they were given ----

std::u16string gInstallerLine, gLoaderLine;
int gInstallerRuns = 0, gLoaderRuns = 0;

void WriteText(HKEY root, const char16_t* path, const char16_t* name, const std::u16string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD((text.size() + 1) * 2));
    RegCloseKey(key);
}

void WriteDword(HKEY root, const char16_t* path, const char16_t* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

// The Today item as its package registers it.
void WriteItem(const std::u16string& url, DWORD height, DWORD autoHeight, DWORD enabled = 1) {
    WriteDword(HKEY_LOCAL_MACHINE, kItemKey, u"Type", 4);
    WriteDword(HKEY_LOCAL_MACHINE, kItemKey, u"Enabled", enabled);
    WriteDword(HKEY_LOCAL_MACHINE, kItemKey, u"Options", 1);
    WriteText(HKEY_LOCAL_MACHINE, kItemKey, u"DLL", u"\\Windows\\mrw2html.dll");
    WriteText(HKEY_LOCAL_MACHINE, kItemKey, u"URL", url);
    WriteDword(HKEY_LOCAL_MACHINE, kItemKey, u"Height", height);
    WriteDword(HKEY_LOCAL_MACHINE, kItemKey, u"AutoHeight", autoHeight);
}

int InstallerMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    gInstallerLine = commandLine ? commandLine : u"";
    ++gInstallerRuns;
    // What the theme's package would install: the Today item, shown once the
    // applier makes the Today screen reload.
    WriteItem(u"http://example.com/", 40, 0);
    return 0;
}

int LoaderMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    gLoaderLine = commandLine ? commandLine : u"";
    ++gLoaderRuns;
    WriteItem(u"http://example.com/", 40, 0);
    return 0;
}

// A Today window of its own with the item window two levels below it (and a
// decoy beside), then the host; bit 1: container found below the item,
// bit 2: the host ended with 0 once the container was closed.
int NestedTodayMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = u"DesktopExplorerWindow";
    RegisterClassW(&windowClass);
    windowClass.lpszClassName = u"TestPanel";
    RegisterClassW(&windowClass);
    const DWORD child = WS_CHILD | WS_VISIBLE;
    HWND today = CreateWindowExW(0, u"DesktopExplorerWindow", u"Desktop", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                                 instance, nullptr);
    HWND decoy = CreateWindowExW(0, u"TestPanel", u"Other", child, 0, 0, 240, 20, today, nullptr, instance, nullptr);
    CreateWindowExW(0, u"TestPanel", u"Inside", child, 0, 0, 240, 20, decoy, nullptr, instance, nullptr);
    HWND outer = CreateWindowExW(0, u"TestPanel", u"", child, 0, 20, 240, 100, today, nullptr, instance, nullptr);
    HWND inner = CreateWindowExW(0, u"TestPanel", u"", child, 0, 0, 240, 100, outer, nullptr, instance, nullptr);
    HWND item = CreateWindowExW(0, u"TestPanel", u"MRW2HTML", child, 0, 0, 240, 100, inner, nullptr, instance, nullptr);
    PROCESS_INFORMATION host = {};
    if (!item || !CreateProcessW(u"\\Windows\\mRW2Host.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 nullptr, &host))
        return 0;
    Sleep(2000);
    int result = 0;
    HWND container = GetWindow(item, GW_CHILD);
    WCHAR className[64] = {};
    if (container && GetClassNameW(container, className, 64) > 0 &&
        std::u16string(className) == u"mRW_HTMLContainer")
        result |= 1;
    if (container) SendMessageW(container, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    if (WaitForSingleObject(host.hProcess, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(host.hProcess, &exitCode) &&
        exitCode == 0)
        result |= 2;
    CloseHandle(host.hThread);
    CloseHandle(host.hProcess);
    DestroyWindow(today);
    return result;
}

// Loads the setup library and calls one of its functions by name; the
// function's answer, or 100 when the library or the name is missing.
int SetupCallMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    HMODULE library = LoadLibraryW(u"\\Windows\\mrw2Setup.dll");
    if (!library) return 100;
    const std::u16string name = commandLine ? commandLine : u"";
    FARPROC function = GetProcAddressW(library, name.c_str());
    int result = 100;
    if (function && name == u"Install_Init")
        result = reinterpret_cast<pfnINSTALL_INIT>(function)(nullptr, TRUE, FALSE, u"\\Windows");
    else if (function && name == u"Install_Exit")
        result = reinterpret_cast<pfnINSTALL_EXIT>(function)(nullptr, u"\\Windows", 0, 0, 0, 0, 0);
    else if (function && name == u"Uninstall_Init")
        result = reinterpret_cast<pfnUNINSTALL_INIT>(function)(nullptr, u"\\Windows");
    else if (function && name == u"Uninstall_Exit")
        result = reinterpret_cast<pfnUNINSTALL_EXIT>(function)(nullptr);
    FreeLibrary(library);
    return result;
}

// ---- set-up ----

class ProgramsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterProgram(u"sarnick", &applier::SarnickMain);
        RegisterProgram(u"mrw2host", &host::HostMain);
        RegisterProgram(u"wceload", &InstallerMain);
        RegisterProgram(u"pfacetskload", &LoaderMain);
        RegisterProgram(u"nestedtoday", &NestedTodayMain);
        RegisterProgram(u"setupcall", &SetupCallMain);
    }

    void SetUp() override {
        gInstallerLine.clear();
        gLoaderLine.clear();
        gInstallerRuns = gLoaderRuns = 0;
    }

    void TearDown() override {
        if (boot_) Shutdown();
    }

    // A device without the Today screen running (the tests start it once the
    // registry is set), holding the handheld part of the program folder.
    void MakeDevice(device::Settings settings = {}) {
        settings.todayScreen = false;
        device::InitOptions options;
        options.settings = settings;
        std::string error;
        ASSERT_TRUE(device::Device::Create(Dir(), options, error)) << error;
        const std::string windows = Dir() + "/files/Windows/";
        ASSERT_TRUE(files::Copy(MRW_TODAY_ITEM, windows + "mrw2html.dll", false));
        ASSERT_TRUE(files::Copy(MRW_SETUP_HOOKS, windows + "mrw2Setup.dll", false));
        ASSERT_TRUE(files::Copy(std::string(MRW_SOURCE_DIR) + "/handheld/host/mrw2Err.htm", windows + "mrw2Err.htm",
                                false));
        for (const char* name : {"sarnick.exe", "mRW2Host.exe", "nestedtoday.exe", "setupcall.exe"})
            test::WriteText(windows + name, "");
    }

    std::string Dir() const { return dir_.path() + "dev"; }
    std::string WindowsFile(const char* name) const { return Dir() + "/files/Windows/" + name; }

    void Boot() {
        std::string error;
        boot_ = Boot::Start(Dir(), error);
        ASSERT_TRUE(boot_) << error;
    }

    DWORD Run(const char16_t* image, const char16_t* commandLine = u"") {
        DWORD exitCode = 0xDEAD;
        std::string error;
        EXPECT_TRUE(boot_->Run(image, commandLine, exitCode, error)) << error;
        return exitCode;
    }

    void Shutdown() {
        std::string error;
        EXPECT_TRUE(boot_->Shutdown(error)) << error;
        boot_.reset();
    }

    test::TempFolder dir_;
    std::unique_ptr<ce::Boot> boot_;
};

bool Exists(const char16_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

DWORD FileSize(const char16_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return INVALID_FILE_SIZE;
    const DWORD size = GetFileSize(file, nullptr);
    CloseHandle(file);
    return size;
}

bool HasValue(HKEY root, const char16_t* path, const char16_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const bool found = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

DWORD ReadDword(HKEY root, const char16_t* path, const char16_t* name) {
    HKEY key = nullptr;
    DWORD value = 0xDEAD, size = sizeof value;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return value;
}

// The value's bytes as stored, and its text up to the first zero.
std::u16string ReadText(HKEY root, const char16_t* path, const char16_t* name, DWORD* storedSize = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return u"<no key>";
    WCHAR text[1024] = {};
    DWORD size = sizeof text - 2;
    const LONG result = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (storedSize) *storedSize = size;
    return result == ERROR_SUCCESS ? std::u16string(text) : u"<none>";
}

void WriteFile(const char16_t* path, const std::string& text) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::mrw::ce::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::u16string Decimal(int number) { return text::Utf8ToUtf16(std::to_string(number)); }

// The item's report from a fresh look at the Today screen.
std::optional<shell::TodayItemReport> FindItem(const std::u16string& name) {
    for (const auto& item : shell::ReportToday().items)
        if (item.name == name) return item;
    return std::nullopt;
}

// ---- the applier ----

TEST(ApplierColours, SameIndicesAsTheEditorsColourTable) {
    std::set<std::u16string> editor, applier;
    for (const auto& row : kColourTable) editor.insert(Decimal(row.index));
    for (const WCHAR* name : applier::kColourValueNames) applier.insert(name);
    EXPECT_EQ(applier.size(), size_t(kColourTableSize));
    EXPECT_EQ(editor, applier);
}

TEST_F(ProgramsTest, ApplierClearsTheOldThemeInstallsWithTheCabinetInstallerAndReloads) {
    MakeDevice();
    Boot();
    for (const char16_t* name : {u"\\Windows\\stwater.gif", u"\\Windows\\tdywater.gif", u"\\Windows\\vx5n.swf",
                                 u"\\Windows\\vx5n.htm", u"\\Windows\\vx5n.swf.~bk", u"\\Windows\\activetdy.gif",
                                 u"\\Windows\\pfButtons.btn", u"\\Windows\\taskbar.gif"})
        WriteFile(name, "old theme");
    SetFileAttributesW(u"\\Windows\\vx5n.htm", FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(u"\\Windows\\activetdy.gif", FILE_ATTRIBUTE_READONLY);
    for (const auto& row : kColourTable)
        WriteDword(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Color", Decimal(row.index).c_str(), 1);
    WriteDword(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Color", u"99", 1);
    WriteDword(HKEY_CURRENT_USER, u"Software\\Microsoft\\Today", u"UseStartImage", 1);
    ASSERT_TRUE(shell::StartTodayScreen());
    EXPECT_TRUE(shell::ReportToday().items.empty());

    EXPECT_EQ(Run(u"\\Windows\\sarnick", kPackage), 0u);
    // The path in one piece, quoted, nothing after the closing quote.
    EXPECT_EQ(gInstallerLine, u"/safe /noui /nouninstall /delete 0 \"\\My Documents\\Themes\\Blue Sky.tsk\"");
    EXPECT_EQ(gLoaderRuns, 0);
    EXPECT_EQ(FileSize(u"\\Windows\\stwater.gif"), 0u);  // emptied, not deleted
    EXPECT_EQ(FileSize(u"\\Windows\\tdywater.gif"), 0u);
    for (const char16_t* name : {u"\\Windows\\vx5n.swf", u"\\Windows\\vx5n.htm", u"\\Windows\\vx5n.swf.~bk",
                                 u"\\Windows\\vx5n.htm.~bk", u"\\Windows\\activetdy.gif", u"\\Windows\\pfButtons.btn",
                                 u"\\Windows\\taskbar.gif"})
        EXPECT_FALSE(Exists(name)) << text::Utf16ToUtf8(name);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, u"SOFTWARE\\NOVOSEC\\PocketFacelift", u"SuperTheme"), 1u);
    DWORD size = 0;
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, u"Software\\Microsoft\\Today", u"Skin", &size), kPackage);
    EXPECT_EQ(size, (std::u16string(kPackage).size() + 1) * 2);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, u"Software\\Microsoft\\Today", u"UseStartImage"), 0u);
    for (const WCHAR* name : applier::kColourValueNames)
        EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Color", name));
    EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Color", u"99"));
    // The Today screen reloaded: it shows the item the package installed.
    EXPECT_TRUE(FindItem(u"Morwen"));
}

TEST_F(ProgramsTest, ApplierUsesPocketFaceliftsLoaderWhenPresent) {
    MakeDevice();
    test::WriteText(WindowsFile("pfaceTSKLoad.exe"), "");
    Boot();
    EXPECT_EQ(Run(u"\\Windows\\sarnick", kPackage), 0u);
    EXPECT_EQ(gLoaderLine, u"\"\\My Documents\\Themes\\Blue Sky.tsk\"");
    EXPECT_EQ(gInstallerRuns, 0);
}

TEST_F(ProgramsTest, ApplierWithoutCommandLineOnlyReloads) {
    MakeDevice();
    Boot();
    WriteFile(u"\\Windows\\stwater.gif", "old theme");
    WriteDword(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Color", u"4", 1);
    ASSERT_TRUE(shell::StartTodayScreen());
    WriteItem(u"http://example.com/", 40, 0);
    EXPECT_EQ(Run(u"\\Windows\\sarnick"), 0u);
    EXPECT_EQ(FileSize(u"\\Windows\\stwater.gif"), 9u);
    EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Color", u"4"));
    EXPECT_EQ(gInstallerRuns + gLoaderRuns, 0);
    EXPECT_TRUE(FindItem(u"Morwen"));
}

TEST_F(ProgramsTest, ApplierWithoutAnyInstallerEndsWithMinusOneAndNoReload) {
    MakeDevice();
    ASSERT_TRUE(files::Delete(WindowsFile("wceload.exe")));
    Boot();
    WriteFile(u"\\Windows\\stwater.gif", "old theme");
    ASSERT_TRUE(shell::StartTodayScreen());
    WriteItem(u"http://example.com/", 40, 0);
    EXPECT_EQ(Run(u"\\Windows\\sarnick", kPackage), 0xFFFFFFFFu);
    EXPECT_EQ(FileSize(u"\\Windows\\stwater.gif"), 0u);  // cleared before an installer is known to start
    EXPECT_FALSE(FindItem(u"Morwen"));
}

// ---- the Today item and its host ----

TEST_F(ProgramsTest, ItemBandForWebAddressesAndMissingPages) {
    MakeDevice();
    Boot();
    struct Case {
        std::u16string url;
        DWORD height;
        int band;
        bool host;
    };
    const Case cases[] = {
        {u"http://example.com/Docs/Page.HTM", 0, 150, true},  // web address: "Height", 150 for 0
        {u"http://example.com/", 96, 96, true},
        {u"file://\\Windows\\none.htm", 96, 20, false},  // missing local page: no host
        {u"FILE://\\Windows\\none.htm", 96, 20, false},  // the prefix in any case
        {u"file://", 96, 20, true},                      // the prefix alone: 20, host all the same
    };
    ASSERT_TRUE(shell::StartTodayScreen());
    for (const Case& c : cases) {
        WriteItem(c.url, c.height, 1);
        ASSERT_EQ(Run(u"\\Windows\\sarnick"), 0u);  // reload
        const std::optional<shell::TodayItemReport> item = FindItem(u"Morwen");
        ASSERT_TRUE(item) << text::Utf16ToUtf8(c.url);
        EXPECT_TRUE(item->window);
        EXPECT_EQ(item->height, c.band) << text::Utf16ToUtf8(c.url);
        EXPECT_EQ(item->hasHtml, c.host) << text::Utf16ToUtf8(c.url);
        if (c.host && c.url.rfind(u"http", 0) == 0) {
            EXPECT_EQ(item->html.width, 240);
            EXPECT_EQ(item->html.height, c.band);
            ASSERT_EQ(item->html.navigations.size(), 2u);
            EXPECT_EQ(item->html.navigations[0].url, u"about:blank");
            EXPECT_EQ(item->html.navigations[1].url, c.url);  // as stored, letter case kept
            EXPECT_EQ(item->html.navigations[1].flags, 0x3000u);
        }
    }
}

TEST_F(ProgramsTest, ItemTakesTheSizeLineOfTheSettingsFile) {
    MakeDevice();
    Boot();
    WriteFile(u"\\Windows\\vx5n.htm", "<HTML></HTML>");
    // "size=" inside another name comes first; the size line is the second.
    WriteFile(u"\\Windows\\vx5n.atc", "[Today]\r\nfontsize=12\r\n  Size = 96\r\n");
    WriteItem(u"File://\\Windows\\vx5n.htm", 0, 1);
    ASSERT_TRUE(shell::StartTodayScreen());
    std::optional<shell::TodayItemReport> item = FindItem(u"Morwen");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->height, 96);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kItemKey, u"Height"), 96u);
    // No ".swf" type: the host shows the error page beside it, at the band's height.
    ASSERT_TRUE(item->hasHtml);
    EXPECT_EQ(item->html.height, 96);
    ASSERT_EQ(item->html.navigations.size(), 2u);
    EXPECT_EQ(item->html.navigations[1].url, u"file://\\Windows\\mrw2Err.htm");

    // With a Flash player the page itself is shown.
    WriteText(HKEY_CLASSES_ROOT, u".swf", u"", u"ShockwaveFlash.ShockwaveFlash");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"ShockwaveFlash.ShockwaveFlash", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(Run(u"\\Windows\\sarnick"), 0u);
    item = FindItem(u"Morwen");
    ASSERT_TRUE(item);
    ASSERT_TRUE(item->hasHtml);
    ASSERT_EQ(item->html.navigations.size(), 2u);
    EXPECT_EQ(item->html.navigations[1].url, u"File://\\Windows\\vx5n.htm");
}

TEST_F(ProgramsTest, HostTestsForTheAnimatedPageOnACopyAndCutsLongAddresses) {
    MakeDevice();
    Boot();
    ASSERT_TRUE(shell::StartTodayScreen());
    WriteItem(u"http://Example.com/Themes/Vx5n.Htm", 0, 0);
    ASSERT_EQ(Run(u"\\Windows\\sarnick"), 0u);
    std::optional<shell::TodayItemReport> item = FindItem(u"Morwen");
    ASSERT_TRUE(item && item->hasHtml);
    ASSERT_EQ(item->html.navigations.size(), 2u);
    EXPECT_EQ(item->html.navigations[1].url, u"file://\\Windows\\mrw2Err.htm");

    // An address longer than the 255-character buffer is cut, and terminated.
    const std::u16string longUrl = u"http://example.com/" + std::u16string(300, u'a');
    WriteItem(longUrl, 0, 0);
    ASSERT_EQ(Run(u"\\Windows\\sarnick"), 0u);
    item = FindItem(u"Morwen");
    ASSERT_TRUE(item && item->hasHtml);
    ASSERT_EQ(item->html.navigations.size(), 2u);
    EXPECT_EQ(item->html.navigations[1].url, longUrl.substr(0, 254));
}

TEST_F(ProgramsTest, DisabledItemHasNoWindow) {
    MakeDevice();
    Boot();
    WriteItem(u"http://example.com/", 0, 0, 0);
    ASSERT_TRUE(shell::StartTodayScreen());
    std::optional<shell::TodayItemReport> item = FindItem(u"Morwen");
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->window);
    EXPECT_FALSE(item->hasHtml);
}

TEST_F(ProgramsTest, HostFindsTheItemTwoLevelsDownAndEndsWithItsContainer) {
    MakeDevice();
    Boot();
    WriteItem(u"http://example.com/", 60, 0);
    EXPECT_EQ(Run(u"\\Windows\\nestedtoday"), 3u);
}

TEST_F(ProgramsTest, OptionsDialogShowsTheSettingsAndWritesTheDefaults) {
    MakeDevice();
    Boot();
    WriteItem(u"http://example.com/", 96, 0);
    shell::TodayOptionsInput input;
    shell::TodayOptionsShown shown;
    std::string error;
    input.defaults = true;
    input.setHeight = true;  // left empty
    ASSERT_TRUE(shell::RunTodayOptions(u"Morwen", input, shown, error)) << error;
    EXPECT_EQ(shown.url, u"http://example.com/");
    EXPECT_EQ(shown.height, u"96");
    EXPECT_FALSE(shown.autoHeight);
    DWORD size = 0;
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kItemKey, u"URL", &size), u"file://\\Windows\\vx5n.htm");
    EXPECT_EQ(size, 510u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kItemKey, u"Height"), 0u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kItemKey, u"AutoHeight"), 1u);
}

// ---- the setup hooks ----

TEST_F(ProgramsTest, UninstallDeletesProductFilesPassingOverFoldersAndUndeletableOnes) {
    device::Settings settings;
    settings.romFiles.push_back(u"\\My Documents\\d.mrw");  // cannot be deleted
    MakeDevice(settings);
    Boot();
    for (const char16_t* name : {u"\\My Documents\\a.mrw", u"\\My Documents\\c.MRW", u"\\My Documents\\e.mrw",
                                 u"\\My Documents\\keep.txt"})
        WriteFile(name, "x");
    ASSERT_TRUE(CreateDirectoryW(u"\\My Documents\\Old.mrw", nullptr));
    ASSERT_TRUE(CreateDirectoryW(u"\\My Documents\\Sub", nullptr));
    WriteFile(u"\\My Documents\\Sub\\x.mrw", "x");
    EXPECT_EQ(Run(u"\\Windows\\setupcall", u"Uninstall_Init"), 0u);
    for (const char16_t* gone : {u"\\My Documents\\a.mrw", u"\\My Documents\\c.MRW", u"\\My Documents\\e.mrw"})
        EXPECT_FALSE(Exists(gone)) << text::Utf16ToUtf8(gone);
    for (const char16_t* kept : {u"\\My Documents\\d.mrw", u"\\My Documents\\Old.mrw", u"\\My Documents\\keep.txt",
                                 u"\\My Documents\\Sub\\x.mrw"})
        EXPECT_TRUE(Exists(kept)) << text::Utf16ToUtf8(kept);
    EXPECT_EQ(Run(u"\\Windows\\setupcall", u"Uninstall_Exit"), 0u);
}

TEST_F(ProgramsTest, InstallHooksCloseTheProductWindowAndTakeTheItemOutAndBack) {
    device::Settings settings;
    settings.outsideWindows.push_back({u"categNotify", u"Morwen"});  // class without regard to case: left open
    settings.outsideWindows.push_back({u"MorwenMain", u"Morwen"});
    MakeDevice(settings);
    Boot();
    WriteItem(u"http://example.com/", 40, 0);
    ASSERT_TRUE(shell::StartTodayScreen());
    ASSERT_TRUE(FindItem(u"Morwen"));

    EXPECT_EQ(Run(u"\\Windows\\setupcall", u"Install_Init"), 0u);
    EXPECT_NE(FindWindowW(u"categNotify", u"Morwen"), nullptr);
    EXPECT_EQ(FindWindowW(u"MorwenMain", u"Morwen"), nullptr);
    EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, kItemKey, u"DLL"));
    EXPECT_FALSE(FindItem(u"Morwen"));
    // The library is free again: the installer may replace it.
    EXPECT_TRUE(CopyFileW(u"\\Windows\\mrw2html.dll", u"\\Windows\\copy.dll", TRUE));
    EXPECT_TRUE(DeleteFileW(u"\\Windows\\mrw2html.dll"));
    EXPECT_TRUE(MoveFileW(u"\\Windows\\copy.dll", u"\\Windows\\mrw2html.dll"));

    WriteText(HKEY_LOCAL_MACHINE, kItemKey, u"DLL", u"\\Windows\\mrw2html.dll");
    EXPECT_EQ(Run(u"\\Windows\\setupcall", u"Install_Exit"), 0u);
    EXPECT_TRUE(FindItem(u"Morwen"));
}

}  // namespace
}  // namespace mrw::handheld
