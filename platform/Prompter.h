// Message boxes and the file and colour dialogs. Every user-visible message is
// a resource string with at most one text argument ("%s"), shown with a
// message-box style (MB_* values).
// A program installs its prompter at start: the editor one that shows message
// boxes and the common dialogs over its window, mrw one that prints to stderr;
// tests install a ScriptedPrompter that answers from queues and records what
// was asked. Without one, a quiet prompter answers (see CurrentPrompter).
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mrw {

// Message-box styles and answers, with the platform's values.
enum : unsigned {
    kMbOk = 0x0, kMbOkCancel = 0x1, kMbYesNoCancel = 0x3, kMbYesNo = 0x4,
    kMbIconError = 0x10, kMbIconQuestion = 0x20, kMbIconWarning = 0x30, kMbIconInformation = 0x40,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// A native window handle (an HWND on Windows) as an opaque value; 0 for none.
using NativeWindow = std::uintptr_t;

// What an open-file or save-file dialog asks.
struct FileDialogRequest {
    // Pairs of description and pattern in the form of the resource texts,
    // every part followed by '|': "Pictures (*.gif)|*.gif|All files (*.*)|*.*||".
    std::string filter;
    std::string initialFolder;
    // The name shown in the name field at first (a save dialog's proposal).
    std::string initialFile;
    // "" for the dialog's own title.
    std::string title;
    // Appended by a save dialog to a name typed without one ("tsk"); "" for none.
    std::string defaultExtension;
};

// The colour dialog's sixteen custom colours (0x00BBGGRR), kept by the caller
// from one dialog to the next.
using CustomColours = std::array<uint32_t, 16>;

class Prompter {
public:
    // `caption` names the program that installed the prompter: the title of its message boxes.
    explicit Prompter(std::string caption = std::string()) : caption_(std::move(caption)) {}
    virtual ~Prompter() = default;
    Prompter(const Prompter&) = delete;
    Prompter& operator=(const Prompter&) = delete;

    // Shows `text` (already formatted) and returns the answer (kId*).
    virtual int Show(const std::string& text, unsigned style) = 0;
    // The path chosen, or nothing when the dialog was cancelled. A prompter
    // without dialogs answers "cancelled".
    virtual std::optional<std::string> OpenFile(const FileDialogRequest& request);
    virtual std::optional<std::string> SaveFile(const FileDialogRequest& request);
    // The colour chosen (0x00BBGGRR), or nothing when cancelled; the dialog
    // may change the custom colours.
    virtual std::optional<uint32_t> ChooseColour(uint32_t initial, CustomColours& custom);

    const std::string& Caption() const { return caption_; }
    // The window that owns the message boxes and dialogs; the program sets it
    // once its main window exists (any thread may read it meanwhile).
    NativeWindow Owner() const { return owner_.load(); }
    void SetOwner(NativeWindow owner) { owner_.store(owner); }

private:
    const std::string caption_;
    std::atomic<NativeWindow> owner_{0};
};

// Formats resource string `stringId` with `argument` and shows it through the
// current prompter.
int ShowMessage(int stringId, const std::string& argument, unsigned style);
int ShowMessage(int stringId, unsigned style);
// Shows a fixed text (the few internal messages that are not resource strings).
int ShowText(const std::string& text, unsigned style);

// The installed prompter; without one, a quiet prompter that shows nothing,
// records nothing, answers the first button of every style and cancels every
// dialog. Never null.
Prompter& CurrentPrompter();
// Installs a prompter (not owned) and returns the previous one; nullptr
// restores the quiet one. May be called while other threads show messages.
Prompter* SetPrompter(Prompter* prompter);

// Shows nothing: answers the first button of every style and cancels every dialog.
class QuietPrompter : public Prompter {
public:
    using Prompter::Prompter;
    int Show(const std::string& text, unsigned style) override;
};

// Writes each message to stderr and answers with the first button of the
// style's set (OK or Yes), or with the answer given. Dialogs are cancelled.
class StderrPrompter : public Prompter {
public:
    explicit StderrPrompter(int forcedAnswer = 0) : forcedAnswer_(forcedAnswer) {}
    explicit StderrPrompter(std::string caption, int forcedAnswer = 0)
        : Prompter(std::move(caption)), forcedAnswer_(forcedAnswer) {}
    int Show(const std::string& text, unsigned style) override;

private:
    int forcedAnswer_;
};

// The prompter of a program with windows: message boxes titled `caption` and
// the common file and colour dialogs (Windows). Without a desktop (the native
// build), a StderrPrompter with that caption.
std::unique_ptr<Prompter> NewDesktopPrompter(std::string caption);

// For tests: answers from scripted queues and records every question asked.
// Safe to use from several threads at once. An empty queue answers the first
// button of a message box and cancels a dialog.
class ScriptedPrompter : public Prompter {
public:
    struct Message {
        std::string text;
        unsigned style;
    };
    struct FileDialog {
        bool save;  // SaveFile, else OpenFile
        FileDialogRequest request;
    };
    struct ColourDialog {
        uint32_t initial;
        CustomColours custom;
    };

    using Prompter::Prompter;

    // The answers to come, in order, replacing any not yet given.
    void SetAnswers(std::vector<int> answers);
    void SetFileAnswers(std::vector<std::optional<std::string>> answers);
    void SetColourAnswers(std::vector<std::optional<uint32_t>> answers);

    // Copies of what was asked so far, in order.
    std::vector<Message> Messages() const;
    std::vector<FileDialog> FileDialogs() const;
    std::vector<ColourDialog> ColourDialogs() const;

    int Show(const std::string& text, unsigned style) override;
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
    std::optional<uint32_t> ChooseColour(uint32_t initial, CustomColours& custom) override;

private:
    std::optional<std::string> AskFile(bool save, const FileDialogRequest& request);

    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::deque<std::optional<uint32_t>> colourAnswers_;
    std::vector<Message> messages_;
    std::vector<FileDialog> fileDialogs_;
    std::vector<ColourDialog> colourDialogs_;
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
