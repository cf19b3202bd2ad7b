// The handful of handheld operations the editor makes without a task: the
// quick connection probe, path test, folder creation, the theme-folder check
// and the handheld's system detection. All but DetectHandheldOs expect the
// binding to be bound; the path operations expect a connection.
#pragma once
#include <string>

#include "handheld/rapi/RapiTypes.h"

namespace mrw::handheld_link {

// The handheld folder the theme packages go to when the setting names none
// or a folder the handheld lacks.
extern const char* const kDefaultThemeFolder;  // "\My Documents\Themes"

// The quick probe: CeRapiInitEx on `record`, then at most 50 ms for its
// event; connected when the event was set with a successful result. An
// attempt that started (`started`) must be ended with CeRapiUninit once the
// caller is done, connected or not, and `record` must live until then: the
// library writes its result into it when the attempt ends, which may be after
// the probe gave up. A refused CeRapiInitEx started nothing and is not waited on.
bool ProbeConnection(rapi::RAPIINIT& record, bool& started);

// Probes on construction and ends the attempt on destruction.
class ScopedProbe {
public:
    ScopedProbe() : connected_(ProbeConnection(record_, started_)) {}
    ~ScopedProbe();
    ScopedProbe(const ScopedProbe&) = delete;
    ScopedProbe& operator=(const ScopedProbe&) = delete;
    bool Connected() const { return connected_; }

private:
    rapi::RAPIINIT record_{};
    bool started_ = false;
    bool connected_;
};

// True for the root ("" or "\") and for a file or folder that exists. The
// search leaves out a final "\", which would find nothing.
bool HandheldPathExists(const std::string& path);

// CeCreateDirectory; a folder that exists already counts as created.
bool CreateHandheldFolder(const std::string& path);

// For a connected handheld: when `folder` does not exist there, resets it to
// the default theme folder (created, ending in "\") and writes it to the
// settings ("Settings"/"PPCTSKPath"). True when the folder was reset.
bool EnsureHandheldThemeFolder(std::string& folder);

// 0 for a Pocket PC 2002 (system major version below 4), 1 for a 2003 one,
// written to "preview"/"system"; 2, with nothing written, when detection is
// off ("preview"/"AutoDetectOS" 0), the library cannot be bound, no handheld
// answers the probe or the version cannot be read. Binds and unbinds around
// itself.
int DetectHandheldOs();

}  // namespace mrw::handheld_link
