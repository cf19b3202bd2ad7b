// Loading a library file of this machine: dlopen natively, LoadLibraryW on
// Windows. Kept apart from the CE headers, whose names would collide with the
// Windows headers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace mrw::ce::native {

// Null with a reason when the file is no loadable library.
void* Load(const std::string& path, std::string& error);
void Unload(void* library);
void* Symbol(void* library, const char* name);
// The function exported under this ordinal; null when there is none.
void* Ordinal(void* library, unsigned ordinal);
// The layer's resource blob linked into the library; false when it has none.
bool Resources(void* library, const std::uint8_t*& data, std::size_t& size);
// True on Windows: the loader calls the library's entry (DllMain) itself.
bool LoaderCallsEntry();

}  // namespace mrw::ce::native
