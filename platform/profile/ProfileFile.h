// INI-format ("profile") files read and written with the rules of the Windows
// profile functions, on every build:
//  - section and key names compare without regard to ASCII case;
//  - the first section of a name is the one searched, and the first key of a
//    name inside it wins;
//  - blanks around names and values are trimmed, one pair of surrounding
//    double or single quotes is removed from a value;
//  - lines starting with ';' are comments; keys before the first section are ignored;
//  - CR LF and LF line ends are read; the file is written with CR LF;
//  - writing an existing key replaces its value in place, a new key goes to
//    the end of its section, a new section to the end of the file.
// The whole file is held in memory: load once, query many times, save once.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mrw {

class ProfileFile {
public:
    ProfileFile() = default;

    // Parses text (any bytes; NUL bytes and over-long lines are tolerated).
    static ProfileFile Parse(std::string_view text);
    // Reads the file; false (and an empty profile) when it cannot be opened.
    bool Load(const std::string& path);
    // Writes the file with CR LF line ends; false on any I/O error.
    bool Save(const std::string& path) const;
    std::string Serialize() const;

    // All section names in file order (a duplicated section is listed each time).
    std::vector<std::string> SectionNames() const;
    bool HasSection(const std::string& section) const;
    // The keys of the first section of that name, in file order.
    std::vector<std::string> KeyNames(const std::string& section) const;

    // The value, or nothing when the section or key is absent.
    std::optional<std::string> Find(const std::string& section, const std::string& key) const;
    // GetPrivateProfileString: the value, or `fallback` when absent.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback = std::string()) const;
    // GetPrivateProfileInt: decimal number at the start of the value (optional
    // sign, leading blanks skipped), 0 when it is not a number, `fallback`
    // when the key is absent or its value empty.
    int GetInt(const std::string& section, const std::string& key, int fallback) const;

    // WritePrivateProfileString.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInt(const std::string& section, const std::string& key, int value);
    void DeleteKey(const std::string& section, const std::string& key);
    void DeleteSection(const std::string& section);

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* FirstSection(const std::string& name) const;
    Section* FirstSection(const std::string& name);

    std::vector<Section> sections_;
};

}  // namespace mrw
