#include "platform/Prompter.h"

namespace mrw {

// Without a desktop, messages go to stderr and questions take their first answer.
Prompter& DefaultPrompter() {
    static StderrPrompter prompter;
    return prompter;
}

}  // namespace mrw
