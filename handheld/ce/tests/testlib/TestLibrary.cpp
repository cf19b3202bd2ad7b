// A handheld library for the layer's tests: an entry, an export by ordinal
// only, named exports and a dialog template in its resources.
#include "handheld/ce/Ce.h"
#include "TestLibrary.h"

using namespace mrw::ce;

namespace {
int attached = 0;

int Entry(HINSTANCE, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) ++attached;
    return TRUE;
}

int TestAddImpl(int a, int b) { return a + b; }
}  // namespace

MRW_CE_LIBRARY_ENTRY(Entry)

extern "C" int TestAdd(int a, int b) { return TestAddImpl(a, b); }
MRW_CE_ORDINAL_EXPORT(240, TestAdd)

extern "C" MRW_CE_NAMED_EXPORT int TestAttachCount() { return attached; }

// Shows a number field (ES_NUMBER), a name and a check box; OK ends the
// dialog with number * 10 + check.
extern "C" MRW_CE_NAMED_EXPORT BOOL TestOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        SHINITDLGINFO info{SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
        SHInitDialog(&info);
        SetDlgItemTextW(dialog, IDC_NAME, u"hello");
        SetDlgItemInt(dialog, IDC_NUMBER, 7, FALSE);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            BOOL ok = FALSE;
            UINT n = GetDlgItemInt(dialog, IDC_NUMBER, &ok, FALSE);
            EndDialog(dialog, static_cast<int>(n * 10 + IsDlgButtonChecked(dialog, IDC_CHECK)));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
