#include "platform/Prompter.h"

#include <cstdio>

#include "platform/Console.h"
#include "platform/ResourceText.h"

namespace mrw {

namespace {

// Atomic: worker threads show messages while a test or the program swaps prompters.
std::atomic<Prompter*> gPrompter{nullptr};

int FirstAnswerOf(unsigned style) {
    switch (style & 0xF) {
        case kMbYesNo:
        case kMbYesNoCancel: return kIdYes;
        default: return kIdOk;
    }
}

template <class T>
std::optional<T> TakeFront(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) return std::nullopt;
    std::optional<T> answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

}  // namespace

std::optional<std::string> Prompter::OpenFile(const FileDialogRequest&) { return std::nullopt; }
std::optional<std::string> Prompter::SaveFile(const FileDialogRequest&) { return std::nullopt; }
std::optional<uint32_t> Prompter::ChooseColour(uint32_t, CustomColours&) { return std::nullopt; }

Prompter& CurrentPrompter() {
    static QuietPrompter quiet;
    Prompter* installed = gPrompter.load();
    return installed ? *installed : quiet;
}

Prompter* SetPrompter(Prompter* prompter) { return gPrompter.exchange(prompter); }

int ShowMessage(int stringId, const std::string& argument, unsigned style) {
    return CurrentPrompter().Show(FormatResourceText(LoadResourceString(stringId), argument), style);
}

// A text that expects an argument but is shown without one loses its "%s"
// instead of showing it.
int ShowMessage(int stringId, unsigned style) { return ShowMessage(stringId, std::string(), style); }

int ShowText(const std::string& text, unsigned style) { return CurrentPrompter().Show(text, style); }

int QuietPrompter::Show(const std::string&, unsigned style) { return FirstAnswerOf(style); }

int StderrPrompter::Show(const std::string& text, unsigned style) {
    std::fprintf(stderr, "%s\n", console::ForConsole(text).c_str());
    return forcedAnswer_ ? forcedAnswer_ : FirstAnswerOf(style);
}

void ScriptedPrompter::SetAnswers(std::vector<int> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.assign(answers.begin(), answers.end());
}

void ScriptedPrompter::SetFileAnswers(std::vector<std::optional<std::string>> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    fileAnswers_.assign(std::make_move_iterator(answers.begin()), std::make_move_iterator(answers.end()));
}

void ScriptedPrompter::SetColourAnswers(std::vector<std::optional<uint32_t>> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    colourAnswers_.assign(answers.begin(), answers.end());
}

std::vector<ScriptedPrompter::Message> ScriptedPrompter::Messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}

std::vector<ScriptedPrompter::FileDialog> ScriptedPrompter::FileDialogs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fileDialogs_;
}

std::vector<ScriptedPrompter::ColourDialog> ScriptedPrompter::ColourDialogs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return colourDialogs_;
}

int ScriptedPrompter::Show(const std::string& text, unsigned style) {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back({text, style});
    if (answers_.empty()) return FirstAnswerOf(style);
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompter::AskFile(bool save, const FileDialogRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    fileDialogs_.push_back({save, request});
    return TakeFront(fileAnswers_);
}

std::optional<std::string> ScriptedPrompter::OpenFile(const FileDialogRequest& request) {
    return AskFile(false, request);
}

std::optional<std::string> ScriptedPrompter::SaveFile(const FileDialogRequest& request) {
    return AskFile(true, request);
}

std::optional<uint32_t> ScriptedPrompter::ChooseColour(uint32_t initial, CustomColours& custom) {
    std::lock_guard<std::mutex> lock(mutex_);
    colourDialogs_.push_back({initial, custom});
    return TakeFront(colourAnswers_);
}

}  // namespace mrw
