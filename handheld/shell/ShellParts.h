// What the device's parts share among themselves: the state ReportToday
// reads (guarded, since the parts run on their own threads), event logging
// and small UTF-16 helpers.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "handheld/ce/Boot.h"
#include "handheld/ce/Ce.h"
#include "handheld/device/Device.h"
#include "handheld/shell/DeviceParts.h"

namespace mrw::shell::parts {

std::mutex& StateMutex();

// Published by the Today screen's thread after each load and unload.
struct TodayState {
    bool running = false;
    ce::HWND window = nullptr;
    ce::HANDLE process = nullptr;
    std::vector<TodayItemReport> items;
    std::vector<ce::HWND> itemWindows;  // beside items, null for items without a window
};
TodayState& Today();  // under StateMutex

// The HTML view below `itemWindow`, if any (the one made last).
bool FindHtmlViewBelow(ce::HWND itemWindow, HtmlViewReport& report);

// Event fields.
device::EventField Text(const char* name, const std::u16string& value);
device::EventField Number(const char* name, std::int64_t value);
device::EventField Boolean(const char* name, bool value);
void Log(const char* kind, std::initializer_list<device::EventField> fields);

// Reads a REG_DWORD of exactly four bytes.
bool QueryDword(ce::HKEY key, const char16_t* name, ce::DWORD& value);
// Reads a REG_SZ holding a non-empty text of fewer than `maxChars` characters
// (cut at its first zero).
bool QueryText(ce::HKEY key, const char16_t* name, std::size_t maxChars, std::u16string& text);

// Runs `main` as a device part and waits until it calls SignalPartReady
// (or ends). Returns the process handle, null when it could not start.
ce::HANDLE StartPartAndWait(const char16_t* image, ce::ProgramMain main, const std::u16string& commandLine);
void SignalPartReady();

constexpr char16_t kTodayClass[] = u"DesktopExplorerWindow";
constexpr char16_t kTodayTitle[] = u"Desktop";
constexpr char16_t kTodayImage[] = u"\\Windows\\shell32.exe";
constexpr char16_t kItemsKey[] = u"Software\\Microsoft\\Today\\Items";
constexpr char16_t kColourKey[] = u"Software\\Microsoft\\Color";
// Private request to the Today window: unload the items and close.
constexpr ce::UINT kTodayStopMessage = ce::WM_USER + 0x3E0;

// An export found by GetProcAddressW as the function type it has.
template <typename Function>
Function ProcAs(ce::FARPROC proc) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

// The Today screen's process entry (TodayScreen.cpp).
int TodayMain(ce::HINSTANCE instance, ce::HINSTANCE, ce::LPWSTR, int);

}  // namespace mrw::shell::parts
