// File times as FILETIME values: 100-nanosecond intervals since 1 January
// 1601, UTC. Natively the creation time is the birth time where the file
// system records one, else the last-write (modification) time.
#pragma once
#include <cstdint>
#include <string>

namespace mrw::files {

struct FileTimes {
    uint64_t creation = 0;
    uint64_t lastAccess = 0;
    uint64_t lastWrite = 0;
};

// False when the file cannot be read (missing, no access).
bool GetTimes(const std::string& path, FileTimes& times);
// Sets the times given; null leaves that time unchanged. A POSIX file system
// cannot set a birth time, so the creation time is ignored there.
bool SetTimes(const std::string& path, const uint64_t* creation, const uint64_t* lastAccess,
              const uint64_t* lastWrite);

// Seconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kFileTimeUnixEpochSeconds = 11644473600ull;
constexpr uint64_t kFileTimeTicksPerSecond = 10000000ull;

inline uint64_t FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds) {
    int64_t shifted = seconds + static_cast<int64_t>(kFileTimeUnixEpochSeconds);
    if (shifted < 0) return 0;  // before 1601: the earliest FILETIME
    return static_cast<uint64_t>(shifted) * kFileTimeTicksPerSecond + nanoseconds / 100;
}

}  // namespace mrw::files
