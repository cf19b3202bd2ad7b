// The device's own parts, present in every boot: the Today screen (when the
// device runs it), the HTML view behind InitHTMLControl, and the outside
// windows the device's settings name. They run as processes of the booted
// device, written against the CE calls like any handheld program.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "handheld/ce/CeTypes.h"

namespace mrw::device {
struct Settings;
}

namespace mrw::shell {

// Called by the boot once the device is open, and before it closes.
void StartDeviceParts(const mrw::device::Settings& settings);
void StopDeviceParts();  // destroys the Today items, closes the parts' windows

// Registers the "DISPLAYCLASS" window class (InitHTMLControl).
bool RegisterHtmlView(mrw::ce::HINSTANCE instance);

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
};
struct TodayReport {
    bool running = false;
    std::vector<TodayItemReport> items;  // loaded items in display order
};
TodayReport ReportToday();

}  // namespace mrw::shell
