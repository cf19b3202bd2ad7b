#include "base/ByteSource.h"

#include <cstring>
#include <utility>

namespace mrw {

bool ByteSource::ReadUpTo(uint64_t offset, size_t length, std::vector<uint8_t>& out) {
    const uint64_t size = Size();
    const uint64_t available = offset < size ? size - offset : 0;
    out.resize(available < length ? static_cast<size_t>(available) : length);
    return out.empty() || ReadAt(offset, out.data(), out.size());
}

bool MemoryByteSource::ReadAt(uint64_t offset, void* out, size_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    if (length) std::memcpy(out, data_ + offset, length);
    return true;
}

bool MemoryByteSink::Write(const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + length);
    return true;
}

}  // namespace mrw
