#include "editor/document/ThemeDocument.h"

#include "base/AsciiText.h"
#include "editor/document/ColourTable.h"
#include "editor/document/ProjectValues.h"
#include "editor/imaging/ImageFormat.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/ResourceText.h"

namespace mrw {

namespace {
constexpr int kDefaultThemeNameId = 120;
}  // namespace

int ChannelBitsForPdaColours(int pdaColours) {
    switch (pdaColours) {
        case 0: return 8;
        case 1: return 5;
        default: return 4;
    }
}

ThemeDocument::ThemeDocument() { ResetToNewDocumentDefaults(); }

void ThemeDocument::ResetToNewDocumentDefaults() {
    note.clear();
    modified = false;
    pdaColours = 1;
    for (uint32_t& c : customColours) c = 0xFFFFFF;
    animationHeight = 100;
    animationBkColour = 0xFFFFFF;
}

void ThemeDocument::Clear() {
    files.clear();
    registryEntries.clear();
}

ThemeFile* ThemeDocument::FindFile(const std::string& realName) const {
    for (const auto& f : files)
        if (ascii::EqualsNoCase(f->realName, realName)) return f.get();
    return nullptr;
}

ThemeFile* ThemeDocument::TodayImage() const { return FindFile("tdywater.gif"); }
ThemeFile* ThemeDocument::StartMenuImage() const { return FindFile("stwater.gif"); }

ThemeFile* ThemeDocument::ImageByIndex(int which) const {
    if (which == 0) return TodayImage();
    if (which == 1) return StartMenuImage();
    return nullptr;
}

RegistryEntry* ThemeDocument::FindColour(const std::string& valueName) const {
    for (const auto& e : registryEntries)
        if (e->valueName == valueName && ascii::EqualsNoCase(e->subKey, kColourSubKey)) return e.get();
    return nullptr;
}

RegistryEntry* ThemeDocument::FindColour(int index) const { return FindColour(std::to_string(index)); }

uint32_t ThemeDocument::GetColour(int index) const {
    if (const RegistryEntry* entry = FindColour(index)) return entry->GetColour();
    return BuiltInDefaultColour(index);
}

RegistryEntry* ThemeDocument::AddRegistryEntry(const std::string& subKey, const std::string& valueName, int flags,
                                               const uint8_t* data, size_t length) {
    std::unique_ptr<RegistryEntry> entry;
    if (ascii::EqualsNoCase(subKey, kColourSubKey))
        entry = std::make_unique<ColourEntry>();
    else
        entry = std::make_unique<RegistryEntry>();
    entry->subKey = subKey;
    entry->valueName = valueName;
    entry->Classify();
    entry->flags = flags;
    if (data && length) entry->data.assign(data, data + length);
    registryEntries.push_back(std::move(entry));
    return registryEntries.back().get();
}

void ThemeDocument::EnsureColourTable() {
    for (const ColourTableRow& row : kColourTable) {
        RegistryEntry* entry = FindColour(row.index);
        if (!entry) {
            const uint8_t rgb0[4] = {row.red, row.green, row.blue, 0};
            entry = AddRegistryEntry(kColourSubKey, std::to_string(row.index), 1, rgb0, 4);
            modified = true;
        }
        entry->colourGroup = row.colourGroup;
    }
}

ThemeFile* ThemeDocument::AddFile(const std::string& folder, const std::string& fileName) {
    const std::string source = paths::Join(folder, fileName);
    std::unique_ptr<ThemeFile> element;
    // Anything the probe does not rule out as an image (an image, or a file
    // that cannot be opened) becomes an image element.
    if (DetectImageFormat(source) == kImageNotRecognised)
        element = std::make_unique<ThemeFile>();
    else
        element = std::make_unique<ThemeImage>();
    element->realName = fileName;
    element->Classify();
    element->PlaceFile(source, projectFolder, alias);
    files.push_back(std::move(element));
    return files.back().get();
}

void ThemeDocument::RemoveFile(const std::string& realName) {
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (!ascii::EqualsNoCase((*it)->realName, realName)) continue;
        const std::string path = projectFolder + (*it)->name;
        if (!(*it)->name.empty() && files::IsFile(path)) files::Delete(path);
        files.erase(it);
        return;
    }
}

void ThemeDocument::ResetAnimation() {
    RemoveFile("vx5n.htm");
    RemoveFile("vx5n.swf");
    RemoveFile("vx5n.atc");
    tskType = 0;
    modified = true;
}

bool ThemeDocument::IsDefaultTheme() const { return alias == LoadResourceString(kDefaultThemeNameId); }

int ThemeDocument::SaveIfModified(int messageId, unsigned style) {
    if (!modified) return kIdYes;
    const int answer = ShowMessage(messageId, alias, style);
    if (answer == kIdYes)
        SaveProject();
    else if (answer == kIdNo)
        Revert();
    return answer;
}

void ThemeDocument::Revert() {
    for (const auto& f : files) {
        if (f->name.empty() || f->name == f->previousName) continue;
        const std::string path = projectFolder + f->name;
        if (files::IsFile(path)) files::Delete(path);
        f->name = f->previousName;
    }
    modified = false;
    LoadProject(projectPath);
}

void ThemeDocument::DeleteFromDisk() {
    Revert();
    const std::string package = paths::WithoutExtension(projectPath) + ".TSK";
    if (files::IsFile(package)) {
        files::SetReadOnly(package, false);
        files::Delete(package);
    }
    if (files::IsFile(projectPath)) files::Delete(projectPath);
    for (const auto& f : files) {
        const std::string path = projectFolder + f->name;
        if (!f->name.empty() && files::IsFile(path)) files::Delete(path);
    }
}

}  // namespace mrw
