// Fuzzes the setup-file parse and the key-path formatting.
#include <cstdint>
#include <cstdlib>

#include "editor/packages/SetupFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mrw::SetupFileContent content;
    if (!mrw::ParseSetupFile(data, size, content)) return 0;
    size_t total = 0;
    for (const auto& key : content.keys) total += mrw::FormatKeyPath(key, content.strings).size();
    for (const auto& v : content.values) {
        // Every value lies inside the input.
        if (v.name.size() + v.data.size() > size) std::abort();
    }
    return total > size * 1000 ? 1 : 0;
}
