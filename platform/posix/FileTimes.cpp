#include "platform/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/Files.h"

namespace mrw::files {

namespace {

uint64_t FromStatx(const struct statx_timestamp& t) { return FileTimeFromUnix(t.tv_sec, t.tv_nsec); }

bool ToTimespec(uint64_t fileTime, struct timespec& out) {
    uint64_t seconds = fileTime / kFileTimeTicksPerSecond;
    if (seconds < kFileTimeUnixEpochSeconds) return false;  // before 1970: not representable everywhere
    out.tv_sec = static_cast<time_t>(seconds - kFileTimeUnixEpochSeconds);
    out.tv_nsec = static_cast<long>(fileTime % kFileTimeTicksPerSecond) * 100;
    return true;
}

}  // namespace

bool GetTimes(const std::string& path, FileTimes& times) {
    if (path.empty()) return false;
    struct statx info {};
    if (::statx(AT_FDCWD, Resolve(path).c_str(), 0, STATX_ATIME | STATX_MTIME | STATX_BTIME, &info) != 0) {
        return false;
    }
    times.lastAccess = FromStatx(info.stx_atime);
    times.lastWrite = FromStatx(info.stx_mtime);
    // Not every file system records a birth time.
    times.creation = (info.stx_mask & STATX_BTIME) ? FromStatx(info.stx_btime) : times.lastWrite;
    return true;
}

bool SetTimes(const std::string& path, const uint64_t* creation, const uint64_t* lastAccess,
              const uint64_t* lastWrite) {
    (void)creation;  // a birth time cannot be set
    if (path.empty()) return false;
    struct timespec values[2];
    values[0].tv_sec = values[1].tv_sec = 0;
    values[0].tv_nsec = values[1].tv_nsec = UTIME_OMIT;
    if (lastAccess && !ToTimespec(*lastAccess, values[0])) return false;
    if (lastWrite && !ToTimespec(*lastWrite, values[1])) return false;
    return ::utimensat(AT_FDCWD, Resolve(path).c_str(), values, 0) == 0;
}

}  // namespace mrw::files
