// Fuzzes the setup-file parse (from a byte source, as the readers use it)
// and the key-path formatting.
#include <cstdint>
#include <cstdlib>

#include "base/ByteOrder.h"
#include "base/ByteSource.h"
#include "base/formats/SetupFileLayout.h"
#include "editor/packages/SetupFile.h"

namespace {

namespace sf = mrw::setupfile;

// Counted records beyond those present come out empty, all alike; counts up
// to this many reach that as well as 65535 do, at a fraction of the time.
constexpr unsigned kMaxFuzzedCount = 1024;

bool CountsWithinReach(const uint8_t* data, size_t size) {
    if (size < sf::kHeaderSize) return true;
    for (size_t s = 0; s < sf::kSectionCount; ++s) {
        if (mrw::le::U16(data + sf::CountField(static_cast<sf::Section>(s))) > kMaxFuzzedCount) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!CountsWithinReach(data, size)) return -1;  // not added to the corpus
    mrw::MemoryByteSource source(data, size);
    mrw::SetupFileContent content;
    if (!mrw::ParseSetupFile(source, content)) return 0;
    size_t total = 0;
    for (const auto& key : content.keys) total += mrw::FormatKeyPath(key, content.strings).size();
    for (const auto& v : content.values) {
        // Every value lies inside the input.
        if (v.name.size() + v.data.size() > size) std::abort();
    }
    return total > size * 1000 ? 1 : 0;
}
