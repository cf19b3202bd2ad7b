// File access shared by the image readers and writers (internal to the module).
// Names are found the way the platform's file layer finds them (without
// regard to case on POSIX).
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace mrw::imaging {

struct FileCloser {
    void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens an existing file for binary reading; null when it cannot be opened.
FilePtr OpenForReading(const std::string& path);
// Reads a whole file; false when it cannot be opened or read, or is larger
// than `limit` bytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t limit);
// Creates (or replaces) a file with these bytes; a file written only in part
// is deleted. False on any failure.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace mrw::imaging
