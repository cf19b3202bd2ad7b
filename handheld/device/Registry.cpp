#include "handheld/device/Registry.h"

#include <algorithm>

#include "base/ByteOrder.h"
#include "handheld/device/DevicePaths.h"

namespace mrw::device {

namespace {

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorNoMoreItems = 259;
constexpr uint32_t kErrorBadPathname = 161;

constexpr char kMagic[8] = {'M', 'R', 'W', 'R', 'E', 'G', '0', '1'};
// Key names as the platform limits them; value names and nesting far above
// what any package writes, low enough that a hostile file costs little.
constexpr size_t kMaxKeyName = 255;
constexpr size_t kMaxValueName = 16383;
constexpr int kMaxDepth = 512;

bool SplitKeyPath(const std::u16string& path, std::vector<std::u16string>& parts) {
    parts.clear();
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        if (end > start) {
            if (end - start > kMaxKeyName) return false;
            parts.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return true;
}

}  // namespace

struct Registry::Key {
    std::u16string name;
    std::vector<RegValue> values;
    std::vector<std::unique_ptr<Key>> subKeys;  // ordered without regard to case

    Key* Child(std::u16string_view childName) const {
        auto it = std::lower_bound(subKeys.begin(), subKeys.end(), childName,
                                   [](const std::unique_ptr<Key>& k, std::u16string_view n) {
                                       return LessNoCase(k->name, n);
                                   });
        return (it != subKeys.end() && EqualsNoCase((*it)->name, childName)) ? it->get() : nullptr;
    }
    Key* AddChild(const std::u16string& childName) {
        auto it = std::lower_bound(subKeys.begin(), subKeys.end(), childName,
                                   [](const std::unique_ptr<Key>& k, const std::u16string& n) {
                                       return LessNoCase(k->name, n);
                                   });
        auto key = std::make_unique<Key>();
        key->name = childName;
        return subKeys.insert(it, std::move(key))->get();
    }
    RegValue* Value(std::u16string_view valueName) {
        for (auto& v : values) {
            if (EqualsNoCase(v.name, valueName)) return &v;
        }
        return nullptr;
    }
};

const char* RegRootName(RegRoot root) {
    switch (root) {
        case RegRoot::kClassesRoot: return "HKCR";
        case RegRoot::kCurrentUser: return "HKCU";
        case RegRoot::kLocalMachine: return "HKLM";
        case RegRoot::kUsers: return "HKU";
    }
    return "";
}

bool ParseRegKeyName(const std::u16string& text, RegRoot& root, std::u16string& path) {
    const size_t slash = text.find(u'\\');
    const std::u16string head = text.substr(0, slash);
    for (int i = 0; i < kRegRootCount; ++i) {
        const char* name = RegRootName(static_cast<RegRoot>(i));
        if (EqualsNoCase(head, std::u16string(name, name + std::char_traits<char>::length(name)))) {
            root = static_cast<RegRoot>(i);
            path = slash == std::u16string::npos ? std::u16string() : text.substr(slash + 1);
            return true;
        }
    }
    return false;
}

Registry::Registry() {
    for (auto& r : roots_) r = std::make_unique<Key>();
}

Registry::~Registry() = default;

Registry::Key* Registry::Find(RegRoot root, const std::u16string& path) const {
    std::vector<std::u16string> parts;
    if (static_cast<int>(root) < 0 || static_cast<int>(root) >= kRegRootCount || !SplitKeyPath(path, parts))
        return nullptr;
    Key* key = roots_[static_cast<int>(root)].get();
    for (const auto& part : parts) {
        key = key->Child(part);
        if (!key) return nullptr;
    }
    return key;
}

bool Registry::KeyExists(RegRoot root, const std::u16string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return Find(root, path) != nullptr;
}

uint32_t Registry::CreateKey(RegRoot root, const std::u16string& path, bool* created) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::u16string> parts;
    if (static_cast<int>(root) < 0 || static_cast<int>(root) >= kRegRootCount) return kErrorInvalidParameter;
    if (!SplitKeyPath(path, parts)) return kErrorBadPathname;
    Key* key = roots_[static_cast<int>(root)].get();
    bool isNew = false;
    for (const auto& part : parts) {
        Key* child = key->Child(part);
        isNew = child == nullptr;
        key = child ? child : key->AddChild(part);
    }
    if (isNew) changed_ = true;
    if (created) *created = isNew;
    return 0;
}

uint32_t Registry::DeleteKey(RegRoot root, const std::u16string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::u16string> parts;
    if (!SplitKeyPath(path, parts)) return kErrorBadPathname;
    if (parts.empty()) return kErrorAccessDenied;
    const std::u16string last = parts.back();
    parts.pop_back();
    std::u16string parentPath;
    for (const auto& p : parts) parentPath += p + u"\\";
    Key* parent = Find(root, parentPath);
    if (!parent) return kErrorFileNotFound;
    for (auto it = parent->subKeys.begin(); it != parent->subKeys.end(); ++it) {
        if (EqualsNoCase((*it)->name, last)) {
            parent->subKeys.erase(it);
            changed_ = true;
            return 0;
        }
    }
    return kErrorFileNotFound;
}

uint32_t Registry::SetValue(RegRoot root, const std::u16string& path, const std::u16string& name, uint32_t type,
                            const std::vector<uint8_t>& data) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (name.size() > kMaxValueName) return kErrorInvalidParameter;
    Key* key = Find(root, path);
    if (!key) return kErrorFileNotFound;
    if (RegValue* v = key->Value(name)) {
        v->type = type;
        v->data = data;
    } else {
        key->values.push_back({name, type, data});
    }
    changed_ = true;
    return 0;
}

uint32_t Registry::QueryValue(RegRoot root, const std::u16string& path, const std::u16string& name,
                              RegValue& value) const {
    std::lock_guard<std::mutex> lock(mutex_);
    Key* key = Find(root, path);
    if (!key) return kErrorFileNotFound;
    const RegValue* v = key->Value(name);
    if (!v) return kErrorFileNotFound;
    value = *v;
    return 0;
}

uint32_t Registry::DeleteValue(RegRoot root, const std::u16string& path, const std::u16string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    Key* key = Find(root, path);
    if (!key) return kErrorFileNotFound;
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
        if (EqualsNoCase(it->name, name)) {
            key->values.erase(it);
            changed_ = true;
            return 0;
        }
    }
    return kErrorFileNotFound;
}

uint32_t Registry::EnumKey(RegRoot root, const std::u16string& path, uint32_t index, std::u16string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    Key* key = Find(root, path);
    if (!key) return kErrorFileNotFound;
    if (index >= key->subKeys.size()) return kErrorNoMoreItems;
    name = key->subKeys[index]->name;
    return 0;
}

uint32_t Registry::EnumValue(RegRoot root, const std::u16string& path, uint32_t index, RegValue& value) const {
    std::lock_guard<std::mutex> lock(mutex_);
    Key* key = Find(root, path);
    if (!key) return kErrorFileNotFound;
    if (index >= key->values.size()) return kErrorNoMoreItems;
    value = key->values[index];
    return 0;
}

uint32_t Registry::ListKey(RegRoot root, const std::u16string& path, std::vector<std::u16string>& subKeys,
                           std::vector<RegValue>& values) const {
    std::lock_guard<std::mutex> lock(mutex_);
    Key* key = Find(root, path);
    if (!key) return kErrorFileNotFound;
    subKeys.clear();
    for (const auto& k : key->subKeys) subKeys.push_back(k->name);
    values = key->values;
    return 0;
}

void Registry::Walk(
    const std::function<void(RegRoot, const std::u16string&, const std::vector<RegValue>&)>& visit) const {
    std::lock_guard<std::mutex> lock(mutex_);
    // Iterative, so that a deep tree cannot exhaust the stack.
    for (int r = 0; r < kRegRootCount; ++r) {
        std::vector<std::pair<const Key*, std::u16string>> stack{{roots_[r].get(), u""}};
        while (!stack.empty()) {
            auto [key, path] = stack.back();
            stack.pop_back();
            visit(static_cast<RegRoot>(r), path, key->values);
            for (auto it = key->subKeys.rbegin(); it != key->subKeys.rend(); ++it)
                stack.emplace_back(it->get(), path.empty() ? (*it)->name : path + u"\\" + (*it)->name);
        }
    }
}

bool Registry::Changed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return changed_;
}

void Registry::ClearChanged() {
    std::lock_guard<std::mutex> lock(mutex_);
    changed_ = false;
}

// ---- The registry file ----
//   "MRWREG01"
//   4 keys (the roots, empty names), each:
//     u32 name length (UTF-16 units), name (UTF-16LE)
//     u32 value count, each: u32 name length, name, u32 type, u32 data size, data
//     u32 subkey count, the subkeys (the same record)
//   u32 checksum (CRC-32) of everything before it
// Numbers are little-endian.

uint32_t RegistryChecksum(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int b = 0; b < 8; ++b) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

namespace {

void PutText(std::vector<uint8_t>& out, const std::u16string& text) {
    le::PutU32(out, static_cast<uint32_t>(text.size()));
    for (char16_t c : text) le::PutU16(out, c);
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool U32(uint32_t& v) {
        if (!le::U32At(data_, size_, pos_, v)) return false;
        pos_ += 4;
        return true;
    }
    bool Text(size_t maxLength, std::u16string& text) {
        uint32_t length = 0;
        if (!U32(length) || length > maxLength || !le::Fits(size_, pos_, size_t(length) * 2)) return false;
        text.resize(length);
        for (uint32_t i = 0; i < length; ++i) text[i] = static_cast<char16_t>(le::U16(data_ + pos_ + 2 * i));
        pos_ += size_t(length) * 2;
        return true;
    }
    bool Bytes(std::vector<uint8_t>& bytes) {
        uint32_t length = 0;
        if (!U32(length) || !le::Fits(size_, pos_, length)) return false;
        bytes.assign(data_ + pos_, data_ + pos_ + length);
        pos_ += length;
        return true;
    }
    size_t Left() const { return size_ - pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace

std::vector<uint8_t> Registry::Serialize() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    // Depth first with an explicit stack: key record, then its subkeys.
    std::vector<const Key*> stack;
    for (int r = kRegRootCount - 1; r >= 0; --r) stack.push_back(roots_[r].get());
    while (!stack.empty()) {
        const Key* key = stack.back();
        stack.pop_back();
        PutText(out, key->name);
        le::PutU32(out, static_cast<uint32_t>(key->values.size()));
        for (const auto& v : key->values) {
            PutText(out, v.name);
            le::PutU32(out, v.type);
            le::PutU32(out, static_cast<uint32_t>(v.data.size()));
            out.insert(out.end(), v.data.begin(), v.data.end());
        }
        le::PutU32(out, static_cast<uint32_t>(key->subKeys.size()));
        for (auto it = key->subKeys.rbegin(); it != key->subKeys.rend(); ++it) stack.push_back(it->get());
    }
    le::PutU32(out, RegistryChecksum(out.data(), out.size()));
    return out;
}

bool Registry::Parse(const uint8_t* data, size_t size, std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& r : roots_) r = std::make_unique<Key>();
    changed_ = false;
    auto fail = [&](const char* why) {
        for (auto& r : roots_) r = std::make_unique<Key>();
        error = why;
        return false;
    };
    if (size < sizeof kMagic + 4 || !std::equal(kMagic, kMagic + sizeof kMagic, data))
        return fail("the registry file is not one of ours");
    if (le::U32(data + size - 4) != RegistryChecksum(data, size - 4))
        return fail("the registry file is damaged (checksum)");
    Reader in(data + sizeof kMagic, size - 4 - sizeof kMagic);
    // Each open key: how many of its subkeys are still to read.
    struct Open {
        Key* key;
        uint32_t subKeysLeft;
    };
    std::vector<Open> open;
    int rootsRead = 0;
    while (rootsRead < kRegRootCount || !open.empty()) {
        Key* key = nullptr;
        if (open.empty()) {
            key = roots_[rootsRead++].get();
        } else if (open.back().subKeysLeft == 0) {
            open.pop_back();
            continue;
        } else {
            --open.back().subKeysLeft;
            key = open.back().key->subKeys.emplace_back(std::make_unique<Key>()).get();
        }
        uint32_t count = 0;
        if (!in.Text(open.empty() ? 0 : kMaxKeyName, key->name) || !in.U32(count))
            return fail("the registry file is damaged (key)");
        if (!open.empty()) {
            const auto& siblings = open.back().key->subKeys;
            if (key->name.empty() || key->name.find(u'\\') != std::u16string::npos ||
                (siblings.size() > 1 && !LessNoCase(siblings[siblings.size() - 2]->name, key->name)))
                return fail("the registry file is damaged (key order)");
        }
        // Every value takes at least 12 bytes: no count can ask for more than the file holds.
        if (count > in.Left() / 12) return fail("the registry file is damaged (value count)");
        key->values.reserve(count);
        std::vector<std::u16string_view> names;
        for (uint32_t i = 0; i < count; ++i) {
            RegValue v;
            if (!in.Text(kMaxValueName, v.name) || !in.U32(v.type) || !in.Bytes(v.data))
                return fail("the registry file is damaged (value)");
            key->values.push_back(std::move(v));
        }
        for (const auto& v : key->values) names.push_back(v.name);
        std::sort(names.begin(), names.end(), LessNoCase);
        for (size_t i = 1; i < names.size(); ++i) {
            if (EqualsNoCase(names[i - 1], names[i])) return fail("the registry file is damaged (value named twice)");
        }
        uint32_t subKeys = 0;
        if (!in.U32(subKeys) || subKeys > in.Left() / 12) return fail("the registry file is damaged (subkey count)");
        if (subKeys > 0) {
            if (open.size() >= kMaxDepth) return fail("the registry file is damaged (too deep)");
            key->subKeys.reserve(subKeys);
            open.push_back({key, subKeys});
        }
    }
    if (in.Left() != 0) return fail("the registry file is damaged (trailing bytes)");
    return true;
}

}  // namespace mrw::device
