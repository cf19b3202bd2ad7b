#include "platform/Prompter.h"

#include <cstdio>

#include "platform/Console.h"
#include "platform/ResourceText.h"

namespace mrw {

// The platform's own message box (win32) or stderr (POSIX); defined by the backend.
Prompter& DefaultPrompter();

namespace {
Prompter* gPrompter = nullptr;

int FirstAnswerOf(unsigned style) {
    switch (style & 0xF) {
        case kMbYesNo:
        case kMbYesNoCancel: return kIdYes;
        default: return kIdOk;
    }
}
}  // namespace

Prompter& CurrentPrompter() { return gPrompter ? *gPrompter : DefaultPrompter(); }

Prompter* SetPrompter(Prompter* prompter) {
    Prompter* previous = gPrompter;
    gPrompter = prompter;
    return previous;
}

int ShowMessage(int stringId, const std::string& argument, unsigned style) {
    return CurrentPrompter().Show(FormatResourceText(LoadResourceString(stringId), argument), style);
}

// A text that expects an argument but is shown without one loses its "%s"
// instead of showing it.
int ShowMessage(int stringId, unsigned style) { return ShowMessage(stringId, std::string(), style); }

int ShowText(const std::string& text, unsigned style) { return CurrentPrompter().Show(text, style); }

int StderrPrompter::Show(const std::string& text, unsigned style) {
    std::fprintf(stderr, "%s\n", console::ForConsole(text).c_str());
    return forcedAnswer_ ? forcedAnswer_ : FirstAnswerOf(style);
}

int ScriptedPrompter::Show(const std::string& text, unsigned style) {
    shown.push_back({text, style});
    if (answers.empty()) return FirstAnswerOf(style);
    int a = answers.front();
    answers.pop_front();
    return a;
}

}  // namespace mrw
