#include "platform/FileLock.h"

#include <windows.h>

namespace mrw {

FileLock::~FileLock() { Release(); }

bool FileLock::Acquire(const std::string& path, std::string& error) {
    Release();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = "cannot open the lock file " + path;
        return false;
    }
    // The system releases the region when the handle closes, also at process end.
    OVERLAPPED at = {};
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
        error = "cannot lock " + path;
        CloseHandle(h);
        return false;
    }
    handle_ = h;
    held_ = true;
    return true;
}

void FileLock::Release() {
    if (handle_) {
        OVERLAPPED at = {};
        UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &at);
        CloseHandle(static_cast<HANDLE>(handle_));
    }
    handle_ = nullptr;
    held_ = false;
}

}  // namespace mrw
