// The process's one binding to the desktop remote-access library: the
// library is loaded by name when a handheld operation starts and unloaded
// afterwards, so that the program runs (every handheld command failing
// cleanly) on a machine without it.
//
// Bind is idempotent: nested users share one load, and the first Unbind
// releases the library. The entry pointers are valid only while bound. A
// library that lacks any of the link's entry points is not bound.
#pragma once
#include <string>

#include "handheld/rapi/RapiTypes.h"

namespace mrw::handheld_link {

// One pointer per entry point, named as exported.
struct RapiEntryPoints {
#define MRW_RAPI_ENTRY_FIELD(name, result, params) RapiFn_##name name = nullptr;
    MRW_RAPI_FUNCTIONS(MRW_RAPI_ENTRY_FIELD)
#undef MRW_RAPI_ENTRY_FIELD
};

// The entry points the link needs, looked up in this order; the registry
// calls after them are looked up too but not required.
constexpr int kRequiredEntryPointCount = 25;

// The library's name: "RAPI.DLL" on Windows; natively the path in
// MRW_RAPI_LIBRARY when set, else "librapi.so" through the loader's search.
std::string RapiLibraryName();

bool Bind();
bool IsBound();
void Unbind();

// The bound entry points. Tests may replace single entries (with wrappers
// that fail) while bound; the next Bind after Unbind looks them up afresh.
RapiEntryPoints& Rapi();

}  // namespace mrw::handheld_link
