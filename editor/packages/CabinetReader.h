// Theme packages on the desktop: a CabinetArchive opened by file name, with
// the extraction of its members into a folder and the reading of the
// extracted setup file, which renames the files to their final names.
#pragma once
#include <string>

#include "editor/packages/CabinetArchive.h"
#include "platform/FileByteSource.h"

namespace mrw {

class CabinetReader : public CabinetArchive {
public:
    CabinetReader();
    ~CabinetReader() override;

    // Opens the package and reads its header, folder records and file table.
    bool Open(const std::string& path);
    void Close();

    // Extracts every member into the package's extraction folder (temporary
    // folder + "mrw" + base name), which is emptied first. 1 = every file was
    // written in full, 0 = a failure (files written so far stay).
    int ExtractAll();
    // The same into `folder` (created when missing, not emptied), which then
    // is the extraction folder the setup file is read from.
    int ExtractTo(const std::string& folder);
    std::string ExtractionFolder() const { return extractionFolder_; }
    const std::string& BaseName() const { return baseName_; }

    // Reads extraction folder + name as the setup file, sets the members'
    // final names and flags and renames the extracted files. 1 = read, 0 = not.
    virtual int ReadSetupFile(const std::string& name);

protected:
    bool RenameMember(const CabinetFileEntry& entry) override;

private:
    int ExtractInto(const std::string& folder);
    bool BuildExtractionFolder();
    void EmptyExtractionFolder();

    FileByteSource file_;
    std::string baseName_;
    std::string extractionFolder_;
};

}  // namespace mrw
