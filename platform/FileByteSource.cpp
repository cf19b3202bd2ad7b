#include "platform/FileByteSource.h"

#include "platform/Files.h"

namespace mrw {

bool FileByteSource::Open(const std::string& path) {
    Close();
    if (path.empty()) return false;
    const std::string resolved = files::Resolve(path);
    if (files::IsDirectory(resolved)) return false;
    file_.open(resolved, std::ios::in | std::ios::binary);
    if (!file_.is_open()) return false;
    file_.seekg(0, std::ios::end);
    const std::streamoff end = file_.tellg();
    if (end < 0) {
        Close();
        return false;
    }
    size_ = static_cast<uint64_t>(end);
    return true;
}

void FileByteSource::Close() {
    if (file_.is_open()) file_.close();
    file_.clear();
    size_ = 0;
    position_ = kUnknownPosition;
}

bool FileByteSource::ReadAt(uint64_t offset, void* out, size_t length) {
    if (!file_.is_open() || offset > size_ || length > size_ - offset) return false;
    // Sequential reads need no seek, which keeps the stream's buffer.
    if (offset != position_) {
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(offset));
    }
    file_.read(static_cast<char*>(out), static_cast<std::streamsize>(length));
    if (!file_.good() || static_cast<size_t>(file_.gcount()) != length) {
        position_ = kUnknownPosition;
        return false;
    }
    position_ = offset + length;
    return true;
}

}  // namespace mrw
