// The device's one window tree, window classes and messages. A message sent
// to a window of another process runs on that process's thread; the sender
// serves messages sent to its own windows while it waits.
#include <algorithm>
#include <cstring>

#include "base/AsciiText.h"
#include "handheld/ce/Kernel.h"
#include "handheld/device/Device.h"

namespace mrw::ce {
namespace kernel {

namespace {

thread_local int quietSends = 0;

std::shared_ptr<WindowClass> FindClassLocked(LPCWSTR name, HINSTANCE instance) {
    std::shared_ptr<WindowClass> any;
    for (auto& cls : K().classes) {
        bool match = IS_INTRESOURCE(name) ? cls->atom == LOWORD(reinterpret_cast<std::uintptr_t>(name))
                                          : mrw::ascii::EqualsNoCase(cls->name, name);
        if (!match) continue;
        if (cls->instance == instance) return cls;
        if (!any) any = cls;
    }
    return any;
}

void LogMessageLocked(const Process& from, const Window& to, UINT message, WPARAM wParam, LPARAM lParam) {
    if (quietSends > 0) return;
    mrw::device::Event e;
    e.kind = "message";
    e.fields.push_back({"from", from.outside ? std::string() : Utf8(from.image), false});
    e.fields.push_back({"toClass", Utf8(to.cls->name), false});
    e.fields.push_back({"toTitle", Utf8(to.title), false});
    e.fields.push_back({"message", std::to_string(message), true});
    e.fields.push_back({"wParam", std::to_string(static_cast<unsigned long long>(wParam)), true});
    e.fields.push_back({"lParam", std::to_string(static_cast<long long>(lParam)), true});
    LogEvent(e);
}

// Sends to a window of another process and waits for the answer, serving
// sends to the caller's own windows meanwhile. Called with the lock held.
LRESULT SendAcrossLocked(std::unique_lock<std::mutex>& lock, Process& self, Window& w, UINT message, WPARAM wParam,
                         LPARAM lParam, bool destroy) {
    Kernel& k = K();
    Process* target = w.owner;
    if (target->ended) return 0;
    if (!destroy) LogMessageLocked(self, w, message, wParam, lParam);
    SentMessage sent;
    sent.window = ToHwnd(w.id);
    sent.message = message;
    sent.wParam = wParam;
    sent.lParam = lParam;
    sent.destroy = destroy;
    target->incoming.push_back(&sent);
    WaitKind previousWait = self.wait;
    SentMessage* previousSend = self.waitSend;
    self.wait = WaitKind::kSend;
    self.waitSend = &sent;
    k.changed.notify_all();
    while (!sent.done) {
        if (!self.incoming.empty()) {
            ServeOneLocked(lock, self);
            self.wait = WaitKind::kSend;
            self.waitSend = &sent;
            continue;
        }
        k.changed.wait(lock);
    }
    self.wait = previousWait;
    self.waitSend = previousSend;
    k.changed.notify_all();
    return sent.result;
}

void UnlinkLocked(Window& w) {
    Kernel& k = K();
    if (w.parent) {
        auto pit = k.windows.find(w.parent);
        if (pit != k.windows.end()) {
            auto& c = pit->second->children;
            c.erase(std::remove(c.begin(), c.end(), w.id), c.end());
        }
    } else {
        k.topLevel.erase(std::remove(k.topLevel.begin(), k.topLevel.end(), w.id), k.topLevel.end());
    }
    if (k.foreground == w.id) k.foreground = 0;
}

bool PostLocked(Process& target, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (target.ended) return false;
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    target.posted.push_back(m);
    K().changed.notify_all();
    return true;
}

bool MatchesFilter(const MSG& m, HWND window, UINT filterMin, UINT filterMax) {
    if (window && m.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

// One message for the caller's queue, without waiting: posted first, then
// the quit request, then WM_PAINT for an invalid window.
bool TakeMessageLocked(Process& self, MSG* out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    for (auto it = self.posted.begin(); it != self.posted.end(); ++it) {
        if (!MatchesFilter(*it, window, filterMin, filterMax)) continue;
        *out = *it;
        if (remove) self.posted.erase(it);
        return true;
    }
    if (self.quitPosted) {
        *out = MSG{};
        out->message = WM_QUIT;
        out->wParam = static_cast<WPARAM>(self.quitCode);
        if (remove) self.quitPosted = false;
        return true;
    }
    for (auto& [id, w] : K().windows) {
        if (w->owner == &self && w->invalid && !w->destroying && (!window || FromHwnd(window) == id)) {
            *out = MSG{};
            out->hwnd = ToHwnd(id);
            out->message = WM_PAINT;
            return true;
        }
    }
    return false;
}

POINT ScreenOffsetLocked(const Window& w) {
    POINT p{w.rect.left, w.rect.top};
    std::uintptr_t parent = w.parent;
    while (parent) {
        auto it = K().windows.find(parent);
        if (it == K().windows.end()) break;
        p.x += it->second->rect.left;
        p.y += it->second->rect.top;
        parent = it->second->parent;
    }
    return p;
}

}  // namespace

QuietSends::QuietSends() { ++quietSends; }
QuietSends::~QuietSends() { --quietSends; }

Window* FindWindowLocked(HWND window) {
    auto it = K().windows.find(FromHwnd(window));
    return it == K().windows.end() ? nullptr : it->second.get();
}

void ServeOneLocked(std::unique_lock<std::mutex>& lock, Process& self) {
    SentMessage* sent = self.incoming.front();
    self.incoming.pop_front();
    WaitKind previous = self.wait;
    self.wait = WaitKind::kNone;
    self.serving.push_back(sent);
    LRESULT result = 0;
    Window* w = FindWindowLocked(sent->window);
    if (w) {
        lock.unlock();
        result = sent->destroy ? DestroyWindowHere(sent->window)
                               : CallWindowProcHere(sent->window, sent->message, sent->wParam, sent->lParam);
        lock.lock();
    }
    self.serving.erase(std::remove(self.serving.begin(), self.serving.end(), sent), self.serving.end());
    sent->result = result;
    sent->done = true;
    self.wait = previous;
    K().changed.notify_all();
}

LRESULT CallWindowProcHere(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        if (!w) return 0;
        proc = w->proc;
    }
    return proc ? proc(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

BOOL DestroyWindowHere(HWND window) {
    Kernel& k = K();
    std::vector<std::uintptr_t> children;
    {
        std::lock_guard<std::mutex> lock(k.mutex);
        Window* w = FindWindowLocked(window);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (w->destroying) return TRUE;
        w->destroying = true;
        w->invalid = false;
        children = w->children;
    }
    CallWindowProcHere(window, WM_DESTROY, 0, 0);
    for (std::uintptr_t child : children) {
        bool here;
        {
            std::lock_guard<std::mutex> lock(k.mutex);
            Window* c = FindWindowLocked(ToHwnd(child));
            if (!c) continue;
            Process* self = CurrentLocked();
            here = c->owner == self || c->owner->ended || c->owner->outside;
        }
        if (here) {
            DestroyWindowHere(ToHwnd(child));
        } else {
            DestroyWindow(ToHwnd(child));
        }
    }
    std::lock_guard<std::mutex> lock(k.mutex);
    Window* w = FindWindowLocked(window);
    if (w) {
        // Children created while it was dying go with it.
        for (std::uintptr_t child : w->children) {
            auto it = k.windows.find(child);
            if (it != k.windows.end()) it->second->parent = 0;
        }
        for (std::uintptr_t child : std::vector<std::uintptr_t>(w->children)) {
            auto it = k.windows.find(child);
            if (it != k.windows.end()) k.windows.erase(it);
        }
        UnlinkLocked(*w);
        std::uintptr_t id = w->id;
        k.windows.erase(id);
    }
    k.changed.notify_all();
    return TRUE;
}

void DestroyProcessWindows(Process& process) {
    for (;;) {
        std::uintptr_t next = 0;
        {
            std::lock_guard<std::mutex> lock(K().mutex);
            for (auto& [id, w] : K().windows) {
                if (w->owner != &process || w->destroying) continue;
                Window* parent = w->parent ? FindWindowLocked(ToHwnd(w->parent)) : nullptr;
                if (!parent || parent->owner != &process) {
                    next = id;
                    break;
                }
            }
        }
        if (!next) return;
        DestroyWindowHere(ToHwnd(next));
    }
}

}  // namespace kernel

using namespace kernel;

// ---- Classes ----

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || IS_INTRESOURCE(windowClass->lpszClassName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> lock(K().mutex);
    for (auto& cls : K().classes) {
        if (mrw::ascii::EqualsNoCase(cls->name, windowClass->lpszClassName) && cls->instance == windowClass->hInstance) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    auto cls = std::make_shared<WindowClass>();
    cls->name = windowClass->lpszClassName;
    cls->wc = *windowClass;
    cls->wc.lpszClassName = nullptr;  // the name is kept in cls->name
    cls->wc.lpszMenuName = nullptr;
    cls->instance = windowClass->hInstance;
    cls->atom = K().nextAtom++;
    K().classes.push_back(cls);
    return cls->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
    std::lock_guard<std::mutex> lock(K().mutex);
    auto& classes = K().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        auto& cls = *it;
        bool match = IS_INTRESOURCE(className) ? cls->atom == LOWORD(reinterpret_cast<std::uintptr_t>(className))
                                               : mrw::ascii::EqualsNoCase(cls->name, className);
        if (!match || cls->instance != instance || cls->system) continue;
        for (auto& [id, w] : K().windows) {
            if (w->cls == cls) {
                SetLastError(ERROR_CLASS_HAS_WINDOWS);
                return FALSE;
            }
        }
        classes.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* windowClass) {
    std::lock_guard<std::mutex> lock(K().mutex);
    auto cls = FindClassLocked(className, instance);
    if (!cls || (cls->instance != instance && !cls->system)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (windowClass) {
        *windowClass = cls->wc;
        windowClass->lpszClassName = className;
    }
    return TRUE;
}

// ---- Windows ----

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    Kernel& k = K();
    HWND handle;
    std::u16string classNameText;
    {
        std::lock_guard<std::mutex> lock(k.mutex);
        if (!k.running) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        auto cls = className ? FindClassLocked(className, instance) : nullptr;
        if (!cls) {
            SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
            return nullptr;
        }
        Window* parentWindow = nullptr;
        if (parent) {
            parentWindow = FindWindowLocked(parent);
            if (!parentWindow) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
        }
        bool child = (style & WS_CHILD) && parentWindow;
        auto w = std::make_unique<Window>();
        w->id = k.nextWindow;
        k.nextWindow += 4;
        w->cls = cls;
        w->title = ToU16(windowName);
        w->style = style;
        w->exStyle = exStyle;
        w->owner = CurrentLocked();
        w->proc = cls->wc.lpfnWndProc;
        w->instance = instance;
        if (x == CW_USEDEFAULT) x = 0;
        if (y == CW_USEDEFAULT) y = 0;
        if (width == CW_USEDEFAULT) width = child ? 0 : 240;
        if (height == CW_USEDEFAULT) height = child ? 0 : 320;
        w->rect = RECT{x, y, x + width, y + height};
        w->controlId = child ? static_cast<int>(reinterpret_cast<std::uintptr_t>(menu)) : 0;
        w->extra.assign(static_cast<std::size_t>(std::max(0, cls->wc.cbWndExtra)), 0);
        w->invalid = (style & WS_VISIBLE) != 0;
        w->erase = w->invalid;
        handle = ToHwnd(w->id);
        if (child) {
            w->parent = parentWindow->id;
            parentWindow->children.push_back(w->id);
        } else {
            k.topLevel.insert(k.topLevel.begin(), w->id);
            if (style & WS_VISIBLE) k.foreground = w->id;
        }
        classNameText = cls->name;
        k.windows[w->id] = std::move(w);
        k.changed.notify_all();
    }
    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = classNameText.c_str();
    cs.dwExStyle = exStyle;
    if (CallWindowProcHere(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindowHere(handle);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND window) {
    std::unique_lock<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Process* self = CurrentLocked();
    if (w->owner != self && !w->owner->ended && !w->owner->outside) {
        // Only the owning thread destroys a window: ask it.
        return SendAcrossLocked(lock, *self, *w, 0, 0, 0, true) ? TRUE : FALSE;
    }
    lock.unlock();
    return DestroyWindowHere(window);
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SETTEXT: {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        if (!w) return FALSE;
        w->title = ToU16(reinterpret_cast<LPCWSTR>(lParam));
        return TRUE;
    }
    case WM_GETTEXT: {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        auto* out = reinterpret_cast<LPWSTR>(lParam);
        if (!w || !out || wParam == 0) return 0;
        std::size_t n = std::min<std::size_t>(w->title.size(), wParam - 1);
        std::memcpy(out, w->title.data(), n * sizeof(WCHAR));
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        return w ? static_cast<LRESULT>(w->title.size()) : 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = nullptr;
        {
            std::lock_guard<std::mutex> lock(K().mutex);
            Window* w = FindWindowLocked(window);
            if (w) brush = w->cls->wc.hbrBackground;
        }
        if (!brush) return 0;
        RECT r;
        GetClientRect(window, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        return 1;
    }
    default:
        return 0;
    }
}

BOOL IsWindow(HWND window) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    return w && !w->destroying ? TRUE : FALSE;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    std::lock_guard<std::mutex> lock(K().mutex);
    for (std::uintptr_t id : K().topLevel) {
        Window* w = FindWindowLocked(ToHwnd(id));
        if (!w || w->destroying) continue;
        if (className) {
            bool match = IS_INTRESOURCE(className)
                             ? w->cls->atom == LOWORD(reinterpret_cast<std::uintptr_t>(className))
                             : mrw::ascii::EqualsNoCase(w->cls->name, className);
            if (!match) continue;
        }
        if (windowName && w->title != windowName) continue;
        return ToHwnd(id);
    }
    return nullptr;
}

HWND GetWindow(HWND window, UINT relation) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (relation == GW_CHILD) return w->children.empty() ? nullptr : ToHwnd(w->children.front());
    if (relation == GW_OWNER) return nullptr;
    const std::vector<std::uintptr_t>* siblings = &K().topLevel;
    if (w->parent) {
        Window* parent = FindWindowLocked(ToHwnd(w->parent));
        if (!parent) return nullptr;
        siblings = &parent->children;
    }
    auto it = std::find(siblings->begin(), siblings->end(), w->id);
    switch (relation) {
    case GW_HWNDFIRST:
        return ToHwnd(siblings->front());
    case GW_HWNDLAST:
        return ToHwnd(siblings->back());
    case GW_HWNDNEXT:
        return it == siblings->end() || it + 1 == siblings->end() ? nullptr : ToHwnd(*(it + 1));
    case GW_HWNDPREV:
        return it == siblings->begin() || it == siblings->end() ? nullptr : ToHwnd(*(it - 1));
    default:
        return nullptr;
    }
}

HWND GetParent(HWND window) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    return w && w->parent ? ToHwnd(w->parent) : nullptr;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
    std::vector<std::uintptr_t> snapshot;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        snapshot = K().topLevel;
    }
    for (std::uintptr_t id : snapshot) {
        if (!IsWindow(ToHwnd(id))) continue;
        if (!callback(ToHwnd(id), lParam)) return FALSE;
    }
    return TRUE;
}

int GetClassNameW(HWND window, LPWSTR className, int size) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w || !className || size <= 0) {
        SetLastError(w ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::size_t n = std::min<std::size_t>(w->cls->name.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(className, w->cls->name.data(), n * sizeof(WCHAR));
    className[n] = 0;
    return static_cast<int>(n);
}

int GetWindowTextW(HWND window, LPWSTR text, int size) {
    if (!text || size <= 0) return 0;
    text[0] = 0;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->owner != CurrentLocked()) {
            // Another process's window: its stored text, without a message.
            std::size_t n = std::min<std::size_t>(w->title.size(), static_cast<std::size_t>(size - 1));
            std::memcpy(text, w->title.data(), n * sizeof(WCHAR));
            text[n] = 0;
            return static_cast<int>(n);
        }
    }
    return static_cast<int>(SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthW(HWND window) {
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        if (!w) return 0;
        if (w->owner != CurrentLocked()) return static_cast<int>(w->title.size());
    }
    return static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    static const WCHAR kEmpty[1] = {0};
    return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : kEmpty)) ? TRUE : FALSE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w || !rect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w || !rect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT p = ScreenOffsetLocked(*w);
    *rect = RECT{p.x, p.y, p.x + (w->rect.right - w->rect.left), p.y + (w->rect.bottom - w->rect.top)};
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    bool sized, moved;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        sized = (w->rect.right - w->rect.left) != width || (w->rect.bottom - w->rect.top) != height;
        moved = w->rect.left != x || w->rect.top != y;
        w->rect = RECT{x, y, x + width, y + height};
        if (repaint && (w->style & WS_VISIBLE)) {
            w->invalid = true;
            w->erase = true;
        }
        K().changed.notify_all();
    }
    if (moved) SendMessageW(window, WM_MOVE, 0, static_cast<LPARAM>((x & 0xFFFF) | ((y & 0xFFFF) << 16)));
    if (sized) SendMessageW(window, WM_SIZE, 0, static_cast<LPARAM>((width & 0xFFFF) | ((height & 0xFFFF) << 16)));
    return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool wasVisible = (w->style & WS_VISIBLE) != 0;
    if (command == SW_HIDE) {
        w->style &= ~WS_VISIBLE;
        w->invalid = false;
    } else {
        w->style |= WS_VISIBLE;
        if (!wasVisible) {
            w->invalid = true;
            w->erase = true;
        }
        if (!w->parent) K().foreground = w->id;
    }
    K().changed.notify_all();
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    while (w) {
        if (!(w->style & WS_VISIBLE)) return FALSE;
        if (!w->parent) return TRUE;
        w = FindWindowLocked(ToHwnd(w->parent));
    }
    return FALSE;
}

HWND GetForegroundWindow() {
    std::lock_guard<std::mutex> lock(K().mutex);
    return FindWindowLocked(ToHwnd(K().foreground)) ? ToHwnd(K().foreground) : nullptr;
}

BOOL SetForegroundWindow(HWND window) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w) return FALSE;
    while (w->parent && FindWindowLocked(ToHwnd(w->parent))) w = FindWindowLocked(ToHwnd(w->parent));
    K().foreground = w->id;
    auto& top = K().topLevel;
    top.erase(std::remove(top.begin(), top.end(), w->id), top.end());
    top.insert(top.begin(), w->id);
    return TRUE;
}

namespace {
constexpr int kDwlDlgProc = 4;
constexpr int kDwlUser = 8;
}  // namespace

LONG GetWindowLongW(HWND window, int index) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG>(w->style);
    case GWL_ID:
        return w->controlId;
    case GWL_USERDATA:
        return w->userData;
    default:
        break;
    }
    if (w->dialog && index == DWL_MSGRESULT) return static_cast<LONG>(w->dialog->msgResult);
    if (w->dialog && index == kDwlUser) return w->dialog->user;
    if (index >= 0 && static_cast<std::size_t>(index) + 4 <= w->extra.size()) {
        LONG v;
        std::memcpy(&v, w->extra.data() + index, 4);
        return v;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

LONG SetWindowLongW(HWND window, int index, LONG value) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG old = 0;
    switch (index) {
    case GWL_STYLE:
        old = static_cast<LONG>(w->style);
        w->style = static_cast<DWORD>(value);
        return old;
    case GWL_ID:
        old = w->controlId;
        w->controlId = value;
        return old;
    case GWL_USERDATA:
        old = w->userData;
        w->userData = value;
        return old;
    default:
        break;
    }
    if (w->dialog && index == DWL_MSGRESULT) {
        old = static_cast<LONG>(w->dialog->msgResult);
        w->dialog->msgResult = value;
        return old;
    }
    if (w->dialog && index == kDwlUser) {
        old = w->dialog->user;
        w->dialog->user = value;
        return old;
    }
    if (w->dialog && index == kDwlDlgProc) return 0;
    if (index >= 0 && static_cast<std::size_t>(index) + 4 <= w->extra.size()) {
        std::memcpy(&old, w->extra.data() + index, 4);
        std::memcpy(w->extra.data() + index, &value, 4);
        return old;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w) return 0;
    if (processId) *processId = w->owner->pid;
    return w->owner->pid;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL erase) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w) return FALSE;
    if (w->style & WS_VISIBLE) {
        w->invalid = true;
        if (erase) w->erase = true;
    }
    K().changed.notify_all();
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(window);
        if (!w) return FALSE;
        if (!w->invalid) return TRUE;
    }
    SendMessageW(window, WM_PAINT, 0, 0);
    return TRUE;
}

// ---- Messages ----

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == HWND_BROADCAST) {
        std::vector<std::uintptr_t> snapshot;
        {
            std::lock_guard<std::mutex> lock(K().mutex);
            snapshot = K().topLevel;
        }
        for (std::uintptr_t id : snapshot) {
            if (IsWindow(ToHwnd(id))) SendMessageW(ToHwnd(id), message, wParam, lParam);
        }
        return 0;
    }
    std::unique_lock<std::mutex> lock(K().mutex);
    Window* w = FindWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    Process* self = CurrentLocked();
    if (w->owner == self) {
        lock.unlock();
        return CallWindowProcHere(window, message, wParam, lParam);
    }
    return SendAcrossLocked(lock, *self, *w, message, wParam, lParam, false);
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Process* self = CurrentLocked();
    if (!window) return PostLocked(*self, nullptr, message, wParam, lParam) ? TRUE : FALSE;
    if (window == HWND_BROADCAST) {
        for (std::uintptr_t id : K().topLevel) {
            Window* w = FindWindowLocked(ToHwnd(id));
            if (!w) continue;
            if (w->owner != self) LogMessageLocked(*self, *w, message, wParam, lParam);
            PostLocked(*w->owner, ToHwnd(id), message, wParam, lParam);
        }
        return TRUE;
    }
    Window* w = FindWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->owner != self) LogMessageLocked(*self, *w, message, wParam, lParam);
    return PostLocked(*w->owner, window, message, wParam, lParam) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Process* self = CurrentLocked();
    self->quitPosted = true;
    self->quitCode = exitCode;
    K().changed.notify_all();
}

BOOL GetMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
    if (!message) return -1;
    Kernel& k = K();
    std::unique_lock<std::mutex> lock(k.mutex);
    Process* self = CurrentLocked();
    for (;;) {
        if (!self->incoming.empty()) {
            ServeOneLocked(lock, *self);
            continue;
        }
        if (TakeMessageLocked(*self, message, window, filterMin, filterMax, true)) {
            return message->message == WM_QUIT ? FALSE : TRUE;
        }
        self->wait = WaitKind::kMessage;
        k.changed.notify_all();
        k.changed.wait(lock);
        self->wait = WaitKind::kNone;
    }
}

BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
    if (!message) return FALSE;
    std::unique_lock<std::mutex> lock(K().mutex);
    Process* self = CurrentLocked();
    while (!self->incoming.empty()) ServeOneLocked(lock, *self);
    return TakeMessageLocked(*self, message, window, filterMin, filterMax, (removeMessage & PM_REMOVE) != 0) ? TRUE
                                                                                                           : FALSE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageW(const MSG* message) {
    if (!message || !message->hwnd) return 0;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Window* w = FindWindowLocked(message->hwnd);
        if (!w || w->owner != CurrentLocked()) return 0;
    }
    return CallWindowProcHere(message->hwnd, message->message, message->wParam, message->lParam);
}

}  // namespace mrw::ce
