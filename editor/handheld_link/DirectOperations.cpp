#include "editor/handheld_link/DirectOperations.h"

#include "editor/handheld_link/RapiBinding.h"
#include "platform/DesktopText.h"
#include "platform/Events.h"
#include "platform/Settings.h"

namespace mrw::handheld_link {

const char* const kDefaultThemeFolder = "\\My Documents\\Themes";

namespace {

constexpr uint32_t kProbeWaitMs = 50;

std::u16string Wide(const std::string& text) { return desktoptext::ToUtf16(text); }

const rapi::WCHAR* W(const std::u16string& text) { return reinterpret_cast<const rapi::WCHAR*>(text.c_str()); }

}  // namespace

bool ProbeConnection(rapi::RAPIINIT& record, bool& started) {
    started = false;
    RapiEntryPoints& rapi = Rapi();
    if (!rapi.CeRapiInitEx) return false;
    record = rapi::RAPIINIT{};
    record.cbSize = sizeof(record);
    if (rapi.CeRapiInitEx(&record) < 0) return false;
    started = true;
    events::WaitHandle event = record.heRapiInit;
    return events::WaitAny(&event, 1, kProbeWaitMs) == 0 && record.hrRapiInit >= 0;
}

ScopedProbe::~ScopedProbe() {
    if (started_ && Rapi().CeRapiUninit) Rapi().CeRapiUninit();
}

bool HandheldPathExists(const std::string& path) {
    std::string searched = path;
    if (!searched.empty() && searched.back() == '\\') searched.pop_back();
    if (searched.empty()) return true;  // the root
    RapiEntryPoints& rapi = Rapi();
    if (!rapi.CeFindFirstFile) return false;
    rapi::CE_FIND_DATA found{};
    std::u16string wide = Wide(searched);
    rapi::HANDLE handle = rapi.CeFindFirstFile(W(wide), &found);
    if (handle == rapi::InvalidHandle()) return false;
    rapi.CeFindClose(handle);
    return true;
}

bool CreateHandheldFolder(const std::string& path) {
    RapiEntryPoints& rapi = Rapi();
    if (!rapi.CeCreateDirectory) return false;
    std::u16string wide = Wide(path);
    if (rapi.CeCreateDirectory(W(wide), nullptr)) return true;
    // A device error is readable only when the call reached the handheld.
    if (rapi.CeRapiGetError() < 0) return false;
    return rapi.CeGetLastError() == rapi::kErrorAlreadyExists;
}

bool EnsureHandheldThemeFolder(std::string& folder) {
    if (HandheldPathExists(folder)) return false;
    folder = kDefaultThemeFolder;
    CreateHandheldFolder(folder);
    folder += '\\';
    CurrentSettings().WriteString("Settings", "PPCTSKPath", folder);
    return true;
}

int DetectHandheldOs() {
    if (CurrentSettings().GetInt("preview", "AutoDetectOS", 1) == 0) return 2;
    if (!Bind()) return 2;
    int system = 2;
    {
        ScopedProbe probe;
        rapi::CEOSVERSIONINFO version{};
        version.dwOSVersionInfoSize = sizeof(version);
        if (probe.Connected() && Rapi().CeGetVersionEx(&version)) {
            system = version.dwMajorVersion >= 4 ? 1 : 0;
            CurrentSettings().WriteInt("preview", "system", system);
        }
    }
    Unbind();
    return system;
}

}  // namespace mrw::handheld_link
