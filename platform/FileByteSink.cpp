#include "platform/FileByteSink.h"

namespace mrw {

bool FileByteSink::Create(const std::string& path) {
    if (file_.is_open()) file_.close();
    file_.clear();
    position_ = 0;
    file_.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
    return file_.is_open();
}

bool FileByteSink::Write(const void* data, size_t length) {
    if (!file_.is_open()) return false;
    file_.write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
    if (!file_.good()) return false;
    position_ += length;
    return true;
}

bool FileByteSink::Close() {
    if (!file_.is_open()) return false;
    file_.close();
    return !file_.fail();
}

}  // namespace mrw
