#include <windows.h>

#include "platform/Prompter.h"

namespace mrw {

namespace {
class MessageBoxPrompter : public Prompter {
public:
    int Show(const std::string& text, unsigned style) override {
        return MessageBoxA(nullptr, text.c_str(), "Morwen", style);
    }
};
}  // namespace

Prompter& DefaultPrompter() {
    static MessageBoxPrompter prompter;
    return prompter;
}

}  // namespace mrw
