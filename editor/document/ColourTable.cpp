#include "editor/document/ColourTable.h"

#include <cstdio>

namespace mrw {

const char kColourSubKey[] = "HKLM,Software\\Microsoft\\Color";

const ColourTableRow kColourTable[kColourTableSize] = {
    {4, 106, 0, 0, 0, 0},         {5, 112, 119, 119, 119, 0},  {6, 108, 170, 170, 170, 0},
    {7, 111, 204, 204, 204, 0},   {8, 113, 0, 0, 0, 0},        {9, 109, 255, 255, 255, 0},
    {10, 110, 119, 119, 119, 0},  {11, 114, 119, 119, 119, 0}, {12, 115, 119, 119, 119, 0},
    {13, 118, 0, 0, 0, 0},        {14, 119, 119, 119, 119, 0}, {25, 116, 0, 0, 0, 0},
    {26, 117, 0, 0, 0, 0},        {15, 220, 255, 255, 255, 1}, {16, 221, 214, 227, 247, 1},
    {36, 224, 255, 255, 255, 1},  {37, 225, 182, 207, 247, 1}, {27, 222, 255, 255, 255, 1},
    {28, 223, 255, 255, 255, 1},  {39, 219, 0, 0, 0, 1},       {38, 226, 0, 0, 0, 1},
    {40, 227, 0, 0, 0, 1},
};

const ColourTableRow* FindColourTableRow(const std::string& valueName) {
    for (const auto& row : kColourTable) {
        if (valueName == std::to_string(row.index)) return &row;
    }
    return nullptr;
}

uint32_t BuiltInDefaultColour(int index) {
    switch (index) {
        case 5: case 10: case 11: case 12: case 14: return 0x777777;
        case 6: return 0xAAAAAA;
        case 7: case 16: return 0xCCCCCC;
        case 9: case 15: case 27: case 28: case 36: case 37: return 0xFFFFFF;
        default: return 0x000000;
    }
}

}  // namespace mrw
