// Turns a setup INF into what goes into an installer cabinet: the setup file
// model (strings, directories, files, registry keys and values) and the list
// of source files with their file ids.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "editor/packages/SetupFileWriter.h"
#include "tools/cabwiz/InfFile.h"

namespace mrw::cabwiz {

struct PayloadFile {
    uint16_t fileId = 0;
    std::string sourceName;  // the name in [SourceDisksFiles]
    std::string sourcePath;  // where it is read from
};

struct CabinetPlan {
    SetupFileModel setup;
    std::vector<PayloadFile> payload;  // in file id order
};

// Builds the plan for one CPU label ("" for the unlabelled sections only).
// Source folders are resolved against `infFolder`. False with `error` when
// the INF lacks what an installer needs or has malformed entries.
bool PlanCabinet(const InfFile& inf, const std::string& label, const std::string& infFolder,
                 CabinetPlan& plan, std::string& error);

// Decimal or 0x-hexadecimal number that fits 32 bits.
bool ParseNumber(const std::string& text, uint32_t& value);

// The 8-character member base for a source file: its name without extension
// when that is a valid 8.3 name (case kept), else an upper-case "XXXXXX~n"
// whose short name (base and extension) is not yet in `taken`; left-padded
// with '0' to 8 characters.
std::string MemberBaseName(const std::string& fileName, std::set<std::string>& taken);

}  // namespace mrw::cabwiz
