// Handheld libraries: LoadLibraryW loads a private copy of the device's file
// (so the device file can be replaced and a later load sees the new one) and
// marks the device file in use while any process holds it. Also the module
// resources: strings and icons (dialog templates are read in CeDialogs.cpp).
#include <algorithm>
#include <cstring>
#include <memory>

#include "base/AsciiText.h"
#include "base/ByteOrder.h"
#include "base/TextEncoding.h"
#include "handheld/ce/CeResources.h"
#include "handheld/ce/Kernel.h"
#include "platform/Files.h"
#include "platform/ScratchFolder.h"

namespace mrw::ce {
namespace kernel {
namespace {

constexpr DWORD kErrorDllInitFailed = 1114;
using LibraryEntry = int (*)(HINSTANCE, DWORD);

std::unique_ptr<mrw::ScratchFolder>& Scratch() {
    static std::unique_ptr<mrw::ScratchFolder> folder;
    return folder;
}

Module* FindModuleLocked(HMODULE handle) {
    auto it = K().modules.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == K().modules.end() ? nullptr : it->second.get();
}

std::u16string BaseName(const std::u16string& path) {
    std::size_t slash = path.find_last_of(u'\\');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

// The function a handheld library exports under an ordinal: the export
// table's on Windows; natively MRW_CE_ORDINAL_EXPORT leaves a pointer to it
// under a name of its own.
void* OrdinalExport(const mrw::dynlib::DynamicLibrary& library, unsigned ordinal) {
    if (void* found = library.SymbolByOrdinal(ordinal)) return found;
    const std::string name = "mrw_ce_ordinal_" + std::to_string(ordinal);
    void* const* slot = static_cast<void* const*>(library.Symbol(name.c_str()));
    return slot ? *slot : nullptr;
}

// The resource blob linked into a handheld library: an RCDATA resource on
// Windows, two symbols natively.
void FindResources(const mrw::dynlib::DynamicLibrary& library, Module& module) {
    if (library.Resource("MRWCE", module.resources, module.resourceSize)) return;
    auto* bytes = static_cast<const std::uint8_t*>(library.Symbol("mrw_ce_resource_data"));
    auto* length = static_cast<const std::uint32_t*>(library.Symbol("mrw_ce_resource_size"));
    if (!bytes || !length) return;
    module.resources = bytes;
    module.resourceSize = *length;
}

LibraryEntry EntryOf(const mrw::dynlib::DynamicLibrary& library) {
    return reinterpret_cast<LibraryEntry>(library.Symbol("mrw_ce_library_entry"));
}

// The last steps of unloading, without the lock: detach, unload, delete the copy.
void FinishUnload(std::unique_ptr<Module> module) {
    if (!mrw::dynlib::DynamicLibrary::LoaderRunsEntryPoint()) {
        if (LibraryEntry entry = EntryOf(module->native)) entry(module->handle, DLL_PROCESS_DETACH);
    }
    module->native.Unload();
    mrw::files::Delete(module->hostCopy);
}

}  // namespace

void ReleaseProcessModules(Process& process) {
    for (;;) {
        HMODULE handle = nullptr;
        {
            std::lock_guard<std::mutex> lock(K().mutex);
            for (auto& [module, refs] : process.moduleRefs) {
                if (refs > 0) {
                    handle = module->handle;
                    break;
                }
            }
            if (!handle) {
                process.moduleRefs.clear();
                return;
            }
        }
        FreeLibrary(handle);
    }
}

void UnloadAllModules() {
    std::vector<std::unique_ptr<Module>> all;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        for (auto& [id, module] : K().modules) {
            if (K().host) K().host->SetInUse(module->devicePath, false);
            all.push_back(std::move(module));
        }
        K().modules.clear();
    }
    for (auto& module : all) FinishUnload(std::move(module));
    Scratch().reset();
}

bool ModuleResources(HINSTANCE instance, const std::uint8_t*& data, std::size_t& size) {
    std::lock_guard<std::mutex> lock(K().mutex);
    Module* module = FindModuleLocked(instance);
    if (!module || !module->resources) return false;
    data = module->resources;
    size = module->resourceSize;
    return true;
}

std::u16string ModulePathLocked(HINSTANCE instance) {
    if (!instance) return CurrentLocked()->image;
    if (Module* module = FindModuleLocked(instance)) return module->devicePath;
    for (auto& [pid, p] : K().processes) {
        if (p->instance == instance) return p->image;
    }
    return std::u16string();
}

}  // namespace kernel

using namespace kernel;

HMODULE LoadLibraryW(LPCWSTR fileName) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::u16string path = fileName;
    std::replace(path.begin(), path.end(), u'/', u'\\');
    if (path[0] != u'\\') path = u"\\Windows\\" + path;
    if (path.find(u'.', path.find_last_of(u'\\')) == std::u16string::npos) path += u".dll";

    Kernel& k = K();
    std::u16string stored;
    std::vector<std::uint8_t> bytes;
    std::string copy;
    {
        std::lock_guard<std::mutex> lock(k.mutex);
        if (!k.running || !k.host) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        bool isFolder = false;
        DWORD error = 0;
        if (!k.host->Resolve(path, stored, isFolder, error) || isFolder) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        Process* self = CurrentLocked();
        for (auto& [id, module] : k.modules) {
            if (mrw::ascii::EqualsNoCase(module->devicePath, stored)) {
                ++module->refs;
                ++self->moduleRefs[module.get()];
                return module->handle;
            }
        }
        if (!k.host->ReadAll(stored, bytes)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        if (!Scratch()) Scratch() = std::make_unique<mrw::ScratchFolder>("ce-modules-");
        if (Scratch()->path().empty()) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        // A new name for every load: a library once unloaded may be loaded
        // again from a changed device file.
        std::string base = mrw::text::Utf16ToUtf8(BaseName(stored));
        std::replace_if(base.begin(), base.end(), [](char c) { return c == '/' || c == ':'; }, '_');
        copy = Scratch()->path() + std::to_string(++k.tempCounter) + "-" + base;
    }
    if (!mrw::files::WriteAll(copy, bytes.data(), bytes.size())) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    mrw::dynlib::DynamicLibrary library;
    if (!library.Load(copy)) {
        mrw::files::Delete(copy);
        SetLastError(ERROR_BAD_FORMAT);
        return nullptr;
    }
    const bool loaderRunsEntry = mrw::dynlib::DynamicLibrary::LoaderRunsEntryPoint();
    LibraryEntry entry = nullptr;
    if (!loaderRunsEntry) {
        entry = EntryOf(library);
        if (!entry) {
            // Some library of this machine, but no handheld library.
            library.Unload();
            mrw::files::Delete(copy);
            SetLastError(ERROR_BAD_FORMAT);
            return nullptr;
        }
    }
    HMODULE handle;
    {
        std::lock_guard<std::mutex> lock(k.mutex);
        auto module = std::make_unique<Module>();
        std::uintptr_t id;
        if (loaderRunsEntry) {
            id = reinterpret_cast<std::uintptr_t>(library.Handle());
        } else {
            id = k.nextModule;
            k.nextModule += 0x10000;
        }
        module->handle = reinterpret_cast<HMODULE>(id);
        module->devicePath = stored;
        module->hostCopy = copy;
        module->refs = 1;
        FindResources(library, *module);
        module->native = std::move(library);
        ++CurrentLocked()->moduleRefs[module.get()];
        k.host->SetInUse(stored, true);
        handle = module->handle;
        k.modules[id] = std::move(module);
    }
    if (entry && !entry(handle, DLL_PROCESS_ATTACH)) {
        FreeLibrary(handle);
        SetLastError(kErrorDllInitFailed);
        return nullptr;
    }
    return handle;
}

BOOL FreeLibrary(HMODULE handle) {
    std::unique_ptr<Module> gone;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Module* module = FindModuleLocked(handle);
        if (!module) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        Process* self = CurrentLocked();
        auto it = self->moduleRefs.find(module);
        if (it != self->moduleRefs.end() && it->second > 0) --it->second;
        if (--module->refs > 0) return TRUE;
        // Forget the module in every process that still counted it.
        for (auto& [pid, p] : K().processes) p->moduleRefs.erase(module);
        if (K().host) K().host->SetInUse(module->devicePath, false);
        auto mit = K().modules.find(reinterpret_cast<std::uintptr_t>(handle));
        gone = std::move(mit->second);
        K().modules.erase(mit);
    }
    FinishUnload(std::move(gone));
    return TRUE;
}

FARPROC GetProcAddressW(HMODULE handle, LPCWSTR procName) {
    const mrw::dynlib::DynamicLibrary* library;
    {
        std::lock_guard<std::mutex> lock(K().mutex);
        Module* module = FindModuleLocked(handle);
        if (!module || !procName) {
            SetLastError(module ? ERROR_PROC_NOT_FOUND : ERROR_INVALID_HANDLE);
            return nullptr;
        }
        library = &module->native;
    }
    void* found;
    if (IS_INTRESOURCE(procName)) {
        found = OrdinalExport(*library, LOWORD(reinterpret_cast<std::uintptr_t>(procName)));
    } else {
        found = library->Symbol(mrw::text::Utf16ToUtf8(procName).c_str());
    }
    if (!found) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(found);
}

DWORD GetModuleFileNameW(HMODULE handle, LPWSTR fileName, DWORD size) {
    std::lock_guard<std::mutex> lock(K().mutex);
    std::u16string path = ModulePathLocked(handle);
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!fileName || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::size_t n = std::min<std::size_t>(path.size(), size - 1);
    std::memcpy(fileName, path.data(), n * sizeof(WCHAR));
    fileName[n] = 0;
    if (n < path.size()) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<DWORD>(n);
}

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
    std::lock_guard<std::mutex> lock(K().mutex);
    if (!moduleName) return CurrentLocked()->instance;
    std::u16string name = moduleName;
    std::replace(name.begin(), name.end(), u'/', u'\\');
    for (auto& [id, module] : K().modules) {
        if (mrw::ascii::EqualsNoCase(module->devicePath, name) || mrw::ascii::EqualsNoCase(BaseName(module->devicePath), BaseName(name))) {
            return module->handle;
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

// ---- Resources ----

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size) {
    const std::uint8_t* data;
    std::size_t dataSize;
    resources::Entry entry;
    if (!ModuleResources(instance, data, dataSize) ||
        !resources::Find(data, dataSize, resources::kString, id, entry)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    if (!buffer || size <= 0) return 0;
    std::u16string text = resources::Text(data, dataSize, entry.offset, entry.size / 2);
    std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n * sizeof(WCHAR));
    buffer[n] = 0;
    return static_cast<int>(n);
}

void* LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT) {
    if (type != IMAGE_ICON || !IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const std::uint8_t* data;
    std::size_t dataSize;
    resources::Entry entry;
    WORD id = LOWORD(reinterpret_cast<std::uintptr_t>(name));
    std::uint16_t iconWidth = 0, iconHeight = 0;
    if (!ModuleResources(instance, data, dataSize) || !resources::Find(data, dataSize, resources::kIcon, id, entry) ||
        !mrw::le::U16At(data, dataSize, entry.offset, iconWidth) || !mrw::le::U16At(data, dataSize, entry.offset + 2, iconHeight)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(K().mutex);
    Icon icon;
    icon.width = width > 0 ? width : iconWidth;
    icon.height = height > 0 ? height : iconHeight;
    icon.module = instance;
    icon.id = id;
    std::uintptr_t value = K().nextGdi;
    K().nextGdi += 4;
    K().icons[value] = icon;
    return reinterpret_cast<void*>(value);
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    return static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
}

BOOL DestroyIcon(HICON icon) {
    std::lock_guard<std::mutex> lock(K().mutex);
    if (K().icons.erase(reinterpret_cast<std::uintptr_t>(icon)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // namespace mrw::ce
