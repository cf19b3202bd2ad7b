// A setup library for the installer's tests: each function answers what the
// value of its name under HKLM\Software\WceloadTest says (0 when none).
#include "handheld/ce/Ce.h"

namespace {

using namespace mrw::ce;

DWORD Answer(LPCWSTR function) {
    HKEY key = nullptr;
    DWORD answer = 0;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\WceloadTest", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD size = sizeof answer;
        DWORD type = 0;
        if (RegQueryValueExW(key, function, nullptr, &type, reinterpret_cast<BYTE*>(&answer), &size) != ERROR_SUCCESS)
            answer = 0;
        RegCloseKey(key);
    }
    return answer;
}

int Entry(HINSTANCE, DWORD) { return TRUE; }

}  // namespace

MRW_CE_LIBRARY_ENTRY(Entry)

extern "C" MRW_CE_NAMED_EXPORT codeINSTALL_INIT Install_Init(HWND, BOOL, BOOL, LPCWSTR) {
    return static_cast<codeINSTALL_INIT>(Answer(u"Install_Init"));
}
extern "C" MRW_CE_NAMED_EXPORT codeINSTALL_EXIT Install_Exit(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD) {
    return static_cast<codeINSTALL_EXIT>(Answer(u"Install_Exit"));
}
extern "C" MRW_CE_NAMED_EXPORT codeUNINSTALL_INIT Uninstall_Init(HWND, LPCWSTR) {
    return static_cast<codeUNINSTALL_INIT>(Answer(u"Uninstall_Init"));
}
extern "C" MRW_CE_NAMED_EXPORT codeUNINSTALL_EXIT Uninstall_Exit(HWND) { return codeUNINSTALL_EXIT_DONE; }
