// One theme in memory: its project file "<name>.THM", the member files beside
// it, its registry values and colours, note and animated-page settings.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/document/ThemeElements.h"

namespace mrw {

class ThemeDocument {
public:
    // A new, empty theme with the defaults of a new document.
    ThemeDocument();
    // A theme known only by its header: projectPath, alias and tskType.
    static std::unique_ptr<ThemeDocument> OpenHeader(const std::string& path);
    // The same from a project file already read (`path` names it).
    static std::unique_ptr<ThemeDocument> HeaderFrom(const ProfileFile& file, const std::string& path);

    ThemeDocument(const ThemeDocument&) = delete;
    ThemeDocument& operator=(const ThemeDocument&) = delete;

    // ---- project file ----
    // Reads the whole project file (an empty path means projectPath) and
    // completes the colour table, saving at once when a colour was added.
    int LoadProject(const std::string& path = std::string());
    // Writes the whole project file (a given path becomes projectPath). The new
    // file is written beside the old one and replaces it in one step; returns 1,
    // or 0 when the file could not be written (the theme then stays modified and
    // the old file is untouched).
    int SaveProject(const std::string& path = std::string());
    // LoadProject's reading of a project file already read (`path` names it,
    // for the member files beside it): the theme then may be modified, with
    // colours added, but nothing is saved.
    void ReadProject(const ProfileFile& file, const std::string& path);
    // The project file's text as SaveProject would write it; nothing is
    // written and pending member renames stay pending.
    std::string ProjectText();

    // ---- elements ----
    void Clear();
    ThemeFile* FindFile(const std::string& realName) const;
    ThemeFile* TodayImage() const;
    ThemeFile* StartMenuImage() const;
    // 0: the Today image, 1: the Start-menu image, anything else: none.
    ThemeFile* ImageByIndex(int which) const;
    RegistryEntry* FindColour(const std::string& valueName) const;
    RegistryEntry* FindColour(int index) const;
    uint32_t GetColour(int index) const;
    RegistryEntry* AddRegistryEntry(const std::string& subKey, const std::string& valueName, int flags,
                                    const uint8_t* data, size_t length);
    void EnsureColourTable();
    // Adds a file lying in another folder as a member (copied in under a fresh name).
    ThemeFile* AddFile(const std::string& folder, const std::string& fileName);
    void RemoveFile(const std::string& realName);
    void ResetAnimation();
    bool IsDefaultTheme() const;

    // ---- life cycle ----
    // Asks (resource string `messageId` with the alias) whether to save when modified.
    int SaveIfModified(int messageId, unsigned style);
    void Revert();
    void DeleteFromDisk();

    // ---- handheld form of the member files ----
    bool ExportFiles(const std::string& folder) const;
    bool ExportImages(const std::string& folder) const;

    std::string projectPath;
    std::string projectFolder;
    std::string alias;
    std::vector<std::unique_ptr<ThemeFile>> files;
    std::vector<std::unique_ptr<RegistryEntry>> registryEntries;
    std::string note;  // CR LF line breaks
    bool modified = false;
    int pdaColours = 1;
    uint32_t customColours[16];
    int tskType = 0;
    int animationHeight = 100;
    uint32_t animationBkColour = 0xFFFFFF;
    std::string packageFile;

private:
    void ResetToNewDocumentDefaults();
    void Complete();
    void ComposeProject(ElementSaveContext& context);
    bool ExportImage(const ThemeImage& image, const std::string& folder) const;
};

// pdaColours 0, 1, 2 (any other value counts as 2) as the bits per channel of
// the handheld image preparation.
int ChannelBitsForPdaColours(int pdaColours);

}  // namespace mrw
