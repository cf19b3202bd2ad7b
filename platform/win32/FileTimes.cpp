#include "platform/FileTimes.h"

#include <windows.h>

namespace mrw::files {

namespace {

uint64_t ToValue(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

FILETIME ToFileTime(uint64_t value) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(value);
    t.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return t;
}

// Opens a file or folder for its times only; closed on every path.
class TimeHandle {
public:
    TimeHandle(const std::string& path, DWORD access)
        : h_(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~TimeHandle() {
        if (ok()) CloseHandle(h_);
    }
    TimeHandle(const TimeHandle&) = delete;
    TimeHandle& operator=(const TimeHandle&) = delete;
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

}  // namespace

bool GetTimes(const std::string& path, FileTimes& times) {
    if (path.empty()) return false;
    TimeHandle file(path, FILE_READ_ATTRIBUTES);
    FILETIME creation, access, write;
    if (!file.ok() || !GetFileTime(file.get(), &creation, &access, &write)) return false;
    times.creation = ToValue(creation);
    times.lastAccess = ToValue(access);
    times.lastWrite = ToValue(write);
    return true;
}

bool SetTimes(const std::string& path, const uint64_t* creation, const uint64_t* lastAccess,
              const uint64_t* lastWrite) {
    if (path.empty()) return false;
    TimeHandle file(path, FILE_WRITE_ATTRIBUTES);
    if (!file.ok()) return false;
    FILETIME c = ToFileTime(creation ? *creation : 0);
    FILETIME a = ToFileTime(lastAccess ? *lastAccess : 0);
    FILETIME w = ToFileTime(lastWrite ? *lastWrite : 0);
    return SetFileTime(file.get(), creation ? &c : nullptr, lastAccess ? &a : nullptr, lastWrite ? &w : nullptr) !=
           FALSE;
}

}  // namespace mrw::files
