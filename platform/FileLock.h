// An exclusive advisory lock on a lock file, held by this object and released
// when it goes or when the process ends (however it ends), so a crashed
// holder never leaves a device locked.
#pragma once
#include <string>

namespace mrw {

class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Creates the file when missing and waits until this process holds the
    // lock; false with a reason when the file cannot be opened or locked.
    bool Acquire(const std::string& path, std::string& error);
    void Release();
    bool held() const { return held_; }

private:
#if defined(_WIN32)
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    bool held_ = false;
};

}  // namespace mrw
