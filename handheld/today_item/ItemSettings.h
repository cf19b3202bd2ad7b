// The Today item's settings, shared by the item library (mrw2html) and its
// host program (mRW2Host): the item's registry key, the page address, the
// band height and the height read from the animated page's settings file.
#pragma once
#include "handheld/ce/CeTypes.h"

namespace mrw::handheld {

// HKEY_LOCAL_MACHINE key of the item's values ("URL", "Height", "AutoHeight", "DLL").
inline constexpr ce::WCHAR kItemKey[] = u"Software\\Microsoft\\Today\\items\\Morwen";
// The "URL" buffer: 255 characters (510 bytes), the terminating zero included.
constexpr ce::DWORD kUrlChars = 255;
// The band height when "Height" is 0.
constexpr ce::DWORD kDefaultHeight = 150;
inline constexpr ce::WCHAR kDefaultUrl[] = u"file://\\Windows\\vx5n.htm";

struct ItemSettings {
    ce::WCHAR url[kUrlChars] = {};
    ce::DWORD height = 0;
    ce::DWORD autoHeight = 0;
};

// Reads the three values from the item key. A missing key, a missing value
// or one of another type leaves the field as it was. "URL" is always
// terminated: a longer value is cut to 254 characters.
void ReadItemSettings(ItemSettings& settings);

// True when url begins with "file://" (letter case ignored).
bool IsFileUrl(const ce::WCHAR* url);
// The local file a "file://" address names: the text after the prefix.
const ce::WCHAR* FileUrlPath(const ce::WCHAR* url);
// Length of a zero-terminated UTF-16 text.
ce::DWORD TextLength(const ce::WCHAR* text);

// The height the animated page's settings file "\windows\vx5n.atc" gives, by
// the one reader of its size line; 0 when the file cannot be read, has no
// size line, or its number is not above 0.
ce::DWORD ReadSettingsFileHeight();

}  // namespace mrw::handheld
