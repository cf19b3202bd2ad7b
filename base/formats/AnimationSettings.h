// The settings file "vx5n.atc" of the animated Today page: ANSI text whose
// size line ("size=96", "  Size = 120") gives the page height. The import,
// the export's rewrite of the file and the handheld's Today item and host all
// find that line by this one rule, so that each of them sees the same height.
#pragma once
#include <cstddef>
#include <string_view>

namespace mrw::formats {

// The page height is always kept within 1..320 (the handheld's screen).
constexpr int kMaxAnimationHeight = 320;
// The most of a settings file the handheld programs read (real ones hold a
// few lines); a size line further on is not seen there.
constexpr size_t kMaxAnimationSettingsRead = 1 << 20;

// True when `line` (one line, without its LF) is a size line: after leading
// white space (the C library's), "size" in any case, optional white space,
// then "=".
bool IsAnimationSizeLine(std::string_view line);

struct AnimationSizeLine {
    bool found = false;
    size_t begin = 0;  // offset of the line's first byte in the text
    size_t end = 0;    // offset of its LF (or the text's end)
    long number = 0;   // what atoi reads after "=", within +-999999999
};

// The first size line of a settings text (lines end at LF).
AnimationSizeLine FindAnimationSizeLine(std::string_view text);

// The page height the import takes: the first size line's number kept within
// 1..320; 0 when the text has no size line.
int AnimationHeight(std::string_view text);

// The height the handheld's Today item and host take from the file: the
// number when it is above 0 (kept to 320 at most); 0 (= keep the registry's
// height) when there is no size line or its number is 0 or negative.
int HandheldAnimationHeight(std::string_view text);

}  // namespace mrw::formats
