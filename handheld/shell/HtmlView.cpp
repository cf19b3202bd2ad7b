// The device's HTML view ("DISPLAYCLASS"): it shows no page; it tells its
// parent about each navigation with NM_BEFORENAVIGATE, as the platform's view
// does, and records the address and the flags the parent left.
#include <algorithm>
#include <map>

#include "base/TextEncoding.h"
#include "handheld/shell/ShellParts.h"

namespace mrw::shell {

using namespace mrw::ce;

namespace {

constexpr char16_t kHtmlViewClass[] = u"DISPLAYCLASS";
constexpr int kMaxAncestors = 64;

struct View {
    unsigned long long serial = 0;  // creation order
    std::vector<HWND> ancestors;    // parent first
    HtmlViewReport report;
};
std::map<HWND, View>& Views() {  // under StateMutex
    static std::map<HWND, View> views;
    return views;
}
unsigned long long g_serial = 0;  // under StateMutex

void Navigate(HWND window, WPARAM, LPARAM lParam) {
    const auto* address = reinterpret_cast<const WCHAR*>(lParam);
    if (!address) return;
    const std::u16string url(address);
    const std::string target = text::Utf16ToUtf8(url);

    NM_HTMLVIEW notice{};
    notice.hdr.hwndFrom = window;
    notice.hdr.idFrom = UINT(GetDlgCtrlID(window));
    notice.hdr.code = NM_BEFORENAVIGATE;
    notice.szTarget = target.c_str();
    notice.szData = "";
    notice.dwFlags = 0;
    notice.szExInfo = nullptr;
    if (HWND parent = GetParent(window))
        SendMessageW(parent, WM_NOTIFY, WPARAM(notice.hdr.idFrom), reinterpret_cast<LPARAM>(&notice));

    {
        std::lock_guard<std::mutex> lock(parts::StateMutex());
        auto found = Views().find(window);
        if (found != Views().end()) found->second.report.navigations.push_back({url, notice.dwFlags});
    }
    parts::Log("navigate", {parts::Text("url", url), parts::Number("flags", notice.dwFlags)});
}

LRESULT HtmlViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            View view;
            if (const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam)) {
                view.report.width = create->cx;
                view.report.height = create->cy;
            }
            for (HWND parent = GetParent(window); parent && view.ancestors.size() < kMaxAncestors;
                 parent = GetParent(parent))
                view.ancestors.push_back(parent);
            std::lock_guard<std::mutex> lock(parts::StateMutex());
            view.serial = ++g_serial;
            Views()[window] = std::move(view);
            return 0;
        }
        case WM_SIZE: {
            std::lock_guard<std::mutex> lock(parts::StateMutex());
            auto found = Views().find(window);
            if (found != Views().end()) {
                found->second.report.width = LOWORD(std::uintptr_t(lParam));
                found->second.report.height = HIWORD(std::uintptr_t(lParam));
            }
            return 0;
        }
        case DTM_NAVIGATE:
            Navigate(window, wParam, lParam);
            return 0;
        case WM_DESTROY: {
            std::lock_guard<std::mutex> lock(parts::StateMutex());
            Views().erase(window);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterHtmlView(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &HtmlViewProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kHtmlViewClass;
    if (RegisterClassW(&windowClass)) return true;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

namespace parts {

bool FindHtmlViewBelow(HWND itemWindow, HtmlViewReport& report) {
    std::lock_guard<std::mutex> lock(StateMutex());
    const View* best = nullptr;
    for (const auto& [window, view] : Views()) {
        if (std::find(view.ancestors.begin(), view.ancestors.end(), itemWindow) == view.ancestors.end()) continue;
        if (!best || view.serial > best->serial) best = &view;
    }
    if (!best) return false;
    report = best->report;
    return true;
}

}  // namespace parts

}  // namespace mrw::shell
