#include "handheld/host/Host.h"

#include <cstring>
#include <string_view>

#include "base/AsciiText.h"
#include "handheld/ce/Ce.h"
#include "handheld/today_item/ItemSettings.h"

namespace mrw::host {

using namespace mrw::ce;

namespace {

constexpr WCHAR kContainerClass[] = u"mRW_HTMLContainer";
constexpr WCHAR kTodayClass[] = u"DesktopExplorerWindow";
constexpr WCHAR kItemTitle[] = u"MRW2HTML";
constexpr WCHAR kErrorPage[] = u"mrw2Err.htm";
constexpr WCHAR kBlankPage[] = u"about:blank";
// A child of the item window: without WS_CHILD the container would be a
// top-level window outside the band that the item's WM_CLOSE to its first
// child never reaches, and the host would outlive its item.
constexpr DWORD kContainerStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | HS_NOSCROLL;
constexpr int kTitleChars = 256;

// A host is a process of its own: its state lives with its thread, and its
// windows' procedures run on that thread.
struct HostState {
    HINSTANCE module = nullptr;
    HWND container = nullptr;
    HWND view = nullptr;
    handheld::ItemSettings settings;
};
thread_local HostState* tState = nullptr;

// Depth first below `parent`: each child, then that child's children, then
// its next sibling.
HWND FindItemWindow(HWND parent) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR title[kTitleChars] = {};
        const int length = GetWindowTextW(child, title, kTitleChars);
        if (length > 0 && std::u16string_view(title, static_cast<size_t>(length)) == kItemTitle) return child;
        if (HWND found = FindItemWindow(child)) return found;
    }
    return nullptr;
}

void Navigate(HWND view, const WCHAR* address) {
    // The blank page first makes the view drop the previous document even
    // when the address is unchanged.
    SendMessageW(view, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(kBlankPage));
    BSTR copy = SysAllocString(address);
    if (!copy) return;
    SendMessageW(view, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(copy));
    SysFreeString(copy);
}

void LoadUrl(const HostState& state) { Navigate(state.view, state.settings.url); }

// "file://" + the program's folder + "\mrw2Err.htm".
void LoadErrorPage(const HostState& state) {
    constexpr WCHAR kPrefix[] = u"file://";
    constexpr DWORD kPrefixChars = 7;
    WCHAR address[kPrefixChars + MAX_PATH] = {};
    std::memcpy(address, kPrefix, kPrefixChars * sizeof(WCHAR));
    WCHAR* path = address + kPrefixChars;
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    DWORD slash = length;
    while (slash > 0 && path[slash - 1] != u'\\') --slash;
    if (slash + sizeof kErrorPage / sizeof(WCHAR) > MAX_PATH) return;
    std::memcpy(path + slash, kErrorPage, sizeof kErrorPage);
    Navigate(state.view, address);
}

// A Flash player is registered when ".swf" names a class key that exists.
bool FlashPresent() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, u".swf", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    WCHAR name[MAX_PATH + 1] = {};
    DWORD type = 0, size = MAX_PATH * sizeof(WCHAR);
    const LONG result = RegQueryValueExW(key, u"", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ || name[0] == 0) return false;
    HKEY classKey = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, name, 0, KEY_READ, &classKey) != ERROR_SUCCESS) return false;
    RegCloseKey(classKey);
    return true;
}

LRESULT ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->code == NM_BEFORENAVIGATE) {
            reinterpret_cast<NM_HTMLVIEW*>(lParam)->dwFlags |= NAVIGATEFLAG_NOCACHE | NAVIGATEFLAG_RESYNCHRONIZE;
            return 0;
        }
        break;
    }
    case WM_USER:
        // Reload request.
        if (tState && GetForegroundWindow() != FindWindowW(kTodayClass, nullptr)) {
            ShowWindow(window, SW_SHOW);
            LoadUrl(*tState);
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int Run(HostState& state) {
    WNDCLASSW known = {};
    if (!GetClassInfoW(state.module, kContainerClass, &known)) {
        WNDCLASSW windowClass = {};
        windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_NOCLOSE;
        windowClass.lpfnWndProc = ContainerProc;
        windowClass.hInstance = state.module;
        windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        windowClass.lpszClassName = kContainerClass;
        RegisterClassW(&windowClass);
    }
    HWND today = FindWindowW(kTodayClass, nullptr);
    if (!today) return 0;
    HWND item = FindItemWindow(today);
    if (!item) return 0;

    handheld::ReadItemSettings(state.settings);
    // The band's height as the item sets it: the settings file's size line
    // for a local page when AutoHeight is on, else "Height", 150 for 0.
    DWORD height = state.settings.height;
    if (state.settings.autoHeight == 1 && handheld::IsFileUrl(state.settings.url)) {
        const DWORD fromFile = handheld::ReadSettingsFileHeight();
        if (fromFile != 0) height = fromFile;
    }
    if (height == 0) height = handheld::kDefaultHeight;

    state.container = CreateWindowExW(0, kContainerClass, u"", kContainerStyle, 0, 0, 240, static_cast<int>(height),
                                      item, nullptr, state.module, nullptr);
    if (!state.container) return 0;
    InitHTMLControl(state.module);
    RECT rect = {};
    GetWindowRect(state.container, &rect);
    state.view = CreateWindowExW(0, u"DISPLAYCLASS", u"", kViewStyle, 0, 0, 240, rect.bottom - rect.top,
                                 state.container, nullptr, state.module, nullptr);
    if (!state.view) {
        DestroyWindow(state.container);
        return 0;
    }

    // The address is loaded as stored; only the test ignores letter case.
    const std::u16string_view url(state.settings.url, handheld::TextLength(state.settings.url));
    if (ascii::FindNoCase(url, u"VX5N.HTM") != std::u16string_view::npos && !FlashPresent())
        LoadErrorPage(state);
    else
        LoadUrl(state);

    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int HostMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    HostState state;
    state.module = instance;
    tState = &state;
    const int result = Run(state);
    tState = nullptr;
    return result;
}

}  // namespace mrw::host
