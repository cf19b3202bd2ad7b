// Writes a single Microsoft cabinet ("MSCF" 1.3): one folder of stored
// (uncompressed) data, no reserved areas, data blocks of at most 32768 bytes
// with their checksums. Member data is streamed from the source files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/ByteSource.h"
#include "base/formats/CabinetLayout.h"

namespace mrw {

struct CabinetMember {
    std::string name;               // the name stored in the cabinet
    std::string sourcePath;         // file whose bytes are stored, or empty for `bytes`
    std::vector<uint8_t> bytes;     // content when sourcePath is empty
    uint16_t date = 0;              // MS-DOS date and time
    uint16_t time = 0;
    uint16_t attributes = cabinet::kAttributeArchive;
};

// The checksum of one data block as cabinets store it: the block's bytes,
// then its two size fields, folded into 32 bits.
uint32_t CabinetBlockChecksum(const uint8_t* data, uint16_t size);

// Writes the members in the given order into `path`. The file appears only
// when complete: on failure nothing is left at `path` and `error` says why.
bool WriteCabinet(const std::string& path, const std::vector<CabinetMember>& members, std::string& error);
// The same into a sink (memory, say); on failure the sink may hold part of it.
bool WriteCabinet(ByteSink& sink, const std::vector<CabinetMember>& members, std::string& error);

// MS-DOS date and time of the current local time.
void DosDateTimeNow(uint16_t& date, uint16_t& time);

}  // namespace mrw
