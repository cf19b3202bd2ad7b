#include "platform/Prompter.h"

namespace mrw {

// Without a desktop, messages go to stderr, questions take their first answer
// and dialogs are cancelled.
std::unique_ptr<Prompter> NewDesktopPrompter(std::string caption) {
    return std::make_unique<StderrPrompter>(std::move(caption));
}

}  // namespace mrw
