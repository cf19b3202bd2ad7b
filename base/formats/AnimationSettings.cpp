#include "base/formats/AnimationSettings.h"

#include "base/AsciiText.h"

namespace mrw::formats {

namespace {

// atoi: leading white space, a sign, leading digits; held below a billion
// instead of overflowing.
long ParseLeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && ascii::IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && ascii::IsDigit(text[i]); ++i) {
        if (value < 100000000L) value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// Position of the "=" of a size line, npos for any other line.
size_t SizeLineEquals(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && ascii::IsSpace(line[i])) ++i;
    if (!ascii::StartsWithNoCase(line.substr(i), "size")) return std::string_view::npos;
    i += 4;
    while (i < line.size() && ascii::IsSpace(line[i])) ++i;
    return i < line.size() && line[i] == '=' ? i : std::string_view::npos;
}

}  // namespace

bool IsAnimationSizeLine(std::string_view line) { return SizeLineEquals(line) != std::string_view::npos; }

AnimationSizeLine FindAnimationSizeLine(std::string_view text) {
    AnimationSizeLine result;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        const size_t equals = SizeLineEquals(line);
        if (equals != std::string_view::npos) {
            result.found = true;
            result.begin = pos;
            result.end = end;
            result.number = ParseLeadingNumber(line.substr(equals + 1));
            return result;
        }
        pos = end + 1;
    }
    return result;
}

int AnimationHeight(std::string_view text) {
    const AnimationSizeLine line = FindAnimationSizeLine(text);
    if (!line.found) return 0;
    if (line.number < 1) return 1;
    return line.number > kMaxAnimationHeight ? kMaxAnimationHeight : static_cast<int>(line.number);
}

int HandheldAnimationHeight(std::string_view text) {
    const AnimationSizeLine line = FindAnimationSizeLine(text);
    if (!line.found || line.number <= 0) return 0;
    return line.number > kMaxAnimationHeight ? kMaxAnimationHeight : static_cast<int>(line.number);
}

}  // namespace mrw::formats
