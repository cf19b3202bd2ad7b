// Fuzzes the virtual handheld's settings and event-log readers: whatever
// parses must format and parse back to the same content.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "handheld/device/DeviceFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    mrw::device::Settings settings;
    if (mrw::device::ParseSettings(text, settings, error)) {
        mrw::device::Settings again;
        if (!mrw::device::ParseSettings(mrw::device::FormatSettings(settings), again, error)) std::abort();
        if (mrw::device::FormatSettings(again) != mrw::device::FormatSettings(settings)) std::abort();
    }
    std::vector<mrw::device::LoggedEvent> events;
    int lastBoot = 0;
    if (mrw::device::ParseEventLog(text, events, lastBoot, error)) {
        std::string log = std::string(mrw::device::EventLogHeader()) + "\n";
        int boot = 0;
        for (const auto& e : events) {
            if (e.boot != boot) log += mrw::device::FormatBootLine(boot = e.boot);
            log += mrw::device::FormatEventLine(e.event);
        }
        std::vector<mrw::device::LoggedEvent> again;
        int againBoot = 0;
        if (!mrw::device::ParseEventLog(log, again, againBoot, error) || again.size() != events.size()) std::abort();
        for (size_t i = 0; i < again.size(); ++i) {
            if (again[i].boot != events[i].boot || again[i].event.kind != events[i].event.kind ||
                again[i].event.fields.size() != events[i].event.fields.size())
                std::abort();
        }
    }
    return 0;
}
