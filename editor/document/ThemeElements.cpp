#include "editor/document/ThemeElements.h"

#include <cstdio>

#include "base/AsciiText.h"
#include "editor/document/ColourTable.h"
#include "editor/document/ProjectValues.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/profile/ProfileFile.h"

namespace mrw {

namespace {

// Names, real names and registry keys are path-like values: the reader keeps
// at most the platform's path length of them.
constexpr size_t kMaxPathValue = 259;
constexpr size_t kMaxAlias = 255;

std::string ReadLimited(const ProfileFile& file, const std::string& section, const std::string& key,
                        size_t limit, const std::string& fallback = std::string()) {
    std::string value = file.GetString(section, key, fallback);
    if (value.size() > limit) value.resize(limit);
    return value;
}

const char kTodayRealName[] = "tdywater.gif";
const char kStartRealName[] = "stwater.gif";

// Realname of an image section that lacks one, recognised from a member name
// formed by PlaceFile: alias + "TDY"/"STA" or "TDY"/"STA" + alias.
std::string RealNameFromMemberName(const std::string& name, const std::string& alias) {
    if (alias.empty()) return std::string();
    const size_t length = alias.size() + 3;
    auto matches = [&](const std::string& candidate) {
        return name.size() >= length && ascii::EqualsNoCase(name.substr(0, length), candidate);
    };
    if (matches(alias + "TDY") || matches("TDY" + alias)) return kTodayRealName;
    if (matches(alias + "STA") || matches("STA" + alias)) return kStartRealName;
    return std::string();
}

}  // namespace

// ---- ThemeElement ----

void ThemeElement::Save(ElementSaveContext& context, const std::string& section) {
    context.file.WriteInt(section, "type", kind);
}

int ThemeElement::Load(const ProfileFile& file, const std::string& section, const std::string&) {
    kind = file.GetInt(section, "type", 0);
    return 1;
}

ChooserEntry::ChooserEntry(int entryKind) {
    kind = entryKind;
    labelId = entryKind == kKindAnimationEntry ? kLabelAnimation : kLabelNote;
}

bool ChooserEntry::MatchesToken(const std::string& token) const {
    return kind == kKindAnimationEntry && ascii::EqualsNoCase(token, "ANIMATION");
}

// ---- ThemeFile ----

ThemeFile::ThemeFile() {
    kind = kKindFile;
    labelId = kLabelUnclassifiedFile;
}

void ThemeFile::Classify() { labelId = kLabelFile; }

void ThemeFile::SaveFilePart(ElementSaveContext& context, const std::string& section) {
    context.file.WriteString(section, "Name", OneLineValue(name));
    if (!previousName.empty() && previousName != name)
        context.filesToDelete.push_back(paths::FolderOf(context.projectPath) + previousName);
    previousName = name;
    context.file.WriteString(section, "Realname", OneLineValue(realName));
    context.file.WriteInt(section, "type", kind);
}

void ThemeFile::Save(ElementSaveContext& context, const std::string& section) { SaveFilePart(context, section); }

int ThemeFile::Load(const ProfileFile& file, const std::string& section, const std::string&) {
    name = ReadLimited(file, section, "Name", kMaxPathValue);
    previousName = name;
    realName = ReadLimited(file, section, "Realname", kMaxPathValue);
    Classify();
    kind = file.GetInt(section, "type", 0);
    return 1;
}

bool ThemeFile::PlaceFile(const std::string& sourcePath, const std::string& destinationFolder,
                          const std::string& alias) {
    const char* tag = ascii::EqualsNoCase(realName, kTodayRealName) ? "TDY"
                      : ascii::EqualsNoCase(realName, kStartRealName) ? "STA"
                                                                : "EXT";
    const std::string extension = paths::ExtensionOf(sourcePath);
    for (int number = 0; number <= 998; ++number) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03i", number);
        const std::string candidate = alias + tag + digits + extension;
        const std::string target = paths::Join(destinationFolder, candidate);
        if (files::Exists(target)) continue;
        if (!files::Copy(sourcePath, target, true)) {
            // Another process took the name between the test and the copy
            // (a failed copy leaves nothing behind): the next name then.
            if (files::Exists(target)) continue;
            return false;
        }
        files::SetReadOnly(target, false);
        // An earlier copy that was never saved into the project is dropped
        // only now that its replacement is in place.
        if (!previousName.empty() && name != previousName && !name.empty() && name != candidate) {
            const std::string pending = paths::Join(destinationFolder, name);
            if (files::Exists(pending)) files::Delete(pending);
        }
        name = candidate;
        return true;
    }
    return false;
}

// ---- ThemeImage ----

ThemeImage::ThemeImage() {
    kind = kKindImage;
    labelId = kLabelImage;
}

void ThemeImage::Classify() {
    labelId = ascii::EqualsNoCase(realName, kTodayRealName)   ? kLabelTodayImage
              : ascii::EqualsNoCase(realName, kStartRealName) ? kLabelStartMenuImage
                                                       : kLabelImage;
}

bool ThemeImage::MatchesToken(const std::string& token) const {
    if (token == "IMAGE_TODAY") return ascii::EqualsNoCase(realName, kTodayRealName);
    if (token == "IMAGE_MENU") return ascii::EqualsNoCase(realName, kStartRealName);
    return ascii::EqualsNoCase(realName, token);
}

void ThemeImage::Save(ElementSaveContext& context, const std::string& section) {
    ProfileFile& f = context.file;
    f.WriteInt(section, "Transparency", transparency);
    f.WriteInt(section, "HFlip", hFlip);
    f.WriteInt(section, "Left", cropLeft);
    f.WriteInt(section, "Right", cropRight);
    f.WriteInt(section, "Top", cropTop);
    f.WriteInt(section, "Bottom", cropBottom);
    f.WriteInt(section, "Rotation", rotation);
    f.WriteString(section, "TransparencyColor", FormatColourValue(transparencyColour));
    SaveFilePart(context, section);
}

int ThemeImage::Load(const ProfileFile& file, const std::string& section, const std::string&) {
    name = ReadLimited(file, section, "Name", kMaxPathValue);
    previousName = name;
    if (name.empty()) return 0;
    realName = ReadLimited(file, section, "Realname", kMaxPathValue);
    if (realName.empty())
        realName = RealNameFromMemberName(name, ReadLimited(file, "Theme", "Alias", kMaxAlias));
    transparency = file.GetInt(section, "Transparency", 0);
    transparencyColour = ParseColourValue(file.GetString(section, "TransparencyColor", "255,255,255"),
                                          transparencyColour);
    cropLeft = file.GetInt(section, "Left", 0);
    cropRight = file.GetInt(section, "Right", 0);
    cropTop = file.GetInt(section, "Top", 0);
    cropBottom = file.GetInt(section, "Bottom", 0);
    rotation = file.GetInt(section, "Rotation", 0);
    hFlip = file.GetInt(section, "HFlip", 0);
    Classify();
    return 1;
}

// ---- RegistryEntry ----

RegistryEntry::RegistryEntry() {
    kind = kKindRegistry;
    labelId = kLabelRegistryValue;
}

void RegistryEntry::Classify() {
    kind = kKindRegistry;
    labelId = kLabelRegistryValue;
}

void RegistryEntry::Save(ElementSaveContext& context, const std::string& section) {
    ProfileFile& f = context.file;
    f.WriteString(section, "SubKey", OneLineValue(subKey));
    f.WriteString(section, "Name", OneLineValue(valueName));
    f.WriteInt(section, "Flags", flags);
    f.WriteString(section, "Data", EncodeDataValue(data));
    f.WriteInt(section, "type", kind);
}

int RegistryEntry::Load(const ProfileFile& file, const std::string& section, const std::string&) {
    valueName = ReadLimited(file, section, "Name", kMaxPathValue);
    subKey = ReadLimited(file, section, "SubKey", kMaxPathValue);
    Classify();
    flags = file.GetInt(section, "Flags", 0);
    // Data is read in full: imported packages carry values far longer than a path.
    data = DecodeDataValue(file.GetString(section, "Data"));
    kind = file.GetInt(section, "type", 0);
    return 1;
}

uint32_t RegistryEntry::GetColour() const {
    if (data.size() != 4) return 0;
    return uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16);
}

void RegistryEntry::SetColour(uint32_t colour) {
    if (data.size() != 4) return;
    data[0] = uint8_t(colour & 0xFF);
    data[1] = uint8_t((colour >> 8) & 0xFF);
    data[2] = uint8_t((colour >> 16) & 0xFF);
}

// ---- ColourEntry ----

ColourEntry::ColourEntry() { kind = kKindColour; }

void ColourEntry::Classify() {
    if (const ColourTableRow* row = FindColourTableRow(valueName)) {
        kind = kKindColour;
        labelId = row->labelId;
    } else {
        kind = kKindRegistry;
        labelId = kLabelRegistryValue;
    }
}

bool ColourEntry::MatchesToken(const std::string& token) const {
    const std::string upper = ascii::ToUpper(token);
    return upper.size() >= 9 && upper.compare(0, 9, "CE_COLOR_") == 0 && upper.substr(9) == valueName;
}

int LegacyColourEntry::Load(const ProfileFile& file, const std::string& section, const std::string&) {
    subKey = kColourSubKey;
    valueName = section.size() > 5 ? section.substr(5) : std::string();
    flags = 1;
    data = {uint8_t(file.GetInt(section, "Red", 0) & 0xFF), uint8_t(file.GetInt(section, "Green", 0) & 0xFF),
            uint8_t(file.GetInt(section, "Blue", 0) & 0xFF), 0};
    return 1;
}

}  // namespace mrw
