#include "editor/document/NewTheme.h"

#include "base/AsciiText.h"
#include "editor/document/ProjectValues.h"
#include "editor/imaging/DibImage.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/ResourceText.h"
#include "platform/ScratchFolder.h"

namespace mrw {

const char kForbiddenNameChars[] = "\\/:*?\"<>|";

namespace {

constexpr int kMsgForbiddenChars = 179;
constexpr int kMsgDefaultName = 180;
constexpr int kMsgReplaceTheme = 144;
constexpr int kDefaultThemeNameId = 120;

// A white picture of the given size written as a GIF under `realName` in `folder`.
bool WriteWhiteGif(const std::string& folder, const std::string& realName, int width, int height) {
    DibImage image;
    if (image.Create(width, height, 8) != kImageOk) return false;
    image.Fill(MakeColour(255, 255, 255));
    return image.Save(paths::Join(folder, realName), kImageGif) == kImageOk;
}

}  // namespace

ThemeNameCheck CheckThemeName(const std::string& name, const ThemeLibrary& library) {
    if (name.find_first_of(kForbiddenNameChars) != std::string::npos) return ThemeNameCheck::kForbiddenChars;
    if (ascii::ToUpper(name) == ascii::ToUpper(ascii::TrimIf(LoadResourceString(kDefaultThemeNameId), ascii::IsBlank)))
        return ThemeNameCheck::kDefaultName;
    if (name.empty()) return ThemeNameCheck::kEmpty;
    for (const auto& d : library.documents)
        if (ascii::EqualsNoCase(d->alias, name)) return ThemeNameCheck::kExists;
    return ThemeNameCheck::kAccepted;
}

bool ReportThemeNameCheck(ThemeNameCheck check, const std::string& name) {
    switch (check) {
        case ThemeNameCheck::kAccepted: return true;
        case ThemeNameCheck::kEmpty: return false;
        case ThemeNameCheck::kForbiddenChars:
            ShowMessage(kMsgForbiddenChars, kForbiddenNameChars, kMbOk | kMbIconWarning);
            return false;
        case ThemeNameCheck::kDefaultName:
            ShowMessage(kMsgDefaultName, LoadResourceString(kDefaultThemeNameId), kMbOk | kMbIconWarning);
            return false;
        case ThemeNameCheck::kExists:
            return ShowMessage(kMsgReplaceTheme, name, kMbYesNo | kMbIconQuestion) == kIdYes;
    }
    return false;
}

ThemeDocument* CreateNewTheme(ThemeLibrary& library, const std::string& name) {
    const std::string path = library.libraryFolder + name + ".THM";
    if (files::Exists(path)) library.DeleteByAlias(name);

    // The white pictures are made in a folder of their own and copied in
    // under fresh member names, as any new image of a theme is.
    ScratchFolder scratchFolder("new-");
    const std::string& scratch = scratchFolder.path();
    if (scratch.empty()) return nullptr;

    auto doc = std::make_unique<ThemeDocument>();
    doc->projectPath = path;
    doc->projectFolder = library.libraryFolder;
    doc->alias = name;
    bool ok = WriteWhiteGif(scratch, "tdywater.gif", 240, 268) && WriteWhiteGif(scratch, "stwater.gif", 180, 290);
    for (const char* realName : {"tdywater.gif", "stwater.gif"}) {
        if (!ok) break;
        auto image = std::make_unique<ThemeImage>();
        image->realName = realName;
        image->Classify();
        ok = image->PlaceFile(paths::Join(scratch, realName), library.libraryFolder, name);
        doc->files.push_back(std::move(image));
    }
    if (ok) {
        doc->EnsureColourTable();
        ok = doc->SaveProject() == 1;
    }
    if (!ok) {
        for (const auto& f : doc->files)
            if (!f->name.empty()) files::Delete(library.libraryFolder + f->name);
        return nullptr;
    }
    library.Add(std::move(doc));
    return library.documents.back().get();
}

}  // namespace mrw
