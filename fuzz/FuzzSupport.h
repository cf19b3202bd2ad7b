// Shared set-up for the libFuzzer targets.
#pragma once

#include "platform/Prompter.h"

namespace mrw::fuzz {

// Message boxes would print on every input; the fuzzers answer them silently.
class SilentPrompter : public Prompter {
public:
    int Show(const std::string&, unsigned) override { return kIdOk; }
};

// Installs the silent prompter once for the life of the process.
inline void SilencePrompts() {
    static SilentPrompter silent;
    static ScopedPrompter guard(silent);
}

}  // namespace mrw::fuzz
