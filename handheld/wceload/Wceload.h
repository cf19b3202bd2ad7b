// The handheld's cabinet installer and its removal program, as handheld
// programs over the CE calls: WCEload installs a package (".cab"/".tsk": a
// cabinet with a setup file) onto the booted device, unload removes what an
// installation recorded for removal.
//
// Command line of WCEload: options, then the package path (in double quotes
// when it holds blanks):
//   /noui          answer every question (nothing is ever asked here anyway)
//   /safe          refuse a package with a setup library or any ".exe"/".dll"
//   /nouninstall   keep no removal record
//   /delete 0      keep the package file (otherwise it is deleted after success)
// Command line of unload: "PROVIDER APPNAME", as the installation recorded it.
#pragma once
#include <string>

#include "handheld/ce/CeTypes.h"

namespace mrw::wceload {

// Exit codes of WCEload.
enum : int {
    kInstalled = 0,
    kBadCommandLine = 1,  // no package named
    kNoPackage = 2,       // the package cannot be opened or is no installer cabinet
    kRefused = 3,         // wrong processor or OS version, /safe, a path leading out: nothing installed
    kCancelled = 4,       // the setup library cancelled (Install_Init) or undid (Install_Exit) the installation
    kIncomplete = 5,      // installed, but some folder, file or registry value failed
};

// Exit codes of unload.
enum : int {
    kRemoved = 0,
    kNotInstalled = 1,       // no removal record under that name
    kRemovalCancelled = 2,   // Uninstall_Init said cancel: nothing removed
    kRemovalIncomplete = 3,  // some file or value could not be removed
};

// The processor type this device reports (StrongARM).
constexpr ce::DWORD kDeviceProcessor = 2577;

int WceloadMain(ce::HINSTANCE instance, ce::HINSTANCE previous, ce::LPWSTR commandLine, int show);
int UnloadMain(ce::HINSTANCE instance, ce::HINSTANCE previous, ce::LPWSTR commandLine, int show);

// The parsed WCEload command line.
struct Options {
    bool noUi = false;
    bool safe = false;
    bool noUninstall = false;
    bool deletePackage = true;
    std::u16string package;
};
// False when no package path is given.
bool ParseCommandLine(std::u16string_view commandLine, Options& options);

// The folder a %CEn% token names on this Pocket PC (osMajor 3 = CE 3.0, 4 =
// CE 4.20); empty when the token is not defined there.
std::u16string StandardFolder(int n, ce::DWORD osMajor);

}  // namespace mrw::wceload
