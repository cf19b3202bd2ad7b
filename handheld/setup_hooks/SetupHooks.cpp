// mrw2Setup: the setup library of the handheld package that carries the
// Today item and its host. The cabinet installer calls its four named exports
// around installing and removing the package; they get the running Today
// item out of the way (so that its library file can be replaced or removed)
// and make the Today screen reload. On removal the user's "*.mrw" files in
// "\My documents" go too. Every export reports success.
#include <string>
#include <string_view>
#include <vector>

#include "base/AsciiText.h"
#include "handheld/ce/Ce.h"

using namespace mrw::ce;

namespace {

constexpr int kNameChars = 256;  // class names and titles: up to 255 characters
constexpr DWORD kClosePause = 1000;
constexpr WCHAR kItemKey[] = u"Software\\Microsoft\\Today\\items\\Morwen";
constexpr WCHAR kProductFolder[] = u"\\My documents";

HINSTANCE gModule = nullptr;

// The first top-level window titled exactly "Morwen" whose class is not
// "CATEGNOTIFY" (letter case ignored) gets WM_CLOSE.
BOOL CloseProductWindowProc(HWND window, LPARAM) {
    if (!IsWindow(window)) return TRUE;
    WCHAR className[kNameChars] = {};
    const int classLength = GetClassNameW(window, className, kNameChars);
    if (classLength > 0 && mrw::ascii::EqualsNoCase(std::u16string_view(className, classLength), u"CATEGNOTIFY"))
        return TRUE;
    WCHAR title[kNameChars] = {};
    const int titleLength = GetWindowTextW(window, title, kNameChars);
    if (titleLength <= 0 || std::u16string_view(title, titleLength) != u"Morwen") return TRUE;
    SendMessageW(window, WM_CLOSE, 0, 0);
    Sleep(kClosePause);
    return FALSE;
}

void CloseProductWindow() { EnumWindows(CloseProductWindowProc, 0); }

void ReloadTodayScreen() {
    if (HWND today = FindWindowW(u"DesktopExplorerWindow", nullptr))
        SendMessageW(today, WM_WININICHANGE, kTodayReloadCode, 0);
}

// Without "DLL" the Today screen drops the item and releases its library.
void UnregisterAndReloadItem() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItemKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, u"DLL");
        RegCloseKey(key);
    }
    ReloadTodayScreen();
}

// Every file matching "*.mrw" directly in the folder; folders of that name and
// files that cannot be deleted are passed over.
void DeleteProductFiles() {
    std::u16string folder = kProductFolder;
    if (folder.empty() || folder.back() != u'\\') folder += u'\\';
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + u"*.mrw").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        size_t length = 0;
        while (length < MAX_PATH && found.cFileName[length] != 0) ++length;
        names.emplace_back(found.cFileName, length);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::u16string& name : names) DeleteFileW((folder + name).c_str());
}

int LibraryEntry(HINSTANCE instance, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) gModule = instance;
    return TRUE;
}

}  // namespace

extern "C" MRW_CE_NAMED_EXPORT codeINSTALL_INIT Install_Init(HWND, BOOL, BOOL, LPCWSTR) {
    CloseProductWindow();
    UnregisterAndReloadItem();
    return codeINSTALL_INIT_CONTINUE;
}

extern "C" MRW_CE_NAMED_EXPORT codeINSTALL_EXIT Install_Exit(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD) {
    ReloadTodayScreen();
    return codeINSTALL_EXIT_DONE;
}

extern "C" MRW_CE_NAMED_EXPORT codeUNINSTALL_INIT Uninstall_Init(HWND, LPCWSTR) {
    DeleteProductFiles();
    CloseProductWindow();
    UnregisterAndReloadItem();
    return codeUNINSTALL_INIT_CONTINUE;
}

extern "C" MRW_CE_NAMED_EXPORT codeUNINSTALL_EXIT Uninstall_Exit(HWND) { return codeUNINSTALL_EXIT_DONE; }

MRW_CE_LIBRARY_ENTRY(LibraryEntry)
