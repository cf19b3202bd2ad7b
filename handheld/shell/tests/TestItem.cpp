// A tiny Today item for the shell's tests: its band height comes from the
// "TestHeight" value of its key, and with "TestHost" 1 it starts the test
// host, which puts an HTML view below the item's window.
#include "handheld/ce/Ce.h"

using namespace mrw::ce;

namespace {

constexpr char16_t kClass[] = u"ShellTestItem";
HINSTANCE g_module = nullptr;

LRESULT ItemProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TODAYCUSTOM_QUERYREFRESHCACHE: {
            // The record comes in wParam; lParam is reserved.
            auto* record = reinterpret_cast<TODAYLISTITEM*>(wParam);
            if (!record || lParam != 0) return 1;
            if (record->cyp != 0) return 0;
            record->cyp = DWORD(GetWindowLongW(window, GWL_USERDATA));
            return 1;
        }
        case WM_DESTROY:
            if (HWND child = GetWindow(window, GW_CHILD)) SendMessageW(child, WM_CLOSE, 0, 0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD ReadDword(const WCHAR* item, const char16_t* name) {
    HKEY items = nullptr, key = nullptr;
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Today\\Items", 0, KEY_READ, &items) == 0) {
        if (RegOpenKeyExW(items, item, 0, KEY_READ, &key) == 0) {
            RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
            RegCloseKey(key);
        }
        RegCloseKey(items);
    }
    return value;
}

}  // namespace

extern "C" HWND InitializeItem(TODAYLISTITEM* record, HWND parent) {
    if (record && !record->fEnabled) return nullptr;
    HWND window = CreateWindowExW(0, kClass, u"TESTITEM", WS_CHILD | WS_VISIBLE, 0, 0, 240, 0, parent, nullptr,
                                  g_module, nullptr);
    if (!window || !record) return window;
    SetWindowLongW(window, GWL_USERDATA, LONG(ReadDword(record->szName, u"TestHeight")));
    if (ReadDword(record->szName, u"TestHost") == 1) {
        PROCESS_INFORMATION process{};
        if (CreateProcessW(u"\\Windows\\testhost.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           nullptr, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            Sleep(2000);
        }
    }
    return window;
}

namespace {

int Entry(HINSTANCE instance, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &ItemProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kClass;
        RegisterClassW(&windowClass);
    } else if (reason == DLL_PROCESS_DETACH) {
        UnregisterClassW(kClass, g_module);
    }
    return 1;
}

}  // namespace

MRW_CE_LIBRARY_ENTRY(Entry)
MRW_CE_ORDINAL_EXPORT(240, InitializeItem)
