// The device's parts on a booted virtual handheld: the Today screen's items
// (order, dropped and disabled ones, the record in wParam), reloads with a
// live host, the HTML view's navigations and the outside windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "handheld/ce/Boot.h"
#include "handheld/device/Device.h"
#include "handheld/shell/DeviceParts.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"

namespace mrw::shell {
namespace {

using namespace mrw::ce;

constexpr char16_t kItems[] = u"Software\\Microsoft\\Today\\Items";

// ---- programs the tests run on the device ----

LRESULT ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto* notice = reinterpret_cast<NM_HTMLVIEW*>(lParam);
        if (notice && notice->hdr.code == NM_BEFORENAVIGATE) notice->dwFlags |= 0x3000;
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Puts a container with an HTML view below the test item's window, as the
// Today item's host does, and loads two addresses.
int HostMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    HWND today = FindWindowW(u"DesktopExplorerWindow", nullptr);
    HWND item = nullptr;
    for (HWND child = GetWindow(today, GW_CHILD); child && !item; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR title[32] = {};
        GetWindowTextW(child, title, 32);
        if (std::u16string(title) == u"TESTITEM") item = child;
    }
    if (!item) return 1;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ContainerProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = u"TestContainer";
    RegisterClassW(&windowClass);
    HWND container = CreateWindowExW(0, u"TestContainer", u"", WS_CHILD | WS_VISIBLE, 0, 0, 240, 96, item, nullptr,
                                     instance, nullptr);
    if (!container || !InitHTMLControl(instance)) return 1;
    HWND view = CreateWindowExW(0, u"DISPLAYCLASS", u"", 0x50000020, 0, 0, 240, 96, container, nullptr, instance,
                                nullptr);
    if (!view) return 1;
    SendMessageW(view, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(u"about:blank"));
    SendMessageW(view, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(u"file://\\Windows\\page.htm"));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

int ReloadMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    HWND today = FindWindowW(u"DesktopExplorerWindow", nullptr);
    if (!today) return 1;
    SendMessageW(today, WM_WININICHANGE, kTodayReloadCode, 0);
    return 0;
}

int CloseMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    HWND window = FindWindowW(u"OutsideClass", u"Morwen");
    if (!window) return 1;
    SendMessageW(window, WM_CLOSE, 0, 0);
    return IsWindow(window) ? 2 : 0;
}

// ---- set-up ----

class ShellTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterProgram(u"testhost", &HostMain);
        RegisterProgram(u"reloader", &ReloadMain);
        RegisterProgram(u"closer", &CloseMain);
    }

    // A device without the Today screen running, with the test libraries and programs.
    void MakeDevice(const device::Settings& settings) {
        device::InitOptions options;
        options.settings = settings;
        std::string error;
        ASSERT_TRUE(device::Device::Create(dir_.path() + "dev", options, error)) << error;
        const std::string windows = dir_.path() + "dev/files/Windows/";
        ASSERT_TRUE(files::Copy(MRW_TEST_ITEM, windows + "testitem.dll", false));
        ASSERT_TRUE(files::Copy(MRW_TEST_PLAIN, windows + "plain.dll", false));
        for (const char* name : {"testhost.exe", "reloader.exe", "closer.exe", "page.htm"})
            test::WriteText(windows + name, "");
        test::WriteText(windows + "text.dll", "no library");
    }

    void Boot() {
        std::string error;
        boot_ = Boot::Start(dir_.path() + "dev", error);
        ASSERT_TRUE(boot_) << error;
    }

    DWORD Run(const char16_t* image) {
        DWORD exitCode = 0xDEAD;
        std::string error;
        EXPECT_TRUE(boot_->Run(image, u"", exitCode, error)) << error;
        return exitCode;
    }

    void Shutdown() {
        std::string error;
        EXPECT_TRUE(boot_->Shutdown(error)) << error;
        boot_.reset();
    }

    static void SetItem(const std::u16string& name, std::initializer_list<std::pair<const char16_t*, DWORD>> dwords,
                        const char16_t* dll, DWORD dllType = REG_SZ) {
        HKEY key = nullptr;
        const std::u16string path = std::u16string(kItems) + u"\\" + name;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        for (const auto& [value, data] : dwords)
            RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
        if (dllType == REG_SZ) {
            const std::u16string text(dll);
            RegSetValueExW(key, u"DLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           DWORD((text.size() + 1) * 2));
        } else {
            const DWORD number = 1;
            RegSetValueExW(key, u"DLL", 0, dllType, reinterpret_cast<const BYTE*>(&number), sizeof number);
        }
        RegCloseKey(key);
    }

    test::TempFolder dir_;
    std::unique_ptr<ce::Boot> boot_;
};

std::u16string Names(const TodayReport& report) {
    std::u16string names;
    for (const auto& item : report.items) names += item.name + u";";
    return names;
}

TEST_F(ShellTest, ItemsLoadInOrderWithoutTheUnloadableOnes) {
    device::Settings settings;
    settings.todayScreen = false;
    MakeDevice(settings);
    Boot();
    EXPECT_FALSE(ReportToday().running);
    SetItem(u"Bravo", {{u"Type", 4}, {u"Order", 1}, {u"TestHeight", 30}}, u"\\Windows\\testitem.dll");
    SetItem(u"alpha", {{u"Type", 4}, {u"Order", 1}, {u"TestHeight", 40}}, u"\\Windows\\testitem.dll");
    SetItem(u"Zulu", {{u"Type", 4}, {u"Order", 0}, {u"TestHeight", 50}}, u"\\Windows\\TESTITEM.DLL");
    SetItem(u"Off", {{u"Type", 4}, {u"Order", 2}, {u"Enabled", 0}}, u"\\Windows\\testitem.dll");
    SetItem(u"Missing", {{u"Type", 4}}, u"\\Windows\\none.dll");
    SetItem(u"NoLibrary", {{u"Type", 4}}, u"\\Windows\\text.dll");
    SetItem(u"No240", {{u"Type", 4}}, u"\\Windows\\plain.dll");
    SetItem(u"NotCustom", {{u"Type", 3}}, u"\\Windows\\testitem.dll");
    SetItem(u"NoType", {}, u"\\Windows\\testitem.dll");
    SetItem(u"NumberDll", {{u"Type", 4}}, nullptr, REG_DWORD);
    ASSERT_TRUE(StartTodayScreen());

    const TodayReport report = ReportToday();
    EXPECT_TRUE(report.running);
    ASSERT_EQ(Names(report), u"Zulu;alpha;Bravo;Off;");
    // The heights come from the record the item finds in wParam.
    EXPECT_EQ(report.items[0].height, 50);
    EXPECT_EQ(report.items[1].height, 40);
    EXPECT_EQ(report.items[2].height, 30);
    EXPECT_EQ(report.items[0].dll, u"\\Windows\\TESTITEM.DLL");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(report.items[i].enabled && report.items[i].window) << i;
    EXPECT_FALSE(report.items[3].enabled);
    EXPECT_FALSE(report.items[3].window);
    EXPECT_EQ(report.items[3].height, 0);
    Shutdown();
}

TEST_F(ShellTest, ReloadWithALiveHostRebuildsTheItemsAndTheViewRecordsTheParentsFlags) {
    device::Settings settings;
    settings.todayScreen = false;
    MakeDevice(settings);
    Boot();
    SetItem(u"Morwen", {{u"Type", 4}, {u"TestHeight", 96}, {u"TestHost", 1}}, u"\\Windows\\testitem.dll");
    ASSERT_TRUE(StartTodayScreen());

    for (int round = 0; round < 2; ++round) {
        const TodayReport report = ReportToday();
        ASSERT_EQ(Names(report), u"Morwen;") << round;
        const TodayItemReport& item = report.items[0];
        EXPECT_EQ(item.height, 96);
        ASSERT_TRUE(item.hasHtml) << round;
        EXPECT_EQ(item.html.width, 240);
        EXPECT_EQ(item.html.height, 96);
        ASSERT_EQ(item.html.navigations.size(), 2u);
        EXPECT_EQ(item.html.navigations[0].url, u"about:blank");
        EXPECT_EQ(item.html.navigations[1].url, u"file://\\Windows\\page.htm");
        EXPECT_EQ(item.html.navigations[1].flags, 0x3000u);
        // The item's window, destroyed, closes the host's container from
        // inside the Today screen's handling of the reload.
        if (round == 0) {
            EXPECT_EQ(Run(u"\\Windows\\reloader"), 0u);
        }
    }
    Shutdown();
}

TEST_F(ShellTest, OutsideWindowClosesOnWmClose) {
    device::Settings settings;
    settings.outsideWindows.push_back({u"OutsideClass", u"Morwen"});
    MakeDevice(settings);
    Boot();
    EXPECT_TRUE(ReportToday().running);
    EXPECT_EQ(Run(u"\\Windows\\closer.exe"), 0u);
    EXPECT_EQ(Run(u"\\Windows\\closer.exe"), 1u);  // gone
    Shutdown();
    // The shutdown's requests to the Today screen are no program's messages.
    std::string error;
    auto device = device::Device::Open(dir_.path() + "dev", error);
    ASSERT_TRUE(device) << error;
    int messages = 0;
    for (const device::LoggedEvent& logged : device->Events()) {
        if (logged.event.kind != "message") continue;
        ++messages;
        EXPECT_EQ(logged.event.fields.at(0).text, "\\Windows\\closer.exe");
    }
    EXPECT_EQ(messages, 1);
}

TEST_F(ShellTest, TodayJsonLists) {
    device::Settings settings;
    settings.todayScreen = false;
    MakeDevice(settings);
    Boot();
    // The test host is a program of this test only: in mrw it ends at once.
    SetItem(u"Morwen", {{u"Type", 4}, {u"TestHeight", 96}}, u"\\Windows\\testitem.dll");
    SetItem(u"Off", {{u"Type", 4}, {u"Order", 1}, {u"Enabled", 0}}, u"\\Windows\\testitem.dll");
    Shutdown();

    const std::string out = dir_.path() + "today.json";
    ASSERT_EQ(test::Shell("\"" + test::MrwProgram() + "\" device today \"" + dir_.path() + "dev\" --json > \"" +
                          out + "\""),
              0);
    std::string json = test::ReadText(out);
    json.erase(std::remove(json.begin(), json.end(), '\r'), json.end());  // the windows build's text mode
    EXPECT_EQ(json,
              "{\"system\": 2002, \"items\": [{\"name\": \"Morwen\", \"dll\": \"\\\\Windows\\\\testitem.dll\", "
              "\"enabled\": true, \"window\": true, \"height\": 96, \"html\": null}, "
              "{\"name\": \"Off\", \"dll\": \"\\\\Windows\\\\testitem.dll\", \"enabled\": false, "
              "\"window\": false, \"height\": 0, \"html\": null}]}\n");
}

}  // namespace
}  // namespace mrw::shell
