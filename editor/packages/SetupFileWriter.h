// Writes the handheld setup file ("MSCE") a cabinet builder puts into a
// package as its ".000" member: the 100-byte header, then application name,
// provider, unsupported platforms, strings, directories, files, registry keys,
// registry values and shortcuts, contiguous and unpadded.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/formats/SetupFileLayout.h"
#include "editor/packages/SetupFile.h"

namespace mrw {

struct SetupDirectory {
    uint16_t id = 0;
    std::vector<uint16_t> componentIds;  // string ids; the closing 0 is added when written
};

struct SetupFileOut {
    uint16_t fileId = 0;
    uint16_t directoryId = 0;
    uint16_t sourceIndex = 0;  // 1-based position of the source name in the INF's file list
    uint32_t flags = 0;
    std::string name;          // final name on the handheld
};

struct SetupValueOut {
    uint16_t id = 0;
    uint16_t keyId = 0;
    uint16_t substitute = 0;   // 1 when the data holds a folder macro to expand
    uint32_t flags = 0;
    std::string name;
    std::vector<uint8_t> data;
};

struct SetupShortcut {
    uint16_t id = 0;
    uint16_t directoryId = 0;   // folder as a directory record, else 0
    uint16_t standardFolder = 0;  // n of %CEn%, else 0
    uint16_t target = 0;        // file id (type 1) or directory id (type 0)
    uint16_t type = setupfile::kShortcutToFile;
    std::vector<uint16_t> nameIds;  // written without a closing 0
};

struct SetupFileModel {
    uint32_t processor = 0;
    uint32_t versionMinMajor = 0, versionMinMinor = 0;
    uint32_t versionMaxMajor = 0, versionMaxMinor = 0;
    uint32_t buildMin = 0, buildMax = 0;
    std::string applicationName;
    std::string providerName;
    std::vector<std::string> unsupportedPlatforms;
    std::vector<std::string> strings;       // id n = strings[n - 1]
    std::vector<SetupDirectory> directories;  // in record order
    std::vector<SetupFileOut> files;
    std::vector<SetupRegistryKey> keys;     // in record order; componentIds without the closing 0
    std::vector<SetupValueOut> values;
    std::vector<SetupShortcut> shortcuts;
};

// Serialises the model; false (with `error`) when a count, size or offset
// does not fit its field.
bool WriteSetupFile(const SetupFileModel& model, std::vector<uint8_t>& out, std::string& error);

}  // namespace mrw
