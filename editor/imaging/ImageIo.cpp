#include "editor/imaging/ImageIo.h"

#include "platform/Files.h"

namespace mrw::imaging {

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (files::WriteAll(path, bytes.data(), bytes.size())) return true;
    if (files::IsFile(path)) files::Delete(path);
    return false;
}

}  // namespace mrw::imaging
