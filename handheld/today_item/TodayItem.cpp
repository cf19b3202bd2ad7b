// mrw2html: the Morwen Today item. It owns a band of the Today screen, sets
// its height, draws the Today watermark behind it and starts the host program
// (mRW2Host) that puts the HTML view of the page into the band. Exported by
// ordinal only: 240 creates the item window, 241 is the options dialog.
#include <cstring>

#include "handheld/ce/Ce.h"
#include "handheld/today_item/ItemSettings.h"
#include "handheld/today_item/TodayItemResources.h"

using namespace mrw::ce;
using mrw::handheld::ItemSettings;

namespace {

constexpr int kClassNameChars = 32;
constexpr DWORD kMissingPageHeight = 20;
constexpr DWORD kHostStartPause = 2000;  // lets the host create its window before the Today screen goes on
constexpr WCHAR kHostProgram[] = u"mRW2Host.exe";
constexpr WCHAR kItemText[] = u"Morwen 2 - HTML";

// One instance per loading process.
HINSTANCE gModule = nullptr;
HICON gIcon = nullptr;
ItemSettings gSettings;
HWND gItemWindow = nullptr;
WCHAR gClassName[kClassNameChars] = {};

// A "file://" address naming a local file that does not exist.
bool LocalPageMissing() {
    return mrw::handheld::IsFileUrl(gSettings.url) && mrw::handheld::TextLength(gSettings.url) > 7 &&
           GetFileAttributesW(mrw::handheld::FileUrlPath(gSettings.url)) == INVALID_FILE_ATTRIBUTES;
}

// The host lies beside this library.
void StartHost() {
    WCHAR path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(gModule, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    DWORD slash = length;
    while (slash > 0 && path[slash - 1] != u'\\') --slash;
    const DWORD nameChars = sizeof kHostProgram / sizeof kHostProgram[0];
    if (slash + nameChars > MAX_PATH) return;
    std::memcpy(path + slash, kHostProgram, sizeof kHostProgram);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &process)) return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Sleep(kHostStartPause);
}

// Height negotiation: the record comes in wParam (lParam is 0), as the Today
// screen sends it; cyp is settled once per load of the item.
LRESULT QueryRefreshCache(TODAYLISTITEM* item) {
    if (!item) return 1;
    if (item->cyp != 0) return 0;
    if (mrw::handheld::IsFileUrl(gSettings.url)) {
        // No page to show: "file://" alone, or a missing file.
        if (mrw::handheld::TextLength(gSettings.url) <= 7 || LocalPageMissing()) {
            item->cyp = kMissingPageHeight;
            return 1;
        }
        if (gSettings.autoHeight == 1) {
            const DWORD height = mrw::handheld::ReadSettingsFileHeight();
            if (height != 0) {
                gSettings.height = height;
                HKEY key = nullptr;
                if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, mrw::handheld::kItemKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
                    RegSetValueExW(key, u"Height", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&height), sizeof height);
                    RegCloseKey(key);
                }
            }
        }
    }
    item->cyp = gSettings.height != 0 ? gSettings.height : mrw::handheld::kDefaultHeight;
    return 1;
}

LRESULT EraseBackground(HWND window, HDC dc) {
    TODAYDRAWWATERMARKINFO info = {};
    info.hdc = dc;
    GetClientRect(window, &info.rc);
    info.hwnd = window;
    SendMessageW(GetParent(window), TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info));
    return 1;
}

void Paint(HWND window) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(window, &paint);
    if (dc) {
        if (gIcon) DrawIcon(dc, 2, 0, gIcon);
        const COLORREF text =
            static_cast<COLORREF>(SendMessageW(GetParent(window), TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
        SetTextColor(dc, text);
        SetBkMode(dc, TRANSPARENT);
        RECT rect = {};
        GetClientRect(window, &rect);
        rect.left += 30;
        DrawTextW(dc, kItemText, -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        EndPaint(window, &paint);
    }
}

LRESULT ItemWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        // The host's container ends the host when it closes.
        if (HWND container = GetWindow(window, GW_CHILD)) SendMessageW(container, WM_CLOSE, 0, 0);
        return 0;
    case WM_TODAYCUSTOM_CLEARCACHE:
        return 0;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
        return QueryRefreshCache(reinterpret_cast<TODAYLISTITEM*>(wParam));
    case WM_ERASEBKGND:
        return EraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
        Paint(window);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Loads the icon and the class name (string 2) and registers the item's
// window class, unregistering any earlier one of that name first.
void SetUpWindowClass() {
    if (!gIcon)
        gIcon = static_cast<HICON>(LoadImageW(gModule, MAKEINTRESOURCEW(IDI_ITEM), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    if (LoadStringW(gModule, IDS_ITEM_CLASS, gClassName, kClassNameChars) <= 0) {
        gClassName[0] = 0;
        return;
    }
    UnregisterClassW(gClassName, gModule);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ItemWindowProc;
    windowClass.hInstance = gModule;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = gClassName;
    RegisterClassW(&windowClass);
}

int LibraryEntry(HINSTANCE instance, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        SetUpWindowClass();
        gItemWindow = nullptr;
    } else if (reason == DLL_PROCESS_DETACH) {
        if (gIcon) DestroyIcon(gIcon);
        gIcon = nullptr;
        if (gClassName[0] != 0) UnregisterClassW(gClassName, gModule);
        gClassName[0] = 0;
        gModule = nullptr;
    }
    return TRUE;
}

void SetDwordValue(HKEY key, const WCHAR* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void ShowDefaults(HWND dialog) {
    std::memcpy(gSettings.url, mrw::handheld::kDefaultUrl, sizeof mrw::handheld::kDefaultUrl);
    SetDlgItemTextW(dialog, IDC_ITEM_URL, gSettings.url);
    gSettings.autoHeight = 1;
    CheckDlgButton(dialog, IDC_ITEM_AUTOHEIGHT, BST_CHECKED);
}

void SaveOptions(HWND dialog) {
    // The whole 510-byte buffer is written; zero-filled first so that no
    // earlier address shows behind the terminator.
    std::memset(gSettings.url, 0, sizeof gSettings.url);
    GetDlgItemTextW(dialog, IDC_ITEM_URL, gSettings.url, mrw::handheld::kUrlChars);
    gSettings.url[mrw::handheld::kUrlChars - 1] = 0;
    BOOL valid = FALSE;
    const UINT number = GetDlgItemInt(dialog, IDC_ITEM_HEIGHT, &valid, FALSE);
    if (valid) gSettings.height = number;
    gSettings.autoHeight = IsDlgButtonChecked(dialog, IDC_ITEM_AUTOHEIGHT) == BST_CHECKED ? 1 : 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, mrw::handheld::kItemKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegSetValueExW(key, u"URL", 0, REG_SZ, reinterpret_cast<const BYTE*>(gSettings.url), sizeof gSettings.url);
        SetDwordValue(key, u"Height", valid ? number : 0);
        SetDwordValue(key, u"AutoHeight", gSettings.autoHeight);
        RegCloseKey(key);
    }
}

}  // namespace

// Ordinal 240: the item window, or null for a disabled item.
extern "C" HWND InitializeCustomItem(TODAYLISTITEM* item, HWND parent) {
    if (item && !item->fEnabled) return nullptr;
    // Where the loader attaches the library before the layer knows it (the
    // windows build), its resources are read here instead.
    if (gClassName[0] == 0) SetUpWindowClass();
    mrw::handheld::ReadItemSettings(gSettings);
    gItemWindow = CreateWindowExW(0, gClassName, gClassName, WS_CHILD | WS_VISIBLE | WS_TABSTOP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 240, 0, parent, nullptr, gModule, nullptr);
    if (!LocalPageMissing()) StartHost();
    return gItemWindow;
}

// Ordinal 241: the options dialog (dialog 500).
extern "C" BOOL CustomItemOptionsDlgProc(HWND dialog, UINT message, UINT wParam, LONG) {
    switch (message) {
    case WM_INITDIALOG: {
        SHINITDLGINFO info = {};
        info.dwMask = SHIDIM_FLAGS;
        info.hDlg = dialog;
        info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
        SHInitDialog(&info);
        mrw::handheld::ReadItemSettings(gSettings);
        SetDlgItemTextW(dialog, IDC_ITEM_URL, gSettings.url);
        SetDlgItemInt(dialog, IDC_ITEM_HEIGHT, gSettings.height, FALSE);
        CheckDlgButton(dialog, IDC_ITEM_AUTOHEIGHT, gSettings.autoHeight != 0 ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ITEM_DEFAULTS) {
            ShowDefaults(dialog);
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {
            SaveOptions(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

MRW_CE_LIBRARY_ENTRY(LibraryEntry)
MRW_CE_ORDINAL_EXPORT(240, InitializeCustomItem)
MRW_CE_ORDINAL_EXPORT(241, CustomItemOptionsDlgProc)
