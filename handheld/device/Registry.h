// The handheld's registry: four roots, keys and value names compared
// without regard to case but stored as first given, values {name, type,
// bytes}. Keys are addressed by root and a path of names separated by "\".
// Results are the handheld's error codes (0 = success). Safe to use from
// several threads; a registry is written to disk whole by the device.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mrw::device {

enum class RegRoot { kClassesRoot = 0, kCurrentUser = 1, kLocalMachine = 2, kUsers = 3 };
constexpr int kRegRootCount = 4;
// "HKCR", "HKCU", "HKLM", "HKU".
const char* RegRootName(RegRoot root);
// The root of "HKLM\Software\..." (short names, without regard to case) and
// the rest after the first "\"; false for another root.
bool ParseRegKeyName(const std::u16string& text, RegRoot& root, std::u16string& path);

struct RegValue {
    std::u16string name;  // "" = the key's default value
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

class Registry {
public:
    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    bool KeyExists(RegRoot root, const std::u16string& path) const;
    // Creates the key and every missing key above it; `created` tells whether
    // the key itself was new.
    uint32_t CreateKey(RegRoot root, const std::u16string& path, bool* created = nullptr);
    // Removes the key with everything below it; a root cannot be removed.
    uint32_t DeleteKey(RegRoot root, const std::u16string& path);
    uint32_t SetValue(RegRoot root, const std::u16string& path, const std::u16string& name, uint32_t type,
                      const std::vector<uint8_t>& data);
    uint32_t QueryValue(RegRoot root, const std::u16string& path, const std::u16string& name, RegValue& value) const;
    uint32_t DeleteValue(RegRoot root, const std::u16string& path, const std::u16string& name);
    // Subkeys in order without regard to case; values in the order they were created.
    uint32_t EnumKey(RegRoot root, const std::u16string& path, uint32_t index, std::u16string& name) const;
    uint32_t EnumValue(RegRoot root, const std::u16string& path, uint32_t index, RegValue& value) const;
    uint32_t ListKey(RegRoot root, const std::u16string& path, std::vector<std::u16string>& subKeys,
                     std::vector<RegValue>& values) const;
    // Every key, depth first, subkeys in order: the path as stored ("" for
    // the root) and its values.
    void Walk(const std::function<void(RegRoot, const std::u16string&, const std::vector<RegValue>&)>& visit) const;

    // True when something changed since the last ClearChanged.
    bool Changed() const;
    void ClearChanged();

    // The registry file: a header, the four roots as a tree, a checksum.
    std::vector<uint8_t> Serialize() const;
    // Replaces the content with a registry file's; false with a reason (and
    // the registry left empty) when the bytes are no intact registry file.
    bool Parse(const uint8_t* data, size_t size, std::string& error);

    struct Key;

private:
    Key* Find(RegRoot root, const std::u16string& path) const;
    mutable std::mutex mutex_;
    std::unique_ptr<Key> roots_[kRegRootCount];
    bool changed_ = false;
};

// The CRC-32 that ends a registry file.
uint32_t RegistryChecksum(const uint8_t* data, size_t size);

}  // namespace mrw::device
