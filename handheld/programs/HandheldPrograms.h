// The handheld programs a booted device can run as processes, found by the
// base name of their program file. mrw, Sarnick.exe and the tests call this
// once before they boot a device.
#pragma once

namespace mrw::handheld {

void RegisterHandheldPrograms();

}  // namespace mrw::handheld
