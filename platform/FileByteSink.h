// A byte sink into a new file of the desktop, for the format writers.
#pragma once
#include <cstdint>
#include <fstream>
#include <string>

#include "base/ByteSource.h"

namespace mrw {

class FileByteSink : public ByteSink {
public:
    FileByteSink() = default;
    FileByteSink(const FileByteSink&) = delete;
    FileByteSink& operator=(const FileByteSink&) = delete;

    // Creates the file (replacing its content when it exists). False when it
    // cannot be created.
    [[nodiscard]] bool Create(const std::string& path);
    // Closes the file; false when a write or the close failed.
    [[nodiscard]] bool Close();

    [[nodiscard]] bool Write(const void* data, size_t length) override;
    uint64_t Position() const override { return position_; }

private:
    std::ofstream file_;
    uint64_t position_ = 0;
};

}  // namespace mrw
