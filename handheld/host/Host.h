// mRW2Host: puts a container window into the Morwen Today item's band,
// creates the HTML view inside it and loads the item's page (or, for the
// animated page on a handheld without a Flash player, the error page beside
// the program). It ends when the container is closed.
#pragma once
#include "handheld/ce/CeTypes.h"

namespace mrw::host {

// Program entry; the command line is ignored. Ends with 0.
int HostMain(ce::HINSTANCE instance, ce::HINSTANCE previous, ce::LPWSTR commandLine, int show);

}  // namespace mrw::host
