// Message boxes. Every user-visible message is a resource string with at most
// one text argument ("%s"), shown with a message-box style (MB_* values).
// The editor shows real message boxes; mrw prints to stderr; tests script the
// answers and record what was asked.
#pragma once
#include <deque>
#include <string>
#include <vector>

namespace mrw {

// Message-box styles and answers, with the platform's values.
enum : unsigned {
    kMbOk = 0x0, kMbOkCancel = 0x1, kMbYesNoCancel = 0x3, kMbYesNo = 0x4,
    kMbIconError = 0x10, kMbIconQuestion = 0x20, kMbIconWarning = 0x30, kMbIconInformation = 0x40,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows `text` (already formatted) and returns the answer (kId*).
    virtual int Show(const std::string& text, unsigned style) = 0;
};

// Formats resource string `stringId` with `argument` and shows it through the
// current prompter.
int ShowMessage(int stringId, const std::string& argument, unsigned style);
int ShowMessage(int stringId, unsigned style);
// Shows a fixed text (the few internal messages that are not resource strings).
int ShowText(const std::string& text, unsigned style);

// The prompter in use; never null (the platform's default when none was set).
Prompter& CurrentPrompter();
// Installs a prompter (not owned) and returns the previous one; nullptr restores the default.
Prompter* SetPrompter(Prompter* prompter);

// Writes each message to stderr and answers with the first button of the
// style's set (OK or Yes), or with the answer given.
class StderrPrompter : public Prompter {
public:
    explicit StderrPrompter(int forcedAnswer = 0) : forcedAnswer_(forcedAnswer) {}
    int Show(const std::string& text, unsigned style) override;
private:
    int forcedAnswer_;
};

// For tests: answers from a queue (kIdOk / kIdYes by default when empty) and
// records every message shown.
class ScriptedPrompter : public Prompter {
public:
    struct Shown { std::string text; unsigned style; };
    std::deque<int> answers;
    std::vector<Shown> shown;
    int Show(const std::string& text, unsigned style) override;
};

// Installs a prompter for the lifetime of the guard.
class ScopedPrompter {
public:
    explicit ScopedPrompter(Prompter& p) : previous_(SetPrompter(&p)) {}
    ~ScopedPrompter() { SetPrompter(previous_); }
    ScopedPrompter(const ScopedPrompter&) = delete;
    ScopedPrompter& operator=(const ScopedPrompter&) = delete;
private:
    Prompter* previous_;
};

}  // namespace mrw
