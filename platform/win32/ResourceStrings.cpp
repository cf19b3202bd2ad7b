#include "platform/ResourceText.h"

namespace mrw {

// Filled from the compiled-in table of editor/resources.
std::string LoadResourceString(int id) { return std::string(); }

}  // namespace mrw
