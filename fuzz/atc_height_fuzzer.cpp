// Fuzzes the height reader of the animated page's settings file: the size
// line found is a size line and no earlier line is one, the heights stay in
// their ranges, and a text whose size line is rewritten as "size=N" reads N.
#include "base/formats/AnimationSettings.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace mrw::formats;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const AnimationSizeLine line = FindAnimationSizeLine(text);
    const int height = AnimationHeight(text);
    const int handheld = HandheldAnimationHeight(text);
    Check(height >= 0 && height <= kMaxAnimationHeight);
    Check(handheld >= 0 && handheld <= kMaxAnimationHeight);
    Check((height == 0) == !line.found);
    Check(handheld == 0 || handheld == height);
    if (!line.found) return 0;

    Check(line.begin <= line.end && line.end <= text.size());
    Check(line.end == text.size() || text[line.end] == '\n');
    Check(line.begin == 0 || text[line.begin - 1] == '\n');
    Check(IsAnimationSizeLine(text.substr(line.begin, line.end - line.begin)));
    for (size_t pos = 0; pos < line.begin;) {
        const size_t end = text.find('\n', pos);
        Check(!IsAnimationSizeLine(text.substr(pos, end - pos)));
        pos = end + 1;
    }

    const int wanted = 1 + static_cast<int>(size % kMaxAnimationHeight);
    std::string rewritten(text.substr(0, line.begin));
    rewritten += "size=" + std::to_string(wanted);
    rewritten += text.substr(line.end);
    Check(AnimationHeight(rewritten) == wanted);
    Check(HandheldAnimationHeight(rewritten) == wanted);
    return 0;
}
