// Fuzzes the skin file reader: every query form on every section of
// arbitrary bytes. The engine that interprets skins is skin_load_fuzzer.
#include <cstdint>
#include <string>

#include "editor/skin/SkinFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mrw::SkinFile file;
    file.OpenBytes(data, size);
    size_t n = 0;
    for (const std::string& section : file.SectionNames()) {
        if (++n > 4) break;  // every query scans the file: more sections add time, not code
        (void)file.GetString(section, "type", "");
        (void)file.GetInt(section, "show", 1);
        (void)file.GetPair(section, "pos");
        (void)file.GetRect(section, "Window");
        (void)file.GetColour(section, "TextColor", 0x123456);
        (void)file.GetDrawFlags(section, "Format", 0);
    }
    return 0;
}
