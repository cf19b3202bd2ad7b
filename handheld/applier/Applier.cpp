#include "handheld/applier/Applier.h"

#include <string>

#include "handheld/ce/Ce.h"

namespace mrw::applier {

using namespace mrw::ce;

const WCHAR* const kColourValueNames[kColourValueCount] = {
    u"4", u"5", u"6", u"7", u"8", u"9", u"10", u"11", u"12", u"13", u"14",
    u"25", u"26", u"15", u"16", u"27", u"28", u"36", u"37", u"38", u"39", u"40",
};

namespace {

constexpr WCHAR kInstallerOptions[] = u"/safe /noui /nouninstall /delete 0 ";

// Creates the file anew, empty. Failure is ignored, as for every file step.
void EmptyFile(const WCHAR* path) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

void SetDword(HKEY key, const WCHAR* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void ClearPreviousTheme() {
    EmptyFile(u"\\windows\\stwater.gif");
    EmptyFile(u"\\windows\\tdywater.gif");
    EmptyFile(u"\\windows\\vx5n.swf");

    DeleteFileW(u"\\windows\\vx5n.swf.~bk");
    SetFileAttributesW(u"\\windows\\vx5n.swf", FILE_ATTRIBUTE_NORMAL);
    MoveFileW(u"\\windows\\vx5n.swf", u"\\windows\\vx5n.swf.~bk");
    DeleteFileW(u"\\windows\\vx5n.swf.~bk");

    EmptyFile(u"\\windows\\vx5n.htm");
    DeleteFileW(u"\\windows\\vx5n.htm.~bk");
    SetFileAttributesW(u"\\windows\\vx5n.htm", FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(u"\\windows\\vx5n.htm");
    MoveFileW(u"\\windows\\vx5n.htm", u"\\windows\\vx5n.htm.~bk");
    DeleteFileW(u"\\windows\\vx5n.htm.~bk");

    SetFileAttributesW(u"\\windows\\activetdy.gif", FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(u"\\windows\\activetdy.gif");
    SetFileAttributesW(u"\\windows\\pfButtons.btn", FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(u"\\windows\\pfButtons.btn");
    DeleteFileW(u"\\windows\\taskbar.gif");
}

void RecordTheme(const std::u16string& path) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\NOVOSEC\\PocketFacelift", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition) == ERROR_SUCCESS) {
        SetDword(key, u"SuperTheme", 1);
        RegCloseKey(key);
    }
    if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Microsoft\\Today", 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        // The path with its terminating zero.
        RegSetValueExW(key, u"Skin", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(WCHAR)));
        SetDword(key, u"UseStartImage", 0);
        RegCloseKey(key);
    }
    // The handheld falls back to its built-in colours unless the package
    // sets them again.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Color", 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        for (const WCHAR* name : kColourValueNames) RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
}

// Starts the program and waits for it to end; false when it did not start.
bool RunAndWait(const WCHAR* image, const std::u16string& commandLine) {
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(image, commandLine.c_str(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

void ReloadTodayScreen() {
    if (HWND today = FindWindowW(u"DesktopExplorerWindow", nullptr))
        SendMessageW(today, WM_WININICHANGE, kTodayReloadCode, 0);
}

}  // namespace

int SarnickMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    const std::u16string path = commandLine ? std::u16string(commandLine) : std::u16string();
    if (!path.empty()) {
        ClearPreviousTheme();
        RecordTheme(path);
        const std::u16string quoted = u"\"" + path + u"\"";
        if (!RunAndWait(u"\\Windows\\pfaceTSKLoad", quoted) &&
            !RunAndWait(u"\\Windows\\WCEload", kInstallerOptions + quoted))
            return -1;
    }
    ReloadTodayScreen();
    return 0;
}

}  // namespace mrw::applier
