// The parts of a theme: member files (plain files and images) and registry
// values (plain values and handheld system colours). Each element reads and
// writes its own section of the project file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mrw {

class ProfileFile;

enum ElementKind : int {
    kKindImage = 1,
    kKindColour = 2,
    kKindFile = 3,
    kKindRegistry = 4,
    kKindNoteEntry = 5,       // chooser entry of the editor, never stored
    kKindAnimationEntry = 6,  // chooser entry of the editor, never stored
};

// Label string ids of the element chooser.
enum : int {
    kLabelTodayImage = 103,
    kLabelStartMenuImage = 104,
    kLabelUnclassifiedFile = 105,
    kLabelRegistryValue = 107,
    kLabelImage = 121,
    kLabelFile = 134,
    kLabelAnimation = 152,
    kLabelNote = 173,
};

// What SaveProject collects while the elements write their sections: member
// files that a committed rename leaves behind, deleted once the new project
// file is safely on disk.
struct ElementSaveContext {
    ProfileFile& file;
    std::string projectPath;
    std::vector<std::string> filesToDelete;
};

class ThemeElement {
public:
    virtual ~ThemeElement() = default;
    // Writes the element's section. The base writes only "type".
    virtual void Save(ElementSaveContext& context, const std::string& section);
    // Reads the element's section; returns 1 when the element is usable. The base reads only "type".
    virtual int Load(const ProfileFile& file, const std::string& section, const std::string& projectPath);
    // Sets kind and labelId from the element's own data.
    virtual void Classify() {}
    // True when a template placeholder token stands for this element.
    virtual bool MatchesToken(const std::string& token) const { return false; }

    int kind = 0;
    int labelId = 0;
    int colourGroup = 0;  // 1: a colour only Pocket PC 2003 handhelds have
};

// An entry of the editor's element chooser that is not part of the theme
// (the note and the animated page).
class ChooserEntry : public ThemeElement {
public:
    explicit ChooserEntry(int entryKind);
    bool MatchesToken(const std::string& token) const override;
};

// A member file of the theme: `name` inside the project folder, `realName` on the handheld.
class ThemeFile : public ThemeElement {
public:
    ThemeFile();
    void Save(ElementSaveContext& context, const std::string& section) override;
    int Load(const ProfileFile& file, const std::string& section, const std::string& projectPath) override;
    void Classify() override;

    // Copies `sourcePath` into `destinationFolder` under a fresh member name
    // alias + tag + "%03i" + the source's extension (tag TDY, STA or EXT).
    // The new name becomes `name`; `previousName` is kept, so the next save
    // commits the rename and Revert undoes it. Returns false (name unchanged)
    // when no free name exists or the copy fails.
    bool PlaceFile(const std::string& sourcePath, const std::string& destinationFolder, const std::string& alias);

    std::string realName;
    std::string name;
    std::string previousName;

protected:
    // "Name", the committed rename, "Realname" and "type".
    void SaveFilePart(ElementSaveContext& context, const std::string& section);
};

// A member image: the transform applied when the handheld image is prepared.
class ThemeImage : public ThemeFile {
public:
    ThemeImage();
    void Save(ElementSaveContext& context, const std::string& section) override;
    int Load(const ProfileFile& file, const std::string& section, const std::string& projectPath) override;
    void Classify() override;
    bool MatchesToken(const std::string& token) const override;

    bool HasCrop() const { return cropLeft != 0 || cropTop != 0 || cropRight != 0 || cropBottom != 0; }

    int cropLeft = 0, cropTop = 0, cropRight = 0, cropBottom = 0;
    int rotation = 0;
    int hFlip = 0;
    int transparency = 0;
    uint32_t transparencyColour = 0xFFFFFF;
};

// A registry value the package writes on the handheld.
class RegistryEntry : public ThemeElement {
public:
    RegistryEntry();
    void Save(ElementSaveContext& context, const std::string& section) override;
    int Load(const ProfileFile& file, const std::string& section, const std::string& projectPath) override;
    void Classify() override;

    // red | green << 8 | blue << 16 of 4-byte data; 0 for any other length.
    uint32_t GetColour() const;
    // Writes the colour into 4-byte data; does nothing for any other length.
    void SetColour(uint32_t colour);

    std::string subKey;     // "HKLM,Software\Microsoft\Color": root, comma, key path
    std::string valueName;
    int flags = 0;          // registry flags of the package (1 = binary)
    std::vector<uint8_t> data;
};

// A handheld system colour: 4 bytes red, green, blue, 0 under the colour key.
class ColourEntry : public RegistryEntry {
public:
    ColourEntry();
    void Classify() override;
    bool MatchesToken(const std::string& token) const override;
};

// A colour read from an old-style "color<index>" section with Red/Green/Blue keys;
// written back as an ordinary colour section.
class LegacyColourEntry : public ColourEntry {
public:
    int Load(const ProfileFile& file, const std::string& section, const std::string& projectPath) override;
};

}  // namespace mrw
