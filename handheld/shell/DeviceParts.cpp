// Start and stop of the device's parts, the outside windows, ReportToday and
// the helpers the parts share.
#include <atomic>
#include <map>

#include "base/TextEncoding.h"
#include "handheld/ce/Boot.h"
#include "handheld/ce/Inspect.h"
#include "handheld/ce/Kernel.h"
#include "handheld/shell/ShellParts.h"

namespace mrw::shell {

using namespace mrw::ce;

namespace parts {

std::mutex& StateMutex() {
    static std::mutex mutex;
    return mutex;
}

TodayState& Today() {
    static TodayState state;
    return state;
}

device::EventField Text(const char* name, const std::u16string& value) {
    device::EventField field;
    field.name = name;
    field.text = text::Utf16ToUtf8(value);
    return field;
}

device::EventField Number(const char* name, std::int64_t value) {
    device::EventField field;
    field.name = name;
    field.text = std::to_string(value);
    field.isNumber = true;
    return field;
}

device::EventField Boolean(const char* name, bool value) {
    device::EventField field;
    field.name = name;
    field.text = value ? "true" : "false";
    field.isBoolean = true;
    return field;
}

void Log(const char* kind, std::initializer_list<device::EventField> fields) {
    device::Event event;
    event.kind = kind;
    event.fields.assign(fields.begin(), fields.end());
    BootedDevice().Log(event);
}

bool QueryDword(HKEY key, const char16_t* name, DWORD& value) {
    DWORD type = 0, data = 0, size = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof data) return false;
    value = data;
    return true;
}

bool QueryText(HKEY key, const char16_t* name, std::size_t maxChars, std::u16string& text) {
    std::vector<WCHAR> buffer(maxChars + 1, 0);
    DWORD type = 0, size = DWORD(maxChars * sizeof(WCHAR));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_SZ || size % sizeof(WCHAR) != 0 || size > maxChars * sizeof(WCHAR)) return false;
    text.assign(buffer.data(), size / sizeof(WCHAR));
    const std::size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);
    return !text.empty() && text.size() < maxChars;
}

namespace {

// One part starts at a time; the part signals this event once it is ready.
std::mutex& StartMutex() {
    static std::mutex mutex;
    return mutex;
}
std::atomic<HANDLE> g_readyEvent{nullptr};

}  // namespace

void SignalPartReady() {
    if (HANDLE event = g_readyEvent.load()) SetEvent(event);
}

HANDLE StartPartAndWait(const char16_t* image, ProgramMain main, const std::u16string& commandLine) {
    std::lock_guard<std::mutex> lock(StartMutex());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return nullptr;
    g_readyEvent = ready;
    HANDLE process = StartDevicePart(image, main, commandLine.c_str());
    // Every part's main signals on its way out too, so this wait ends.
    if (process) WaitForSingleObject(ready, INFINITE);
    g_readyEvent = nullptr;
    CloseHandle(ready);
    return process;
}

}  // namespace parts

namespace {

using parts::SignalPartReady;

constexpr char16_t kOutsideImage[] = u"\\Windows\\outside.exe";

struct ReadyOnExit {
    ~ReadyOnExit() { SignalPartReady(); }
};

struct OutsidePart {
    device::OutsideWindow window;
    HANDLE process = nullptr;
    HWND hwnd = nullptr;
};
std::vector<OutsidePart>& Outside() {  // under StateMutex
    static std::vector<OutsidePart> list;
    return list;
}

LRESULT OutsideWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);  // WM_CLOSE destroys the window
}

// A window of an outside program: one process per window, ending when it closes.
int OutsideMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    ReadyOnExit ready;
    std::size_t index = 0;
    for (const WCHAR* c = commandLine; c && *c >= u'0' && *c <= u'9'; ++c) index = index * 10 + (*c - u'0');
    device::OutsideWindow wanted;
    {
        std::lock_guard<std::mutex> lock(parts::StateMutex());
        if (index >= Outside().size()) return 1;
        wanted = Outside()[index].window;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &OutsideWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = wanted.className.c_str();
    // Two outside windows may share a class: the second finds it registered.
    if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 1;
    HWND window = CreateWindowExW(0, wanted.className.c_str(), wanted.title.c_str(), WS_VISIBLE, 0, 0, 240, 320,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    {
        std::lock_guard<std::mutex> lock(parts::StateMutex());
        Outside()[index].hwnd = window;
    }
    SignalPartReady();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

// Waits for a part's process to end (the boot's shutdown reports one that
// does not) and closes its handle.
void EndPart(HANDLE process) {
    if (!process) return;
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

}  // namespace

void StartDeviceParts(const device::Settings& settings) {
    std::size_t count = 0;
    {
        std::lock_guard<std::mutex> lock(parts::StateMutex());
        Outside().clear();
        for (const auto& window : settings.outsideWindows) Outside().push_back({window, nullptr, nullptr});
        count = Outside().size();
        parts::Today() = parts::TodayState();
    }
    for (std::size_t i = 0; i < count; ++i) {
        HANDLE process = parts::StartPartAndWait(kOutsideImage, &OutsideMain, text::Utf8ToUtf16(std::to_string(i)));
        std::lock_guard<std::mutex> lock(parts::StateMutex());
        Outside()[i].process = process;
    }
    if (settings.todayScreen) StartTodayScreen();
}

bool StartTodayScreen() {
    {
        std::lock_guard<std::mutex> lock(parts::StateMutex());
        if (parts::Today().running) return true;
    }
    HANDLE process = parts::StartPartAndWait(parts::kTodayImage, &parts::TodayMain, std::u16string());
    std::lock_guard<std::mutex> lock(parts::StateMutex());
    parts::Today().process = process;
    return process && parts::Today().running;
}

void StopDeviceParts() {
    HANDLE today = nullptr;
    HWND todayWindow = nullptr;
    std::vector<std::pair<HANDLE, HWND>> outside;
    {
        std::lock_guard<std::mutex> lock(parts::StateMutex());
        today = parts::Today().process;
        todayWindow = parts::Today().window;
        parts::Today().process = nullptr;
        for (auto& part : Outside()) outside.emplace_back(part.process, part.hwnd);
        Outside().clear();
    }
    // The shutdown's own requests are no messages of the device's programs:
    // they stay out of the event log.
    ce::kernel::QuietSends quiet;
    // The Today screen unloads its items on its own thread: their windows and
    // the hosts they started belong to it.
    if (todayWindow) PostMessageW(todayWindow, parts::kTodayStopMessage, 0, 0);
    EndPart(today);
    for (auto& [process, window] : outside) {
        if (window && IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
        EndPart(process);
    }
}

TodayReport ReportToday() {
    // Hosts the items started put their views in place on their own threads:
    // the report is taken once every process of the device waits.
    WaitUntilIdle();
    TodayReport report;
    std::vector<HWND> windows;
    {
        std::lock_guard<std::mutex> lock(parts::StateMutex());
        report.running = parts::Today().running;
        report.items = parts::Today().items;
        windows = parts::Today().itemWindows;
    }
    for (std::size_t i = 0; i < report.items.size() && i < windows.size(); ++i)
        if (windows[i]) report.items[i].hasHtml = parts::FindHtmlViewBelow(windows[i], report.items[i].html);
    return report;
}

}  // namespace mrw::shell
