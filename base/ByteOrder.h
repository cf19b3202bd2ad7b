// Little-endian fields in byte buffers: the cabinet, setup-file and picture
// formats all store their numbers so. The plain readers assemble bytes from
// a pointer the caller has already checked; the *At forms check the bounds
// themselves in the non-overflowing order (offset first, then the length
// left after it) and fail without touching `value`.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mrw::le {

inline uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void SetU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void SetU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// True when `length` bytes at `offset` lie inside a buffer of `size` bytes.
constexpr bool Fits(size_t size, size_t offset, size_t length) { return offset <= size && length <= size - offset; }

[[nodiscard]] inline bool U16At(const uint8_t* data, size_t size, size_t offset, uint16_t& value) {
    if (!Fits(size, offset, 2)) return false;
    value = U16(data + offset);
    return true;
}

[[nodiscard]] inline bool U32At(const uint8_t* data, size_t size, size_t offset, uint32_t& value) {
    if (!Fits(size, offset, 4)) return false;
    value = U32(data + offset);
    return true;
}

[[nodiscard]] inline bool SetU16At(uint8_t* data, size_t size, size_t offset, uint16_t value) {
    if (!Fits(size, offset, 2)) return false;
    SetU16(data + offset, value);
    return true;
}

[[nodiscard]] inline bool SetU32At(uint8_t* data, size_t size, size_t offset, uint32_t value) {
    if (!Fits(size, offset, 4)) return false;
    SetU32(data + offset, value);
    return true;
}

}  // namespace mrw::le
