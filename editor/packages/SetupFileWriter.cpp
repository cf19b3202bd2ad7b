#include "editor/packages/SetupFileWriter.h"

#include "base/ByteOrder.h"

namespace mrw {

namespace {

bool PutText(std::vector<uint8_t>& out, const std::string& text, std::string& error) {
    if (text.size() + 1 > 0xFFFF) {
        error = "text too long for the setup file: " + text.substr(0, 40);
        return false;
    }
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    return true;
}

bool PutIdList(std::vector<uint8_t>& out, const std::vector<uint16_t>& ids, bool closingZero, std::string& error) {
    const size_t bytes = 2 * (ids.size() + (closingZero ? 1 : 0));
    if (bytes > 0xFFFF) {
        error = "path with too many components";
        return false;
    }
    le::PutU16(out, static_cast<uint16_t>(bytes));
    for (uint16_t id : ids) le::PutU16(out, id);
    if (closingZero) le::PutU16(out, 0);
    return true;
}

}  // namespace

bool WriteSetupFile(const SetupFileModel& m, std::vector<uint8_t>& out, std::string& error) {
    out.assign(kSetupHeaderSize, 0);
    const size_t counts[] = {m.strings.size(), m.directories.size(), m.files.size(),
                             m.keys.size(), m.values.size(), m.shortcuts.size()};
    for (size_t c : counts) {
        if (c > 0xFFFF) {
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
    if (out.size() > 0xFFFF) {
        error = "application name, provider and platforms too long";
        return false;
    }

    size_t offsets[6];
    offsets[0] = out.size();
    for (size_t i = 0; i < m.strings.size(); ++i) {
        le::PutU16(out, static_cast<uint16_t>(i + 1));
        if (m.strings[i].size() + 1 > 0xFFFF) {
            error = "string too long for the setup file";
            return false;
        }
        le::PutU16(out, static_cast<uint16_t>(m.strings[i].size() + 1));
        PutText(out, m.strings[i], error);
    }
    offsets[1] = out.size();
    for (const auto& d : m.directories) {
        le::PutU16(out, d.id);
        if (!PutIdList(out, d.componentIds, true, error)) return false;
    }
    offsets[2] = out.size();
    for (const auto& f : m.files) {
        le::PutU16(out, f.fileId);
        le::PutU16(out, f.directoryId);
        le::PutU16(out, f.sourceIndex);
        le::PutU32(out, f.flags);
        if (f.name.size() + 1 > 0xFFFF) {
            error = "file name too long for the setup file";
            return false;
        }
        le::PutU16(out, static_cast<uint16_t>(f.name.size() + 1));
        PutText(out, f.name, error);
    }
    offsets[3] = out.size();
    for (const auto& k : m.keys) {
        le::PutU16(out, k.id);
        le::PutU16(out, k.root);
        le::PutU16(out, 0);
        if (!PutIdList(out, k.componentIds, true, error)) return false;
    }
    offsets[4] = out.size();
    for (const auto& v : m.values) {
        const size_t size = v.name.size() + 1 + v.data.size();
        if (size > 0xFFFF) {
            error = "registry value too large for the setup file: " + v.name;
            return false;
        }
        le::PutU16(out, v.id);
        le::PutU16(out, v.keyId);
        le::PutU16(out, v.substitute);
        le::PutU32(out, v.flags);
        le::PutU16(out, static_cast<uint16_t>(size));
        PutText(out, v.name, error);
        out.insert(out.end(), v.data.begin(), v.data.end());
    }
    offsets[5] = out.size();
    for (const auto& s : m.shortcuts) {
        le::PutU16(out, s.id);
        le::PutU16(out, s.directoryId);
        le::PutU16(out, s.standardFolder);
        le::PutU16(out, s.target);
        le::PutU16(out, s.type);
        if (!PutIdList(out, s.nameIds, false, error)) return false;
    }
    if (out.size() > 0xFFFFFFFFull) {
        error = "setup file too large";
        return false;
    }

    uint8_t* h = out.data();
    h[0] = 'M';
    h[1] = 'S';
    h[2] = 'C';
    h[3] = 'E';
    le::SetU32(h + 4, 0);
    le::SetU32(h + 8, static_cast<uint32_t>(out.size()));
    le::SetU32(h + 12, 0);
    le::SetU32(h + 16, 1);
    le::SetU32(h + 20, m.processor);
    le::SetU32(h + 24, m.versionMinMajor);
    le::SetU32(h + 28, m.versionMinMinor);
    le::SetU32(h + 32, m.versionMaxMajor);
    le::SetU32(h + 36, m.versionMaxMinor);
    le::SetU32(h + 40, m.buildMin);
    le::SetU32(h + 44, m.buildMax);
    for (int i = 0; i < 6; ++i) le::SetU16(h + 48 + 2 * i, static_cast<uint16_t>(counts[i]));
    for (int i = 0; i < 6; ++i) le::SetU32(h + 60 + 4 * i, static_cast<uint32_t>(offsets[i]));
    le::SetU16(h + 84, static_cast<uint16_t>(nameAt));
    le::SetU16(h + 86, static_cast<uint16_t>(m.applicationName.size() + 1));
    le::SetU16(h + 88, static_cast<uint16_t>(providerAt));
    le::SetU16(h + 90, static_cast<uint16_t>(m.providerName.size() + 1));
    le::SetU16(h + 92, static_cast<uint16_t>(unsupportedAt));
    le::SetU16(h + 94, static_cast<uint16_t>(unsupportedLength));
    return true;
}

}  // namespace mrw
