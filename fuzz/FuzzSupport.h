// Shared set-up for the libFuzzer targets.
#pragma once
#include <cstddef>

#include "editor/imaging/Codecs.h"
#include "editor/imaging/DibImage.h"
#include "editor/resources/EditorTexts.h"
#include "platform/Prompter.h"
#include "platform/ResourceText.h"

namespace mrw::fuzz {

// Message boxes would print on every input; the fuzzers answer them silently.
class SilentPrompter : public Prompter {
public:
    int Show(const std::string&, unsigned) override { return kIdOk; }
};

// What every fuzzer installs once for the life of the process: the silent
// prompter, and the editor's texts, as mrw does (the default theme's name
// among them).
inline void SetUpFuzzing() {
    static SilentPrompter silent;
    static ScopedPrompter guard(silent);
    static ScopedResourceTable texts(EditorResourceTable());
}

// The picture fuzzers' set-up: silent prompts, and decoders that refuse
// pictures above 1 MiB of pixels (the real limit is 256 MiB) and let libpng
// allocate at most 8 MiB at once. Beyond that an input takes up to a second
// and hundreds of megabytes under the sanitizers, and reaches no other code.
inline void SetUpPictureFuzzing() {
    static const bool done = [] {
        SetUpFuzzing();
        imaging::LimitImagesForFuzzing(size_t(1) << 20, size_t(8) << 20);
        return true;
    }();
    (void)done;
}

// The decoders are fuzzed on every input; the checks after them (writing the
// picture back, converting its depth) only on pictures up to this many
// pixels. Their work grows with the pixels while the code they run does not,
// and a few bytes can declare millions of pixels.
constexpr size_t kCheckedPixels = size_t(1) << 12;

inline bool SmallEnoughToCheck(const DibImage& image) {
    return size_t(image.Width()) * size_t(image.Height()) <= kCheckedPixels;
}

}  // namespace mrw::fuzz
