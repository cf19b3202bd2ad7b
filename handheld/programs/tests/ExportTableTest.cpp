// The export tables of the two handheld libraries as a loader sees them: the
// Today screen finds the item's entry points by ordinal only, the installer
// finds the setup functions by name. Read from the built files' PE headers,
// so the windows build only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "testing/TestSupport.h"

namespace mrw::handheld {
namespace {

#ifdef _WIN32

struct ExportTable {
    bool valid = false;
    std::set<uint32_t> ordinals;     // every exported function, by ordinal
    std::set<std::string> names;     // the names among them
};

bool U16(const std::vector<uint8_t>& b, size_t offset, uint16_t& v) { return le::U16At(b.data(), b.size(), offset, v); }
bool U32(const std::vector<uint8_t>& b, size_t offset, uint32_t& v) { return le::U32At(b.data(), b.size(), offset, v); }

// Maps a relative virtual address to a file offset through the section table.
bool FileOffset(const std::vector<uint8_t>& pe, size_t sections, unsigned count, uint32_t rva, size_t& offset) {
    for (unsigned i = 0; i < count; ++i) {
        const size_t s = sections + i * 40;
        uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawOffset = 0;
        if (!U32(pe, s + 8, virtualSize) || !U32(pe, s + 12, virtualAddress) ||
            !U32(pe, s + 16, rawSize) || !U32(pe, s + 20, rawOffset))
            return false;
        const uint32_t size = std::max(virtualSize, rawSize);
        if (rva >= virtualAddress && rva - virtualAddress < size) {
            offset = size_t(rawOffset) + (rva - virtualAddress);
            return offset < pe.size();
        }
    }
    return false;
}

ExportTable ReadExports(const std::string& path) {
    ExportTable table;
    const std::vector<uint8_t> pe = test::ReadBytes(path);
    uint32_t header = 0, signature = 0;
    uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
    if (!U32(pe, 0x3C, header) || !U32(pe, header, signature) || signature != 0x00004550) return table;
    const size_t fileHeader = size_t(header) + 4;
    const size_t optional = fileHeader + 20;
    if (!U16(pe, fileHeader + 2, sectionCount) || !U16(pe, fileHeader + 16, optionalSize) ||
        !U16(pe, optional, magic))
        return table;
    // The data directories start at 96 (PE32) or 112 (PE32+); entry 0 is the export table.
    const size_t directories = optional + (magic == 0x20B ? 112 : 96);
    uint32_t exportRva = 0;
    if (!U32(pe, directories, exportRva) || exportRva == 0) return table;
    const size_t sections = optional + optionalSize;
    size_t dir = 0;
    if (!FileOffset(pe, sections, sectionCount, exportRva, dir)) return table;
    uint32_t base = 0, functionCount = 0, nameCount = 0, functionsRva = 0, namesRva = 0;
    if (!U32(pe, dir + 16, base) || !U32(pe, dir + 20, functionCount) ||
        !U32(pe, dir + 24, nameCount) || !U32(pe, dir + 28, functionsRva) ||
        !U32(pe, dir + 32, namesRva))
        return table;
    size_t functions = 0, names = 0;
    if (functionCount && !FileOffset(pe, sections, sectionCount, functionsRva, functions)) return table;
    if (nameCount && !FileOffset(pe, sections, sectionCount, namesRva, names)) return table;
    for (uint32_t i = 0; i < functionCount; ++i) {
        uint32_t rva = 0;
        if (!U32(pe, functions + 4 * size_t(i), rva)) return table;
        if (rva != 0) table.ordinals.insert(base + i);
    }
    for (uint32_t i = 0; i < nameCount; ++i) {
        uint32_t nameRva = 0;
        size_t at = 0;
        if (!U32(pe, names + 4 * size_t(i), nameRva) || !FileOffset(pe, sections, sectionCount, nameRva, at))
            return table;
        std::string name;
        while (at < pe.size() && pe[at] != 0) name += char(pe[at++]);
        table.names.insert(name);
    }
    table.valid = true;
    return table;
}

TEST(ExportTables, TodayItemExportsOrdinals240And241WithoutNames) {
    const ExportTable item = ReadExports(MRW_TODAY_ITEM);
    ASSERT_TRUE(item.valid);
    EXPECT_EQ(item.ordinals, (std::set<uint32_t>{240, 241}));
    EXPECT_TRUE(item.names.empty());
}

TEST(ExportTables, SetupLibraryExportsTheFourSetupNames) {
    const ExportTable hooks = ReadExports(MRW_SETUP_HOOKS);
    ASSERT_TRUE(hooks.valid);
    EXPECT_EQ(hooks.names,
              (std::set<std::string>{"Install_Exit", "Install_Init", "Uninstall_Exit", "Uninstall_Init"}));
    EXPECT_EQ(hooks.ordinals.size(), 4u);
}

#endif

}  // namespace
}  // namespace mrw::handheld
