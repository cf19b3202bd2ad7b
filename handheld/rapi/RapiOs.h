// What our RAPI library needs of the operating system: the connection
// event (a Win32 manual-reset event; natively an eventfd that turns readable
// when set) and the folder the library was loaded from.
#pragma once
#include <string>

#include "handheld/rapi/RapiTypes.h"

namespace mrw::rapi::os {

// A manual-reset event, not set; null when none can be made.
HANDLE CreateManualEvent();
void SetEvent(HANDLE event);
void WaitEvent(HANDLE event);
void CloseEvent(HANDLE event);

// The library's own folder, ending in a separator.
std::string LibraryFolder();

// One argument of a Windows-style command line, quoted so that the C
// runtime's rules give it back unchanged.
std::string QuoteArgument(const std::string& argument);

}  // namespace mrw::rapi::os
