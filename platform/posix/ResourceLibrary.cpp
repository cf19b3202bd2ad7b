#include "platform/ResourceText.h"

namespace mrw {

// Resource libraries are Windows libraries: natively the compiled-in texts answer alone.
std::unique_ptr<ResourceTable> OpenResourceLibrary(const std::string&) { return nullptr; }

}  // namespace mrw
