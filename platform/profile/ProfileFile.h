// INI-format ("profile") files read and written with the rules of the Windows
// profile functions, on every build:
//  - section and key names compare without regard to ASCII case;
//  - the first section of a name is the one searched (a later section of the
//    same name is never looked into), and the first key of a name inside it wins;
//  - blanks (space, tab, VT, FF, CR, LF and ^Z) around names and values are
//    trimmed, one pair of surrounding double or single quotes is removed from a
//    value when it is read;
//  - lines starting with ';' are comments: kept, and not listed by KeyNames
//    (like the Windows functions, a lookup of a name starting with ';' sees them);
//  - keys before the first section are kept but belong to no section;
//  - a line without '=' is kept as a key without a value: reading it gives the
//    fallback, writing it gives it a value;
//  - CR LF, LF and a lone CR all end a line; a UTF-8 byte order mark is skipped
//    and written back; NUL bytes are ordinary characters; lines have no length limit;
//  - the file is written with CR LF: "[section]" header lines and "key=value"
//    lines. Writing an existing key replaces its value in place, a new key goes
//    after the last key of its section, a new section to the end of the file.
//    Every line that was not written to (comments, blank lines, keys before the
//    first section) is written back as it was read.
// The whole file is held in memory: load once, query many times, save once.
// Section lookups go through an index, so reading every section of a file with
// thousands of sections takes linear time.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mrw {

class ProfileFile {
public:
    ProfileFile() = default;

    // Parses text (any bytes; NUL bytes and over-long lines are tolerated).
    static ProfileFile Parse(std::string_view text);
    // Reads the file (found without regard to case, as every file); false (and
    // an empty profile) when it cannot be opened.
    bool Load(const std::string& path);
    // Writes the file with CR LF line ends; false on any I/O error.
    bool Save(const std::string& path) const;
    std::string Serialize() const;

    // All section names in file order (a duplicated section is listed each time;
    // a section with an empty name is not listed).
    std::vector<std::string> SectionNames() const;
    bool HasSection(const std::string& section) const;
    // The keys of the first section of that name, in file order: every key
    // line with '=' and a name that is neither empty nor a comment.
    std::vector<std::string> KeyNames(const std::string& section) const;

    // The value, or nothing when the section or key is absent (or the key's
    // line has no '=').
    std::optional<std::string> Find(const std::string& section, const std::string& key) const;
    // GetPrivateProfileString: the value, or `fallback` when absent. As there,
    // trailing spaces and one pair of surrounding quotes are taken off the fallback.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback = std::string()) const;
    // GetPrivateProfileInt: the number at the start of the value (leading
    // blanks skipped, optional sign; "0x", "0o" and "0b" select base 16, 8 and
    // 2, anything else is decimal), reading stops at the first character that
    // is not a digit ("12abc" gives 12, "abc" gives 0). Only the first 29
    // characters of the value count, and the number wraps modulo 2^32 as in
    // the Windows function ("4294967297" gives 1, "-1" gives -1).
    // `fallback` when the key is absent or its value empty (or starts with NUL).
    int GetInt(const std::string& section, const std::string& key, int fallback) const;

    // WritePrivateProfileString. Section and key names are trimmed, leading
    // blanks are taken off the value. A value holding CR or LF is written as
    // it is, as the Windows function does, and is read back as several lines.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInt(const std::string& section, const std::string& key, int value);
    // Removes the first key of that name found in the sections of that name.
    void DeleteKey(const std::string& section, const std::string& key);
    // Removes the first section of that name with all its lines.
    void DeleteSection(const std::string& section);

private:
    // One line of a section other than its header. `text` is the line as it
    // will be written; name and value are ranges inside it.
    struct Entry {
        std::string text;
        std::size_t nameBegin = 0;
        std::size_t nameLength = 0;
        std::size_t valueBegin = 0;
        std::size_t valueLength = 0;
        bool blank = false;     // nothing but blanks
        bool hasValue = false;  // the line has an '='

        std::string_view Name() const;
        std::string_view Value() const;
    };
    struct Section {
        std::string header;  // the header line as written; empty without one
        std::string name;    // trimmed name between the brackets
        bool hasHeader = false;
        std::vector<Entry> entries;
    };

    static Entry MakeEntry(std::string text);
    static Entry MakeKeyEntry(std::string_view name, std::string_view value);
    static const Entry* FindEntry(const Section& section, std::string_view key);
    static Entry* FindEntry(Section& section, std::string_view key);
    const Section* FirstSection(const std::string& name) const;
    Section* FirstSection(const std::string& name);
    void RebuildIndex();

    std::vector<Section> sections_;
    // Lower-cased section name -> index of the first section of that name.
    std::unordered_map<std::string, std::size_t> index_;
    bool utf8Bom_ = false;
};

}  // namespace mrw
