// What an installation keeps so that unload can take it away again: one file
// per application under \Windows\AppMgr, named after "PROVIDER APPNAME", with
// the setup library of the package beside it.
#pragma once
#include <string>
#include <vector>

#include "handheld/ce/CeTypes.h"

namespace mrw::wceload {

struct InstalledValue {
    ce::DWORD root = 0;       // 1 HKCR, 2 HKCU, 3 HKLM, 4 HKU (the setup file's numbers)
    std::u16string key;       // path below the root
    std::u16string name;      // "" = the key's default value
};

struct RemovalRecord {
    std::u16string application;  // "PROVIDER APPNAME"
    std::u16string installDir;
    std::u16string setupLibrary;  // device path of the kept setup library; empty when none
    std::vector<std::u16string> files;
    std::vector<std::u16string> folders;  // created by the installation, parents first
    std::vector<InstalledValue> values;
    std::vector<InstalledValue> keys;     // created by the installation (name unused), parents first
};

// The device paths of an application's record and kept setup library. The
// name keeps letters, digits, blanks and ".-_()"; anything else becomes "_".
std::u16string RecordFolder();
std::u16string RecordPath(const std::u16string& application);
std::u16string SetupLibraryPath(const std::u16string& application);

// Reads and writes the record file through the CE calls. Reading fails for a
// missing or damaged record, or one kept for another application.
bool ReadRemovalRecord(const std::u16string& application, RemovalRecord& record);
bool WriteRemovalRecord(const RemovalRecord& record);

// The record's text and its parse (a line per entry, tab-separated fields,
// control characters and "%" escaped as %XX), for the files and for tests.
std::string FormatRemovalRecord(const RemovalRecord& record);
bool ParseRemovalRecord(const std::string& text, RemovalRecord& record);

}  // namespace mrw::wceload

namespace mrw::wceload {

// Takes away what `record` lists: values, files, then the keys and folders the
// installation created (those still empty). Missing entries count as
// removed; returns the number of files and values that could not be removed.
int RemoveInstalledItems(const RemovalRecord& record);

// The open root key of a setup-file root number; null for another number.
ce::HKEY RootKey(ce::DWORD root);

}  // namespace mrw::wceload
