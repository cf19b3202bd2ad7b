// File writing shared by the image writers (internal to the module). The
// readers take their files through FileByteSource.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mrw::imaging {

// Creates (or replaces) a file with these bytes; a file written only in part
// is deleted. False on any failure.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace mrw::imaging
