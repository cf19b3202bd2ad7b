// Reading and writing the theme project file "<name>.THM".
#include <atomic>
#include <cstdio>

#include "base/AsciiText.h"
#include "editor/document/ColourTable.h"
#include "editor/document/ProjectValues.h"
#include "editor/document/ThemeDocument.h"
#include "editor/imaging/ImageFormat.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/profile/ProfileFile.h"

namespace mrw {

namespace {

constexpr size_t kMaxPath = 259;
constexpr size_t kMaxAlias = 255;
const char kTheme[] = "Theme";
const char kCustomColours[] = "CustomColors";

std::string NumberedSection(const char* prefix, size_t i) { return prefix + std::to_string(i); }

// The name the new file is written under before it replaces the project:
// one of this save alone (process id and a counter), so that two programs
// saving the same project at once never write into each other's file.
std::string TemporarySaveName(const std::string& projectPath) {
    static std::atomic<unsigned> counter{0};
    return projectPath + "." + std::to_string(process::CurrentProcessId()) + "-" + std::to_string(counter++) +
           ".new";
}

void ReadHeader(ThemeDocument& doc, const ProfileFile& file, const std::string& path) {
    std::string alias = file.GetString(kTheme, "Alias");
    if (alias.size() > kMaxAlias) alias.resize(kMaxAlias);
    doc.alias = alias.empty() ? paths::BaseNameOf(path) : alias;
    doc.tskType = file.GetInt(kTheme, "TskType", 0);
}

// A "File%i" section: typed, or recognised by probing the member file.
std::unique_ptr<ThemeFile> LoadFileSection(const ProfileFile& file, const std::string& section,
                                           const std::string& projectFolder, const std::string& path) {
    int type = file.GetInt(section, "type", 0);
    if (type == 0) {
        std::string name = file.GetString(section, "Name");
        if (name.size() > kMaxPath) name.resize(kMaxPath);
        if (DetectImageFormat(projectFolder + name) != kImageNotRecognised) type = kKindImage;
    }
    if (type == kKindImage) {
        auto image = std::make_unique<ThemeImage>();
        if (image->Load(file, section, path) != 1) return nullptr;
        return image;
    }
    auto plain = std::make_unique<ThemeFile>();
    plain->Load(file, section, path);
    plain->Classify();
    return plain;
}

// A "Reg%i" section: type 2 is a colour, 4 a plain value; anything else is skipped.
std::unique_ptr<RegistryEntry> LoadRegistrySection(const ProfileFile& file, const std::string& section,
                                                   const std::string& path) {
    std::unique_ptr<RegistryEntry> entry;
    switch (file.GetInt(section, "type", 0)) {
        case kKindColour: entry = std::make_unique<ColourEntry>(); break;
        case kKindRegistry: entry = std::make_unique<RegistryEntry>(); break;
        default: return nullptr;
    }
    entry->Load(file, section, path);
    entry->Classify();
    return entry;
}

}  // namespace

std::unique_ptr<ThemeDocument> ThemeDocument::OpenHeader(const std::string& path) {
    ProfileFile file;
    file.Load(path);
    return HeaderFrom(file, path);
}

std::unique_ptr<ThemeDocument> ThemeDocument::HeaderFrom(const ProfileFile& file, const std::string& path) {
    auto doc = std::make_unique<ThemeDocument>();
    doc->projectPath = path;
    ReadHeader(*doc, file, path);
    return doc;
}

int ThemeDocument::LoadProject(const std::string& pathArgument) {
    const std::string path = pathArgument.empty() ? projectPath : pathArgument;
    const bool usable = !path.empty() && path.size() <= kMaxPath;
    if (!usable) {
        Clear();
        ResetToNewDocumentDefaults();
        Complete();
    } else {
        ProfileFile file;
        file.Load(path);  // a file that cannot be opened has no sections: defaults throughout
        ReadProject(file, path);
    }
    if (modified && usable) SaveProject(pathArgument);
    return 1;
}

void ThemeDocument::ReadProject(const ProfileFile& file, const std::string& path) {
    Clear();
    projectFolder = paths::FolderOf(path);
    pdaColours = file.GetInt(kTheme, "PDAcolors", 1);
    for (const std::string& section : file.SectionNames()) {
        if (ascii::StartsWithNoCase(section, "File")) {
            if (auto element = LoadFileSection(file, section, projectFolder, path)) files.push_back(std::move(element));
        }
        if (ascii::StartsWithNoCase(section, "Reg")) {
            if (auto entry = LoadRegistrySection(file, section, path)) registryEntries.push_back(std::move(entry));
        }
        if (ascii::StartsWithNoCase(section, "color")) {
            auto legacy = std::make_unique<LegacyColourEntry>();
            legacy->Load(file, section, path);
            legacy->Classify();
            registryEntries.push_back(std::move(legacy));
        }
    }
    for (int i = 0; i < 16; ++i)
        customColours[i] = uint32_t(file.GetInt(kCustomColours, std::to_string(i), 16777215));
    // The note is read in full: each stored line break takes six characters.
    note = UnescapeNote(file.GetString(kTheme, "Note"));
    animationHeight = file.GetInt(kTheme, "AnimationHeight", 150);
    animationBkColour =
        ParseColourValue(file.GetString(kTheme, "AnimationBkColor", "255,255,255"), animationBkColour);
    Complete();
}

// What every load ends with: the page height within its range, the colour
// table completed (which marks the theme modified when a colour was added).
void ThemeDocument::Complete() {
    if (animationHeight < 1) animationHeight = 1;
    if (animationHeight > 320) animationHeight = 320;
    modified = false;
    EnsureColourTable();
}

void ThemeDocument::ComposeProject(ElementSaveContext& context) {
    ProfileFile& file = context.file;
    file.WriteInt(kTheme, "PDAcolors", pdaColours);
    if (alias.empty()) alias = paths::BaseNameOf(projectPath);
    file.WriteString(kTheme, "Alias", OneLineValue(alias));
    for (size_t i = 0; i < files.size(); ++i) files[i]->Save(context, NumberedSection("File", i));
    for (size_t i = 0; i < registryEntries.size(); ++i)
        registryEntries[i]->Save(context, NumberedSection("Reg", i));
    for (int i = 0; i < 16; ++i) file.WriteInt(kCustomColours, std::to_string(i), int(customColours[i]));
    file.WriteString(kTheme, "Note", EscapeNote(note));
    file.WriteInt(kTheme, "TskType", tskType);
    if (tskType == 1) {
        file.WriteInt(kTheme, "AnimationHeight", animationHeight);
        file.WriteString(kTheme, "AnimationBkColor", FormatColourValue(animationBkColour));
    }
}

std::string ThemeDocument::ProjectText() {
    ProfileFile file;
    ElementSaveContext context{file, projectPath, {}};
    std::vector<std::string> previousNames;
    for (const auto& f : files) previousNames.push_back(f->previousName);
    ComposeProject(context);
    // Nothing was saved: the member renames stay pending.
    for (size_t i = 0; i < files.size(); ++i) files[i]->previousName = previousNames[i];
    return file.Serialize();
}

int ThemeDocument::SaveProject(const std::string& pathArgument) {
    if (!pathArgument.empty()) projectPath = pathArgument;
    ProfileFile file;
    ElementSaveContext context{file, projectPath, {}};
    std::vector<std::string> previousNames;
    for (const auto& f : files) previousNames.push_back(f->previousName);
    ComposeProject(context);

    // The complete file goes beside the old one and replaces it in one step,
    // so that a failure half-way never loses the theme.
    const std::string temporary = TemporarySaveName(projectPath);
    if (!file.Save(temporary) || !files::Replace(temporary, projectPath)) {
        files::Delete(temporary);
        for (size_t i = 0; i < files.size(); ++i) files[i]->previousName = previousNames[i];
        return 0;
    }
    for (const std::string& leftOver : context.filesToDelete)
        if (files::IsFile(leftOver)) files::Delete(leftOver);
    modified = false;
    return 1;
}

}  // namespace mrw
