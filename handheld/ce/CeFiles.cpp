// Placeholder until the device's file calls land here.
#include "handheld/ce/Boot.h"

namespace mrw::ce {

bool CloseFileHandle(HANDLE) { return false; }

}  // namespace mrw::ce
