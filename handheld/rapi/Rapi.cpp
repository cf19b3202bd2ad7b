// Our RAPI library: the desktop link's entry points served by the virtual
// handheld named in MRW_DEVICE. The connection is process-wide and counted;
// each call takes the device's hold only while it runs, so that programs the
// link starts on the device (which hold it for their whole run) can work
// between calls. Errors are kept per thread.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/AsciiText.h"
#include "base/TextEncoding.h"
#include "handheld/device/Device.h"
#include "handheld/device/DeviceFiles.h"
#include "handheld/device/DevicePaths.h"
#include "handheld/device/FileSystem.h"
#include "handheld/device/Registry.h"
#include "handheld/rapi/RapiTypes.h"
#include "platform/DynamicLibrary.h"
#include "platform/Events.h"
#include "platform/FileLock.h"
#include "platform/Files.h"
#include "platform/Process.h"

using namespace mrw::rapi;
using mrw::device::FileSystem;

namespace {

using Clock = std::chrono::steady_clock;

// The link's settings of a device (lines of its settings file that the
// device itself does not read).
struct LinkSettings {
    long long connectDelayMs = 0;
    bool refuse = false;
    long long transferDelayMs = 0;
    long long capacity = -1;  // bytes; -1 = unlimited
    std::vector<std::u16string> locked;
    mrw::device::Settings device;
};

bool ParseNumber(const std::string& text, long long& value) {
    if (text.empty() || text.size() > 18) return false;
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    value = n;
    return true;
}

LinkSettings ReadLinkSettings(const mrw::device::Settings& settings) {
    LinkSettings link;
    link.device = settings;
    for (const auto& [name, value] : settings.otherSettings) {
        long long n = 0;
        if (name == "connect-delay" && ParseNumber(value, n)) link.connectDelayMs = n;
        if (name == "transfer-delay" && ParseNumber(value, n)) link.transferDelayMs = n;
        if (name == "capacity" && ParseNumber(value, n)) link.capacity = n;
        if (name == "refuse") link.refuse = value != "0";
        if (name == "locked") link.locked.push_back(mrw::text::Utf8ToUtf16(value));
    }
    return link;
}

std::u16string Folded(const std::u16string& path) {
    std::u16string out = path;
    for (auto& c : out) c = mrw::device::FoldCase(c);
    return out;
}

std::u16string ToU16(LPCWSTR text) {
    std::u16string out;
    if (text == nullptr) return out;
    for (; *text; ++text) out.push_back(static_cast<char16_t>(*text));
    return out;
}

void CopyName(const std::u16string& name, WCHAR* out, size_t capacity) {
    const size_t n = std::min(name.size(), capacity - 1);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<WCHAR>(name[i]);
    out[n] = 0;
}

FILETIME ToFiletime(uint64_t value) {
    return {static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}
uint64_t FromFiletime(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

uint64_t NowFiletime() {
    // 100 ns units between 1601 and 1970.
    constexpr uint64_t kUnixEpoch = 116444736000000000ull;
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto micro = std::chrono::duration_cast<std::chrono::microseconds>(since).count();
    return kUnixEpoch + static_cast<uint64_t>(micro) * 10;
}

std::string JoinHost(const std::string& dir, const char* name) {
    if (!dir.empty() && (dir.back() == '/' || dir.back() == '\\')) return dir + name;
    return dir + "/" + name;
}

// Errors of the calling thread.
thread_local HRESULT tRapiError = kSOk;
thread_local DWORD tLastError = 0;

// One connection attempt: the event the library owns and, while the
// device's connect delay runs, the thread that ends the attempt.
struct Attempt {
    std::unique_ptr<mrw::events::ManualResetEvent> event;
    RAPIINIT* init = nullptr;
    std::string device;  // the device folder; empty when there was none
    std::thread waiter;
    bool cancelled = false;
};

struct OpenFileHandle {
    FileSystem::FileId id = 0;
    std::u16string path;  // as stored
};
struct FindHandle {
    std::vector<mrw::device::FoundFile> found;
    std::u16string folder;  // "\A\" of the pattern
    size_t next = 0;
};
struct KeyHandle {
    mrw::device::RegRoot root;
    std::u16string path;
};

struct Link {
    // callMutex serialises the calls of this process (the device's hold is
    // one per process); stateMutex guards the fields below.
    std::mutex callMutex;
    std::mutex stateMutex;
    std::condition_variable wake;
    std::vector<std::unique_ptr<Attempt>> attempts;
    bool connected = false;
    std::string deviceDir;
    LinkSettings settings;
    std::unique_ptr<FileSystem> files;
    std::map<std::string, Clock::time_point> firstAttempt;  // by device folder
    std::map<std::uintptr_t, OpenFileHandle> openFiles;
    std::map<std::uintptr_t, FindHandle> finds;
    std::set<std::uintptr_t> processes;
    std::map<std::uintptr_t, KeyHandle> keys;
    std::set<void*> buffers;
    std::uintptr_t nextHandle = 0x1000;
    // Creation times the library keeps (folded device path -> FILETIME),
    // in the device's "link-times" file between processes.
    std::map<std::u16string, uint64_t> creation;
};

constexpr char kTimesFile[] = "link-times";

// "FILETIME<TAB>folded device path" lines; lines that do not read so are skipped.
void LoadTimes(Link& link) {
    link.creation.clear();
    std::vector<uint8_t> bytes;
    if (!mrw::files::ReadAll(JoinHost(link.deviceDir, kTimesFile), bytes)) return;
    const std::string text(bytes.begin(), bytes.end());
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t tab = line.find('\t');
        int64_t value = 0;
        if (tab == std::string::npos || !mrw::ascii::ParseDecimal(line.substr(0, tab), 0, INT64_MAX, value)) continue;
        link.creation[mrw::text::Utf8ToUtf16(line.substr(tab + 1))] = static_cast<uint64_t>(value);
    }
}

// Written while the caller holds the device.
void SaveTimes(Link& link) {
    std::string text;
    for (const auto& [path, time] : link.creation) {
        text += std::to_string(time) + "\t" + mrw::text::Utf16ToUtf8(path) + "\n";
    }
    const std::string path = JoinHost(link.deviceDir, kTimesFile);
    if (mrw::files::WriteAll(path + ".new", text.data(), text.size())) mrw::files::Replace(path + ".new", path);
}

// The link lives until the library is unloaded (or the process ends). It is
// freed then unless an attempt is still open: that attempt's thread may
// still use it, so it is left to the process's end.
struct LinkHolder {
    Link* link = new Link;
    ~LinkHolder() {
        bool idle = false;
        {
            std::lock_guard<std::mutex> state(link->stateMutex);
            idle = link->attempts.empty();
        }
        if (idle) delete link;
    }
};

Link& TheLink() {
    static LinkHolder holder;
    return *holder.link;
}

std::uintptr_t NewHandle(Link& link) {
    link.nextHandle += 4;
    return link.nextHandle;
}

// Appends a `call` event to the device's log, the caller holding the device.
// Only the log's first lines and last byte are read, so that a connection
// costs the same however long the log has grown; false when the log needs
// the device's own repair (missing, damaged, or its last line cut short).
bool AppendCallEvent(const std::string& dir, const mrw::device::Event& event) {
    const std::string path = JoinHost(dir, "events");
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string head(4096, '\0');
    in.read(&head[0], static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    in.clear();
    char last = 0;
    if (head.empty() || !in.seekg(-1, std::ios::end) || !in.get(last) || last != '\n') return false;
    const size_t headerEnd = head.find('\n');
    if (head.compare(0, headerEnd, mrw::device::EventLogHeader()) != 0) return false;
    // Every line after the header belongs to a boot: with none, this is boot 1.
    std::string text = head.size() > headerEnd + 1 ? std::string() : mrw::device::FormatBootLine(1);
    text += mrw::device::FormatEventLine(event);
    in.close();
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << text;
    return static_cast<bool>(out);
}

void LogCall(const std::string& dir, const char* function, HRESULT result) {
    mrw::device::Event event;
    event.kind = "call";
    event.fields.push_back({"function", function, false});
    event.fields.push_back({"result", std::to_string(static_cast<uint32_t>(result)), true});
    {
        mrw::FileLock lock;
        std::string error;
        if (!lock.Acquire(JoinHost(dir, "lock"), error)) return;
        if (AppendCallEvent(dir, event)) return;
    }
    std::string error;
    std::unique_ptr<mrw::device::Device> device = mrw::device::Device::Open(dir, error);
    if (device) device->Log(event);
}

// The settings of the device in DIR; false when DIR is no device (or its settings are damaged).
bool ReadDevice(const std::string& dir, LinkSettings& out) {
    if (dir.empty() || !mrw::files::IsDirectory(JoinHost(dir, "files"))) return false;
    mrw::FileLock lock;
    std::string error;
    std::vector<uint8_t> bytes;
    if (!lock.Acquire(JoinHost(dir, "lock"), error) || !mrw::files::ReadAll(JoinHost(dir, "settings"), bytes)) {
        return false;
    }
    mrw::device::Settings settings;
    if (!mrw::device::ParseSettings(std::string(bytes.begin(), bytes.end()), settings, error)) return false;
    out = ReadLinkSettings(settings);
    return true;
}

// Ends an attempt: the result goes into the caller's record before the event is set.
void Finish(Link& link, Attempt& attempt) {
    const HRESULT result = link.settings.refuse ? kEFail : kSOk;
    if (result == kSOk) {
        link.connected = true;
        if (!link.files) {
            link.files = std::make_unique<FileSystem>(JoinHost(link.deviceDir, "files"), link.settings.device.romFiles,
                                                      link.settings.device.cards);
            LoadTimes(link);
        }
    }
    attempt.init->hrRapiInit = result;
    attempt.event->Set();
}

// The calls: a connection must be up; the device's hold is taken for the call.
class Call {
public:
    Call() : link_(TheLink()), guard_(link_.callMutex) {
        std::string dir;
        {
            std::lock_guard<std::mutex> state(link_.stateMutex);
            if (!link_.connected || link_.attempts.empty()) {
                tRapiError = kNotConnected;
                tLastError = kErrorDeviceNotConnected;
                return;
            }
            dir = link_.deviceDir;
        }
        // The device's hold, as a command takes it (another process may be running a program on it).
        std::string error;
        if (!lock_.Acquire(JoinHost(dir, "lock"), error)) {
            tRapiError = kEFail;
            tLastError = kErrorNotReady;
            return;
        }
        tRapiError = kSOk;
        ok_ = true;
    }
    bool ok() const { return ok_; }
    Link& link() { return link_; }
    FileSystem& files() { return *link_.files; }
    void TransferDelay() {
        if (link_.settings.transferDelayMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(link_.settings.transferDelayMs));
        }
    }
    bool IsLocked(const std::u16string& path) {
        for (const auto& l : link_.settings.locked) {
            if (mrw::device::EqualsNoCase(l, path)) return true;
        }
        return false;
    }
    // The stored form of an existing path, else the path as given.
    std::u16string Stored(const std::u16string& path) {
        std::string host;
        std::u16string stored;
        return files().HostPath(path, host, &stored) == 0 ? stored : path;
    }
    // Total size of the device's files, when a capacity is set.
    bool Fits(uint64_t growth) {
        if (link_.settings.capacity < 0 || growth == 0) return true;
        uint64_t total = 0;
        for (const auto& e : files().ListAll()) total += e.isFolder ? 0 : e.size;
        return total + growth <= static_cast<uint64_t>(link_.settings.capacity);
    }

private:
    Link& link_;
    std::lock_guard<std::mutex> guard_;
    mrw::FileLock lock_;
    bool ok_ = false;
};

BOOL Fail(DWORD error) {
    tLastError = error;
    return kFalse;
}

BOOL Done(uint32_t error) {
    if (error != 0) return Fail(error);
    return kTrue;
}

void FillFind(Link& link, const std::u16string& folder, const mrw::device::FoundFile& f, CE_FIND_DATA& out,
              DWORD flags = 0xFFFFFFFFu) {
    std::memset(&out, 0, sizeof out);
    const auto created = link.creation.find(Folded(folder + f.name));
    const uint64_t creation = created != link.creation.end() ? created->second : f.lastWrite;
    if (flags & FAF_ATTRIBUTES) out.dwFileAttributes = f.attributes;
    if (flags & FAF_CREATION_TIME) out.ftCreationTime = ToFiletime(creation);
    if (flags & FAF_LASTACCESS_TIME) out.ftLastAccessTime = ToFiletime(f.lastWrite);
    if (flags & FAF_LASTWRITE_TIME) out.ftLastWriteTime = ToFiletime(f.lastWrite);
    if (flags & FAF_SIZE_HIGH) out.nFileSizeHigh = static_cast<DWORD>(f.size >> 32);
    if (flags & FAF_SIZE_LOW) out.nFileSizeLow = static_cast<DWORD>(f.size & 0xFFFFFFFFu);
    if (flags & FAF_NAME) CopyName(f.name, out.cFileName, kMaxPath);
}

// "\A\B\*.tsk" -> "\A\B\".
std::u16string FolderOfPattern(const std::u16string& pattern) {
    const size_t slash = pattern.find_last_of(u"\\");
    return slash == std::u16string::npos ? u"\\" : pattern.substr(0, slash + 1);
}

bool ToRoot(HKEY key, Link& link, KeyHandle& out) {
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    if (value >= kHkeyClassesRoot && value <= kHkeyUsers) {
        out = {static_cast<mrw::device::RegRoot>(value - kHkeyClassesRoot), u""};
        return true;
    }
    const auto it = link.keys.find(value);
    if (it == link.keys.end()) return false;
    out = it->second;
    return true;
}

std::u16string SubPath(const std::u16string& base, const std::u16string& sub) {
    if (sub.empty()) return base;
    if (base.empty()) return sub;
    return base + u"\\" + sub;
}

// Registry calls open the whole device (registry and log) for the call.
class RegCall {
public:
    RegCall() : link_(TheLink()), guard_(link_.callMutex) {
        std::string dir;
        {
            std::lock_guard<std::mutex> state(link_.stateMutex);
            if (!link_.connected || link_.attempts.empty()) {
                tRapiError = kNotConnected;
                return;
            }
            dir = link_.deviceDir;
        }
        std::string error;
        device_ = mrw::device::Device::Open(dir, error);
        tRapiError = device_ ? kSOk : kEFail;
    }
    ~RegCall() {
        std::string error;
        if (device_) device_->SaveIfChanged(error);
    }
    LONG failure() const { return tRapiError == kNotConnected ? kErrorDeviceNotConnected : kErrorNotReady; }
    bool ok() const { return device_ != nullptr; }
    mrw::device::Registry& reg() { return device_->Reg(); }
    Link& link() { return link_; }

private:
    Link& link_;
    std::lock_guard<std::mutex> guard_;
    std::unique_ptr<mrw::device::Device> device_;
};

}  // namespace

// ---- Connection ----

extern "C" HRESULT MRW_RAPI_CALL CeRapiInitEx(RAPIINIT* init) {
    Link& link = TheLink();
    std::lock_guard<std::mutex> call(link.callMutex);
    const char* env = std::getenv("MRW_DEVICE");
    const std::string dir = env ? env : "";
    LinkSettings settings;
    const bool device = ReadDevice(dir, settings);
    auto log = [&](HRESULT result) {
        if (device) LogCall(dir, "CeRapiInitEx", result);
        return result;
    };
    if (init == nullptr || init->cbSize != sizeof(RAPIINIT)) return log(kEInvalidArg);
    auto attempt = std::make_unique<Attempt>();
    attempt->event = std::make_unique<mrw::events::ManualResetEvent>();
    if (!attempt->event->IsValid()) return log(kEFail);
    attempt->init = init;
    attempt->device = device ? dir : std::string();
    init->heRapiInit = attempt->event->Handle();
    init->hrRapiInit = kSOk;
    std::unique_lock<std::mutex> state(link.stateMutex);
    link.attempts.push_back(std::move(attempt));
    // No handheld: the attempt never ends.
    if (!device) return kSOk;
    if (link.attempts.size() == 1 || link.deviceDir != dir) {
        link.deviceDir = dir;
        link.settings = settings;
    }
    const Clock::time_point now = Clock::now();
    const Clock::time_point first = link.firstAttempt.emplace(dir, now).first->second;
    const Clock::time_point ready = first + std::chrono::milliseconds(link.settings.connectDelayMs);
    Attempt& a = *link.attempts.back();
    if (now >= ready) {
        Finish(link, a);
    } else {
        a.waiter = std::thread([&link, &a, ready]() {
            std::unique_lock<std::mutex> lock(link.stateMutex);
            if (!link.wake.wait_until(lock, ready, [&a]() { return a.cancelled; })) Finish(link, a);
        });
    }
    state.unlock();
    return log(kSOk);
}

extern "C" HRESULT MRW_RAPI_CALL CeRapiInit() {
    RAPIINIT init{};
    init.cbSize = sizeof init;
    const HRESULT result = CeRapiInitEx(&init);
    if (result < 0) return result;
    // The plain form waits for the attempt; the record stays with the attempt, so copy the outcome.
    mrw::events::WaitHandle event = init.heRapiInit;
    mrw::events::WaitAny(&event, 1, mrw::events::kInfinite);
    return init.hrRapiInit;
}

extern "C" HRESULT MRW_RAPI_CALL CeRapiUninit() {
    Link& link = TheLink();
    std::lock_guard<std::mutex> call(link.callMutex);
    std::unique_ptr<Attempt> attempt;
    std::string dir;
    {
        std::lock_guard<std::mutex> state(link.stateMutex);
        if (link.attempts.empty()) return kEFail;
        attempt = std::move(link.attempts.back());
        link.attempts.pop_back();
        attempt->cancelled = true;
        dir = attempt->device;
    }
    link.wake.notify_all();
    if (attempt->waiter.joinable()) attempt->waiter.join();
    attempt->event.reset();
    {
        std::lock_guard<std::mutex> state(link.stateMutex);
        if (link.attempts.empty()) {
            // The last connection ends: every handle it gave out goes with it.
            if (link.files) {
                for (const auto& [handle, file] : link.openFiles) link.files->Close(file.id);
            }
            link.openFiles.clear();
            link.finds.clear();
            link.keys.clear();
            link.processes.clear();
            link.files.reset();
            link.connected = false;
        }
    }
    if (!dir.empty()) LogCall(dir, "CeRapiUninit", kSOk);
    return kSOk;
}

extern "C" HRESULT MRW_RAPI_CALL CeRapiGetError() { return tRapiError; }

extern "C" DWORD MRW_RAPI_CALL CeGetLastError() { return tLastError; }

extern "C" HRESULT MRW_RAPI_CALL CeRapiFreeBuffer(LPVOID buffer) {
    if (buffer == nullptr) return kSOk;
    Link& link = TheLink();
    std::lock_guard<std::mutex> state(link.stateMutex);
    if (link.buffers.erase(buffer) == 0) return kEFail;
    std::free(buffer);
    return kSOk;
}

// ---- Files ----

extern "C" BOOL MRW_RAPI_CALL CeCreateDirectory(LPCWSTR path, void* security) {
    Call call;
    if (!call.ok()) return kFalse;
    if (path == nullptr || security != nullptr) return Fail(kErrorInvalidParameter);
    return Done(call.files().CreateFolder(ToU16(path)));
}

extern "C" HANDLE MRW_RAPI_CALL CeCreateFile(LPCWSTR name, DWORD access, DWORD share, void* security,
                                             DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
    Call call;
    if (!call.ok()) return InvalidHandle();
    if (name == nullptr || security != nullptr || templateFile != nullptr) {
        Fail(kErrorInvalidParameter);
        return InvalidHandle();
    }
    const std::u16string path = ToU16(name);
    FileSystem::FileId id = 0;
    bool existed = false;
    const uint32_t readOnly = flagsAndAttributes & CE_FILE_ATTRIBUTE_READONLY;
    const uint32_t error = call.files().Open(path, access, share, disposition, readOnly, id, existed);
    if (error != 0) {
        Fail(error);
        return InvalidHandle();
    }
    const std::u16string stored = call.Stored(path);
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    if (!existed && (disposition != kOpenExisting && disposition != kTruncateExisting)) {
        call.link().creation[Folded(stored)] = NowFiletime();
        SaveTimes(call.link());
    }
    tLastError = existed && (disposition == kOpenAlways || disposition == kCreateAlways) ? kErrorAlreadyExists : 0;
    const std::uintptr_t handle = NewHandle(call.link());
    call.link().openFiles[handle] = {id, stored};
    return reinterpret_cast<HANDLE>(handle);
}

namespace {
bool FileOf(Call& call, HANDLE handle, OpenFileHandle& out) {
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    const auto it = call.link().openFiles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == call.link().openFiles.end()) return false;
    out = it->second;
    return true;
}
}  // namespace

extern "C" BOOL MRW_RAPI_CALL CeReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, void* overlapped) {
    Call call;
    if (!call.ok()) return kFalse;
    OpenFileHandle f;
    if (!FileOf(call, file, f)) return Fail(kErrorInvalidHandle);
    if (read == nullptr || overlapped != nullptr || (buffer == nullptr && size != 0)) {
        return Fail(kErrorInvalidParameter);
    }
    call.TransferDelay();
    uint32_t done = 0;
    const uint32_t error = call.files().Read(f.id, buffer, size, done);
    *read = done;
    return Done(error);
}

extern "C" BOOL MRW_RAPI_CALL CeWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written,
                                          void* overlapped) {
    Call call;
    if (!call.ok()) return kFalse;
    OpenFileHandle f;
    if (!FileOf(call, file, f)) return Fail(kErrorInvalidHandle);
    if (written == nullptr || overlapped != nullptr || (buffer == nullptr && size != 0)) {
        return Fail(kErrorInvalidParameter);
    }
    *written = 0;
    call.TransferDelay();
    uint64_t fileSize = 0, position = 0;
    if (call.files().GetSize(f.id, fileSize) == 0 && call.files().Seek(f.id, 0, 1, position) == 0) {
        const uint64_t end = position + size;
        if (!call.Fits(end > fileSize ? end - fileSize : 0)) return Fail(kErrorDiskFull);
    }
    uint32_t done = 0;
    const uint32_t error = call.files().Write(f.id, buffer, size, done);
    *written = done;
    return Done(error);
}

extern "C" BOOL MRW_RAPI_CALL CeCloseHandle(HANDLE handle) {
    Call call;
    if (!call.ok()) return kFalse;
    Link& link = call.link();
    std::lock_guard<std::mutex> state(link.stateMutex);
    const auto key = reinterpret_cast<std::uintptr_t>(handle);
    const auto it = link.openFiles.find(key);
    if (it != link.openFiles.end()) {
        const uint32_t error = link.files->Close(it->second.id);
        link.openFiles.erase(it);
        return Done(error);
    }
    if (link.processes.erase(key) != 0) return kTrue;
    return Fail(kErrorInvalidHandle);
}

extern "C" DWORD MRW_RAPI_CALL CeGetFileSize(HANDLE file, LPDWORD sizeHigh) {
    Call call;
    if (!call.ok()) return kInvalidFileSize;
    OpenFileHandle f;
    if (!FileOf(call, file, f)) {
        Fail(kErrorInvalidHandle);
        return kInvalidFileSize;
    }
    uint64_t size = 0;
    if (const uint32_t error = call.files().GetSize(f.id, size)) {
        Fail(error);
        return kInvalidFileSize;
    }
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
    tLastError = 0;
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

extern "C" BOOL MRW_RAPI_CALL CeGetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                                            FILETIME* lastWrite) {
    Call call;
    if (!call.ok()) return kFalse;
    OpenFileHandle f;
    if (!FileOf(call, file, f)) return Fail(kErrorInvalidHandle);
    uint64_t written = 0;
    if (const uint32_t error = call.files().GetTime(f.id, written)) return Fail(error);
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    const auto created = call.link().creation.find(Folded(f.path));
    if (creation) *creation = ToFiletime(created != call.link().creation.end() ? created->second : written);
    if (lastAccess) *lastAccess = ToFiletime(written);
    if (lastWrite) *lastWrite = ToFiletime(written);
    return kTrue;
}

extern "C" BOOL MRW_RAPI_CALL CeSetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                                            FILETIME* lastWrite) {
    (void)lastAccess;  // the device keeps no access time
    Call call;
    if (!call.ok()) return kFalse;
    OpenFileHandle f;
    if (!FileOf(call, file, f)) return Fail(kErrorInvalidHandle);
    if (lastWrite) {
        if (const uint32_t error = call.files().SetTime(f.id, FromFiletime(*lastWrite))) return Fail(error);
    }
    if (creation) {
        std::lock_guard<std::mutex> state(call.link().stateMutex);
        call.link().creation[Folded(f.path)] = FromFiletime(*creation);
        SaveTimes(call.link());
    }
    return kTrue;
}

extern "C" HANDLE MRW_RAPI_CALL CeFindFirstFile(LPCWSTR pattern, CE_FIND_DATA* data) {
    Call call;
    if (!call.ok()) return InvalidHandle();
    if (pattern == nullptr || data == nullptr) {
        Fail(kErrorInvalidParameter);
        return InvalidHandle();
    }
    const std::u16string text = ToU16(pattern);
    FindHandle find;
    find.folder = FolderOfPattern(text);
    if (const uint32_t error = call.files().Find(text, find.found)) {
        Fail(error);
        return InvalidHandle();
    }
    if (find.found.empty()) {
        Fail(kErrorFileNotFound);
        return InvalidHandle();
    }
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    FillFind(call.link(), find.folder, find.found[0], *data);
    find.next = 1;
    const std::uintptr_t handle = NewHandle(call.link());
    call.link().finds[handle] = std::move(find);
    return reinterpret_cast<HANDLE>(handle);
}

extern "C" BOOL MRW_RAPI_CALL CeFindNextFile(HANDLE handle, CE_FIND_DATA* data) {
    Call call;
    if (!call.ok()) return kFalse;
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    const auto it = call.link().finds.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == call.link().finds.end()) return Fail(kErrorInvalidHandle);
    if (data == nullptr) return Fail(kErrorInvalidParameter);
    FindHandle& find = it->second;
    if (find.next >= find.found.size()) return Fail(kErrorNoMoreFiles);
    FillFind(call.link(), find.folder, find.found[find.next++], *data);
    return kTrue;
}

extern "C" BOOL MRW_RAPI_CALL CeFindClose(HANDLE handle) {
    Call call;
    if (!call.ok()) return kFalse;
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    if (call.link().finds.erase(reinterpret_cast<std::uintptr_t>(handle)) == 0) return Fail(kErrorInvalidHandle);
    return kTrue;
}

extern "C" BOOL MRW_RAPI_CALL CeFindAllFiles(LPCWSTR pattern, DWORD flags, LPDWORD count, CE_FIND_DATA** found) {
    Call call;
    if (!call.ok()) return kFalse;
    if (pattern == nullptr || count == nullptr || found == nullptr) return Fail(kErrorInvalidParameter);
    *count = 0;
    *found = nullptr;
    const std::u16string text = ToU16(pattern);
    const std::u16string folder = FolderOfPattern(text);
    std::vector<mrw::device::FoundFile> all;
    const uint32_t error = call.files().Find(text, all);
    if (error == kErrorFileNotFound) return kTrue;  // an empty folder, or nothing matches
    if (error != 0) return Fail(error);
    std::vector<mrw::device::FoundFile> kept;
    for (auto& f : all) {
        const bool isFolder = (f.attributes & CE_FILE_ATTRIBUTE_DIRECTORY) != 0;
        if ((flags & FAF_FOLDERS_ONLY) && !isFolder) continue;
        if ((flags & FAF_ATTRIB_NO_HIDDEN) && (f.attributes & CE_FILE_ATTRIBUTE_HIDDEN)) continue;
        if ((flags & FAF_NO_HIDDEN_SYS_ROMMODULES) &&
            (f.attributes & (CE_FILE_ATTRIBUTE_INROM | CE_FILE_ATTRIBUTE_ROMMODULE))) {
            continue;
        }
        if ((flags & FAF_ATTRIB_CHILDREN) && isFolder) {
            std::vector<mrw::device::FoundFile> children;
            if (call.files().Find(folder + f.name + u"\\*", children) != 0 || children.empty()) continue;
            f.attributes |= CE_FILE_ATTRIBUTE_HAS_CHILDREN;
        }
        kept.push_back(std::move(f));
    }
    if (kept.empty()) return kTrue;
    auto* block = static_cast<CE_FIND_DATA*>(std::calloc(kept.size(), sizeof(CE_FIND_DATA)));
    if (block == nullptr) return Fail(kErrorNotReady);
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    for (size_t i = 0; i < kept.size(); ++i) FillFind(call.link(), folder, kept[i], block[i], flags);
    call.link().buffers.insert(block);
    *count = static_cast<DWORD>(kept.size());
    *found = block;
    return kTrue;
}

extern "C" DWORD MRW_RAPI_CALL CeGetFileAttributes(LPCWSTR name) {
    Call call;
    if (!call.ok()) return kInvalidAttributes;
    uint32_t attributes = 0;
    if (name == nullptr) {
        Fail(kErrorInvalidParameter);
        return kInvalidAttributes;
    }
    if (const uint32_t error = call.files().GetAttributes(ToU16(name), attributes)) {
        Fail(error);
        return kInvalidAttributes;
    }
    return attributes;
}

extern "C" BOOL MRW_RAPI_CALL CeSetFileAttributes(LPCWSTR name, DWORD attributes) {
    Call call;
    if (!call.ok()) return kFalse;
    if (name == nullptr) return Fail(kErrorInvalidParameter);
    const std::u16string path = ToU16(name);
    uint32_t current = 0;
    if (const uint32_t error = call.files().GetAttributes(path, current)) return Fail(error);
    if (call.IsLocked(path)) return Fail(kErrorAccessDenied);
    return Done(call.files().SetAttributes(path, attributes));
}

extern "C" BOOL MRW_RAPI_CALL CeDeleteFile(LPCWSTR name) {
    Call call;
    if (!call.ok()) return kFalse;
    if (name == nullptr) return Fail(kErrorInvalidParameter);
    const std::u16string path = ToU16(name);
    const std::u16string stored = call.Stored(path);
    if (const uint32_t error = call.files().Delete(path)) return Fail(error);
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    if (call.link().creation.erase(Folded(stored)) != 0) SaveTimes(call.link());
    return kTrue;
}

extern "C" BOOL MRW_RAPI_CALL CeCopyFile(LPCWSTR existing, LPCWSTR newName, BOOL failIfExists) {
    Call call;
    if (!call.ok()) return kFalse;
    if (existing == nullptr || newName == nullptr) return Fail(kErrorInvalidParameter);
    const std::u16string from = ToU16(existing), to = ToU16(newName);
    std::vector<mrw::device::FoundFile> found;
    uint64_t size = 0;
    if (call.files().Find(from, found) == 0 && found.size() == 1) size = found[0].size;
    if (!call.Fits(size)) return Fail(kErrorDiskFull);
    return Done(call.files().Copy(from, to, failIfExists != 0));
}

extern "C" BOOL MRW_RAPI_CALL CeMoveFile(LPCWSTR existing, LPCWSTR newName) {
    Call call;
    if (!call.ok()) return kFalse;
    if (existing == nullptr || newName == nullptr) return Fail(kErrorInvalidParameter);
    const std::u16string from = ToU16(existing), to = ToU16(newName);
    if (call.IsLocked(from)) return Fail(kErrorAccessDenied);
    const std::u16string stored = call.Stored(from);
    if (const uint32_t error = call.files().Move(from, to)) return Fail(error);
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    auto& creation = call.link().creation;
    const auto it = creation.find(Folded(stored));
    if (it != creation.end()) {
        const uint64_t time = it->second;
        creation.erase(it);
        creation[Folded(to)] = time;
        SaveTimes(call.link());
    }
    return kTrue;
}

// ---- Programs and system ----

extern "C" BOOL MRW_RAPI_CALL CeCreateProcess(LPCWSTR image, LPCWSTR commandLine, void* processSecurity,
                                              void* threadSecurity, BOOL inherit, DWORD flags, LPVOID environment,
                                              LPWSTR folder, void* startup, PROCESS_INFORMATION* info) {
    Call call;
    if (!call.ok()) return kFalse;
    if (image == nullptr || processSecurity || threadSecurity || inherit || flags || environment || folder ||
        startup) {
        return Fail(kErrorInvalidParameter);
    }
    const std::u16string path = ToU16(image);
    uint32_t attributes = 0;
    uint32_t error = call.files().GetAttributes(path, attributes);
    const size_t slash = path.find_last_of(u'\\');
    const bool hasExtension = path.find(u'.', slash == std::u16string::npos ? 0 : slash) != std::u16string::npos;
    if (error != 0 && !hasExtension) error = call.files().GetAttributes(path + u".exe", attributes);
    if (error == 0 && (attributes & CE_FILE_ATTRIBUTE_DIRECTORY)) error = kErrorFileNotFound;
    if (error != 0) return Fail(error == kErrorPathNotFound ? kErrorPathNotFound : kErrorFileNotFound);
    // The device runs the program in a helper process of its own, which
    // boots the device as `mrw device run` does; the link does not wait.
    const std::string helper = mrw::dynlib::DynamicLibrary::FolderOf(reinterpret_cast<const void*>(&CeCreateProcess)) + mrw::process::ExecutableName("rapi-run");
    const std::string arguments = mrw::process::QuoteArgument("rapi-run") + " " +
                                  mrw::process::QuoteArgument(call.link().deviceDir) + " " +
                                  mrw::process::QuoteArgument(mrw::text::Utf16ToUtf8(path)) + " " +
                                  mrw::process::QuoteArgument(mrw::text::Utf16ToUtf8(ToU16(commandLine)));
    mrw::process::StartOptions options;
    options.wait = false;
    if (!mrw::process::Start(helper, arguments, options)) return Fail(kErrorFileNotFound);
    if (info) {
        std::lock_guard<std::mutex> state(call.link().stateMutex);
        const std::uintptr_t process = NewHandle(call.link());
        const std::uintptr_t thread = NewHandle(call.link());
        call.link().processes.insert(process);
        call.link().processes.insert(thread);
        info->hProcess = reinterpret_cast<HANDLE>(process);
        info->hThread = reinterpret_cast<HANDLE>(thread);
        info->dwProcessId = static_cast<DWORD>(process);
        info->dwThreadId = static_cast<DWORD>(thread);
    }
    return kTrue;
}

extern "C" BOOL MRW_RAPI_CALL CeGetVersionEx(CEOSVERSIONINFO* info) {
    Call call;
    if (!call.ok()) return kFalse;
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(CEOSVERSIONINFO)) {
        return Fail(kErrorInvalidParameter);
    }
    std::memset(info, 0, sizeof *info);
    info->dwOSVersionInfoSize = sizeof *info;
    info->dwMajorVersion = call.link().settings.device.osMajor;
    info->dwMinorVersion = call.link().settings.device.osMinor;
    info->dwPlatformId = kVerPlatformWin32Ce;
    return kTrue;
}

// ---- Registry ----

extern "C" LONG MRW_RAPI_CALL CeRegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD options, REGSAM sam, PHKEY result) {
    (void)options;
    (void)sam;
    RegCall call;
    if (!call.ok()) return call.failure();
    if (result == nullptr) return kErrorInvalidParameter;
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    KeyHandle base;
    if (!ToRoot(root, call.link(), base)) return kErrorInvalidHandle;
    KeyHandle key{base.root, SubPath(base.path, ToU16(subKey))};
    if (!call.reg().KeyExists(key.root, key.path)) return kErrorFileNotFound;
    const std::uintptr_t handle = NewHandle(call.link());
    call.link().keys[handle] = key;
    *result = reinterpret_cast<HKEY>(handle);
    return kErrorSuccess;
}

extern "C" LONG MRW_RAPI_CALL CeRegCreateKeyEx(HKEY root, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                                               DWORD options, REGSAM sam, void* security, PHKEY result,
                                               LPDWORD disposition) {
    (void)reserved;
    (void)keyClass;
    (void)options;
    (void)sam;
    (void)security;
    RegCall call;
    if (!call.ok()) return call.failure();
    if (result == nullptr) return kErrorInvalidParameter;
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    KeyHandle base;
    if (!ToRoot(root, call.link(), base)) return kErrorInvalidHandle;
    KeyHandle key{base.root, SubPath(base.path, ToU16(subKey))};
    bool created = false;
    if (const uint32_t error = call.reg().CreateKey(key.root, key.path, &created)) return static_cast<LONG>(error);
    const std::uintptr_t handle = NewHandle(call.link());
    call.link().keys[handle] = key;
    *result = reinterpret_cast<HKEY>(handle);
    if (disposition) *disposition = created ? kRegCreatedNewKey : kRegOpenedExistingKey;
    return kErrorSuccess;
}

extern "C" LONG MRW_RAPI_CALL CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                              DWORD size) {
    (void)reserved;
    RegCall call;
    if (!call.ok()) return call.failure();
    if (data == nullptr && size != 0) return kErrorInvalidParameter;
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    KeyHandle k;
    if (!ToRoot(key, call.link(), k)) return kErrorInvalidHandle;
    std::vector<uint8_t> bytes(data, data + size);
    return static_cast<LONG>(call.reg().SetValue(k.root, k.path, ToU16(name), type, bytes));
}

extern "C" LONG MRW_RAPI_CALL CeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                                LPDWORD size) {
    (void)reserved;
    RegCall call;
    if (!call.ok()) return call.failure();
    if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    KeyHandle k;
    if (!ToRoot(key, call.link(), k)) return kErrorInvalidHandle;
    mrw::device::RegValue value;
    if (const uint32_t error = call.reg().QueryValue(k.root, k.path, ToU16(name), value)) {
        return static_cast<LONG>(error);
    }
    if (type) *type = value.type;
    const DWORD needed = static_cast<DWORD>(value.data.size());
    if (data != nullptr && *size < needed) {
        *size = needed;
        return kErrorMoreData;
    }
    if (data != nullptr && needed != 0) std::memcpy(data, value.data.data(), needed);
    if (size) *size = needed;
    return kErrorSuccess;
}

extern "C" LONG MRW_RAPI_CALL CeRegDeleteValue(HKEY key, LPCWSTR name) {
    RegCall call;
    if (!call.ok()) return call.failure();
    std::lock_guard<std::mutex> state(call.link().stateMutex);
    KeyHandle k;
    if (!ToRoot(key, call.link(), k)) return kErrorInvalidHandle;
    return static_cast<LONG>(call.reg().DeleteValue(k.root, k.path, ToU16(name)));
}

extern "C" LONG MRW_RAPI_CALL CeRegCloseKey(HKEY key) {
    Link& link = TheLink();
    std::lock_guard<std::mutex> call(link.callMutex);
    std::lock_guard<std::mutex> state(link.stateMutex);
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    if (value >= kHkeyClassesRoot && value <= kHkeyUsers) return kErrorSuccess;
    return link.keys.erase(value) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}
