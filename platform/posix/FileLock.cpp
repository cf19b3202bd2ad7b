#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mrw {

FileLock::~FileLock() { Release(); }

bool FileLock::Acquire(const std::string& path, std::string& error) {
    Release();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error = "cannot open the lock file " + path + ": " + std::strerror(errno);
        return false;
    }
    // flock belongs to the open file: the kernel drops it when the process ends.
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        error = "cannot lock " + path + ": " + std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    held_ = true;
    return true;
}

void FileLock::Release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    fd_ = -1;
    held_ = false;
}

}  // namespace mrw
