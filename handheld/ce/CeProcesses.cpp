// Processes as threads, waitable objects, Sleep in device time, errors, and
// the kernel's start and end for one boot.
#include <algorithm>
#include <chrono>

#include "base/AsciiText.h"
#include "base/TextEncoding.h"
#include "handheld/ce/Kernel.h"
#include "handheld/device/Device.h"

namespace mrw::ce {
namespace kernel {

namespace {

// Thrown by ExitProcess inside a process's thread and caught at its top, so
// that the program's objects are destroyed on the way out.
struct ProcessExit {
    DWORD code;
};

// The exit code of a process whose program let an exception escape.
constexpr DWORD kUnhandledExceptionCode = 0xE06D7363;

struct ThreadState {
    std::uint64_t generation = 0;
    Process* process = nullptr;
    DWORD lastError = 0;
};
thread_local ThreadState tls;

std::uint64_t NowMillis() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::mutex& ProgramTableMutex() {
    static std::mutex m;
    return m;
}
std::vector<std::pair<std::u16string, ProgramMain>>& ProgramTable() {
    static std::vector<std::pair<std::u16string, ProgramMain>> table;
    return table;
}

Waitable* FindHandleLocked(HANDLE handle) {
    auto it = K().handles.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == K().handles.end() ? nullptr : it->second.get();
}

HANDLE NewHandleLocked(const std::shared_ptr<Waitable>& object) {
    std::uintptr_t value = K().nextHandle;
    K().nextHandle += 4;
    K().handles[value] = object;
    return reinterpret_cast<HANDLE>(value);
}

bool HasInvalidWindowLocked(const Process& process) {
    for (auto& [id, w] : K().windows) {
        if (w->owner == &process && w->invalid && !w->destroying) return true;
    }
    return false;
}

void LogStartLocked(const Process& p, const Process* starter) {
    mrw::device::Event e;
    e.kind = "start";
    e.fields.push_back({"pid", std::to_string(p.pid), true});
    e.fields.push_back({"process", starter && !starter->outside ? Utf8(starter->image) : std::string(), false});
    e.fields.push_back({"image", Utf8(p.image), false});
    e.fields.push_back({"commandLine", Utf8(p.commandLine), false});
    LogEvent(e);
}

void LogExitLocked(const Process& p) {
    mrw::device::Event e;
    e.kind = "exit";
    e.fields.push_back({"pid", std::to_string(p.pid), true});
    e.fields.push_back({"image", Utf8(p.image), false});
    e.fields.push_back({"exitCode", std::to_string(p.exitCode), true});
    LogEvent(e);
}

void FinishLocked(Process& p, DWORD code) {
    p.ended = true;
    p.exitCode = code;
    p.wait = WaitKind::kNone;
    p.object->signalled = true;
    for (SentMessage* sent : p.incoming) {
        sent->result = 0;
        sent->done = true;
    }
    p.incoming.clear();
    for (SentMessage* sent : p.serving) {
        sent->result = 0;
        sent->done = true;
    }
    p.serving.clear();
    p.posted.clear();
    if (!p.part) LogExitLocked(p);
    K().changed.notify_all();
}

void EndProcess(Process& p, DWORD code) {
    DestroyProcessWindows(p);
    ReleaseProcessModules(p);
    std::unique_lock<std::mutex> lock(K().mutex);
    FinishLocked(p, code);
}

void ProcessThread(std::shared_ptr<Process> p, std::uint64_t generation) {
    tls.generation = generation;
    tls.process = p.get();
    tls.lastError = 0;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        p->started = true;
        K().changed.notify_all();
    }
    DWORD code = 0;
    try {
        code = static_cast<DWORD>(p->main(p->instance, nullptr, p->commandBuffer.data(), SW_SHOW));
    } catch (const ProcessExit& exit) {
        code = exit.code;
    } catch (...) {
        code = kUnhandledExceptionCode;
    }
    EndProcess(*p, code);
    tls.process = nullptr;
}

std::u16string BaseNameWithoutExtension(const std::u16string& path) {
    std::size_t slash = path.find_last_of(u'\\');
    std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.find_last_of(u'.');
    return dot == std::u16string::npos ? name : name.substr(0, dot);
}

}  // namespace

Kernel& K() {
    // Never destroyed: a process thread that outlived its boot may still wait on it at exit.
    static Kernel* kernel = new Kernel;
    return *kernel;
}

std::string Utf8(const std::u16string& text) { return mrw::text::Utf16ToUtf8(text); }

std::u16string ToU16(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(); }

void LogEvent(const mrw::device::Event& event) {
    if (K().host) K().host->Log(event);
}

Process* CurrentLocked() {
    Kernel& k = K();
    if (tls.process && tls.generation == k.generation) return tls.process;
    // A thread from outside the device: it gets a process record of its own
    // (image "") so that it can own windows and send messages.
    auto p = std::make_shared<Process>();
    p->pid = k.nextPid++;
    p->outside = true;
    p->started = true;
    p->object = std::make_shared<Waitable>();
    p->object->kind = Waitable::Kind::kProcess;
    p->object->process = p.get();
    k.processes[p->pid] = p;
    tls.generation = k.generation;
    tls.process = p.get();
    return p.get();
}

bool IdleLocked(const Process& q) {
    if (q.ended) return true;
    if (!q.started) return false;
    switch (q.wait) {
    case WaitKind::kNone:
        return false;
    case WaitKind::kMessage:
        return q.incoming.empty() && q.posted.empty() && !q.quitPosted && !HasInvalidWindowLocked(q);
    case WaitKind::kObject:
        return !(q.waitObject && q.waitObject->signalled);
    case WaitKind::kSend:
        return q.incoming.empty() && !(q.waitSend && q.waitSend->done);
    case WaitKind::kSleep:
        return true;
    }
    return false;
}

bool OthersIdleLocked(const Process& self) {
    for (auto& [pid, p] : K().processes) {
        if (p.get() == &self || p->outside || p->ended) continue;
        if (!IdleLocked(*p)) return false;
    }
    return true;
}

ProgramMain FindProgram(const std::u16string& baseName) {
    std::lock_guard<std::mutex> lock(ProgramTableMutex());
    for (auto& [name, main] : ProgramTable()) {
        if (mrw::ascii::EqualsNoCase(name, baseName)) return main;
    }
    return nullptr;
}

std::shared_ptr<Process> StartProcessLocked(std::unique_lock<std::mutex>& lock, const std::u16string& image,
                                            const std::u16string& commandLine, ProgramMain main, bool part,
                                            Process* starter, DWORD& error) {
    Kernel& k = K();
    if (!k.running) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    auto p = std::make_shared<Process>();
    p->pid = k.nextPid++;
    p->image = image;
    p->commandLine = commandLine;
    p->commandBuffer.assign(commandLine.begin(), commandLine.end());
    p->commandBuffer.push_back(0);
    p->main = main;
    p->part = part;
    p->rootPid = part ? 0 : (starter == nullptr || starter->outside ? p->pid : starter->rootPid);
    p->instance = reinterpret_cast<HINSTANCE>(k.nextModule);
    k.nextModule += 0x10000;
    p->object = std::make_shared<Waitable>();
    p->object->kind = Waitable::Kind::kProcess;
    p->object->process = p.get();
    k.processes[p->pid] = p;
    if (!part) LogStartLocked(*p, starter);
    if (!main) {
        // An outside program: it ends at once with 0.
        p->started = true;
        FinishLocked(*p, 0);
        return p;
    }
    p->thread = std::thread(ProcessThread, p, k.generation);
    return p;
}

bool StartKernel(std::unique_ptr<DeviceHost> host, std::string& error) {
    Kernel& k = K();
    std::lock_guard<std::mutex> lock(k.mutex);
    if (k.running) {
        error = "a boot is running already";
        return false;
    }
    ++k.generation;
    k.host = std::move(host);
    k.running = true;
    k.bootMillis = NowMillis();
    k.sleptMillis = 0;
    RegisterSystemClassesLocked();
    return true;
}

bool WaitAllProcesses(unsigned timeoutMs, std::u16string& alive) {
    Kernel& k = K();
    std::unique_lock<std::mutex> lock(k.mutex);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto allEnded = [&] {
        for (auto& [pid, p] : k.processes) {
            if (!p->outside && !p->ended) return false;
        }
        return true;
    };
    if (k.changed.wait_until(lock, deadline, allEnded)) return true;
    for (auto& [pid, p] : k.processes) {
        if (!p->outside && !p->ended) {
            alive = p->image;
            break;
        }
    }
    return false;
}

void StopKernel() {
    Kernel& k = K();
    std::vector<std::shared_ptr<Process>> all;
    {
        std::lock_guard<std::mutex> lock(k.mutex);
        for (auto& [pid, p] : k.processes) all.push_back(p);
    }
    bool zombies = false;
    for (auto& p : all) {
        if (!p->thread.joinable()) continue;
        bool ended;
        {
            std::lock_guard<std::mutex> lock(k.mutex);
            ended = p->ended;
        }
        // A process still alive after the shutdown's wait cannot be joined:
        // its thread is left to the operating system.
        if (ended) {
            p->thread.join();
        } else {
            p->thread.detach();
            zombies = true;
        }
    }
    // Windows of outside threads, then the libraries, unless a process that
    // outlived the shutdown may still run their code.
    for (auto& p : all) {
        if (p->outside) DestroyProcessWindows(*p);
    }
    if (!zombies) UnloadAllModules();
    std::lock_guard<std::mutex> lock(k.mutex);
    k.windows.clear();
    k.topLevel.clear();
    k.classes.clear();
    k.handles.clear();
    k.icons.clear();
    k.brushes.clear();
    k.dcs.clear();
    k.foreground = 0;
    if (zombies) {
        // Their code stays mapped for the threads left running.
        for (auto& [id, module] : k.modules) module.release();
        k.modules.clear();
    }
    // Processes whose threads were detached keep their records alive.
    for (auto& p : all) {
        if (!p->ended && !p->outside) new std::shared_ptr<Process>(p);
    }
    k.processes.clear();
    k.host.reset();
    k.running = false;
    ++k.generation;
}

void WaitForTree(DWORD rootPid) {
    Kernel& k = K();
    std::unique_lock<std::mutex> lock(k.mutex);
    k.changed.wait(lock, [&] {
        for (auto& [pid, p] : k.processes) {
            if (!p->outside && !p->ended && p->rootPid == rootPid) return false;
        }
        return true;
    });
}

}  // namespace kernel

using namespace kernel;

DWORD GetLastError() { return tls.lastError; }
void SetLastError(DWORD error) { tls.lastError = error; }

void RegisterProgram(const char16_t* baseName, ProgramMain main) {
    if (!baseName || !main) return;
    std::lock_guard<std::mutex> lock(ProgramTableMutex());
    for (auto& entry : ProgramTable()) {
        if (mrw::ascii::EqualsNoCase(entry.first, baseName)) {
            entry.second = main;
            return;
        }
    }
    ProgramTable().emplace_back(baseName, main);
}

BOOL CreateProcessW(LPCWSTR imageName, LPCWSTR commandLine, void*, void*, BOOL, DWORD, LPVOID, LPCWSTR, void*,
                    PROCESS_INFORMATION* info) {
    if (!imageName || !*imageName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string path = imageName;
    std::replace(path.begin(), path.end(), u'/', u'\\');
    // A bare name is looked for in \Windows, as the handheld does.
    if (path[0] != u'\\') path = u"\\Windows\\" + path;
    std::size_t slash = path.find_last_of(u'\\');
    if (path.find(u'.', slash) == std::u16string::npos) path += u".exe";

    Kernel& k = K();
    std::unique_lock<std::mutex> lock(k.mutex);
    if (!k.running || !k.host) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string stored;
    bool isFolder = false;
    DWORD error = 0;
    if (!k.host->Resolve(path, stored, isFolder, error)) {
        SetLastError(error ? error : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (isFolder) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Process* starter = CurrentLocked();
    ProgramMain main = FindProgram(BaseNameWithoutExtension(stored));
    auto p = StartProcessLocked(lock, stored, ToU16(commandLine), main, false, starter, error);
    if (!p) {
        SetLastError(error);
        return FALSE;
    }
    if (info) {
        info->hProcess = NewHandleLocked(p->object);
        info->hThread = NewHandleLocked(p->object);
        info->dwProcessId = p->pid;
        info->dwThreadId = p->pid;
    }
    return TRUE;
}

HANDLE StartDevicePart(const char16_t* image, ProgramMain main, const char16_t* commandLine) {
    Kernel& k = K();
    std::unique_lock<std::mutex> lock(k.mutex);
    DWORD error = 0;
    if (!main) return nullptr;
    auto p = StartProcessLocked(lock, ToU16(image), ToU16(commandLine), main, true, CurrentLocked(), error);
    if (!p) {
        SetLastError(error);
        return nullptr;
    }
    k.changed.wait(lock, [&] { return p->ended || (p->started && p->wait != WaitKind::kNone); });
    return NewHandleLocked(p->object);
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    Kernel& k = K();
    std::unique_lock<std::mutex> lock(k.mutex);
    auto it = k.handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == k.handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    std::shared_ptr<Waitable> object = it->second;
    auto take = [&] {
        if (object->kind == Waitable::Kind::kEvent && !object->manualReset) object->signalled = false;
        return WAIT_OBJECT_0;
    };
    if (object->signalled) return take();
    if (milliseconds == 0) return WAIT_TIMEOUT;
    Process* self = CurrentLocked();
    self->wait = WaitKind::kObject;
    self->waitObject = object.get();
    k.changed.notify_all();
    auto realDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    DWORD result = WAIT_TIMEOUT;
    for (;;) {
        if (object->signalled) {
            result = take();
            break;
        }
        if (milliseconds != INFINITE) {
            // A finite wait ends as a Sleep would: once everyone else waits.
            if (OthersIdleLocked(*self) || std::chrono::steady_clock::now() >= realDeadline) {
                k.sleptMillis += milliseconds;
                break;
            }
            k.changed.wait_until(lock, realDeadline);
        } else {
            k.changed.wait(lock);
        }
    }
    self->wait = WaitKind::kNone;
    self->waitObject = nullptr;
    k.changed.notify_all();
    return result;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Waitable* object = FindHandleLocked(process);
    if (!object || object->kind != Waitable::Kind::kProcess || !exitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = object->process->ended ? object->process->exitCode : STILL_ACTIVE;
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    if (CloseFileHandle(handle)) return TRUE;
    std::lock_guard<std::mutex> lock(K().mutex);
    if (K().handles.erase(reinterpret_cast<std::uintptr_t>(handle)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

void ExitProcess(UINT exitCode) {
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Process* self = CurrentLocked();
        // Outside threads are no processes of the device: nothing to end.
        if (self->outside) return;
    }
    throw ProcessExit{exitCode};
}

DWORD GetCurrentProcessId() {
    std::lock_guard<std::mutex> lock(K().mutex);
    return CurrentLocked()->pid;
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    Kernel& k = K();
    std::unique_lock<std::mutex> lock(k.mutex);
    Process* self = CurrentLocked();
    self->wait = WaitKind::kSleep;
    k.changed.notify_all();
    // Device time: the pause is over once every other process waits. Real
    // time bounds it, so that a process that never waits cannot hang it.
    auto realDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    bool idle = k.changed.wait_until(lock, realDeadline, [&] { return OthersIdleLocked(*self); });
    if (idle) k.sleptMillis += milliseconds;
    self->wait = WaitKind::kNone;
    k.changed.notify_all();
}

DWORD GetTickCount() {
    std::lock_guard<std::mutex> lock(K().mutex);
    return static_cast<DWORD>(NowMillis() - K().bootMillis + K().sleptMillis);
}

HANDLE CreateEventW(void*, BOOL manualReset, BOOL initialState, LPCWSTR) {
    std::lock_guard<std::mutex> lock(K().mutex);
    auto object = std::make_shared<Waitable>();
    object->kind = Waitable::Kind::kEvent;
    object->manualReset = manualReset != FALSE;
    object->signalled = initialState != FALSE;
    return NewHandleLocked(object);
}

BOOL SetEvent(HANDLE event) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Waitable* object = FindHandleLocked(event);
    if (!object || object->kind != Waitable::Kind::kEvent) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->signalled = true;
    K().changed.notify_all();
    return TRUE;
}

BOOL ResetEvent(HANDLE event) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Waitable* object = FindHandleLocked(event);
    if (!object || object->kind != Waitable::Kind::kEvent) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->signalled = false;
    return TRUE;
}

bool WaitUntilIdle(DWORD timeoutMs) {
    Kernel& k = K();
    std::unique_lock<std::mutex> lock(k.mutex);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    return k.changed.wait_until(lock, deadline, [&] {
        for (auto& [pid, p] : k.processes) {
            if (!p->outside && !IdleLocked(*p)) return false;
        }
        return true;
    });
}

}  // namespace mrw::ce
