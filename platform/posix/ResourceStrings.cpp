#include "editor/resources/CompiledStrings.h"
#include "platform/ResourceText.h"

namespace mrw {

// Without a resource library the texts come from the compiled-in table.
std::string LoadResourceString(int id) {
    const char* text = LookupCompiledString(id);
    return text ? std::string(text) : std::string();
}

}  // namespace mrw
