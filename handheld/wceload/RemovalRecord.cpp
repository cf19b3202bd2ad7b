#include "handheld/wceload/RemovalRecord.h"

#include "base/AsciiText.h"
#include "base/TextEncoding.h"
#include "handheld/ce/Ce.h"

namespace mrw::wceload {

namespace {

constexpr char kMagic[] = "MRW-REMOVAL 1";
constexpr ce::DWORD kMaxRecordSize = 4 * 1024 * 1024;

std::string Escape(const std::u16string& text) { return ascii::PercentEscape(text::Utf16ToUtf8(text)); }

bool Unescape(std::string_view field, std::u16string& out) {
    std::string bytes;
    if (!ascii::PercentUnescape(field, bytes)) return false;
    out = text::Utf8ToUtf16(bytes);
    return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

bool SafeNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u' ' ||
           c == u'.' || c == u'-' || c == u'_' || c == u'(' || c == u')' || c >= 0x80;
}

std::u16string FileStem(const std::u16string& application) {
    std::u16string stem;
    for (char16_t c : application) stem += SafeNameChar(c) ? c : u'_';
    // Neither an empty name nor one ending in "." or " " names a file of its own.
    while (!stem.empty() && (stem.back() == u' ' || stem.back() == u'.')) stem.back() = u'_';
    if (stem.empty()) stem = u"_";
    if (stem.size() > 200) stem.resize(200);
    return stem;
}

}  // namespace

std::u16string RecordFolder() { return u"\\Windows\\AppMgr"; }
std::u16string RecordPath(const std::u16string& application) {
    return RecordFolder() + u"\\" + FileStem(application) + u".unload";
}
std::u16string SetupLibraryPath(const std::u16string& application) {
    return RecordFolder() + u"\\" + FileStem(application) + u".dll";
}

std::string FormatRemovalRecord(const RemovalRecord& r) {
    std::string text = std::string(kMagic) + "\n";
    text += "application\t" + Escape(r.application) + "\n";
    text += "installdir\t" + Escape(r.installDir) + "\n";
    text += "setup\t" + Escape(r.setupLibrary) + "\n";
    for (const auto& f : r.folders) text += "folder\t" + Escape(f) + "\n";
    for (const auto& f : r.files) text += "file\t" + Escape(f) + "\n";
    for (const auto& k : r.keys) text += "key\t" + std::to_string(k.root) + "\t" + Escape(k.key) + "\n";
    for (const auto& v : r.values)
        text += "value\t" + std::to_string(v.root) + "\t" + Escape(v.key) + "\t" + Escape(v.name) + "\n";
    return text;
}

bool ParseRemovalRecord(const std::string& text, RemovalRecord& r) {
    r = RemovalRecord();
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        if (first) {
            if (line != kMagic) return false;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        const auto f = SplitTabs(line);
        std::u16string a, b;
        if (f[0] == "application" && f.size() == 2) {
            if (!Unescape(f[1], r.application)) return false;
        } else if (f[0] == "installdir" && f.size() == 2) {
            if (!Unescape(f[1], r.installDir)) return false;
        } else if (f[0] == "setup" && f.size() == 2) {
            if (!Unescape(f[1], r.setupLibrary)) return false;
        } else if ((f[0] == "folder" || f[0] == "file") && f.size() == 2) {
            if (!Unescape(f[1], a)) return false;
            (f[0] == "file" ? r.files : r.folders).push_back(a);
        } else if ((f[0] == "key" && f.size() == 3) || (f[0] == "value" && f.size() == 4)) {
            int root = 0;
            if (!ascii::ParseDecimal(f[1], root) || root < 1 || root > 4 || !Unescape(f[2], a)) return false;
            if (f[0] == "value" && !Unescape(f[3], b)) return false;
            (f[0] == "key" ? r.keys : r.values).push_back({static_cast<ce::DWORD>(root), a, b});
        } else {
            return false;
        }
    }
    return !first;
}

bool ReadRemovalRecord(const std::u16string& application, RemovalRecord& record) {
    const std::u16string path = RecordPath(application);
    ce::HANDLE file = ce::CreateFileW(path.c_str(), ce::GENERIC_READ, ce::FILE_SHARE_READ, nullptr,
                                      ce::OPEN_EXISTING, ce::FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == ce::INVALID_HANDLE_VALUE) return false;
    const ce::DWORD size = ce::GetFileSize(file, nullptr);
    std::string text;
    bool ok = size != ce::INVALID_FILE_SIZE && size <= kMaxRecordSize;
    if (ok) {
        text.resize(size);
        ce::DWORD read = 0;
        ok = size == 0 || (ce::ReadFile(file, text.data(), size, &read, nullptr) && read == size);
    }
    ce::CloseHandle(file);
    // The file name is shared by applications whose names differ only in
    // characters a file name cannot hold: the record names its own.
    return ok && ParseRemovalRecord(text, record) && record.application == application;
}

bool WriteRemovalRecord(const RemovalRecord& record) {
    ce::CreateDirectoryW(RecordFolder().c_str(), nullptr);
    const std::u16string path = RecordPath(record.application);
    const std::string text = FormatRemovalRecord(record);
    ce::HANDLE file = ce::CreateFileW(path.c_str(), ce::GENERIC_WRITE, 0, nullptr, ce::CREATE_ALWAYS,
                                      ce::FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == ce::INVALID_HANDLE_VALUE) return false;
    ce::DWORD written = 0;
    const bool ok = ce::WriteFile(file, text.data(), static_cast<ce::DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    ce::CloseHandle(file);
    return ok;
}

}  // namespace mrw::wceload

namespace mrw::wceload {

ce::HKEY RootKey(ce::DWORD root) {
    switch (root) {
        case 1: return ce::HKEY_CLASSES_ROOT;
        case 2: return ce::HKEY_CURRENT_USER;
        case 3: return ce::HKEY_LOCAL_MACHINE;
        case 4: return ce::HKEY_USERS;
        default: return nullptr;
    }
}

namespace {

bool KeyIsEmpty(ce::HKEY key) {
    ce::WCHAR name[256];
    ce::DWORD size = 256;
    if (ce::RegEnumKeyExW(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ce::ERROR_NO_MORE_ITEMS)
        return false;
    size = 256;
    return ce::RegEnumValueW(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == ce::ERROR_NO_MORE_ITEMS;
}

bool IsGone(ce::DWORD error) { return error == ce::ERROR_FILE_NOT_FOUND || error == ce::ERROR_PATH_NOT_FOUND; }

}  // namespace

int RemoveInstalledItems(const RemovalRecord& record) {
    int failed = 0;
    for (const auto& v : record.values) {
        ce::HKEY key = nullptr;
        const ce::LONG opened = ce::RegOpenKeyExW(RootKey(v.root), v.key.c_str(), 0, ce::KEY_ALL_ACCESS, &key);
        if (opened != ce::ERROR_SUCCESS) {
            if (!IsGone(static_cast<ce::DWORD>(opened))) ++failed;
            continue;
        }
        const ce::LONG deleted = ce::RegDeleteValueW(key, v.name.c_str());
        if (deleted != ce::ERROR_SUCCESS && !IsGone(static_cast<ce::DWORD>(deleted))) ++failed;
        ce::RegCloseKey(key);
    }
    for (const auto& f : record.files) {
        const ce::DWORD attributes = ce::GetFileAttributesW(f.c_str());
        if (attributes == ce::INVALID_FILE_ATTRIBUTES) continue;
        if (attributes & ce::FILE_ATTRIBUTE_DIRECTORY) {
            ++failed;
            continue;
        }
        // A file installed read-only is still the installation's to take away.
        if (attributes & ce::FILE_ATTRIBUTE_READONLY) ce::SetFileAttributesW(f.c_str(), ce::FILE_ATTRIBUTE_NORMAL);
        if (!ce::DeleteFileW(f.c_str()) && !IsGone(ce::GetLastError())) ++failed;
    }
    // Created keys and folders were recorded parents first: remove children first.
    for (auto k = record.keys.rbegin(); k != record.keys.rend(); ++k) {
        ce::HKEY key = nullptr;
        if (ce::RegOpenKeyExW(RootKey(k->root), k->key.c_str(), 0, ce::KEY_ALL_ACCESS, &key) != ce::ERROR_SUCCESS)
            continue;
        const bool empty = KeyIsEmpty(key);
        ce::RegCloseKey(key);
        if (empty) ce::RegDeleteKeyW(RootKey(k->root), k->key.c_str());
    }
    for (auto f = record.folders.rbegin(); f != record.folders.rend(); ++f) ce::RemoveDirectoryW(f->c_str());
    return failed;
}

}  // namespace mrw::wceload
