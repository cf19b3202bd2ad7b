// Looking into the booted device from outside: what a window painted last,
// and driving a dialog as a person would (read a field, type into it, press a
// button). Tests and `mrw device` commands use these; handheld programs never
// do. Everything goes through the CE calls where it can, so a dialog driven
// from here sees the same messages as one driven by hand.
#pragma once
#include <string>
#include <vector>

#include "handheld/ce/Ce.h"

namespace mrw::ce {

// One drawing operation recorded by a device context.
struct PaintRecord {
    enum class Kind { kText, kIcon, kFill } kind = Kind::kText;
    std::u16string text;   // kText
    RECT rect{};           // kText: the rectangle given (or x, y with no size); kIcon: position and size; kFill
    UINT format = 0;       // kText: DrawTextW format
    COLORREF colour = 0;   // kText: text colour; kFill: brush colour
    COLORREF backColour = 0;
    int backMode = OPAQUE;
    int iconId = 0;        // kIcon: resource id of the icon drawn
    bool nullBrush = false;  // kFill with NULL_BRUSH
};

// What the window drew between its last BeginPaint/EndPaint (or GetDC/ReleaseDC).
MRW_CE_API std::vector<PaintRecord> LastPaint(HWND window);

// Returns once every process of the device waits (for a message, an object,
// a reply or in Sleep) with nothing to do, or after timeoutMs of real time
// (false then).
MRW_CE_API bool WaitUntilIdle(DWORD timeoutMs = 10000);

// The first top-level window of the "Dialog" class whose title is title (any
// title when empty), or null.
MRW_CE_API HWND FindDialog(const std::u16string& title);
MRW_CE_API std::u16string ControlText(HWND dialog, int controlId);
// Replaces the field's text by typing: the field is emptied, then each
// character arrives as WM_CHAR (so ES_NUMBER and the text limit apply).
MRW_CE_API bool TypeText(HWND dialog, int controlId, const std::u16string& text);
// A click on the button (BM_CLICK): check boxes toggle, the dialog gets WM_COMMAND.
MRW_CE_API bool PressButton(HWND dialog, int controlId);
// The flags a dialog gave SHInitDialog; false when it never called it.
MRW_CE_API bool ShInitDialogFlags(HWND dialog, DWORD& flags);

}  // namespace mrw::ce
