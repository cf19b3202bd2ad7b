#include "handheld/wceload/Wceload.h"

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "base/AsciiText.h"
#include "base/TextEncoding.h"
#include "base/formats/SetupFileLayout.h"
#include "editor/packages/CabinetArchive.h"
#include "editor/packages/SetupFile.h"
#include "handheld/ce/Boot.h"
#include "handheld/ce/Ce.h"
#include "handheld/wceload/CeFileSource.h"
#include "handheld/wceload/RemovalRecord.h"

namespace mrw::wceload {

namespace {

using U16 = std::u16string;
namespace sf = setupfile;

constexpr char16_t kSeparator = u'\\';

using ascii::EqualsNoCase;
using ascii::StartsWithNoCase;

bool IsBlank16(char16_t c) { return c == u' ' || c == u'\t'; }

// "%CEn%" at `pos`: n and the token's length; 0 when there is none.
size_t StandardFolderToken(std::u16string_view text, size_t pos, int& n) {
    if (!StartsWithNoCase(text.substr(pos), u"%ce")) return 0;
    size_t end = pos + 3;
    n = 0;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9' && end - pos < 6) {
        n = n * 10 + (text[end] - u'0');
        ++end;
    }
    if (end == pos + 3 || end >= text.size() || text[end] != u'%') return 0;
    return end + 1 - pos;
}

// A folder or file name component that stays where it is put.
bool IsSafeComponent(std::u16string_view part) {
    if (part.empty() || part == u"." || part == u"..") return false;
    for (char16_t c : part) {
        if (c < 0x20 || c == u'/' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' ||
            c == u'|' || c == kSeparator) {
            return false;
        }
    }
    return true;
}

std::vector<U16> SplitPath(std::u16string_view path) {
    std::vector<U16> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(kSeparator, start);
        if (end == std::u16string_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::vector<uint8_t> Utf16Bytes(const U16& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

template <typename Item, typename Same>
void AddUnique(std::vector<Item>& list, const Item& item, Same same) {
    for (const auto& known : list) {
        if (same(known, item)) return;
    }
    list.push_back(item);
}

bool SameValue(const InstalledValue& a, const InstalledValue& b) {
    return a.root == b.root && EqualsNoCase(a.key, b.key) && EqualsNoCase(a.name, b.name);
}
bool SamePath(const U16& a, const U16& b) { return EqualsNoCase(a, b); }

struct PlannedFile {
    size_t member = 0;  // index in the cabinet's table
    U16 folder;
    U16 path;
    uint32_t flags = 0;
    uint16_t attributes = 0;
};

struct PlannedValue {
    ce::DWORD root = 0;
    U16 key;
    U16 name;
    ce::DWORD type = ce::REG_SZ;
    bool noClobber = false;
    bool valid = true;  // false: data that cannot be the declared type (a DWORD of other than 4 bytes)
    std::vector<uint8_t> data;
};

constexpr uint32_t kFlagNoOverwrite = 0x00000010u;
constexpr uint32_t kFlagReplaceOnly = 0x00000400u;
constexpr uint32_t kValueNoClobber = 0x00000002u;

// Calls of the setup library, each logged when it returns.
class SetupLibrary {
public:
    ~SetupLibrary() { Free(); }
    bool Load(const U16& path) {
        module_ = ce::LoadLibraryW(path.c_str());
        return module_ != nullptr;
    }
    void Free() {
        if (module_ != nullptr) ce::FreeLibrary(module_);
        module_ = nullptr;
    }
    bool Loaded() const { return module_ != nullptr; }

    ce::codeINSTALL_INIT InstallInit(bool previouslyInstalled, const U16& installDir) {
        auto fn = Find<ce::pfnINSTALL_INIT>(u"Install_Init");
        if (fn == nullptr) return ce::codeINSTALL_INIT_CONTINUE;
        const auto result = fn(nullptr, ce::TRUE, previouslyInstalled ? ce::TRUE : ce::FALSE, installDir.c_str());
        ce::LogSetupLibraryCall(u"Install_Init", result);
        return result;
    }
    ce::codeINSTALL_EXIT InstallExit(const U16& installDir, const ce::WORD failed[5]) {
        auto fn = Find<ce::pfnINSTALL_EXIT>(u"Install_Exit");
        if (fn == nullptr) return ce::codeINSTALL_EXIT_DONE;
        const auto result = fn(nullptr, installDir.c_str(), failed[0], failed[1], failed[2], failed[3], failed[4]);
        ce::LogSetupLibraryCall(u"Install_Exit", result);
        return result;
    }
    ce::codeUNINSTALL_INIT UninstallInit(const U16& installDir) {
        auto fn = Find<ce::pfnUNINSTALL_INIT>(u"Uninstall_Init");
        if (fn == nullptr) return ce::codeUNINSTALL_INIT_CONTINUE;
        const auto result = fn(nullptr, installDir.c_str());
        ce::LogSetupLibraryCall(u"Uninstall_Init", result);
        return result;
    }
    void UninstallExit() {
        auto fn = Find<ce::pfnUNINSTALL_EXIT>(u"Uninstall_Exit");
        if (fn == nullptr) return;
        ce::LogSetupLibraryCall(u"Uninstall_Exit", fn(nullptr));
    }

private:
    template <typename Fn>
    Fn Find(const char16_t* name) {
        if (module_ == nullptr) return nullptr;
        // Through the generic function pointer type, as the exports' real types are known only here.
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(ce::GetProcAddressW(module_, name)));
    }

    ce::HMODULE module_ = nullptr;
};

class Installer {
public:
    explicit Installer(const Options& options) : options_(options) {}
    int Run();

private:
    bool ReadPackage();
    bool DeviceAccepts() const;
    bool SafeEnough() const;
    bool Plan();
    bool FolderOf(uint16_t directoryId, U16& folder) const;
    bool ResolveFolder(std::u16string_view raw, U16& folder) const;
    U16 Text(uint16_t stringId, bool& ok) const;
    U16 Expand(const U16& text) const;
    bool PlanValue(const SetupRegistryValue& v);
    bool WriteSetupLibrary();
    void Install();
    void CreateFolder(const U16& folder);
    void CopyFile(const PlannedFile& file);
    void WriteValue(const PlannedValue& value);
    void DropSetupLibrary();

    Options options_;
    ce::DWORD osMajor_ = 3, osMinor_ = 0;
    std::unique_ptr<CeFileSource> source_;
    CabinetArchive cabinet_;
    SetupFileContent setup_;
    U16 application_;
    U16 installDir_;
    const CabinetFileEntry* setupMember_ = nullptr;
    std::vector<PlannedFile> files_;
    std::vector<PlannedValue> values_;
    SetupLibrary library_;
    U16 libraryPath_;

    RemovalRecord done_;  // what this run installed
    ce::WORD failedFolders_ = 0, failedFiles_ = 0, failedKeys_ = 0, failedValues_ = 0;
};

bool Installer::ReadPackage() {
    source_ = std::make_unique<CeFileSource>(options_.package);
    if (!source_->IsOpen() || !cabinet_.Open(*source_)) return false;
    const CabinetFileEntry* setupFile = cabinet_.FindFileById(sf::kSetupFileMemberId);
    if (setupFile == nullptr) return false;
    std::vector<uint8_t> bytes;
    if (!cabinet_.ReadMember(static_cast<size_t>(setupFile - &cabinet_.File(0)), bytes)) return false;
    if (!ParseSetupFile(bytes.data(), bytes.size(), setup_)) return false;
    setupMember_ = cabinet_.FindFileById(sf::kSetupLibraryMemberId);
    application_ = text::Cp1252ToUtf16(setup_.providerName + " " + setup_.applicationName);
    return true;
}

bool Installer::DeviceAccepts() const {
    if (setup_.processor != 0 && setup_.processor != kDeviceProcessor) return false;
    // Versions compare as (major, minor); a zero major means no limit.
    const auto below = [](uint32_t aMajor, uint32_t aMinor, uint32_t bMajor, uint32_t bMinor) {
        return aMajor < bMajor || (aMajor == bMajor && aMinor < bMinor);
    };
    if (setup_.versionMinMajor != 0 && below(osMajor_, osMinor_, setup_.versionMinMajor, setup_.versionMinMinor))
        return false;
    if (setup_.versionMaxMajor != 0 && below(setup_.versionMaxMajor, setup_.versionMaxMinor, osMajor_, osMinor_))
        return false;
    return true;
}

bool Installer::SafeEnough() const {
    if (setupMember_ != nullptr) return false;
    for (const auto& f : setup_.files) {
        if (ascii::EndsWithNoCase(f.name, ".exe") || ascii::EndsWithNoCase(f.name, ".dll")) return false;
    }
    return true;
}

U16 Installer::Text(uint16_t stringId, bool& ok) const {
    if (stringId < 1 || stringId > setup_.strings.size()) {
        ok = false;
        return U16();
    }
    return text::Cp1252ToUtf16(setup_.strings[stringId - 1]);
}

// A folder path as the setup file writes it: a leading %CEn% is a standard
// folder, anything else is from the root. Every component must stay where
// it is: no "." or "..", no empty standard folder, no other %CEn% inside.
bool Installer::ResolveFolder(std::u16string_view raw, U16& folder) const {
    U16 path(raw);
    int n = 0;
    while (!path.empty() && path[0] == kSeparator) path.erase(0, 1);
    if (const size_t length = StandardFolderToken(path, 0, n)) {
        const U16 standard = StandardFolder(n, osMajor_);
        if (standard.empty()) return false;
        path = standard + kSeparator + path.substr(length);
    }
    folder.clear();
    for (const U16& part : SplitPath(path)) {
        if (!IsSafeComponent(part) || StandardFolderToken(part, 0, n) == part.size()) return false;
        folder += kSeparator;
        folder += part;
    }
    if (folder.empty()) folder = U16(1, kSeparator);
    return true;
}

bool Installer::FolderOf(uint16_t directoryId, U16& folder) const {
    for (const auto& d : setup_.directories) {
        if (d.id != directoryId) continue;
        U16 raw;
        bool ok = true;
        for (uint16_t id : d.componentIds) {
            if (id == 0) break;
            if (!raw.empty()) raw += kSeparator;
            raw += Text(id, ok);
        }
        return ok && ResolveFolder(raw, folder);
    }
    return false;
}

// %InstallDir% and %CEn% in registry text whose record asks for it.
U16 Installer::Expand(const U16& text) const {
    U16 out;
    for (size_t i = 0; i < text.size();) {
        int n = 0;
        if (StartsWithNoCase(std::u16string_view(text).substr(i), u"%installdir%")) {
            out += installDir_;
            i += 12;
        } else if (const size_t length = StandardFolderToken(text, i, n); length && !StandardFolder(n, osMajor_).empty()) {
            out += StandardFolder(n, osMajor_);
            i += length;
        } else {
            out += text[i++];
        }
    }
    return out;
}

bool Installer::PlanValue(const SetupRegistryValue& v) {
    const SetupRegistryKey* key = nullptr;
    for (const auto& k : setup_.keys) {
        if (k.id == v.keyId) key = &k;
    }
    if (key == nullptr || RootKey(key->root) == nullptr) return false;
    PlannedValue value;
    value.root = key->root;
    bool ok = true;
    for (uint16_t id : key->componentIds) {
        if (id == 0) break;
        for (const U16& part : SplitPath(Text(id, ok))) {
            if (!value.key.empty()) value.key += kSeparator;
            value.key += part;
        }
    }
    if (!ok || value.key.empty()) return false;
    value.name = text::Cp1252ToUtf16(v.name);
    value.noClobber = (v.flags & kValueNoClobber) != 0;
    const bool substitute = v.substitute == 1;
    switch (v.flags & 0x00010001u) {
        case kRegistryBinary:
            value.type = ce::REG_BINARY;
            value.data = v.data;
            break;
        case kRegistryDword:
            value.type = ce::REG_DWORD;
            value.valid = v.data.size() == 4;
            value.data = v.data;
            break;
        case kRegistryMultiString: {
            // 8-bit strings, each ending in NUL, then one more NUL.
            value.type = ce::REG_MULTI_SZ;
            U16 all;
            size_t start = 0;
            while (start < v.data.size() && v.data[start] != 0) {
                size_t end = start;
                while (end < v.data.size() && v.data[end] != 0) ++end;
                U16 one = text::Cp1252ToUtf16(std::string(v.data.begin() + start, v.data.begin() + end));
                all += (substitute ? Expand(one) : one) + u'\0';
                start = end + 1;
            }
            if (all.empty()) all += u'\0';
            all += u'\0';
            value.data = Utf16Bytes(all);
            break;
        }
        default: {
            value.type = ce::REG_SZ;
            const auto nul = std::find(v.data.begin(), v.data.end(), uint8_t{0});
            U16 text = text::Cp1252ToUtf16(std::string(v.data.begin(), nul));
            if (substitute) text = Expand(text);
            value.data = Utf16Bytes(text + u'\0');
            break;
        }
    }
    values_.push_back(std::move(value));
    return true;
}

// Everything is resolved and read before anything is written, so that a
// refused package installs nothing.
bool Installer::Plan() {
    // The installation folder: DefaultDestDir's, else the first string when
    // it is a path (the INF's InstallDir), else \Program Files.
    if (!FolderOf(1, installDir_)) {
        bool ok = true;
        const U16 first = setup_.strings.empty() ? U16() : Text(1, ok);
        int n = 0;
        if (!((StandardFolderToken(first, 0, n) || (!first.empty() && first[0] == kSeparator)) &&
              ResolveFolder(first, installDir_))) {
            installDir_ = StandardFolder(1, osMajor_);
        }
    }
    std::set<size_t> readable;
    for (const auto& record : setup_.files) {
        PlannedFile file;
        const CabinetFileEntry* member = cabinet_.FindFileById(record.fileId);
        if (member == nullptr || record.fileId == sf::kSetupFileMemberId ||
            record.fileId == sf::kSetupLibraryMemberId || !IsPlainFileName(record.name) ||
            !FolderOf(record.directoryId, file.folder)) {
            return false;
        }
        file.member = static_cast<size_t>(member - &cabinet_.File(0));
        const U16 name = text::Cp1252ToUtf16(record.name);
        if (!IsSafeComponent(name)) return false;
        file.path = (file.folder.size() == 1 ? U16() : file.folder) + kSeparator + name;
        file.flags = record.flags;
        file.attributes = member->attributes;
        // Each member is read through once here, so that a damaged one is
        // found before anything is written, and kept by nobody: many records
        // may name one large member.
        if (readable.insert(file.member).second) {
            std::vector<uint8_t> bytes;
            if (!cabinet_.ReadMember(file.member, bytes)) return false;
        }
        files_.push_back(std::move(file));
    }
    for (const auto& v : setup_.values) {
        if (!PlanValue(v)) return false;
    }
    return true;
}

bool Installer::WriteSetupLibrary() {
    std::vector<uint8_t> bytes;
    if (!cabinet_.ReadMember(static_cast<size_t>(setupMember_ - &cabinet_.File(0)), bytes)) return false;
    ce::CreateDirectoryW(RecordFolder().c_str(), nullptr);
    libraryPath_ = SetupLibraryPath(application_);
    ce::HANDLE file = ce::CreateFileW(libraryPath_.c_str(), ce::GENERIC_WRITE, 0, nullptr, ce::CREATE_ALWAYS,
                                      ce::FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == ce::INVALID_HANDLE_VALUE) return false;
    ce::DWORD written = 0;
    const bool ok = ce::WriteFile(file, bytes.data(), static_cast<ce::DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ce::CloseHandle(file);
    if (ok && library_.Load(libraryPath_)) return true;
    DropSetupLibrary();
    return false;
}

void Installer::DropSetupLibrary() {
    library_.Free();
    if (!libraryPath_.empty()) ce::DeleteFileW(libraryPath_.c_str());
    libraryPath_.clear();
    // The records' folder goes too when nothing else is kept there.
    ce::RemoveDirectoryW(RecordFolder().c_str());
}

void Installer::CreateFolder(const U16& folder) {
    U16 path;
    for (const U16& part : SplitPath(folder)) {
        path += kSeparator;
        path += part;
        const ce::DWORD attributes = ce::GetFileAttributesW(path.c_str());
        if (attributes != ce::INVALID_FILE_ATTRIBUTES) continue;
        if (ce::CreateDirectoryW(path.c_str(), nullptr)) {
            AddUnique(done_.folders, path, SamePath);
        } else {
            ++failedFolders_;
            return;
        }
    }
}

void Installer::CopyFile(const PlannedFile& file) {
    const ce::DWORD existing = ce::GetFileAttributesW(file.path.c_str());
    const bool exists = existing != ce::INVALID_FILE_ATTRIBUTES;
    if (exists && (file.flags & kFlagNoOverwrite)) return;
    if (!exists && (file.flags & kFlagReplaceOnly)) return;
    if (exists && (existing & ce::FILE_ATTRIBUTE_DIRECTORY)) {
        ++failedFiles_;
        return;
    }
    if (exists && (existing & ce::FILE_ATTRIBUTE_READONLY) && !(existing & ce::FILE_ATTRIBUTE_INROM))
        ce::SetFileAttributesW(file.path.c_str(), ce::FILE_ATTRIBUTE_NORMAL);
    std::vector<uint8_t> bytes;
    if (!cabinet_.ReadMember(file.member, bytes)) {
        ++failedFiles_;
        return;
    }
    ce::HANDLE out = ce::CreateFileW(file.path.c_str(), ce::GENERIC_WRITE, 0, nullptr, ce::CREATE_ALWAYS,
                                     ce::FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == ce::INVALID_HANDLE_VALUE) {
        ++failedFiles_;
        return;
    }
    ce::DWORD written = 0;
    const bool ok = bytes.empty() ||
                    (ce::WriteFile(out, bytes.data(), static_cast<ce::DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size());
    ce::CloseHandle(out);
    AddUnique(done_.files, file.path, SamePath);
    if (!ok) {
        ++failedFiles_;
        return;
    }
    // The member's own attributes: read-only, hidden, system.
    const ce::DWORD keep = file.attributes & (ce::FILE_ATTRIBUTE_READONLY | ce::FILE_ATTRIBUTE_HIDDEN |
                                              ce::FILE_ATTRIBUTE_SYSTEM);
    if (keep != 0) ce::SetFileAttributesW(file.path.c_str(), keep | ce::FILE_ATTRIBUTE_ARCHIVE);
}

void Installer::WriteValue(const PlannedValue& value) {
    // Key by key, so that the keys this installation creates are known.
    ce::HKEY key = RootKey(value.root);
    bool owned = false;
    U16 path;
    for (const U16& part : SplitPath(value.key)) {
        ce::HKEY next = nullptr;
        ce::DWORD disposition = 0;
        const ce::LONG result = ce::RegCreateKeyExW(key, part.c_str(), 0, nullptr, 0, ce::KEY_ALL_ACCESS, nullptr,
                                                    &next, &disposition);
        if (owned) ce::RegCloseKey(key);
        if (result != ce::ERROR_SUCCESS) {
            ++failedKeys_;
            return;
        }
        key = next;
        owned = true;
        path += (path.empty() ? U16() : U16(1, kSeparator)) + part;
        if (disposition == ce::REG_CREATED_NEW_KEY) AddUnique(done_.keys, InstalledValue{value.root, path, U16()}, SameValue);
    }
    bool skip = false;
    if (value.noClobber) {
        ce::DWORD size = 0;
        skip = ce::RegQueryValueExW(key, value.name.c_str(), nullptr, nullptr, nullptr, &size) == ce::ERROR_SUCCESS;
    }
    if (!skip) {
        if (!value.valid || ce::RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                                               static_cast<ce::DWORD>(value.data.size())) != ce::ERROR_SUCCESS) {
            ++failedValues_;
        } else {
            AddUnique(done_.values, InstalledValue{value.root, value.key, value.name}, SameValue);
        }
    }
    if (owned) ce::RegCloseKey(key);
}

void Installer::Install() {
    for (const auto& file : files_) {
        CreateFolder(file.folder);
        CopyFile(file);
    }
    for (const auto& value : values_) WriteValue(value);
}

int Installer::Run() {
    ce::OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (ce::GetVersionExW(&version)) {
        osMajor_ = version.dwMajorVersion;
        osMinor_ = version.dwMinorVersion;
    }
    if (!ReadPackage()) return kNoPackage;
    if (!DeviceAccepts() || (options_.safe && !SafeEnough())) return kRefused;
    if (!Plan()) return kRefused;

    RemovalRecord previous;
    const bool previouslyInstalled = ReadRemovalRecord(application_, previous);
    if (setupMember_ != nullptr && !WriteSetupLibrary()) return kRefused;
    if (library_.InstallInit(previouslyInstalled, installDir_) != ce::codeINSTALL_INIT_CONTINUE) {
        DropSetupLibrary();
        return kCancelled;
    }
    Install();
    const ce::WORD failed[5] = {failedFolders_, failedFiles_, failedKeys_, failedValues_, 0};
    if (library_.InstallExit(installDir_, failed) == ce::codeINSTALL_EXIT_UNINSTALL) {
        RemoveInstalledItems(done_);
        DropSetupLibrary();
        return kCancelled;
    }
    library_.Free();

    if (options_.noUninstall) {
        DropSetupLibrary();
    } else {
        // A reinstallation keeps what the earlier one listed as well.
        RemovalRecord record = previouslyInstalled ? previous : RemovalRecord();
        record.application = application_;
        record.installDir = installDir_;
        if (!libraryPath_.empty()) {
            record.setupLibrary = libraryPath_;
        } else if (!record.setupLibrary.empty()) {
            ce::DeleteFileW(record.setupLibrary.c_str());
            record.setupLibrary.clear();
        }
        for (const auto& f : done_.folders) AddUnique(record.folders, f, SamePath);
        for (const auto& f : done_.files) AddUnique(record.files, f, SamePath);
        for (const auto& k : done_.keys) AddUnique(record.keys, k, SameValue);
        for (const auto& v : done_.values) AddUnique(record.values, v, SameValue);
        if (!WriteRemovalRecord(record)) ++failedFiles_;
    }
    if (failedFolders_ || failedFiles_ || failedKeys_ || failedValues_) return kIncomplete;
    if (options_.deletePackage) {
        cabinet_.Close();
        source_->Close();
        ce::DeleteFileW(options_.package.c_str());
    }
    return kInstalled;
}

}  // namespace

bool ParseCommandLine(std::u16string_view line, Options& options) {
    options = Options();
    size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < line.size() && IsBlank16(line[i])) ++i;
    };
    const auto word = [&] {
        const size_t start = i;
        while (i < line.size() && !IsBlank16(line[i])) ++i;
        return line.substr(start, i - start);
    };
    for (skipBlanks(); i < line.size(); skipBlanks()) {
        if (line[i] == u'"') {
            const size_t end = line.find(u'"', i + 1);
            options.package = U16(line.substr(i + 1, end == std::u16string_view::npos ? end : end - i - 1));
            return !options.package.empty();
        }
        if (line[i] != u'/') {
            // An unquoted path runs to the end of the line.
            size_t end = line.size();
            while (end > i && IsBlank16(line[end - 1])) --end;
            options.package = U16(line.substr(i, end - i));
            return true;
        }
        const std::u16string_view option = word();
        if (EqualsNoCase(option, u"/noui")) {
            options.noUi = true;
        } else if (EqualsNoCase(option, u"/safe")) {
            options.safe = true;
        } else if (EqualsNoCase(option, u"/nouninstall")) {
            options.noUninstall = true;
        } else if (EqualsNoCase(option, u"/delete")) {
            skipBlanks();
            const std::u16string_view value = word();
            options.deletePackage = value != u"0";
        }
        // Other options (/askdest, /noaskdest, ...) change nothing here.
    }
    return false;
}

std::u16string StandardFolder(int n, ce::DWORD osMajor) {
    const bool ce3 = osMajor < 4;
    switch (n) {
        case 1: return u"\\Program Files";
        case 2: return u"\\Windows";
        case 4: return u"\\Windows\\StartUp";
        case 5: return u"\\My Documents";
        case 6: return ce3 ? U16() : u"\\Program Files\\Accessories";
        case 7: return ce3 ? U16() : u"\\Program Files\\Communications";
        case 8: return ce3 ? U16() : u"\\Program Files\\Games";
        case 11: return u"\\Windows\\Start Menu\\Programs";
        case 12: return ce3 ? U16() : u"\\Windows\\Start Menu\\Accessories";
        case 13: return ce3 ? U16() : u"\\Windows\\Start Menu\\Communications";
        case 14: return u"\\Windows\\Start Menu\\Games";
        case 15: return u"\\Windows\\Fonts";
        case 17: return u"\\Windows\\Start Menu";
        default: return U16();
    }
}

int WceloadMain(ce::HINSTANCE, ce::HINSTANCE, ce::LPWSTR commandLine, int) {
    Options options;
    if (!ParseCommandLine(commandLine ? std::u16string_view(commandLine) : std::u16string_view(), options))
        return kBadCommandLine;
    Installer installer(options);
    return installer.Run();
}

int UnloadMain(ce::HINSTANCE, ce::HINSTANCE, ce::LPWSTR commandLine, int) {
    std::u16string_view line = commandLine ? std::u16string_view(commandLine) : std::u16string_view();
    while (!line.empty() && IsBlank16(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank16(line.back())) line.remove_suffix(1);
    if (line.size() >= 2 && line.front() == u'"' && line.back() == u'"') line = line.substr(1, line.size() - 2);
    const U16 application(line);
    RemovalRecord record;
    if (application.empty() || !ReadRemovalRecord(application, record)) return kNotInstalled;

    SetupLibrary library;
    const bool haveLibrary = !record.setupLibrary.empty() && library.Load(record.setupLibrary);
    if (haveLibrary && library.UninstallInit(record.installDir) != ce::codeUNINSTALL_INIT_CONTINUE)
        return kRemovalCancelled;
    const int failed = RemoveInstalledItems(record);
    if (haveLibrary) library.UninstallExit();
    library.Free();
    if (failed != 0) return kRemovalIncomplete;
    if (!record.setupLibrary.empty()) ce::DeleteFileW(record.setupLibrary.c_str());
    ce::DeleteFileW(RecordPath(application).c_str());
    return kRemoved;
}

}  // namespace mrw::wceload
