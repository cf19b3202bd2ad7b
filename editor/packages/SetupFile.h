// The handheld setup file ("MSCE", the ".000" member of a package): the
// records this system reads back, and the parse of its bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/ByteSource.h"

namespace mrw {

// Registry roots as the setup file numbers them.
enum : uint16_t { kRootClassesRoot = 1, kRootCurrentUser = 2, kRootLocalMachine = 3 };

// Registry value types: flags & kRegistryTypeMask, in the codes of the INF AddReg flags.
enum : uint32_t {
    kRegistryTypeMask = 0xFFFF0001u,
    kRegistryString = 0x00000000u,
    kRegistryBinary = 0x00000001u,
    kRegistryMultiString = 0x00010000u,
    kRegistryDword = 0x00010001u,
};

struct SetupRegistryKey {
    uint16_t id = 0;
    uint16_t root = 0;
    std::vector<uint16_t> componentIds;  // string ids of the path components, ending with 0
};

struct SetupRegistryValue {
    uint16_t id = 0;
    uint16_t keyId = 0;
    uint16_t substitute = 0;  // 1 when the data holds a folder macro the installer expands
    uint32_t flags = 0;
    std::string name;
    std::vector<uint8_t> data;  // the bytes as the handheld stores them
};

struct SetupFileRecord {
    uint16_t fileId = 0;     // numeric extension of the cabinet member
    uint16_t directoryId = 0;
    uint32_t flags = 0;
    std::string name;        // final file name on the handheld
};

struct SetupDirectoryRecord {
    uint16_t id = 0;
    std::vector<uint16_t> componentIds;  // string ids of the path components, ending with 0
};

struct SetupFileContent {
    uint32_t processor = 0;  // 0 = any
    uint32_t versionMinMajor = 0, versionMinMinor = 0;
    uint32_t versionMaxMajor = 0, versionMaxMinor = 0;
    uint32_t buildMin = 0, buildMax = 0;
    std::string applicationName;
    std::string providerName;
    std::vector<std::string> unsupportedPlatforms;
    std::vector<std::string> strings;  // string id n is strings[n - 1]
    std::vector<SetupDirectoryRecord> directories;  // in record order; look up by id
    std::vector<SetupFileRecord> files;
    std::vector<SetupRegistryKey> keys;
    std::vector<SetupRegistryValue> values;
};

// Parses a setup file held in memory. False when the bytes are no setup file
// (fewer than 100 bytes, no "MSCE", a length field above `size`). Otherwise
// every section is read as far as its records lie inside the first `length`
// bytes (none for a length below 100); damaged sections end early, nothing
// outside is ever read.
bool ParseSetupFile(const uint8_t* data, size_t size, SetupFileContent& out);
// The same for the setup file in `source`: only its first `length` bytes (at
// least the header) are read. False also when the source cannot be read.
bool ParseSetupFile(ByteSource& source, SetupFileContent& out);

// The key path in INF form ("HKCU,Software\Microsoft\Today"); the root text is
// empty for roots other than 1, 2, 3. Ids outside the string table are skipped.
std::string FormatKeyPath(const SetupRegistryKey& key, const std::vector<std::string>& strings);

}  // namespace mrw
