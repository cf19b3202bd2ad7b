// The device's own parts, present in every boot: the Today screen (when the
// device runs it), the HTML view behind InitHTMLControl, and the outside
// windows the device's settings name. They run as processes of the booted
// device, written against the CE calls like any handheld program.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "handheld/ce/Ce.h"

namespace mrw::device {
struct Settings;
}

namespace mrw::shell {

// Called by the boot once the device is open, and before it closes.
MRW_CE_API void StartDeviceParts(const mrw::device::Settings& settings);
MRW_CE_API void StopDeviceParts();  // destroys the Today items, closes the parts' windows

// Registers the "DISPLAYCLASS" window class (InitHTMLControl).
MRW_CE_API bool RegisterHtmlView(mrw::ce::HINSTANCE instance);

struct HtmlNavigation {
    std::u16string url;
    std::uint32_t flags = 0;
};
struct HtmlViewReport {
    int width = 0;
    int height = 0;
    std::vector<HtmlNavigation> navigations;
};
struct TodayItemReport {
    std::u16string name;
    std::u16string dll;
    bool enabled = false;
    bool window = false;
    int height = 0;
    bool hasHtml = false;
    HtmlViewReport html;
    int watermarks = 0;  // TODAYM_DRAWWATERMARK requests answered
};
struct TodayReport {
    bool running = false;
    std::vector<TodayItemReport> items;  // loaded items in display order
};
// Taken from outside the device's processes, once they all wait.
MRW_CE_API TodayReport ReportToday();

// Starts the Today screen in the current boot when the device's settings do
// not run it; returns once its items are loaded. False when it cannot start.
MRW_CE_API bool StartTodayScreen();

// The Today settings' options page of the item named `itemName`: its library
// (the item's "DLL") is loaded in a process of the boot, dialog 500 is made
// with procedure 241 and initialised; `shown` receives what it then shows.
// Then 1003 is pressed when `defaults`, the given fields are typed, and OK
// is pressed. False with a reason when the dialog cannot be shown.
struct TodayOptionsInput {
    bool defaults = false;
    bool setUrl = false;
    std::u16string url;
    bool setHeight = false;
    std::u16string height;
    bool setAuto = false;
    bool autoHeight = false;
};
struct TodayOptionsShown {
    std::u16string url;
    std::u16string height;
    bool autoHeight = false;
};
MRW_CE_API bool RunTodayOptions(const std::u16string& itemName, const TodayOptionsInput& input,
                                TodayOptionsShown& shown, std::string& error);

}  // namespace mrw::shell
