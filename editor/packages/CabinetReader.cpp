#include "editor/packages/CabinetReader.h"

#include <exception>
#include <fstream>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace mrw {

namespace {

// The package's name without folder, cut at its first "."; a name without a
// "." is used whole.
std::string BaseNameFromPath(const std::string& path) {
    std::string name = paths::FileNameOf(path);
    const size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    // ".tsk" alone would give no name; the folder must still be one of its own.
    if (name.empty()) name = "package";
    return name;
}

// Extraction into a folder: one file per member, found as the platform's
// file functions find names (without regard to case).
class FolderTarget : public ExtractionTarget, public ByteSink {
public:
    explicit FolderTarget(const std::string& folder) : folder_(folder) {}

    ByteSink* Begin(const CabinetFileEntry& entry) override {
        written_ = 0;
        out_.open(files::Resolve(folder_ + entry.name), std::ios::out | std::ios::binary | std::ios::trunc);
        return out_.is_open() ? this : nullptr;
    }
    bool End() override {
        out_.close();
        return !out_.fail();
    }
    [[nodiscard]] bool Write(const void* data, size_t length) override {
        out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
        written_ += length;
        return out_.good();
    }
    uint64_t Position() const override { return written_; }

private:
    std::string folder_;
    std::ofstream out_;
    uint64_t written_ = 0;
};

}  // namespace

CabinetReader::CabinetReader() = default;

CabinetReader::~CabinetReader() = default;

bool CabinetReader::Open(const std::string& path) {
    try {
        Close();
        extractionFolder_.clear();
        baseName_ = BaseNameFromPath(path);
        // The platform's file functions find names without regard to case.
        return OpenFrom(file_.Open(path) ? &file_ : nullptr);
    } catch (const std::exception&) {
        Close();
        SetError(CabinetError::OpenFailed);
        return false;
    }
}

void CabinetReader::Close() {
    CabinetArchive::Close();
    file_.Close();
}

// ---- extraction -------------------------------------------------------------

bool CabinetReader::BuildExtractionFolder() {
    extractionFolder_.clear();
    const std::string sep(1, paths::Separator());
    const std::string root = files::TempFolder() + "mrw";
    files::CreateFolder(root);
    const std::string folder = root + sep + baseName_;
    if (!files::CreateFolder(folder)) return false;
    extractionFolder_ = folder + sep;
    return true;
}

void CabinetReader::EmptyExtractionFolder() {
    std::vector<std::string> doomed;
    for (const auto& found : files::Find(extractionFolder_ + "*")) {
        if (!found.isDirectory) doomed.push_back(extractionFolder_ + found.name);
    }
    for (const auto& path : doomed) files::Delete(path);
}

int CabinetReader::ExtractAll() {
    try {
        SetError(CabinetError::None);
        if (!BuildExtractionFolder()) {
            SetError(CabinetError::FolderCreateFailed);
            return 0;
        }
        EmptyExtractionFolder();
        return ExtractInto(extractionFolder_);
    } catch (const std::exception&) {
        if (LastError() == CabinetError::None) SetError(CabinetError::WriteFailed);
        return 0;
    }
}

int CabinetReader::ExtractTo(const std::string& folder) {
    try {
        SetError(CabinetError::None);
        extractionFolder_.clear();
        if (folder.empty() || !files::CreateFolders(folder)) {
            SetError(CabinetError::FolderCreateFailed);
            return 0;
        }
        extractionFolder_ = paths::WithTrailingSeparator(folder);
        return ExtractInto(extractionFolder_);
    } catch (const std::exception&) {
        if (LastError() == CabinetError::None) SetError(CabinetError::WriteFailed);
        return 0;
    }
}

int CabinetReader::ExtractInto(const std::string& folder) {
    FolderTarget target(folder);
    return Extract(target);
}

// ---- setup file -------------------------------------------------------------

int CabinetReader::ReadSetupFile(const std::string& name) {
    try {
        ClearSetup();
        if (extractionFolder_.empty() || !IsPlainFileName(name)) return 0;
        FileByteSource in;
        if (!in.Open(extractionFolder_ + name)) return 0;
        SetupFileContent content;
        if (!ParseSetupFile(in, content)) return 0;
        ApplySetupFile(std::move(content), true);
        return 1;
    } catch (const std::exception&) {
        ClearSetup();
        return 0;
    }
}

bool CabinetReader::RenameMember(const CabinetFileEntry& entry) {
    return files::Move(extractionFolder_ + entry.name, extractionFolder_ + entry.targetName);
}

}  // namespace mrw
