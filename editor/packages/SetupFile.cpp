#include "editor/packages/SetupFile.h"

#include "base/ByteOrder.h"

namespace mrw {

namespace {

// The text starting at `offset`, up to its NUL or `end`, whichever comes first.
std::string TextAt(const uint8_t* buf, uint64_t end, uint64_t offset) {
    std::string text;
    for (uint64_t i = offset; i < end && buf[i] != 0; ++i) text.push_back(static_cast<char>(buf[i]));
    return text;
}

void ReadUnsupportedPlatforms(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    const uint32_t o = le::U16(buf + 92);
    const uint32_t n = le::U16(buf + 94);
    const uint32_t end = (o + n - 1) & 0xFFFFu;
    if (end >= length || buf[end] != 0 || o >= end) return;
    for (uint32_t pos = o; pos < end;) {
        std::string name = TextAt(buf, end, pos);
        pos += static_cast<uint32_t>(name.size()) + 1;
        out.unsupportedPlatforms.push_back(std::move(name));
    }
}

void ReadStrings(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    uint64_t pos = le::U32(buf + 60);
    const unsigned count = le::U16(buf + 48);
    for (unsigned i = 0; i < count; ++i) {
        if (pos + 4 >= length) break;
        const uint32_t size = le::U16(buf + pos + 2);
        const uint64_t next = pos + 4 + size;
        // A record may end exactly at the end of the file.
        if (next > length || buf[next - 1] != 0) break;
        out.strings.push_back(size == 0 ? std::string() : TextAt(buf, next - 1, pos + 4));
        pos = next;
    }
}

void ReadFiles(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    uint64_t pos = le::U32(buf + 68);
    const unsigned count = le::U16(buf + 52);
    for (unsigned i = 0; i < count; ++i) {
        if (pos + 12 > length) break;
        const uint32_t nameSize = le::U16(buf + pos + 10);
        const uint64_t next = pos + 12 + nameSize;
        // The last section of a setup file without registry records ends at
        // `length`; its last file record is as valid as the others.
        if (next > length || buf[next - 1] != 0) break;
        SetupFileRecord record;
        record.fileId = le::U16(buf + pos);
        record.directoryId = le::U16(buf + pos + 2);
        record.flags = le::U32(buf + pos + 6);
        if (nameSize > 0) record.name = TextAt(buf, next - 1, pos + 12);
        out.files.push_back(std::move(record));
        pos = next;
    }
}

void ReadKeys(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    uint64_t pos = le::U32(buf + 72);
    const unsigned count = le::U16(buf + 54);
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t left = pos < length ? length - pos : 0;
        SetupRegistryKey key;
        if (left >= 8) {
            key.id = le::U16(buf + pos);
            key.root = le::U16(buf + pos + 2);
            const uint32_t listSize = le::U16(buf + pos + 6);
            if (8u + listSize <= left) {
                for (uint32_t k = 0; k + 2 <= listSize; k += 2)  // an odd last byte is ignored
                    key.componentIds.push_back(le::U16(buf + pos + 8 + k));
            }
            pos += 8u + listSize;
        }
        out.keys.push_back(std::move(key));
    }
}

void ReadValues(const uint8_t* buf, uint32_t length, SetupFileContent& out) {
    uint64_t pos = le::U32(buf + 76);
    const unsigned count = le::U16(buf + 56);
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t left = pos < length ? length - pos : 0;
        SetupRegistryValue value;
        if (left >= 12) {
            value.id = le::U16(buf + pos);
            value.keyId = le::U16(buf + pos + 2);
            value.flags = le::U32(buf + pos + 6);
            const uint32_t size = le::U16(buf + pos + 10);
            if (12u + size <= left) {
                const uint8_t* rest = buf + pos + 12;
                uint32_t nul = 0;
                while (nul < size && rest[nul] != 0) ++nul;
                if (nul < size) {
                    value.name.assign(reinterpret_cast<const char*>(rest), nul);
                    value.data.assign(rest + nul + 1, rest + size);
                }
            }
            pos += 12u + size;
        }
        out.values.push_back(std::move(value));
    }
}

}  // namespace

bool ParseSetupFile(const uint8_t* data, size_t size, SetupFileContent& out) {
    out = SetupFileContent();
    if (data == nullptr || size < kSetupHeaderSize) return false;
    if (data[0] != 'M' || data[1] != 'S' || data[2] != 'C' || data[3] != 'E') return false;
    // Every read is bounded by the length field. One below the header's own
    // size leaves the header's fields pointing outside: nothing is read.
    const uint32_t length = le::U32(data + 8);
    if (length > size) return false;
    out.applicationName = TextAt(data, length, le::U16(data + 84));
    out.providerName = TextAt(data, length, le::U16(data + 88));
    ReadUnsupportedPlatforms(data, length, out);
    ReadStrings(data, length, out);
    ReadFiles(data, length, out);
    ReadKeys(data, length, out);
    ReadValues(data, length, out);
    return true;
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
