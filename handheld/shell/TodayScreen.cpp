// The Today screen: loads the custom items of HKLM\Software\Microsoft\Today\Items,
// negotiates their heights, places and paints them, answers their requests,
// and rebuilds them on (WM_WININICHANGE, 0xF2).
#include <algorithm>
#include <cstring>
#include <memory>

#include "base/AsciiText.h"
#include "base/TextEncoding.h"
#include "handheld/shell/ShellParts.h"

namespace mrw::shell::parts {

using namespace mrw::ce;

namespace {

constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;
constexpr DWORD kMaxBand = 0x7FFF;  // an item's height beyond this is taken as this

struct Candidate {
    std::u16string name;
    std::u16string dll;
    DWORD order = 0;
    DWORD enabled = 1;  // a key without "Enabled" shows
    DWORD options = 0;
    DWORD flags = 0;
};

struct Item {
    std::unique_ptr<TODAYLISTITEM> record;  // the item may keep the address
    std::u16string name;
    std::u16string dll;
    HMODULE module = nullptr;
    HWND window = nullptr;
    int loggedHeight = -1;
    int watermarks = 0;
};

// The items of the registry that may be loaded: "Type" 4 and a usable
// "DLL"; anything else of wrong type or size is passed over.
std::vector<Candidate> ReadCandidates() {
    std::vector<Candidate> list;
    HKEY items = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItemsKey, 0, KEY_READ, &items) != ERROR_SUCCESS) return list;
    for (DWORD index = 0;; ++index) {
        WCHAR name[256] = {};
        DWORD size = 256;
        const LONG result = RegEnumKeyExW(items, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) break;
        HKEY key = nullptr;
        if (RegOpenKeyExW(items, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        Candidate candidate;
        candidate.name.assign(name, std::min<std::size_t>(size, 255));
        DWORD type = 0;
        const bool usable = QueryDword(key, u"Type", type) && type == tlitCustom &&
                            QueryText(key, u"DLL", MAX_PATH, candidate.dll);
        QueryDword(key, u"Order", candidate.order);
        QueryDword(key, u"Enabled", candidate.enabled);
        QueryDword(key, u"Options", candidate.options);
        QueryDword(key, u"Flags", candidate.flags);
        RegCloseKey(key);
        if (usable) list.push_back(std::move(candidate));
    }
    RegCloseKey(items);
    std::stable_sort(list.begin(), list.end(), [](const Candidate& a, const Candidate& b) {
        if (a.order != b.order) return a.order < b.order;
        return ascii::LessNoCase(text::Utf16ToUtf8(a.name), text::Utf16ToUtf8(b.name));
    });
    return list;
}

COLORREF TodayColour(WPARAM which) {
    const DWORD index = DWORD(which) & 0xFFFF;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kColourKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        const std::u16string name = text::Utf8ToUtf16(std::to_string(index));
        BYTE data[4] = {};
        DWORD type = 0, size = sizeof data;
        const LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &type, data, &size);
        RegCloseKey(key);
        // Colours are stored as red, green, blue, 0.
        if (result == ERROR_SUCCESS && size == sizeof data && (type == REG_DWORD || type == REG_BINARY))
            return RGB(data[0], data[1], data[2]);
    }
    switch (which) {
        case TODAYCOLOR_HIGHLIGHT: return RGB(0, 0, 128);
        case TODAYCOLOR_HIGHLIGHTEDTEXT: return RGB(255, 255, 255);
        default: return RGB(0, 0, 0);
    }
}

class TodayScreen {
public:
    explicit TodayScreen(HWND window) : window_(window) {}

    void Reload() { Run(Request::Reload); }
    void Stop() { Run(Request::Stop); }
    void Load();

    void CountWatermark(HWND itemWindow) {
        for (Item& item : items_)
            if (item.window && item.window == itemWindow) ++item.watermarks;
        Publish();
    }

private:
    enum class Request { None, Reload, Stop };

    // A reload or stop asked for while one runs (an item's window, while
    // being destroyed, waits on another process, which may ask again) is
    // done after it, never inside it.
    void Run(Request request) {
        if (busy_) {
            if (pending_ != Request::Stop) pending_ = request;
            return;
        }
        busy_ = true;
        for (;;) {
            Unload();
            if (request == Request::Stop) {
                DestroyWindow(window_);
                break;
            }
            Load();
            if (pending_ == Request::None) break;
            request = pending_;
            pending_ = Request::None;
        }
        busy_ = false;
    }

    void Query(Item& item);
    void Unload();
    void Publish();

    HWND window_;
    std::vector<Item> items_;
    bool busy_ = false;
    Request pending_ = Request::None;
};

void TodayScreen::Query(Item& item) {
    SendMessageW(item.window, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(item.record.get()), 0);
    const int height = int(std::min(item.record->cyp, kMaxBand));
    if (height != item.loggedHeight) {
        item.loggedHeight = height;
        Log("height", {Text("item", item.name), Number("height", height)});
    }
}

void TodayScreen::Load() {
    int top = 0;
    for (Candidate& candidate : ReadCandidates()) {
        HMODULE module = LoadLibraryW(candidate.dll.c_str());
        if (!module) continue;
        auto initialize = ProcAs<PFNCUSTOMINITIALIZEITEM>(
            GetProcAddressW(module, MAKEINTRESOURCEW(ORDINAL_INITIALIZEITEM)));
        if (!initialize) {
            FreeLibrary(module);
            continue;
        }
        Item item;
        item.record = std::make_unique<TODAYLISTITEM>();
        TODAYLISTITEM& record = *item.record;
        std::memset(&record, 0, sizeof record);
        candidate.name.copy(record.szName, MAX_ITEMNAME - 1);
        record.tlit = tlitCustom;
        record.dwOrder = candidate.order;
        record.fEnabled = candidate.enabled != 0;
        record.fOptions = candidate.options != 0;
        record.grfFlags = candidate.flags;
        candidate.dll.copy(record.szDLLPath, MAX_PATH - 1);
        record.hinstDLL = module;
        item.name = candidate.name;
        item.dll = candidate.dll;
        item.module = module;

        item.window = initialize(&record, window_);
        record.hwndCustom = item.window;
        Log("load", {Text("item", item.name), Text("dll", item.dll), Boolean("window", item.window != nullptr)});
        if (item.window) {
            Query(item);
            Query(item);
            const int height = int(std::min(record.cyp, kMaxBand));
            MoveWindow(item.window, 0, top, kScreenWidth, height, FALSE);
            top += height;
            if (height > 0) {
                InvalidateRect(item.window, nullptr, TRUE);
                UpdateWindow(item.window);
            }
        }
        items_.push_back(std::move(item));
        Publish();
    }
    Publish();
}

void TodayScreen::Unload() {
    std::vector<Item> items;
    items.swap(items_);
    Publish();
    for (Item& item : items) {
        // The cache is dropped while the window still takes messages.
        if (item.window && IsWindow(item.window)) {
            SendMessageW(item.window, WM_TODAYCUSTOM_CLEARCACHE, reinterpret_cast<WPARAM>(item.record.get()), 0);
            DestroyWindow(item.window);
        }
        FreeLibrary(item.module);
        Log("unload", {Text("item", item.name)});
    }
}

void TodayScreen::Publish() {
    std::lock_guard<std::mutex> lock(StateMutex());
    TodayState& state = Today();
    state.items.clear();
    state.itemWindows.clear();
    for (const Item& item : items_) {
        TodayItemReport report;
        report.name = item.name;
        report.dll = item.dll;
        report.enabled = item.record->fEnabled != 0;
        report.window = item.window != nullptr;
        report.height = item.window ? int(std::min(item.record->cyp, kMaxBand)) : 0;
        report.watermarks = item.watermarks;
        state.items.push_back(std::move(report));
        state.itemWindows.push_back(item.window);
    }
}

TodayScreen* g_screen = nullptr;  // touched on the Today screen's thread only

LRESULT TodayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case TODAYM_GETCOLOR:
            return LRESULT(TodayColour(wParam));
        case TODAYM_DRAWWATERMARK: {
            const auto* info = reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lParam);
            if (g_screen && info) g_screen->CountWatermark(info->hwnd);
            return TRUE;
        }
        case WM_WININICHANGE:
            if (wParam == kTodayReloadCode && g_screen) g_screen->Reload();
            return 0;
        case kTodayStopMessage:
            if (g_screen) g_screen->Stop();
            return 0;
        case WM_CLOSE:
            return 0;  // the Today screen is no window to close
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int TodayMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    struct ReadyOnExit {
        ~ReadyOnExit() {
            {
                std::lock_guard<std::mutex> lock(StateMutex());
                Today().running = false;
                Today().window = nullptr;
                Today().items.clear();
                Today().itemWindows.clear();
            }
            SignalPartReady();
        }
    } ready;

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TodayWindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kTodayClass;
    if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 1;
    HWND window = CreateWindowExW(0, kTodayClass, kTodayTitle, WS_VISIBLE, 0, 0, kScreenWidth, kScreenHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    TodayScreen screen(window);
    g_screen = &screen;
    {
        std::lock_guard<std::mutex> lock(StateMutex());
        Today().running = true;
        Today().window = window;
    }
    screen.Load();
    SignalPartReady();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // Ended without a stop request (the window was destroyed from outside):
    // the items still go the same way.
    if (IsWindow(window)) DestroyWindow(window);
    screen.Stop();
    g_screen = nullptr;
    return 0;
}

}  // namespace mrw::shell::parts
