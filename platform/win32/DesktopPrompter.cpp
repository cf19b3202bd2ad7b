// The prompter of a windowed program: message boxes and the common dialogs,
// owned by the program's window and titled with its caption.
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/Prompter.h"

namespace mrw {

namespace {

// The file dialogs' longest path, as the shell handles it.
constexpr size_t kPathChars = 32768;

// "Text|*.txt|All|*.*||" -> "Text\0*.txt\0All\0*.*\0\0": the filter always
// ends in two NULs, whether or not the text ends in "||".
std::vector<char> FilterFor(const std::string& filter) {
    std::vector<char> out(filter.begin(), filter.end());
    for (char& c : out) {
        if (c == '|') c = '\0';
    }
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

class DesktopPrompter : public Prompter {
public:
    using Prompter::Prompter;

    int Show(const std::string& text, unsigned style) override {
        return MessageBoxA(OwnerWindow(), text.c_str(), Caption().c_str(), style);
    }

    std::optional<std::string> OpenFile(const FileDialogRequest& request) override {
        return AskFile(request, false);
    }

    std::optional<std::string> SaveFile(const FileDialogRequest& request) override {
        return AskFile(request, true);
    }

    std::optional<uint32_t> ChooseColour(uint32_t initial, CustomColours& custom) override {
        COLORREF colours[16];
        for (size_t i = 0; i < custom.size(); ++i) colours[i] = custom[i];
        CHOOSECOLORA cc{};
        cc.lStructSize = sizeof cc;
        cc.hwndOwner = OwnerWindow();
        cc.rgbResult = initial;
        cc.lpCustColors = colours;
        cc.Flags = CC_RGBINIT | CC_FULLOPEN;
        const BOOL chosen = ChooseColorA(&cc);
        // The custom colours the user defined are kept even when the dialog is cancelled.
        for (size_t i = 0; i < custom.size(); ++i) custom[i] = colours[i];
        if (!chosen) return std::nullopt;
        return static_cast<uint32_t>(cc.rgbResult);
    }

private:
    HWND OwnerWindow() const { return reinterpret_cast<HWND>(Owner()); }

    std::optional<std::string> AskFile(const FileDialogRequest& request, bool save) {
        std::vector<char> path(kPathChars, '\0');
        request.initialFile.copy(path.data(), std::min(request.initialFile.size(), path.size() - 1));
        const std::vector<char> filter = FilterFor(request.filter);
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = OwnerWindow();
        ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.data();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = path.data();
        ofn.nMaxFile = static_cast<DWORD>(path.size());
        ofn.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
        ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
        ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
        ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                    (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
        const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
        if (!chosen) return std::nullopt;
        return std::string(path.data());
    }
};

}  // namespace

std::unique_ptr<Prompter> NewDesktopPrompter(std::string caption) {
    return std::make_unique<DesktopPrompter>(std::move(caption));
}

}  // namespace mrw
