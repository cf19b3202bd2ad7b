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

// True for a console program (the command-line tool, the test programs):
// read from the subsystem field of the running executable's header.
bool IsConsoleProgram() {
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    if (!base) return false;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return false;
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace

// Windowed programs show message boxes; console programs write to stderr,
// so that a command-line run never waits on a window nobody sees.
Prompter& DefaultPrompter() {
    static MessageBoxPrompter messageBox;
    static StderrPrompter console;
    static const bool useConsole = IsConsoleProgram();
    if (useConsole) return console;
    return messageBox;
}

}  // namespace mrw
