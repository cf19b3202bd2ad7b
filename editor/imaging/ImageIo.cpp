#include "editor/imaging/ImageIo.h"

#include "platform/Files.h"

namespace mrw::imaging {

FilePtr OpenForReading(const std::string& path) {
    if (path.empty()) return nullptr;
    return FilePtr(std::fopen(files::Resolve(path).c_str(), "rb"));
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t limit) {
    out.clear();
    FilePtr f = OpenForReading(path);
    if (!f) return false;
    std::vector<uint8_t> chunk(65536);
    for (;;) {
        const size_t got = std::fread(chunk.data(), 1, chunk.size(), f.get());
        if (got) {
            if (out.size() + got > limit) return false;
            out.insert(out.end(), chunk.data(), chunk.data() + got);
        }
        if (got < chunk.size()) break;
    }
    return !std::ferror(f.get());
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (files::WriteAll(path, bytes.data(), bytes.size())) return true;
    if (files::IsFile(path)) files::Delete(path);
    return false;
}

}  // namespace mrw::imaging
