#include "editor/packages/SetupFile.h"

#include <algorithm>
#include <cstring>

#include "base/ByteOrder.h"
#include "base/formats/SetupFileLayout.h"

namespace mrw {

namespace {

namespace sf = setupfile;

// The text starting at `offset`, up to its NUL or `end`, whichever comes first.
std::string TextAt(const uint8_t* buf, uint64_t end, uint64_t offset) {
    std::string text;
    for (uint64_t i = offset; i < end && buf[i] != 0; ++i) text.push_back(static_cast<char>(buf[i]));
    return text;
}

// The record count and the offset of the first record of a section.
unsigned CountOf(const uint8_t* buf, sf::Section section) { return le::U16(buf + sf::CountField(section)); }
uint64_t OffsetOf(const uint8_t* buf, sf::Section section) { return le::U32(buf + sf::OffsetField(section)); }

void ReadUnsupportedPlatforms(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    const uint32_t o = le::U16(buf + sf::header::kUnsupportedOffset);
    const uint32_t n = le::U16(buf + sf::header::kUnsupportedLength);
    // The list's last byte (its closing NUL); the 16-bit fields wrap as the
    // handheld's would.
    const uint32_t end = (o + n - 1) & 0xFFFFu;
    if (end >= length || buf[end] != 0 || o >= end) return;
    for (uint32_t pos = o; pos < end;) {
        std::string name = TextAt(buf, end, pos);
        pos += static_cast<uint32_t>(name.size()) + 1;
        out.unsupportedPlatforms.push_back(std::move(name));
    }
}

void ReadStrings(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    uint64_t pos = OffsetOf(buf, sf::kStrings);
    const unsigned count = CountOf(buf, sf::kStrings);
    for (unsigned i = 0; i < count; ++i) {
        if (pos + sf::string::kFixedSize >= length) break;
        const uint32_t size = le::U16(buf + pos + sf::string::kSize);
        const uint64_t next = pos + sf::string::kFixedSize + size;
        // A record may end exactly at the end of the file.
        if (next > length || buf[next - 1] != 0) break;
        out.strings.push_back(size == 0 ? std::string() : TextAt(buf, next - 1, pos + sf::string::kText));
        pos = next;
    }
}

void ReadDirectories(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    uint64_t pos = OffsetOf(buf, sf::kDirectories);
    const unsigned count = CountOf(buf, sf::kDirectories);
    for (unsigned i = 0; i < count; ++i) {
        if (pos + sf::directory::kFixedSize > length) break;
        const uint32_t listSize = le::U16(buf + pos + sf::directory::kListSize);
        const uint64_t next = pos + sf::directory::kFixedSize + listSize;
        if (next > length) break;
        SetupDirectoryRecord record;
        record.id = le::U16(buf + pos + sf::directory::kId);
        for (uint32_t k = 0; k + 2 <= listSize; k += 2)  // an odd last byte is ignored
            record.componentIds.push_back(le::U16(buf + pos + sf::directory::kList + k));
        out.directories.push_back(std::move(record));
        pos = next;
    }
}

void ReadFiles(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    uint64_t pos = OffsetOf(buf, sf::kFiles);
    const unsigned count = CountOf(buf, sf::kFiles);
    for (unsigned i = 0; i < count; ++i) {
        if (pos + sf::file::kFixedSize > length) break;
        const uint32_t nameSize = le::U16(buf + pos + sf::file::kNameSize);
        const uint64_t next = pos + sf::file::kFixedSize + nameSize;
        // The last section of a setup file without registry records ends at
        // `length`; its last file record is as valid as the others.
        if (next > length || buf[next - 1] != 0) break;
        SetupFileRecord record;
        record.fileId = le::U16(buf + pos + sf::file::kId);
        record.directoryId = le::U16(buf + pos + sf::file::kDirectory);
        record.flags = le::U32(buf + pos + sf::file::kFlags);
        if (nameSize > 0) record.name = TextAt(buf, next - 1, pos + sf::file::kName);
        out.files.push_back(std::move(record));
        pos = next;
    }
}

void ReadKeys(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    uint64_t pos = OffsetOf(buf, sf::kKeys);
    const unsigned count = CountOf(buf, sf::kKeys);
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t left = pos < length ? length - pos : 0;
        if (left < sf::key::kFixedSize) {
            // No record fits any more: the rest of the counted keys are empty.
            out.keys.resize(out.keys.size() + (count - i));
            break;
        }
        SetupRegistryKey key;
        key.id = le::U16(buf + pos + sf::key::kId);
        key.root = le::U16(buf + pos + sf::key::kRoot);
        const uint32_t listSize = le::U16(buf + pos + sf::key::kListSize);
        if (sf::key::kFixedSize + listSize <= left) {
            for (uint32_t k = 0; k + 2 <= listSize; k += 2)  // an odd last byte is ignored
                key.componentIds.push_back(le::U16(buf + pos + sf::key::kList + k));
        }
        pos += sf::key::kFixedSize + listSize;
        out.keys.push_back(std::move(key));
    }
}

void ReadValues(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    uint64_t pos = OffsetOf(buf, sf::kValues);
    const unsigned count = CountOf(buf, sf::kValues);
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t left = pos < length ? length - pos : 0;
        if (left < sf::value::kFixedSize) {
            // No record fits any more: the rest of the counted values are empty.
            out.values.resize(out.values.size() + (count - i));
            break;
        }
        SetupRegistryValue value;
        value.id = le::U16(buf + pos + sf::value::kId);
        value.keyId = le::U16(buf + pos + sf::value::kKeyId);
        value.substitute = le::U16(buf + pos + sf::value::kSubstitute);
        value.flags = le::U32(buf + pos + sf::value::kFlags);
        const uint32_t size = le::U16(buf + pos + sf::value::kSize);
        if (sf::value::kFixedSize + size <= left) {
            const uint8_t* rest = buf + pos + sf::value::kName;
            uint32_t nul = 0;
            while (nul < size && rest[nul] != 0) ++nul;
            if (nul < size) {
                value.name.assign(reinterpret_cast<const char*>(rest), nul);
                value.data.assign(rest + nul + 1, rest + size);
            }
        }
        pos += sf::value::kFixedSize + size;
        out.values.push_back(std::move(value));
    }
}

bool HasSignature(const uint8_t* data) {
    return std::memcmp(data + sf::header::kSignature, sf::kSignature, sizeof sf::kSignature) == 0;
}

}  // namespace

bool ParseSetupFile(const uint8_t* data, size_t size, SetupFileContent& out) {
    out = SetupFileContent();
    if (data == nullptr || size < sf::kHeaderSize || !HasSignature(data)) return false;
    // Every read is bounded by the length field. One below the header's own
    // size leaves the header's fields pointing outside: nothing is read.
    const uint32_t length = le::U32(data + sf::header::kLength);
    if (length > size) return false;
    out.applicationName = TextAt(data, length, le::U16(data + sf::header::kAppNameOffset));
    out.providerName = TextAt(data, length, le::U16(data + sf::header::kProviderOffset));
    out.processor = le::U32(data + sf::header::kProcessor);
    out.versionMinMajor = le::U32(data + sf::header::kVersionMinMajor);
    out.versionMinMinor = le::U32(data + sf::header::kVersionMinMinor);
    out.versionMaxMajor = le::U32(data + sf::header::kVersionMaxMajor);
    out.versionMaxMinor = le::U32(data + sf::header::kVersionMaxMinor);
    out.buildMin = le::U32(data + sf::header::kBuildMin);
    out.buildMax = le::U32(data + sf::header::kBuildMax);
    ReadUnsupportedPlatforms(data, length, out);
    ReadStrings(data, length, out);
    ReadDirectories(data, length, out);
    ReadFiles(data, length, out);
    ReadKeys(data, length, out);
    ReadValues(data, length, out);
    return true;
}

bool ParseSetupFile(ByteSource& source, SetupFileContent& out) {
    out = SetupFileContent();
    const uint64_t size = source.Size();
    uint8_t header[sf::kHeaderSize];
    if (size < sf::kHeaderSize || !source.ReadAt(0, header, sizeof header) || !HasSignature(header)) return false;
    // The length field decides how much is read; it is believed only as far
    // as the source really reaches.
    const uint32_t length = le::U32(header + sf::header::kLength);
    if (length > size) return false;
    std::vector<uint8_t> data(std::max<size_t>(length, sf::kHeaderSize));
    if (!source.ReadAt(0, data.data(), data.size())) return false;
    return ParseSetupFile(data.data(), data.size(), out);
}

std::string FormatKeyPath(const SetupRegistryKey& key, const std::vector<std::string>& strings) {
    std::string text;
    switch (key.root) {
        case kRootClassesRoot: text = "HKCR,"; break;
        case kRootCurrentUser: text = "HKCU,"; break;
        case kRootLocalMachine: text = "HKLM,"; break;
        default: return text;
    }
    for (size_t i = 0; i < key.componentIds.size(); ++i) {
        const uint16_t id = key.componentIds[i];
        if (id < 1 || id > strings.size()) continue;
        if (i > 0) text += '\\';
        text += strings[id - 1];
    }
    return text;
}

}  // namespace mrw
