// The window side of a skin: what the skin and its elements ask of the window
// that shows them (posting messages, mouse capture, timers, repainting, the
// text hook). The windows editor implements it with a real window; tests
// implement it with a recorder.
#pragma once
#include <cstdint>
#include <string>

namespace mrw {

// Messages and numbers the elements use, with the platform's values.
enum : unsigned {
    kWmCommand = 0x0111,          // wParam = command number, lParam 0
    kSkinActionMessage = 0x040E,  // WM_USER + 14: wParam kind (below), lParam character or action text
    kSkinToolTipMessage = 0x040F, // WM_USER + 15: a tooltip text offered to the owner
    kSkinTextMessage = 0x0410,    // WM_USER + 16: the text hook
};
// wParam of kSkinActionMessage.
enum : uintptr_t { kSkinActionCharacter = 0, kSkinActionNamed = 1, kSkinActionRepeat = 3 };
// The one timer the elements run on the owner window.
enum : int { kSkinTimerId = 123, kSkinTimerPeriodMs = 500 };
// Command posted before the next entry of a button whose last entry was a character.
enum : int { kSkinCharacterDoneCommand = 2028 };

// Left-top inclusive, right-bottom exclusive, like a RECT.
struct SkinRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int Width() const { return Span(left, right); }
    int Height() const { return Span(top, bottom); }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    // The common part, or an empty rectangle (all zero) when they do not meet.
    SkinRect Intersect(const SkinRect& other) const;
    bool operator==(const SkinRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const SkinRect& o) const { return !(*this == o); }

private:
    // b - a, kept within the range of int.
    static int Span(int a, int b) {
        const long long d = (long long)b - a;
        return d > 0x7FFFFFFF ? 0x7FFFFFFF : d < -0x7FFFFFFF ? -0x7FFFFFFF : int(d);
    }
};

class SkinOwner {
public:
    virtual ~SkinOwner() = default;

    // PostMessage to the owner window. For named and repeated actions lParam
    // is the address of the element's action text (a NUL-terminated char
    // string, valid as long as the skin stays loaded).
    virtual void Post(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
    // The text hook: the owner may replace the text in place.
    virtual void ResolveText(std::string& text) { (void)text; }
    // A tooltip text offered before it is shown; false refuses it.
    virtual bool OfferToolTip(std::string& text) { (void)text; return true; }

    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    // Asks for a repaint of a part of the window, without erasing.
    virtual void Invalidate(const SkinRect& rect) = 0;

    // SendMessage to the owner window's parent (the page that shows it); 0 when there is none.
    virtual intptr_t SendToParent(unsigned message, uintptr_t wParam, intptr_t lParam) {
        (void)message; (void)wParam; (void)lParam;
        return 0;
    }

    // The platform web browser child of a "WebBrowser" element, identified by
    // `id`: created on first use, then moved, shown or hidden. The portable
    // build has no browser; the default does nothing.
    virtual void PlaceBrowser(const void* id, const SkinRect& rect, const std::string& url, bool visible) {
        (void)id; (void)rect; (void)url; (void)visible;
    }
    virtual void RemoveBrowser(const void* id) { (void)id; }
};

}  // namespace mrw
