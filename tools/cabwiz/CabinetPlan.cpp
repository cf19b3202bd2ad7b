#include "tools/cabwiz/CabinetPlan.h"

#include <algorithm>
#include <map>

#include "base/AsciiText.h"
#include "base/formats/SetupFileLayout.h"
#include "editor/packages/CabinetArchive.h"
#include "platform/Paths.h"

namespace mrw::cabwiz {

namespace {

// "ff", "0", "7f": one byte in hexadecimal, unquoted; exactly two digits when `twoDigits`.
bool HexByte(const InfField& f, bool twoDigits, uint8_t& byte) {
    const std::string& t = f.text;
    if (f.quoted || t.empty() || t.size() > 2 || (twoDigits && t.size() != 2)) return false;
    int v = 0;
    for (char c : t) {
        const int d = ascii::HexDigitValue(c);
        if (d < 0) return false;
        v = v * 16 + d;
    }
    byte = static_cast<uint8_t>(v);
    return true;
}

bool AllHexBytes(const std::vector<InfField>& fields, bool twoDigits, std::vector<uint8_t>& bytes) {
    bytes.clear();
    for (const auto& f : fields) {
        uint8_t b = 0;
        if (!HexByte(f, twoDigits, b)) return false;
        bytes.push_back(b);
    }
    return true;
}

bool ParseVersion(const std::string& text, uint32_t& major, uint32_t& minor) {
    const std::string t(ascii::Trim(text));
    const size_t dot = t.find('.');
    const std::string a = t.substr(0, dot);
    const std::string b = dot == std::string::npos ? "0" : t.substr(dot + 1);
    if (a.empty() || b.empty() || a.find_first_not_of("0123456789") != std::string::npos ||
        b.find_first_not_of("0123456789") != std::string::npos || a.size() > 9 || b.size() > 9) {
        return false;
    }
    major = static_cast<uint32_t>(std::stoul(a));
    minor = static_cast<uint32_t>(std::stoul(b));
    return true;
}

std::string LinePrefix(const InfLine& line) { return "line " + std::to_string(line.number) + ": "; }

bool IsTextType(uint32_t flags) {
    const uint32_t type = flags & 0x00010001u;
    return type == kRegistryString || type == kRegistryMultiString;
}

// The data bytes of an AddReg line: the hex byte list the package build
// writes for every type, a single number for a DWORD, or text.
bool EncodeData(uint32_t flags, const std::vector<InfField>& fields, std::vector<uint8_t>& data, std::string& error) {
    data.clear();
    if (fields.empty() || (fields.size() == 1 && fields[0].text.empty() && !fields[0].quoted)) return true;
    switch (flags & 0x00010001u) {
        case kRegistryBinary:
            if (!AllHexBytes(fields, false, data)) {
                error = "binary data must be hexadecimal bytes";
                return false;
            }
            return true;
        case kRegistryDword: {
            uint32_t number = 0;
            if (fields.size() == 1 && ParseNumber(fields[0].text, number)) {
                for (int i = 0; i < 4; ++i) data.push_back(static_cast<uint8_t>(number >> (8 * i)));
                return true;
            }
            if (!AllHexBytes(fields, false, data)) {
                error = "DWORD data must be one number or hexadecimal bytes";
                return false;
            }
            return true;
        }
        case kRegistryMultiString:
            if (AllHexBytes(fields, true, data)) return true;
            for (const auto& f : fields) {
                data.insert(data.end(), f.text.begin(), f.text.end());
                data.push_back(0);
            }
            data.push_back(0);
            return true;
        default: {
            if (AllHexBytes(fields, true, data)) return true;
            std::string text;
            for (size_t i = 0; i < fields.size(); ++i) {
                if (i > 0) text += ',';
                text += fields[i].text;
            }
            data.assign(text.begin(), text.end());
            data.push_back(0);
            return true;
        }
    }
}

bool ContainsFolderMacro(const std::string& text) {
    const std::string lower = ascii::ToLower(text);
    if (lower.find("%installdir%") != std::string::npos) return true;
    for (size_t p = lower.find("%ce"); p != std::string::npos; p = lower.find("%ce", p + 1)) {
        size_t e = p + 3;
        while (e < lower.size() && lower[e] >= '0' && lower[e] <= '9') ++e;
        if (e > p + 3 && e < lower.size() && lower[e] == '%') return true;
    }
    return false;
}

bool IsAbsolute(const std::string& path) {
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
    return path.size() >= 2 && path[1] == ':';
}

bool Valid83Char(unsigned char c) {
    if (c >= 0x80) return true;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return std::string("!#$%&'()-@^_`{}~").find(static_cast<char>(c)) != std::string::npos;
}

// Ids of the strings of a path's components, created in first-use order.
class StringTable {
public:
    explicit StringTable(std::vector<std::string>& strings) : strings_(strings) {}

    // InstallDir is string 1, whole and not shared with equal components.
    void AddInstallDir(const std::string& text) {
        strings_.push_back(text);
        installDirId_ = 1;
    }
    uint16_t installDirId() const { return installDirId_; }

    bool Id(const std::string& text, uint16_t& id, std::string& error) {
        const auto it = ids_.find(text);
        if (it != ids_.end()) {
            id = it->second;
            return true;
        }
        if (strings_.size() >= 0xFFFF) {
            error = "too many strings";
            return false;
        }
        strings_.push_back(text);
        id = static_cast<uint16_t>(strings_.size());
        ids_[text] = id;
        return true;
    }

    // Components split at '\'; "%InstallDir%" as a component is string 1.
    bool Path(const std::string& path, std::vector<uint16_t>& ids, std::string& error) {
        ids.clear();
        size_t start = 0;
        while (start <= path.size()) {
            size_t end = path.find('\\', start);
            if (end == std::string::npos) end = path.size();
            const std::string part(ascii::Trim(std::string_view(path).substr(start, end - start)));
            start = end + 1;
            if (part.empty()) continue;
            if (ascii::EqualsNoCase(part, "%installdir%")) {
                if (installDirId_ == 0) {
                    error = "%InstallDir% used but [CEStrings] InstallDir is not defined";
                    return false;
                }
                ids.push_back(installDirId_);
                continue;
            }
            uint16_t id = 0;
            if (!Id(part, id, error)) return false;
            ids.push_back(id);
        }
        return true;
    }

private:
    std::vector<std::string>& strings_;
    std::map<std::string, uint16_t> ids_;
    uint16_t installDirId_ = 0;
};

template <typename Record, typename Size>
void SortDeepestFirst(std::vector<Record>& records, Size components) {
    std::stable_sort(records.begin(), records.end(),
                     [&](const Record& a, const Record& b) { return components(a) > components(b); });
}

std::vector<std::string> ListEntries(const InfFile& inf, const std::vector<InfLine>& lines, const std::string& key) {
    std::vector<std::string> names;
    for (const auto& line : lines) {
        if (!line.hasKey || !ascii::EqualsNoCase(line.key, key)) continue;
        for (const auto& f : inf.Fields(line.value)) {
            if (!f.text.empty()) names.push_back(f.text);
        }
    }
    return names;
}

}  // namespace

bool ParseNumber(const std::string& raw, uint32_t& value) {
    const std::string t(ascii::Trim(raw));
    if (t.empty()) return false;
    uint64_t v = 0;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        if (t.size() > 10) return false;
        for (size_t i = 2; i < t.size(); ++i) {
            const int d = ascii::HexDigitValue(t[i]);
            if (d < 0) return false;
            v = v * 16 + static_cast<uint64_t>(d);
        }
    } else {
        if (t.size() > 10) return false;
        for (char c : t) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + static_cast<uint64_t>(c - '0');
        }
    }
    if (v > 0xFFFFFFFFull) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

std::string MemberBaseName(const std::string& fileName, std::set<std::string>& taken) {
    const size_t dot = fileName.rfind('.');
    const std::string base = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    bool valid = !base.empty() && base.size() <= 8 && ext.size() <= 3;
    for (unsigned char c : base) valid = valid && Valid83Char(c);
    for (unsigned char c : ext) valid = valid && Valid83Char(c);
    // Short names are unique per base and extension, as in a folder of the
    // desktop file system ("NSBASI~1.NSB" and "NSBASI~1.GIF" may coexist).
    std::string shortExt;
    for (unsigned char c : ext) {
        if (shortExt.size() == 3) break;
        if (c != ' ') shortExt.push_back(Valid83Char(c) ? static_cast<char>(c) : '_');
    }
    shortExt = "." + ascii::ToUpper(shortExt);
    std::string result;
    if (valid) {
        result = base;
    } else {
        std::string stem;
        for (unsigned char c : base) {
            if (c == ' ' || c == '.') continue;
            stem.push_back(Valid83Char(c) ? static_cast<char>(c) : '_');
        }
        stem = ascii::ToUpper(stem);
        for (int n = 1;; ++n) {
            const std::string tail = "~" + std::to_string(n);
            const std::string candidate = stem.substr(0, 8 - tail.size()) + tail;
            if (taken.count(ascii::ToUpper(candidate) + shortExt) == 0 || n >= 999999) {
                result = candidate;
                break;
            }
        }
    }
    taken.insert(ascii::ToUpper(result) + shortExt);
    if (result.size() < 8) result.insert(0, 8 - result.size(), '0');
    return result;
}

bool PlanCabinet(const InfFile& inf, const std::string& label, const std::string& infFolder,
                 CabinetPlan& plan, std::string& error) {
    plan = CabinetPlan();
    SetupFileModel& m = plan.setup;

    if (inf.Section("Version") == nullptr || inf.Entry("Version", "Signature") == nullptr) {
        error = "the INF has no [Version] section with a Signature";
        return false;
    }
    m.providerName = inf.Text("Version", "Provider");
    m.applicationName = inf.Text("CEStrings", "AppName");
    if (m.applicationName.empty()) {
        error = "[CEStrings] AppName is missing";
        return false;
    }

    for (const auto& line : inf.Sections("CEDevice", label)) {
        if (!line.hasKey) continue;
        const std::string key = ascii::ToLower(line.key);
        bool ok = true;
        if (key == "processortype") {
            ok = ParseNumber(inf.Substitute(line.value), m.processor);
        } else if (key == "unsupportedplatforms") {
            for (const auto& f : inf.Fields(line.value)) {
                if (!f.text.empty()) m.unsupportedPlatforms.push_back(ascii::ToUpper(f.text));
            }
        } else if (key == "versionmin") {
            ok = ParseVersion(inf.Substitute(line.value), m.versionMinMajor, m.versionMinMinor);
        } else if (key == "versionmax") {
            ok = ParseVersion(inf.Substitute(line.value), m.versionMaxMajor, m.versionMaxMinor);
        } else if (key == "buildmin") {
            ok = ParseNumber(inf.Substitute(line.value), m.buildMin);
        } else if (key == "buildmax") {
            ok = ParseNumber(inf.Substitute(line.value), m.buildMax);
        }
        if (!ok) {
            error = LinePrefix(line) + "bad value for " + line.key + ": " + line.value;
            return false;
        }
    }

    const std::vector<InfLine> install = inf.Sections("DefaultInstall", label);
    const std::vector<std::string> copySections = ListEntries(inf, install, "copyfiles");
    const std::vector<std::string> regSections = ListEntries(inf, install, "addreg");
    const std::vector<std::string> shortcutSections = ListEntries(inf, install, "ceshortcuts");
    const std::vector<std::string> setupLibraries = ListEntries(inf, install, "cesetupdll");
    std::set<std::string> selfRegister;
    for (const auto& name : ListEntries(inf, install, "ceselfregister")) selfRegister.insert(ascii::ToLower(name));
    std::set<std::string> usedSections;
    for (const auto& s : copySections) usedSections.insert(ascii::ToLower(s));
    for (const auto& s : shortcutSections) usedSections.insert(ascii::ToLower(s));

    // Strings: InstallDir, then directory components, then key components.
    StringTable strings(m.strings);
    if (inf.Entry("CEStrings", "InstallDir") != nullptr) strings.AddInstallDir(inf.Text("CEStrings", "InstallDir"));

    std::map<std::string, uint16_t> sectionDirectory;  // lower-case section name -> directory id
    std::map<std::vector<uint16_t>, uint16_t> directoryByPath;
    uint16_t nextDirectory = 2;
    bool haveDefault = false;
    if (const auto* dirs = inf.Section("DestinationDirs")) {
        for (const auto& line : *dirs) {
            if (!line.hasKey) {
                error = LinePrefix(line) + "[DestinationDirs] entries have the form section=0,path";
                return false;
            }
            const std::string key = ascii::ToLower(line.key);
            const bool isDefault = key == "defaultdestdir";
            if (!isDefault && usedSections.count(key) == 0) continue;
            const auto fields = inf.Fields(line.value);
            if (fields.size() < 2 || fields[1].text.empty()) {
                error = LinePrefix(line) + "destination folder missing";
                return false;
            }
            std::vector<uint16_t> ids;
            if (!strings.Path(fields[1].text, ids, error)) {
                error = LinePrefix(line) + error;
                return false;
            }
            uint16_t id = 0;
            if (isDefault) {
                if (haveDefault) continue;
                haveDefault = true;
                id = 1;
                m.directories.push_back({id, ids});
                directoryByPath.emplace(ids, id);
            } else if (directoryByPath.count(ids)) {
                id = directoryByPath[ids];
            } else {
                id = nextDirectory++;
                m.directories.push_back({id, ids});
                directoryByPath.emplace(ids, id);
            }
            sectionDirectory[key] = id;
        }
    }
    SortDeepestFirst(m.directories, [](const SetupDirectory& d) { return d.componentIds.size(); });

    // Source files: the unlabelled list first, then the labelled one.
    struct Source {
        std::string name;
        std::string disk;
    };
    std::vector<Source> sources;
    for (const auto& line : inf.Sections("SourceDisksFiles", label)) {
        if (!line.hasKey) continue;
        const auto fields = inf.Fields(line.value);
        sources.push_back({inf.Substitute(line.key), fields.empty() ? std::string() : fields[0].text});
    }
    std::map<std::string, std::string> diskFolders;
    for (const auto& line : inf.Sections("SourceDisksNames", label)) {
        if (!line.hasKey) continue;
        const auto fields = inf.Fields(line.value);
        diskFolders[std::string(ascii::Trim(line.key))] = fields.size() > 3 ? fields[3].text : std::string();
    }

    // Where a source file is read from: its disk's folder, relative to the INF.
    auto findSource = [&](const std::string& source, size_t& index, std::string& path) {
        index = 0;
        while (index < sources.size() && !ascii::EqualsNoCase(sources[index].name, source)) ++index;
        if (index == sources.size()) {
            error = "\"" + source + "\" is not listed in [SourceDisksFiles]";
            return false;
        }
        const auto disk = diskFolders.find(std::string(ascii::Trim(sources[index].disk)));
        if (disk == diskFolders.end()) {
            error = "source disk " + sources[index].disk + " of \"" + source + "\" is not listed in [SourceDisksNames]";
            return false;
        }
        std::string folder = disk->second;
        if (folder.empty() || folder == ".") {
            folder = infFolder;
        } else if (!IsAbsolute(folder)) {
            folder = paths::Join(infFolder, folder);
        }
        path = paths::Join(folder, sources[index].name);
        return true;
    };

    int fileId = 0;
    for (const auto& section : copySections) {
        if (section[0] == '@') {
            error = "single-file CopyFiles entries (" + section + ") are not supported";
            return false;
        }
        const auto* lines = inf.Section(section);
        if (lines == nullptr) {
            error = "CopyFiles names a missing section [" + section + "]";
            return false;
        }
        uint16_t directory = 0;
        const auto dir = sectionDirectory.find(ascii::ToLower(section));
        if (dir != sectionDirectory.end()) {
            directory = dir->second;
        } else if (haveDefault) {
            directory = 1;
        } else {
            error = "no destination folder for [" + section + "] in [DestinationDirs]";
            return false;
        }
        for (const auto& line : *lines) {
            const auto fields = inf.Fields(line.whole);
            const std::string target = fields[0].text;
            const std::string source = fields.size() > 1 && !fields[1].text.empty() ? fields[1].text : target;
            uint32_t flags = 0;
            if (fields.size() > 3 && !fields[3].text.empty() && !ParseNumber(fields[3].text, flags)) {
                error = LinePrefix(line) + "bad copy flags: " + fields[3].text;
                return false;
            }
            if (!IsPlainFileName(target)) {
                error = LinePrefix(line) + "the target \"" + target + "\" is not a plain file name";
                return false;
            }
            size_t index = 0;
            std::string sourcePath;
            if (!findSource(source, index, sourcePath)) {
                error = LinePrefix(line) + error;
                return false;
            }
            if (++fileId > setupfile::kMaxPayloadFileId) {
                error = "too many files for one cabinet";
                return false;
            }
            if (selfRegister.count(ascii::ToLower(target))) flags |= setupfile::kFileFlagSelfRegister;
            SetupFileOut record;
            record.fileId = static_cast<uint16_t>(fileId);
            record.directoryId = directory;
            record.sourceIndex = static_cast<uint16_t>(index + 1);
            record.flags = flags;
            record.name = target;
            m.files.push_back(record);
            plan.payload.push_back({record.fileId, source, sourcePath});
        }
    }

    std::map<std::pair<uint16_t, std::vector<uint16_t>>, uint16_t> keyByPath;
    for (const auto& section : regSections) {
        const auto* lines = inf.Section(section);
        if (lines == nullptr) {
            error = "AddReg names a missing section [" + section + "]";
            return false;
        }
        for (const auto& line : *lines) {
            const auto fields = inf.Fields(line.whole);
            if (fields.size() < 3) {
                error = LinePrefix(line) + "registry lines have the form root,key,name,flags,data";
                return false;
            }
            const std::string root = ascii::ToLower(fields[0].text);
            uint16_t rootId = 0;
            if (root == "hkcr" || root == "hkey_classes_root") rootId = kRootClassesRoot;
            else if (root == "hkcu" || root == "hkey_current_user") rootId = kRootCurrentUser;
            else if (root == "hklm" || root == "hkey_local_machine") rootId = kRootLocalMachine;
            else {
                error = LinePrefix(line) + "unknown registry root \"" + fields[0].text + "\"";
                return false;
            }
            std::vector<uint16_t> ids;
            if (!strings.Path(fields[1].text, ids, error)) {
                error = LinePrefix(line) + error;
                return false;
            }
            const auto keyPath = std::make_pair(rootId, ids);
            uint16_t keyId = 0;
            const auto known = keyByPath.find(keyPath);
            if (known != keyByPath.end()) {
                keyId = known->second;
            } else {
                if (m.keys.size() >= 0xFFFF) {
                    error = "too many registry keys";
                    return false;
                }
                keyId = static_cast<uint16_t>(m.keys.size() + 1);
                keyByPath.emplace(keyPath, keyId);
                SetupRegistryKey key;
                key.id = keyId;
                key.root = rootId;
                key.componentIds = ids;
                m.keys.push_back(key);
            }
            SetupValueOut value;
            value.keyId = keyId;
            value.name = fields[2].text;
            if (fields.size() > 3 && !fields[3].text.empty() && !ParseNumber(fields[3].text, value.flags)) {
                error = LinePrefix(line) + "bad registry flags: " + fields[3].text;
                return false;
            }
            const std::vector<InfField> dataFields(fields.begin() + std::min<size_t>(4, fields.size()), fields.end());
            if (!EncodeData(value.flags, dataFields, value.data, error)) {
                error = LinePrefix(line) + error;
                return false;
            }
            if (IsTextType(value.flags)) {
                for (const auto& f : dataFields) {
                    if (ContainsFolderMacro(f.text)) value.substitute = 1;
                }
            }
            if (m.values.size() >= 0xFFFF) {
                error = "too many registry values";
                return false;
            }
            value.id = static_cast<uint16_t>(m.values.size() + 1);
            m.values.push_back(std::move(value));
        }
    }
    SortDeepestFirst(m.keys, [](const SetupRegistryKey& k) { return k.componentIds.size(); });

    // Shortcuts: name,type,target[,folder]; type 0 is a file (the record says 1).
    for (const auto& section : shortcutSections) {
        const auto* lines = inf.Section(section);
        if (lines == nullptr) {
            error = "CEShortcuts names a missing section [" + section + "]";
            return false;
        }
        const auto dir = sectionDirectory.find(ascii::ToLower(section));
        for (const auto& line : *lines) {
            const auto fields = inf.Fields(line.whole);
            if (fields.size() < 3 || fields[0].text.empty()) {
                error = LinePrefix(line) + "shortcut lines have the form name,type,target[,folder]";
                return false;
            }
            SetupShortcut shortcut;
            shortcut.id = static_cast<uint16_t>(m.shortcuts.size() + 1);
            uint32_t type = 0;
            if (!ParseNumber(fields[1].text, type) || type != 0) {
                error = LinePrefix(line) + "only shortcuts to files (type 0) are supported";
                return false;
            }
            shortcut.type = setupfile::kShortcutToFile;
            for (const auto& f : m.files) {
                if (ascii::EqualsNoCase(f.name, fields[2].text)) {
                    shortcut.target = f.fileId;
                    break;
                }
            }
            if (shortcut.target == 0) {
                error = LinePrefix(line) + "the shortcut's target \"" + fields[2].text + "\" is not a file of the cabinet";
                return false;
            }
            const std::string folder = fields.size() > 3 ? ascii::ToLower(fields[3].text) : std::string();
            uint32_t standard = 0;
            if (folder.size() > 4 && folder.compare(0, 3, "%ce") == 0 && folder.back() == '%' &&
                ParseNumber(folder.substr(3, folder.size() - 4), standard) && standard <= 0xFFFF) {
                shortcut.standardFolder = static_cast<uint16_t>(standard);
            } else if (!folder.empty()) {
                error = LinePrefix(line) + "shortcut folders other than %CEn% are not supported";
                return false;
            } else if (dir != sectionDirectory.end()) {
                shortcut.directoryId = dir->second;
            }
            uint16_t nameId = 0;
            if (!strings.Id(fields[0].text + ".lnk", nameId, error)) return false;
            shortcut.nameIds = {nameId};
            m.shortcuts.push_back(shortcut);
        }
    }

    // A setup library travels as member 999 and has no file record.
    if (!setupLibraries.empty()) {
        size_t index = 0;
        std::string path;
        if (!findSource(setupLibraries.front(), index, path)) return false;
        plan.payload.push_back({setupfile::kSetupLibraryMemberId, setupLibraries.front(), path});
    }
    return true;
}

}  // namespace mrw::cabwiz
