// Where the format readers get their bytes and the writers put theirs. A
// reader sees only this interface, so the same reader works on a file (the
// desktop's file layer supplies one), on memory (tests, fuzzers, a package
// already read), or on whatever a program without the desktop file layer has.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mrw {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Total length in bytes.
    virtual uint64_t Size() const = 0;
    // Reads exactly `length` bytes at `offset` into `out`. False when the
    // range does not lie inside the source or the read fails; `out` may then
    // hold anything.
    [[nodiscard]] virtual bool ReadAt(uint64_t offset, void* out, size_t length) = 0;
    // Reads up to `length` bytes at `offset` into `out` (replaced); false on
    // a read failure, true with fewer bytes (or none) at the end.
    [[nodiscard]] bool ReadUpTo(uint64_t offset, size_t length, std::vector<uint8_t>& out);
};

// A source over bytes in memory that the caller keeps alive.
class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    explicit MemoryByteSource(const std::vector<uint8_t>& bytes) : MemoryByteSource(bytes.data(), bytes.size()) {}
    uint64_t Size() const override { return size_; }
    [[nodiscard]] bool ReadAt(uint64_t offset, void* out, size_t length) override;
    const uint8_t* data() const { return data_; }

private:
    const uint8_t* data_;
    size_t size_;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Appends `length` bytes; false when they could not all be written.
    [[nodiscard]] virtual bool Write(const void* data, size_t length) = 0;
    // Bytes written so far.
    virtual uint64_t Position() const = 0;
};

// A sink that collects everything in memory.
class MemoryByteSink : public ByteSink {
public:
    [[nodiscard]] bool Write(const void* data, size_t length) override;
    uint64_t Position() const override { return bytes_.size(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace mrw
