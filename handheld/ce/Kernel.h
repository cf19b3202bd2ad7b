// The inside of the CE call layer: the state of one booted device (its
// processes, waitable objects, windows, modules and drawing contexts) behind
// one lock. Only the layer's own sources and its tests include this header.
//
// Threading model: every process is a thread; the whole state is guarded by
// one mutex, and every change that may end someone's wait is announced on one
// condition variable (notify_all), so each waiter simply re-checks its own
// condition. No window procedure, library entry or program main ever runs with
// the lock held.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "handheld/ce/Boot.h"
#include "handheld/ce/Ce.h"
#include "handheld/ce/Inspect.h"

namespace mrw::device {
struct Event;
}

namespace mrw::ce::kernel {

// What the layer needs of the device it runs on.
class DeviceHost {
public:
    virtual ~DeviceHost() = default;
    // The stored spelling of an existing device path ("\Windows\WCELOAD.EXE"),
    // with isFolder; false with a CE error code when it does not exist or the
    // path is refused.
    virtual bool Resolve(const std::u16string& path, std::u16string& stored, bool& isFolder, DWORD& error) = 0;
    // The whole content of a device file.
    virtual bool ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes) = 0;
    // A loaded library's file: writing, moving and deleting it fail while set.
    virtual void SetInUse(const std::u16string& path, bool inUse) = 0;
    virtual void Log(const mrw::device::Event& event) = 0;
};

enum class WaitKind { kNone, kMessage, kObject, kSend, kSleep };

struct SentMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    bool destroy = false;  // DestroyWindow asked from another thread
};

struct Process;

// A waitable object: a process (signalled when it ends) or an event.
struct Waitable {
    enum class Kind { kProcess, kEvent } kind = Kind::kEvent;
    Process* process = nullptr;
    bool manualReset = true;
    bool signalled = false;
};

struct Module;

struct Process {
    DWORD pid = 0;
    std::u16string image;  // device path as the program file is named
    std::u16string commandLine;
    std::vector<WCHAR> commandBuffer;  // the mutable copy handed to the program's main
    ProgramMain main = nullptr;
    bool outside = false;  // a thread from outside the device (a test, the boot's caller)
    bool part = false;     // one of the device's own parts: not logged
    DWORD rootPid = 0;     // the process started from outside that this one descends from
    HINSTANCE instance = nullptr;

    std::deque<MSG> posted;
    std::deque<SentMessage*> incoming;
    bool quitPosted = false;
    int quitCode = 0;

    WaitKind wait = WaitKind::kNone;
    Waitable* waitObject = nullptr;
    SentMessage* waitSend = nullptr;

    bool started = false;  // the thread has entered the program
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
    std::shared_ptr<Waitable> object;  // signalled at the end
    std::thread thread;
    std::map<Module*, int> moduleRefs;
    std::vector<SentMessage*> serving;  // sends being handled now (answered with 0 if the process ends)
};

struct WindowClass {
    std::u16string name;
    WNDCLASSW wc{};
    HINSTANCE instance = nullptr;
    ATOM atom = 0;
    bool system = false;
};

struct DialogState {
    DLGPROC proc = nullptr;
    LRESULT msgResult = 0;
    LONG user = 0;
    bool modal = false;
    bool ended = false;
    int result = 0;
    DWORD shInitFlags = 0;
    bool shInitCalled = false;
};

struct Window {
    std::uintptr_t id = 0;
    std::shared_ptr<WindowClass> cls;
    std::u16string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::uintptr_t parent = 0;
    std::vector<std::uintptr_t> children;  // z-order, top first
    Process* owner = nullptr;
    WNDPROC proc = nullptr;
    RECT rect{};  // relative to the parent's client area
    int controlId = 0;
    LONG userData = 0;
    std::vector<std::uint8_t> extra;
    bool destroying = false;
    bool invalid = false;
    bool erase = false;
    HINSTANCE instance = nullptr;
    std::unique_ptr<DialogState> dialog;
    // Controls of the layer: check state and edit limits.
    UINT check = 0;
    UINT textLimit = 0;
    std::vector<PaintRecord> lastPaint;
};

struct Module {
    HMODULE handle = nullptr;
    std::u16string devicePath;
    std::string hostCopy;  // the private copy that was loaded
    mrw::dynlib::DynamicLibrary native;  // the loaded private copy
    int refs = 0;
    const std::uint8_t* resources = nullptr;
    std::size_t resourceSize = 0;
};

struct Icon {
    int width = 0;
    int height = 0;
    HINSTANCE module = nullptr;
    int id = 0;
};

struct DeviceContext {
    std::uintptr_t window = 0;
    COLORREF textColour = 0;
    COLORREF backColour = 0xFFFFFF;
    int backMode = OPAQUE;
    std::vector<PaintRecord> records;
    bool fromBeginPaint = false;
};

class Kernel {
public:
    std::mutex mutex;
    std::condition_variable changed;
    std::unique_ptr<DeviceHost> host;
    std::uint64_t generation = 0;
    bool running = false;

    std::map<DWORD, std::shared_ptr<Process>> processes;  // device processes and outside threads
    DWORD nextPid = 0x100;
    std::map<std::uintptr_t, std::shared_ptr<Waitable>> handles;
    std::uintptr_t nextHandle = 0x1000;

    std::map<std::uintptr_t, std::unique_ptr<Window>> windows;
    std::vector<std::uintptr_t> topLevel;  // front to back
    std::uintptr_t nextWindow = 0x20000;
    std::vector<std::shared_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;
    std::uintptr_t foreground = 0;

    std::map<std::uintptr_t, std::unique_ptr<Module>> modules;
    std::uintptr_t nextModule = 0x10000000;
    std::string tempFolder;
    int tempCounter = 0;

    std::map<std::uintptr_t, Icon> icons;
    std::map<std::uintptr_t, COLORREF> brushes;
    std::map<std::uintptr_t, DeviceContext> dcs;
    std::uintptr_t nextGdi = 0x30000;

    std::uint64_t bootMillis = 0;
    std::uint64_t sleptMillis = 0;
};

Kernel& K();

// ---- Used across the layer's sources (callers hold the lock where named Locked) ----
Process* CurrentLocked();  // the calling thread's process; an outside one is made on first use
Window* FindWindowLocked(HWND window);
inline HWND ToHwnd(std::uintptr_t id) { return reinterpret_cast<HWND>(id); }
inline std::uintptr_t FromHwnd(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }
bool IdleLocked(const Process& process);
bool OthersIdleLocked(const Process& self);
// Serves one message sent to the caller's windows; the lock is released while it runs.
void ServeOneLocked(std::unique_lock<std::mutex>& lock, Process& self);
void LogEvent(const mrw::device::Event& event);
std::string Utf8(const std::u16string& text);
std::u16string ToU16(LPCWSTR text);

// Starts a process; null with a CE error when it cannot start.
std::shared_ptr<Process> StartProcessLocked(std::unique_lock<std::mutex>& lock, const std::u16string& image,
                                            const std::u16string& commandLine, ProgramMain main, bool part,
                                            Process* starter, DWORD& error);
ProgramMain FindProgram(const std::u16string& baseName);

// Windows: destroy every window of a process (on its own thread).
void DestroyProcessWindows(Process& process);
// Modules: release what a process still holds.
void ReleaseProcessModules(Process& process);
void UnloadAllModules();
bool ModuleResources(HINSTANCE instance, const std::uint8_t*& data, std::size_t& size);
std::u16string ModulePathLocked(HINSTANCE instance);

// While one lives, the calling thread's sends and posts are not logged (Inspect's driving).
class QuietSends {
public:
    QuietSends();
    ~QuietSends();
};
// Destroys a window and its children on the calling thread, whoever owns it.
BOOL DestroyWindowHere(HWND window);
LRESULT CallWindowProcHere(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The layer's control and dialog classes.
void RegisterSystemClassesLocked();

// Starts and ends the kernel for one boot.
bool StartKernel(std::unique_ptr<DeviceHost> host, std::string& error);
// Waits (real time, up to timeoutMs) for every device process to end; false with the image of one alive.
bool WaitAllProcesses(unsigned timeoutMs, std::u16string& alive);
void StopKernel();
// Waits until no process descending from rootPid is alive.
MRW_CE_API void WaitForTree(DWORD rootPid);

}  // namespace mrw::ce::kernel
