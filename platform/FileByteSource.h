// A byte source over a file of the desktop, for the format readers' file
// entry points. The name is found as the file layer finds names (without
// regard to case on POSIX).
#pragma once
#include <cstdint>
#include <fstream>
#include <string>

#include "base/ByteSource.h"

namespace mrw {

class FileByteSource : public ByteSource {
public:
    FileByteSource() = default;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    // Opens an existing file for reading, closing what was open before. False
    // when it cannot be opened or its size cannot be told; a folder, which
    // POSIX lets one open but not read, counts as a file that cannot be opened.
    [[nodiscard]] bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return file_.is_open(); }

    uint64_t Size() const override { return size_; }
    [[nodiscard]] bool ReadAt(uint64_t offset, void* out, size_t length) override;

private:
    static constexpr uint64_t kUnknownPosition = ~uint64_t(0);
    std::ifstream file_;
    uint64_t size_ = 0;
    uint64_t position_ = kUnknownPosition;  // where the next read starts without a seek
};

}  // namespace mrw
