#include "editor/imaging/ImageIo.h"

namespace mrw::imaging {

FilePtr OpenForReading(const std::string& path) {
    return FilePtr(std::fopen(path.c_str(), "rb"));
}

FilePtr OpenForWriting(const std::string& path) {
    return FilePtr(std::fopen(path.c_str(), "wb"));
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t limit) {
    out.clear();
    FilePtr f = OpenForReading(path);
    if (!f) return false;
    uint8_t chunk[65536];
    for (;;) {
        size_t got = std::fread(chunk, 1, sizeof chunk, f.get());
        if (got) {
            if (out.size() + got > limit) return false;
            out.insert(out.end(), chunk, chunk + got);
        }
        if (got < sizeof chunk) break;
    }
    return !std::ferror(f.get());
}

void DeleteFile(const std::string& path) { std::remove(path.c_str()); }

}  // namespace mrw::imaging
