// Reader of one skin file: sections of "key = value" lines, read with the
// reading rules of the skin format (see SkinFile.cpp). The file is read into
// memory once on Open (at most kMaxSkinFileBytes) and every lookup scans it
// from the top, or from the recorded start of the wanted section.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "editor/skin/SkinOwner.h"

namespace mrw {

// Skin files are a few kilobytes; anything beyond this is not read.
constexpr size_t kMaxSkinFileBytes = size_t(4) << 20;

// DrawText flags the "Format" key names.
enum : unsigned {
    kDtTop = 0x0, kDtLeft = 0x0, kDtCenter = 0x1, kDtRight = 0x2, kDtVCenter = 0x4, kDtBottom = 0x8,
    kDtWordBreak = 0x10, kDtSingleLine = 0x20, kDtExpandTabs = 0x40, kDtNoClip = 0x100,
    kDtExternalLeading = 0x200, kDtCalcRect = 0x400, kDtNoPrefix = 0x800,
    kDtPathEllipsis = 0x4000, kDtEndEllipsis = 0x8000, kDtWordEllipsis = 0x40000,
};

struct SkinPair {
    int x = 0, y = 0;
    bool present = false;
};

class SkinFile {
public:
    // Remembers the path and reads the file when it exists; true when it was read.
    bool Open(const std::string& path);
    // Reads a skin held in memory (the fuzzer and tests).
    void OpenBytes(const uint8_t* data, size_t size);
    void Close();
    bool IsOpen() const { return open_; }
    const std::string& Path() const { return path_; }

    // The value of the first key of that name (any case) in the section of
    // exactly that name; `found` tells whether the key was there.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, bool* found = nullptr) const;
    // Digits 0-9 only; anything else (a sign, a blank, an empty value) gives the default.
    int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
    // Two integers split at commas and spaces; absent for a missing key or a
    // value of 100 characters or more.
    SkinPair GetPair(const std::string& section, const std::string& key) const;
    // Four integers (left, top, right, bottom); an empty rectangle when absent.
    SkinRect GetRect(const std::string& section, const std::string& key, bool* present = nullptr) const;
    // "red, green, blue" as 0x00BBGGRR; a missing or empty value returns `current`.
    uint32_t GetColour(const std::string& section, const std::string& key, uint32_t current) const;
    // DrawText flag names joined by "+", ",", "|", "&" or spaces; a missing
    // value (or one of 256 characters or more) returns `current`.
    unsigned GetDrawFlags(const std::string& section, const std::string& key, unsigned current) const;
    // Section names in file order (as the scan from the top meets them).
    std::vector<std::string> SectionNames() const;

    // Value forms on their own (exposed for the tests and the elements).
    static bool ParseUnsigned(const std::string& value, int& out);
    static SkinPair ParsePair(const std::string& value);
    static SkinRect ParseRect(const std::string& value, bool& present);
    static uint32_t ParseColour(const std::string& value, uint32_t current);
    static unsigned ParseDrawFlags(const std::string& value, unsigned current);

    // Text of the last section header and key line parsed.
    const std::string& CurrentSection() const { return currentSection_; }
    const std::string& CurrentKey() const { return currentKey_; }
    const std::string& CurrentValue() const { return currentValue_; }

private:
    // One physical line as the reader sees it, or false at the end of the search.
    bool NextLine(size_t& offset, std::string& line) const;
    void BuildSectionIndex();
    bool Lookup(const std::string& section, const std::string& key, std::string& value) const;

    std::string path_;
    bool open_ = false;
    std::vector<uint8_t> bytes_;
    // Exact section name -> offset of its first header line, for the sections
    // a scan from the top reaches.
    std::map<std::string, size_t> sectionIndex_;
    std::vector<std::string> sectionOrder_;
    mutable std::string currentSection_, currentKey_, currentValue_;
};

}  // namespace mrw
