// A library without the Today item's ordinal 240.
#include "handheld/ce/Ce.h"

namespace {
int Entry(mrw::ce::HINSTANCE, mrw::ce::DWORD) { return 1; }
}  // namespace

MRW_CE_LIBRARY_ENTRY(Entry)
