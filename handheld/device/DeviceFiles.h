// The device's settings file and event log: UTF-8 text, one entry a line.
//   settings:  "name=value" lines (os, today, rom, card, window; any other
//              name is kept for the desktop link), '#' starts a comment
//   events:    "B n" opens boot n; "E" TAB kind then TAB name TAB n|b|s TAB
//              value for each field (number, boolean, string)
// Control characters, '%', '=' and '#' in names and values are written as %XX.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "handheld/device/Device.h"

namespace mrw::device {

std::string FormatSettings(const Settings& settings);
bool ParseSettings(std::string_view text, Settings& settings, std::string& error);

// The first line of an event log. (A function, not a global: the device code
// is linked into the CE layer library and into mrw, and one global twice over
// is an ODR violation.)
const char* EventLogHeader();
std::string FormatBootLine(int boot);
std::string FormatEventLine(const Event& event);
// All events of a log, and the number of its last boot (0 for none).
bool ParseEventLog(std::string_view text, std::vector<LoggedEvent>& events, int& lastBoot, std::string& error);

}  // namespace mrw::device
