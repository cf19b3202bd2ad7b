// File access shared by the image readers and writers (internal to the module).
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

// Opens an existing file for binary reading (names resolved the way the
// platform's file layer finds them); null when it cannot be opened.
FilePtr OpenForReading(const std::string& path);
// Creates (or truncates) a file for binary writing.
FilePtr OpenForWriting(const std::string& path);
// Reads a whole file; false when it cannot be opened or read, or is larger
// than `limit` bytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t limit = size_t(1) << 30);
// Deletes a file (a partly written output).
void DeleteFile(const std::string& path);

}  // namespace mrw::imaging
