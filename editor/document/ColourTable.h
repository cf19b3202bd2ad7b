// The handheld system colours every theme carries: the registry value names
// under HKLM\Software\Microsoft\Color, their label strings, the colours a
// theme receives when it lacks one, and which only Pocket PC 2003 handhelds have.
#pragma once
#include <cstdint>
#include <string>

namespace mrw {

struct ColourTableRow {
    int index;          // registry value name, in decimal
    int labelId;        // resource string naming the colour
    uint8_t red, green, blue;  // default stored by EnsureColourTable
    int colourGroup;    // 1: Pocket PC 2003 only
};

constexpr int kColourTableSize = 22;
extern const ColourTableRow kColourTable[kColourTableSize];

// The row whose index, written in decimal, equals `valueName` exactly; nullptr when none.
const ColourTableRow* FindColourTableRow(const std::string& valueName);

// The colour GetColour shows for an index that the theme lacks (these differ
// from the defaults EnsureColourTable stores for 16 and 37).
uint32_t BuiltInDefaultColour(int index);

// The registry key of the handheld system colours, in package form.
extern const char kColourSubKey[];  // "HKLM,Software\Microsoft\Color"

}  // namespace mrw
