#include "editor/packages/SetupFileWriter.h"

#include <cstring>

#include "base/ByteOrder.h"
#include "base/formats/SetupFileLayout.h"

namespace mrw {

namespace {

namespace sf = setupfile;

// The 16-bit size fields of texts, lists and values.
constexpr size_t kMaxFieldSize = 0xFFFF;

bool PutText(std::vector<uint8_t>& out, const std::string& text, std::string& error) {
    if (text.size() + 1 > kMaxFieldSize) {
        error = "text too long for the setup file: " + text.substr(0, 40);
        return false;
    }
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    return true;
}

// Appends the fixed part of a record, filled in at its layout's offsets.
template <size_t N>
void PutFixed(std::vector<uint8_t>& out, const uint8_t (&fixed)[N]) {
    out.insert(out.end(), fixed, fixed + N);
}

// A record whose fixed part ends in the byte size of the id list that follows.
template <size_t N>
bool PutWithIdList(std::vector<uint8_t>& out, uint8_t (&fixed)[N], size_t listSizeField,
                   const std::vector<uint16_t>& ids, bool closingZero, std::string& error) {
    const size_t bytes = 2 * (ids.size() + (closingZero ? 1 : 0));
    if (bytes > kMaxFieldSize) {
        error = "path with too many components";
        return false;
    }
    le::SetU16(fixed + listSizeField, static_cast<uint16_t>(bytes));
    PutFixed(out, fixed);
    for (uint16_t id : ids) le::PutU16(out, id);
    if (closingZero) le::PutU16(out, 0);
    return true;
}

}  // namespace

bool WriteSetupFile(const SetupFileModel& m, std::vector<uint8_t>& out, std::string& error) {
    out.assign(sf::kHeaderSize, 0);
    // In the order of sf::Section.
    const size_t counts[sf::kSectionCount] = {m.strings.size(), m.directories.size(), m.files.size(),
                                              m.keys.size(),    m.values.size(),      m.shortcuts.size()};
    for (size_t c : counts) {
        if (c > sf::kMaxRecords) {
            error = "too many records for the setup file";
            return false;
        }
    }

    // Name, provider and unsupported list: their offsets are 16-bit fields.
    const size_t nameAt = out.size();
    if (!PutText(out, m.applicationName, error)) return false;
    const size_t providerAt = out.size();
    if (!PutText(out, m.providerName, error)) return false;
    const size_t unsupportedAt = out.size();
    for (const auto& p : m.unsupportedPlatforms) {
        if (!PutText(out, p, error)) return false;
    }
    if (!m.unsupportedPlatforms.empty()) out.push_back(0);
    const size_t unsupportedLength = out.size() - unsupportedAt;
    if (out.size() > sf::kMaxNameAreaEnd) {
        error = "application name, provider and platforms too long";
        return false;
    }

    size_t offsets[sf::kSectionCount];
    offsets[sf::kStrings] = out.size();
    for (size_t i = 0; i < m.strings.size(); ++i) {
        if (m.strings[i].size() + 1 > kMaxFieldSize) {
            error = "string too long for the setup file";
            return false;
        }
        uint8_t r[sf::string::kFixedSize] = {};
        le::SetU16(r + sf::string::kId, static_cast<uint16_t>(i + 1));
        le::SetU16(r + sf::string::kSize, static_cast<uint16_t>(m.strings[i].size() + 1));
        PutFixed(out, r);
        PutText(out, m.strings[i], error);
    }
    offsets[sf::kDirectories] = out.size();
    for (const auto& d : m.directories) {
        uint8_t r[sf::directory::kFixedSize] = {};
        le::SetU16(r + sf::directory::kId, d.id);
        if (!PutWithIdList(out, r, sf::directory::kListSize, d.componentIds, true, error)) return false;
    }
    offsets[sf::kFiles] = out.size();
    for (const auto& f : m.files) {
        if (f.name.size() + 1 > kMaxFieldSize) {
            error = "file name too long for the setup file";
            return false;
        }
        uint8_t r[sf::file::kFixedSize] = {};
        le::SetU16(r + sf::file::kId, f.fileId);
        le::SetU16(r + sf::file::kDirectory, f.directoryId);
        le::SetU16(r + sf::file::kSourceIndex, f.sourceIndex);
        le::SetU32(r + sf::file::kFlags, f.flags);
        le::SetU16(r + sf::file::kNameSize, static_cast<uint16_t>(f.name.size() + 1));
        PutFixed(out, r);
        PutText(out, f.name, error);
    }
    offsets[sf::kKeys] = out.size();
    for (const auto& k : m.keys) {
        uint8_t r[sf::key::kFixedSize] = {};
        le::SetU16(r + sf::key::kId, k.id);
        le::SetU16(r + sf::key::kRoot, k.root);
        if (!PutWithIdList(out, r, sf::key::kListSize, k.componentIds, true, error)) return false;
    }
    offsets[sf::kValues] = out.size();
    for (const auto& v : m.values) {
        const size_t size = v.name.size() + 1 + v.data.size();
        if (size > kMaxFieldSize) {
            error = "registry value too large for the setup file: " + v.name;
            return false;
        }
        uint8_t r[sf::value::kFixedSize] = {};
        le::SetU16(r + sf::value::kId, v.id);
        le::SetU16(r + sf::value::kKeyId, v.keyId);
        le::SetU16(r + sf::value::kSubstitute, v.substitute);
        le::SetU32(r + sf::value::kFlags, v.flags);
        le::SetU16(r + sf::value::kSize, static_cast<uint16_t>(size));
        PutFixed(out, r);
        PutText(out, v.name, error);
        out.insert(out.end(), v.data.begin(), v.data.end());
    }
    offsets[sf::kShortcuts] = out.size();
    for (const auto& s : m.shortcuts) {
        uint8_t r[sf::shortcut::kFixedSize] = {};
        le::SetU16(r + sf::shortcut::kId, s.id);
        le::SetU16(r + sf::shortcut::kDirectory, s.directoryId);
        le::SetU16(r + sf::shortcut::kStandardFolder, s.standardFolder);
        le::SetU16(r + sf::shortcut::kTarget, s.target);
        le::SetU16(r + sf::shortcut::kType, s.type);
        if (!PutWithIdList(out, r, sf::shortcut::kListSize, s.nameIds, false, error)) return false;
    }
    if (out.size() > sf::kMaxLength) {
        error = "setup file too large";
        return false;
    }

    uint8_t* h = out.data();
    namespace hd = sf::header;
    std::memcpy(h + hd::kSignature, sf::kSignature, sizeof sf::kSignature);
    le::SetU32(h + hd::kReserved, 0);
    le::SetU32(h + hd::kLength, static_cast<uint32_t>(out.size()));
    le::SetU32(h + hd::kUnknown12, 0);
    le::SetU32(h + hd::kUnknown16, sf::kUnknown16Value);
    le::SetU32(h + hd::kProcessor, m.processor);
    le::SetU32(h + hd::kVersionMinMajor, m.versionMinMajor);
    le::SetU32(h + hd::kVersionMinMinor, m.versionMinMinor);
    le::SetU32(h + hd::kVersionMaxMajor, m.versionMaxMajor);
    le::SetU32(h + hd::kVersionMaxMinor, m.versionMaxMinor);
    le::SetU32(h + hd::kBuildMin, m.buildMin);
    le::SetU32(h + hd::kBuildMax, m.buildMax);
    for (size_t i = 0; i < sf::kSectionCount; ++i) {
        const auto section = static_cast<sf::Section>(i);
        le::SetU16(h + sf::CountField(section), static_cast<uint16_t>(counts[i]));
        le::SetU32(h + sf::OffsetField(section), static_cast<uint32_t>(offsets[i]));
    }
    le::SetU16(h + hd::kAppNameOffset, static_cast<uint16_t>(nameAt));
    le::SetU16(h + hd::kAppNameLength, static_cast<uint16_t>(m.applicationName.size() + 1));
    le::SetU16(h + hd::kProviderOffset, static_cast<uint16_t>(providerAt));
    le::SetU16(h + hd::kProviderLength, static_cast<uint16_t>(m.providerName.size() + 1));
    le::SetU16(h + hd::kUnsupportedOffset, static_cast<uint16_t>(unsupportedAt));
    le::SetU16(h + hd::kUnsupportedLength, static_cast<uint16_t>(unsupportedLength));
    return true;
}

}  // namespace mrw
