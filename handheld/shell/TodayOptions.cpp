// The Today settings' options page of one item: its dialog 500 with the
// item's procedure 241, driven as a person would: shown, read, then the
// "Default Values" button, the fields typed, and OK.
#include <algorithm>

#include "base/TextEncoding.h"
#include "handheld/shell/ShellParts.h"

namespace mrw::shell {

using namespace mrw::ce;

namespace {

constexpr char16_t kOptionsImage[] = u"\\Windows\\ctlpnl.exe";
constexpr int kUrlField = 1000;
constexpr int kHeightField = 1001;
constexpr int kAutoCheck = 1002;
constexpr int kDefaultsButton = 1003;
constexpr int kFieldChars = 512;

struct OptionsJob {
    std::u16string itemName;
    TodayOptionsInput input;
    TodayOptionsShown shown;
    std::string error;
    bool ok = false;
};
OptionsJob* g_job = nullptr;  // one options page at a time (StartPartAndWait runs one part at a time)
PFNCUSTOMOPTIONSDLGPROC g_itemProc = nullptr;

// The item's procedure has the 32-bit parameters of its platform.
BOOL OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g_itemProc) return FALSE;
    return g_itemProc(dialog, message, UINT(wParam), LONG(lParam));
}

std::u16string FieldText(HWND dialog, int id) {
    WCHAR buffer[kFieldChars] = {};
    const UINT length = GetDlgItemTextW(dialog, id, buffer, kFieldChars);
    return std::u16string(buffer, std::min<UINT>(length, kFieldChars - 1));
}

void Press(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, WPARAM(id) | (WPARAM(BN_CLICKED) << 16),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool ShowOptions(OptionsJob& job) {
    HKEY items = nullptr, key = nullptr;
    std::u16string dll;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, parts::kItemsKey, 0, KEY_READ, &items) == ERROR_SUCCESS) {
        if (RegOpenKeyExW(items, job.itemName.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            parts::QueryText(key, u"DLL", MAX_PATH, dll);
            RegCloseKey(key);
        }
        RegCloseKey(items);
    }
    const std::string item = text::Utf16ToUtf8(job.itemName);
    if (dll.empty()) {
        job.error = "the Today item \"" + item + "\" has no \"DLL\" value";
        return false;
    }
    HMODULE module = LoadLibraryW(dll.c_str());
    if (!module) {
        job.error = "the library " + text::Utf16ToUtf8(dll) + " cannot be loaded";
        return false;
    }
    g_itemProc = parts::ProcAs<PFNCUSTOMOPTIONSDLGPROC>(
        GetProcAddressW(module, MAKEINTRESOURCEW(ORDINAL_OPTIONSDIALOGPROC)));
    HWND dialog = g_itemProc ? CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_TODAY_CUSTOM), nullptr,
                                                  &OptionsDialogProc, 0)
                             : nullptr;
    if (!dialog) {
        job.error = g_itemProc ? "the options dialog of " + text::Utf16ToUtf8(dll) + " cannot be made"
                               : text::Utf16ToUtf8(dll) + " has no options procedure (ordinal 241)";
        g_itemProc = nullptr;
        FreeLibrary(module);
        return false;
    }
    job.shown.url = FieldText(dialog, kUrlField);
    job.shown.height = FieldText(dialog, kHeightField);
    job.shown.autoHeight = IsDlgButtonChecked(dialog, kAutoCheck) == BST_CHECKED;

    const TodayOptionsInput& input = job.input;
    if (input.defaults) Press(dialog, kDefaultsButton);
    if (input.setUrl) SetDlgItemTextW(dialog, kUrlField, input.url.c_str());
    if (input.setHeight) SetDlgItemTextW(dialog, kHeightField, input.height.c_str());
    if (input.setAuto) CheckDlgButton(dialog, kAutoCheck, input.autoHeight ? BST_CHECKED : BST_UNCHECKED);
    // OK is the title bar's done button: no control of the template.
    SendMessageW(dialog, WM_COMMAND, WPARAM(IDOK), 0);
    if (IsWindow(dialog)) DestroyWindow(dialog);
    g_itemProc = nullptr;
    FreeLibrary(module);
    return true;
}

int OptionsMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    if (g_job) g_job->ok = ShowOptions(*g_job);
    parts::SignalPartReady();
    return 0;
}

}  // namespace

bool RunTodayOptions(const std::u16string& itemName, const TodayOptionsInput& input, TodayOptionsShown& shown,
                     std::string& error) {
    OptionsJob job;
    job.itemName = itemName;
    job.input = input;
    g_job = &job;
    HANDLE process = parts::StartPartAndWait(kOptionsImage, &OptionsMain, std::u16string());
    if (process) {
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
    g_job = nullptr;
    if (!process) {
        error = "the options page cannot be started";
        return false;
    }
    if (!job.ok) {
        error = job.error;
        return false;
    }
    shown = job.shown;
    return true;
}

}  // namespace mrw::shell
