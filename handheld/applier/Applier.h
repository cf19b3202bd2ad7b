// Sarnick: switches the handheld to a theme package already on it. It clears
// what the previous theme left (images, animated page, PocketFacelift files,
// system colours), records the package as the Today screen's theme, installs
// it silently (PocketFacelift's loader when present, else the cabinet
// installer) and makes the Today screen reload. No window, no user interface.
#pragma once
#include "handheld/ce/CeTypes.h"

namespace mrw::applier {

// Program entry: the command line is the package's handheld path as it
// stands. Ends with 0, or -1 when neither installer could be started.
int SarnickMain(ce::HINSTANCE instance, ce::HINSTANCE previous, ce::LPWSTR commandLine, int show);

// The registry value names (decimal indices) of the 22 system colours under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Color, in the order they are deleted;
// the same indices as the editor's colour table.
constexpr int kColourValueCount = 22;
extern const ce::WCHAR* const kColourValueNames[kColourValueCount];

}  // namespace mrw::applier
