// Fuzzes the virtual handheld's registry file reader. The input gets a valid
// checksum appended, so that the tree reader behind the checksum is what is
// exercised; what parses must serialize and reparse to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "handheld/device/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    const uint32_t crc = mrw::device::RegistryChecksum(file.data(), file.size());
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    mrw::device::Registry registry;
    std::string error;
    if (!registry.Parse(file.data(), file.size(), error)) return 0;
    const std::vector<uint8_t> again = registry.Serialize();
    if (again != file) std::abort();
    // Every key the walk names can be found again by its path.
    std::vector<std::pair<mrw::device::RegRoot, std::u16string>> keys;
    registry.Walk([&](mrw::device::RegRoot root, const std::u16string& path,
                      const std::vector<mrw::device::RegValue>&) { keys.emplace_back(root, path); });
    for (const auto& [root, path] : keys) {
        if (!registry.KeyExists(root, path)) std::abort();
    }
    return 0;
}
