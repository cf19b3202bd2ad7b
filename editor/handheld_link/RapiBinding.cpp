#include "editor/handheld_link/RapiBinding.h"

#include <cstdlib>
#include <mutex>

#include "platform/DynamicLibrary.h"

namespace mrw::handheld_link {

namespace {

struct Binding {
    std::mutex lock;
    dynlib::DynamicLibrary library;
    RapiEntryPoints entries;
};

Binding& TheBinding() {
    static Binding binding;
    return binding;
}

// Fills every pointer; false when a required one is missing.
bool LookUp(const dynlib::DynamicLibrary& library, RapiEntryPoints& entries) {
    int index = 0;
    bool complete = true;
#define MRW_RAPI_LOOK_UP(name, result, params)                                        \
    entries.name = reinterpret_cast<RapiFn_##name>(library.Symbol(#name));            \
    if (!entries.name && index < kRequiredEntryPointCount) complete = false;          \
    ++index;
    MRW_RAPI_FUNCTIONS(MRW_RAPI_LOOK_UP)
#undef MRW_RAPI_LOOK_UP
    return complete;
}

}  // namespace

std::string RapiLibraryName() {
#if defined(_WIN32)
    return "RAPI.DLL";
#else
    const char* path = std::getenv("MRW_RAPI_LIBRARY");
    return path && *path ? path : "librapi.so";
#endif
}

bool Bind() {
    Binding& binding = TheBinding();
    std::lock_guard<std::mutex> hold(binding.lock);
    if (binding.library.IsLoaded()) return true;
    if (!binding.library.Load(RapiLibraryName())) return false;
    if (!LookUp(binding.library, binding.entries)) {
        // An incomplete library would fail somewhere in the middle of a task.
        binding.entries = RapiEntryPoints();
        binding.library.Unload();
        return false;
    }
    return true;
}

bool IsBound() {
    Binding& binding = TheBinding();
    std::lock_guard<std::mutex> hold(binding.lock);
    return binding.library.IsLoaded();
}

void Unbind() {
    Binding& binding = TheBinding();
    std::lock_guard<std::mutex> hold(binding.lock);
    binding.entries = RapiEntryPoints();
    binding.library.Unload();
}

RapiEntryPoints& Rapi() { return TheBinding().entries; }

}  // namespace mrw::handheld_link
