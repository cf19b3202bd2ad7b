// Dialogs from the resource templates of a module, the layer's controls
// (static, edit, button) and the Dlg* calls; also driving a dialog from
// outside (Inspect.h).
#include <cstring>

#include "handheld/ce/CeResources.h"
#include "handheld/ce/Kernel.h"

namespace mrw::ce {
namespace kernel {
namespace {

constexpr UINT kEnChange = 0x0300;
constexpr UINT kDefaultTextLimit = 30000;
constexpr DWORD kButtonTypeMask = 0x000F;

// Dialog units to pixels, for the device's system font.
int DluX(int v) { return v * 3 / 2; }
int DluY(int v) { return v * 13 / 8; }

WPARAM CommandParam(int id, UINT code) {
    return static_cast<WPARAM>((static_cast<DWORD>(id) & 0xFFFF) | ((code & 0xFFFF) << 16));
}

void NotifyParent(HWND control, UINT code) {
    HWND parent = GetParent(control);
    if (parent) SendMessageW(parent, WM_COMMAND, CommandParam(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

void PaintOwnText(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    std::u16string text;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        if (Window* w = FindWindowLocked(window)) text = w->title;
    }
    RECT r;
    GetClientRect(window, &r);
    if (!text.empty()) DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_NOPREFIX);
    EndPaint(window, &ps);
}

LRESULT StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PaintOwnText(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR: {
        auto c = static_cast<char16_t>(wParam);
        {
            std::lock_guard<std::mutex> lock(K().mutex);
            Window* w = FindWindowLocked(window);
            if (!w) return 0;
            if (c == 8) {
                if (w->title.empty()) return 0;
                w->title.pop_back();
            } else {
                if (c < 0x20) return 0;
                if ((w->style & ES_NUMBER) && (c < u'0' || c > u'9')) return 0;
                UINT limit = w->textLimit ? w->textLimit : kDefaultTextLimit;
                if (w->title.size() >= limit) return 0;
                w->title.push_back(c);
            }
            w->invalid = true;
        }
        NotifyParent(window, kEnChange);
        return 0;
    }
    case EM_LIMITTEXT: {
        std::lock_guard<std::mutex> lock(K().mutex);
        if (Window* w = FindWindowLocked(window)) w->textLimit = static_cast<UINT>(wParam);
        return 0;
    }
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, TRUE);
        NotifyParent(window, kEnChange);
        return r;
    }
    case WM_PAINT:
        PaintOwnText(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BM_GETCHECK: {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        return w ? w->check : 0;
    }
    case BM_SETCHECK: {
        std::lock_guard<std::mutex> lock(K().mutex);
        if (Window* w = FindWindowLocked(window)) {
            w->check = static_cast<UINT>(wParam);
            w->invalid = true;
        }
        return 0;
    }
    case BM_CLICK: {
        {
            std::lock_guard<std::mutex> lock(K().mutex);
            Window* w = FindWindowLocked(window);
            if (!w || (w->style & WS_DISABLED)) return 0;
            if ((w->style & kButtonTypeMask) == BS_AUTOCHECKBOX) w->check = w->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        }
        NotifyParent(window, BN_CLICKED);
        return 0;
    }
    case WM_PAINT:
        PaintOwnText(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DLGPROC proc = nullptr;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        if (w && w->dialog) proc = w->dialog->proc;
    }
    if (proc) {
        BOOL handled = proc(window, message, wParam, lParam);
        if (message == WM_INITDIALOG) return handled;
        if (handled) {
            std::lock_guard<std::mutex> lock(K().mutex);
            Window* w = FindWindowLocked(window);
            return w && w->dialog ? w->dialog->msgResult : handled;
        }
    }
    switch (message) {
    case WM_CLOSE:
        // As the platform's dialogs do: closing means Cancel.
        SendMessageW(window, WM_COMMAND, CommandParam(IDCANCEL, BN_CLICKED), 0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void AddSystemClassLocked(const char16_t* name, WNDPROC proc, HBRUSH background) {
    auto cls = std::make_shared<WindowClass>();
    cls->name = name;
    cls->wc.lpfnWndProc = proc;
    cls->wc.hbrBackground = background;
    cls->system = true;
    cls->atom = K().nextAtom++;
    K().classes.push_back(cls);
}

HWND CreateDialogFromTemplate(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC dialogProc,
                              LPARAM initParam, bool modal) {
    const std::uint8_t* data;
    std::size_t size;
    resources::Entry entry;
    resources::DialogTemplate tpl;
    if (!IS_INTRESOURCE(templateName) || !ModuleResources(instance, data, size) ||
        !resources::Find(data, size, resources::kDialog, LOWORD(reinterpret_cast<std::uintptr_t>(templateName)), entry) ||
        !resources::ParseDialog(data, size, entry, tpl)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    bool visible = (tpl.style & WS_VISIBLE) != 0;
    HWND dialog = CreateWindowExW(tpl.exStyle, u"Dialog", tpl.title.c_str(), tpl.style & ~WS_VISIBLE, DluX(tpl.x),
                                  DluY(tpl.y), DluX(tpl.cx), DluY(tpl.cy), parent, nullptr, instance, nullptr);
    if (!dialog) return nullptr;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(dialog);
        if (!w) return nullptr;
        w->dialog = std::make_unique<DialogState>();
        w->dialog->proc = dialogProc;
        w->dialog->modal = modal;
    }
    HWND firstTab = nullptr;
    for (const auto& c : tpl.controls) {
        HWND control = CreateWindowExW(c.exStyle, c.className.c_str(), c.text.c_str(), c.style | WS_CHILD, DluX(c.x),
                                       DluY(c.y), DluX(c.cx), DluY(c.cy), dialog,
                                       reinterpret_cast<HMENU>(static_cast<std::intptr_t>(c.id)), instance, nullptr);
        if (!control) {
            DestroyWindow(dialog);
            return nullptr;
        }
        if (!firstTab && (c.style & WS_TABSTOP)) firstTab = control;
    }
    CallWindowProcHere(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTab), initParam);
    if (IsWindow(dialog) && (visible || modal)) ShowWindow(dialog, SW_SHOW);
    return IsWindow(dialog) ? dialog : nullptr;
}

}  // namespace

void RegisterSystemClassesLocked() {
    AddSystemClassLocked(u"Static", StaticProc, nullptr);
    AddSystemClassLocked(u"Edit", EditProc, nullptr);
    AddSystemClassLocked(u"Button", ButtonProc, nullptr);
    AddSystemClassLocked(u"Dialog", DialogProc, GetSysColorBrush(COLOR_WINDOW));
}

}  // namespace kernel

using namespace kernel;

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam) {
    return CreateDialogFromTemplate(instance, templateName, parent, dialogProc, initParam, false);
}

int DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam) {
    HWND dialog = CreateDialogFromTemplate(instance, templateName, parent, dialogProc, initParam, true);
    if (!dialog) return -1;
    int result = 0;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(K().mutex);
            Window* w = FindWindowLocked(dialog);
            if (!w || !w->dialog) break;
            if (w->dialog->ended) {
                result = w->dialog->result;
                break;
            }
        }
        MSG m;
        if (!GetMessageW(&m, nullptr, 0, 0)) {
            // Leave the quit request for the caller's own loop.
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        DispatchMessageW(&m);
    }
    if (IsWindow(dialog)) DestroyWindow(dialog);
    return result;
}

BOOL EndDialog(HWND dialog, int result) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(dialog);
    if (!w || !w->dialog) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->dialog->ended = true;
    w->dialog->result = result;
    w->style &= ~WS_VISIBLE;
    // Wake the modal loop of the dialog's thread.
    MSG wake{};
    wake.hwnd = dialog;
    wake.message = WM_NULL;
    w->owner->posted.push_back(wake);
    K().changed.notify_all();
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(dialog);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (std::uintptr_t child : w->children) {
        Window* c = FindWindowLocked(ToHwnd(child));
        if (c && c->controlId == id) return ToHwnd(child);
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

int GetDlgCtrlID(HWND window) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    return w ? w->controlId : 0;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowTextW(control, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int size) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) {
        if (text && size > 0) text[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(control, text, size));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    std::string digits = isSigned ? std::to_string(static_cast<INT>(value)) : std::to_string(value);
    std::u16string text(digits.begin(), digits.end());
    return SetDlgItemTextW(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated) *translated = FALSE;
    WCHAR buffer[64];
    if (!GetDlgItemTextW(dialog, id, buffer, 64) && !GetDlgItem(dialog, id)) return 0;
    std::u16string text = buffer;
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (isSigned && i < text.size() && text[i] == u'-') {
        negative = true;
        ++i;
    }
    if (i >= text.size()) return 0;
    unsigned long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return 0;
        value = value * 10 + static_cast<unsigned>(text[i] - u'0');
        if (value > (isSigned ? 0x80000000ull : 0xFFFFFFFFull)) return 0;
    }
    if (isSigned && !negative && value > 0x7FFFFFFFull) return 0;
    if (translated) *translated = TRUE;
    return negative ? static_cast<UINT>(-static_cast<long long>(value)) : static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return FALSE;
    SendMessageW(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(SendMessageW(control, BM_GETCHECK, 0, 0)) : 0;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageW(control, message, wParam, lParam) : 0;
}

BOOL SHInitDialog(SHINITDLGINFO* info) {
    if (!info) return FALSE;
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(info->hDlg);
    if (!w || !w->dialog) return FALSE;
    w->dialog->shInitCalled = true;
    w->dialog->shInitFlags = (info->dwMask & SHIDIM_FLAGS) ? info->dwFlags : 0;
    return TRUE;
}

// ---- Inspect ----

HWND FindDialog(const std::u16string& title) {
    std::lock_guard<std::mutex> lock(K().mutex);
    for (std::uintptr_t id : K().topLevel) {
        Window* w = FindWindowLocked(ToHwnd(id));
        if (!w || !w->dialog || w->destroying || w->dialog->ended) continue;
        if (title.empty() || w->title == title) return ToHwnd(id);
    }
    return nullptr;
}

std::u16string ControlText(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(control);
    return w ? w->title : std::u16string();
}

bool TypeText(HWND dialog, int controlId, const std::u16string& text) {
    HWND control = GetDlgItem(dialog, controlId);
    if (!control) return false;
    QuietSends quiet;
    static const WCHAR kEmpty[1] = {0};
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kEmpty));
    for (char16_t c : text) SendMessageW(control, WM_CHAR, c, 1);
    return true;
}

bool PressButton(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    if (!control) return false;
    QuietSends quiet;
    SendMessageW(control, BM_CLICK, 0, 0);
    return true;
}

bool ShInitDialogFlags(HWND dialog, DWORD& flags) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(dialog);
    if (!w || !w->dialog || !w->dialog->shInitCalled) return false;
    flags = w->dialog->shInitFlags;
    return true;
}

}  // namespace mrw::ce
