// Painting into recording device contexts: each BeginPaint/GetDC gets a
// context that records the text, icons and rectangles drawn, and EndPaint/
// ReleaseDC keep the record as the window's last painting (Inspect.h).
#include <algorithm>

#include "handheld/ce/Kernel.h"

namespace mrw::ce {
namespace kernel {
namespace {

// Stock brushes and system colour brushes are fixed handle values; solid
// brushes made by CreateSolidBrush live in the kernel's brush table.
constexpr std::uintptr_t kStockBase = 0x100;
constexpr std::uintptr_t kSysColourBase = 0x200;
constexpr std::uintptr_t kNullBrush = kStockBase + NULL_BRUSH;

COLORREF SysColour(int index) {
    switch (index) {
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
        return RGB(0, 0, 0);
    default:
        return RGB(192, 192, 192);
    }
}

bool BrushColourLocked(HBRUSH brush, COLORREF& colour, bool& isNull) {
    auto value = reinterpret_cast<std::uintptr_t>(brush);
    isNull = false;
    if (value == kNullBrush) {
        isNull = true;
        colour = 0;
        return true;
    }
    if (value >= kStockBase && value < kStockBase + 8) {
        int shade = static_cast<int>(value - kStockBase);  // WHITE 0, LTGRAY 1, GRAY 2, DKGRAY 3, BLACK 4
        static const BYTE kShades[] = {255, 192, 128, 64, 0};
        BYTE s = shade < 5 ? kShades[shade] : 0;
        colour = RGB(s, s, s);
        return true;
    }
    if (value >= kSysColourBase && value < kSysColourBase + 64) {
        colour = SysColour(static_cast<int>(value - kSysColourBase));
        return true;
    }
    auto it = K().brushes.find(value);
    if (it == K().brushes.end()) return false;
    colour = it->second;
    return true;
}

DeviceContext* FindDcLocked(HDC dc) {
    auto it = K().dcs.find(reinterpret_cast<std::uintptr_t>(dc));
    return it == K().dcs.end() ? nullptr : &it->second;
}

HDC NewDcLocked(std::uintptr_t window, bool fromBeginPaint) {
    std::uintptr_t value = K().nextGdi;
    K().nextGdi += 4;
    DeviceContext& dc = K().dcs[value];
    dc.window = window;
    dc.fromBeginPaint = fromBeginPaint;
    return reinterpret_cast<HDC>(value);
}

void CloseDcLocked(HDC handle) {
    auto it = K().dcs.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == K().dcs.end()) return;
    Window* w = FindWindowLocked(ToHwnd(it->second.window));
    if (w) w->lastPaint = std::move(it->second.records);
    K().dcs.erase(it);
}

}  // namespace
}  // namespace kernel

using namespace kernel;

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    HDC dc;
    bool erase;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        erase = w->erase;
        w->invalid = false;
        w->erase = false;
        dc = NewDcLocked(w->id, true);
        K().changed.notify_all();
    }
    BOOL erased = FALSE;
    if (erase) erased = SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? TRUE : FALSE;
    if (paint) {
        *paint = PAINTSTRUCT{};
        paint->hdc = dc;
        paint->fErase = erase && !erased;
        GetClientRect(window, &paint->rcPaint);
    }
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (!paint) return FALSE;
    std::lock_guard<std::mutex> lock(K().mutex);
    CloseDcLocked(paint->hdc);
    return TRUE;
}

HDC GetDC(HWND window) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = window ? FindWindowLocked(window) : nullptr;
    if (window && !w) return nullptr;
    return NewDcLocked(w ? w->id : 0, false);
}

int ReleaseDC(HWND, HDC dc) {
    std::lock_guard<std::mutex> lock(K().mutex);
    if (!FindDcLocked(dc)) return 0;
    CloseDcLocked(dc);
    return 1;
}

HGDIOBJ GetStockObject(int object) {
    if (object < 0 || object > 7) return nullptr;
    return reinterpret_cast<HGDIOBJ>(kStockBase + static_cast<std::uintptr_t>(object));
}

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index >= 64) return nullptr;
    return reinterpret_cast<HBRUSH>(kSysColourBase + static_cast<std::uintptr_t>(index));
}

DWORD GetSysColor(int index) { return SysColour(index); }

HBRUSH CreateSolidBrush(COLORREF colour) {
    std::lock_guard<std::mutex> lock(K().mutex);
    std::uintptr_t value = K().nextGdi;
    K().nextGdi += 4;
    K().brushes[value] = colour & 0xFFFFFF;
    return reinterpret_cast<HBRUSH>(value);
}

BOOL DeleteObject(HGDIOBJ object) {
    std::lock_guard<std::mutex> lock(K().mutex);
    auto value = reinterpret_cast<std::uintptr_t>(object);
    if (value >= kStockBase && value < kSysColourBase + 64) return TRUE;  // stock objects stay
    return K().brushes.erase(value) ? TRUE : FALSE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    std::lock_guard<std::mutex> lock(K().mutex);
    DeviceContext* d = FindDcLocked(dc);
    COLORREF colour;
    bool isNull;
    if (!d || !rect || !BrushColourLocked(brush, colour, isNull)) return 0;
    PaintRecord r;
    r.kind = PaintRecord::Kind::kFill;
    r.rect = *rect;
    r.colour = colour;
    r.nullBrush = isNull;
    d->records.push_back(r);
    return 1;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    std::lock_guard<std::mutex> lock(K().mutex);
    DeviceContext* d = FindDcLocked(dc);
    if (!d) return 0xFFFFFFFF;
    COLORREF old = d->textColour;
    d->textColour = colour;
    return old;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    std::lock_guard<std::mutex> lock(K().mutex);
    DeviceContext* d = FindDcLocked(dc);
    if (!d) return 0xFFFFFFFF;
    COLORREF old = d->backColour;
    d->backColour = colour;
    return old;
}

int SetBkMode(HDC dc, int mode) {
    std::lock_guard<std::mutex> lock(K().mutex);
    DeviceContext* d = FindDcLocked(dc);
    if (!d || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int old = d->backMode;
    d->backMode = mode;
    return old;
}

namespace {
constexpr int kLineHeight = 16;

void RecordTextLocked(DeviceContext& d, const std::u16string& text, const RECT& rect, UINT format) {
    PaintRecord r;
    r.kind = PaintRecord::Kind::kText;
    r.text = text;
    r.rect = rect;
    r.format = format;
    r.colour = d.textColour;
    r.backColour = d.backColour;
    r.backMode = d.backMode;
    d.records.push_back(r);
}
}  // namespace

int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format) {
    if (!text || !rect) return 0;
    std::u16string t = length < 0 ? std::u16string(text) : std::u16string(text, static_cast<std::size_t>(length));
    std::lock_guard<std::mutex> lock(K().mutex);
    DeviceContext* d = FindDcLocked(dc);
    if (!d) return 0;
    RecordTextLocked(*d, t, *rect, format);
    int lines = 1;
    if (!(format & DT_SINGLELINE)) lines += static_cast<int>(std::count(t.begin(), t.end(), u'\n'));
    return lines * kLineHeight;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT, const RECT* rect, LPCWSTR text, UINT length, const int*) {
    std::u16string t = text ? std::u16string(text, length) : std::u16string();
    std::lock_guard<std::mutex> lock(K().mutex);
    DeviceContext* d = FindDcLocked(dc);
    if (!d) return FALSE;
    RECT r = rect ? *rect : RECT{x, y, x, y};
    r.left = x;
    r.top = y;
    RecordTextLocked(*d, t, r, 0);
    return TRUE;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT, HBRUSH, UINT) {
    std::lock_guard<std::mutex> lock(K().mutex);
    DeviceContext* d = FindDcLocked(dc);
    auto it = K().icons.find(reinterpret_cast<std::uintptr_t>(icon));
    if (!d || it == K().icons.end()) return FALSE;
    if (width == 0) width = it->second.width;
    if (height == 0) height = it->second.height;
    PaintRecord r;
    r.kind = PaintRecord::Kind::kIcon;
    r.rect = RECT{x, y, x + width, y + height};
    r.iconId = it->second.id;
    d->records.push_back(r);
    return TRUE;
}

std::vector<PaintRecord> LastPaint(HWND window) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    return w ? w->lastPaint : std::vector<PaintRecord>();
}

}  // namespace mrw::ce
