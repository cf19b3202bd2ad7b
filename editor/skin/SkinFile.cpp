// Reading rules of skin files.
//
// Lines are read as fgets reads them into a 2,048-byte buffer: up to and
// including the line feed, at most 2,047 bytes (a longer line continues as the
// next line), the text ending at the first NUL byte. A line that holds
// nothing before its line feed ends the search as the end of the file would;
// a carriage return before the line feed is dropped, so that a line of only a
// carriage return is an ordinary empty line.
#include "editor/skin/SkinFile.h"

#include <climits>
#include <cstring>

#include "base/AsciiText.h"
#include "platform/Files.h"

namespace mrw {

namespace {

constexpr size_t kLineBytes = 2047;
constexpr size_t kPairValueLimit = 100;
constexpr size_t kFlagsValueLimit = 256;

// The part of `s` from `from` to `to` without the blanks around it.
std::string TrimmedPart(const std::string& s, size_t from, size_t to) {
    return std::string(ascii::TrimIf(std::string_view(s).substr(from, to - from), ascii::IsSpaceOrEofMark));
}

// A header line ("[" already seen at `open`): the trimmed name, or false
// when the line has no "]".
bool ParseHeader(const std::string& line, size_t open, std::string& name) {
    size_t close = line.find(']', open + 1);
    if (close == std::string::npos) return false;
    name = TrimmedPart(line, open + 1, close);
    return true;
}

// atoi: leading blanks, an optional sign, then digits up to the first other
// character; saturates instead of overflowing.
int AtoI(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && ascii::IsSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && ascii::IsDigit(s[i]); ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 1LL << 32) v = 1LL << 32;
    }
    if (negative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return int(v);
}

// Tokens separated by any of `separators` (runs of separators count once).
std::vector<std::string> Tokens(const std::string& value, const char* separators) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && std::strchr(separators, value[i]) && value[i] != '\0') ++i;
        size_t start = i;
        while (i < value.size() && !(std::strchr(separators, value[i]) && value[i] != '\0')) ++i;
        if (i > start) out.push_back(value.substr(start, i - start));
    }
    return out;
}

}  // namespace

SkinRect SkinRect::Intersect(const SkinRect& o) const {
    SkinRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    if (r.IsEmpty()) return SkinRect{};
    return r;
}

bool SkinFile::Open(const std::string& path) {
    Close();
    path_ = path;
    std::vector<uint8_t> bytes;
    if (!files::IsFile(path) || !files::ReadAll(path, bytes)) return false;
    if (bytes.size() > kMaxSkinFileBytes) bytes.resize(kMaxSkinFileBytes);
    bytes_ = std::move(bytes);
    open_ = true;
    BuildSectionIndex();
    return true;
}

void SkinFile::OpenBytes(const uint8_t* data, size_t size) {
    Close();
    if (size > kMaxSkinFileBytes) size = kMaxSkinFileBytes;
    if (data && size) bytes_.assign(data, data + size);
    open_ = true;
    BuildSectionIndex();
}

void SkinFile::Close() {
    open_ = false;
    bytes_.clear();
    bytes_.shrink_to_fit();
    sectionIndex_.clear();
    sectionOrder_.clear();
}

bool SkinFile::NextLine(size_t& offset, std::string& line) const {
    if (offset >= bytes_.size()) return false;
    const size_t limit = std::min(bytes_.size(), offset + kLineBytes);
    size_t end = offset;
    while (end < limit && bytes_[end] != '\n') ++end;
    const bool hasFeed = end < limit;
    const size_t next = hasFeed ? end + 1 : end;
    // The text stops at the first NUL byte, as a C string would.
    size_t textEnd = offset;
    while (textEnd < end && bytes_[textEnd] != 0) ++textEnd;
    const bool cutByNul = textEnd < end;
    line.assign(reinterpret_cast<const char*>(bytes_.data()) + offset, textEnd - offset);
    offset = next;
    // Nothing at all before the line feed: the search ends here.
    if (line.empty() && (hasFeed || cutByNul)) return false;
    if (!cutByNul && hasFeed && !line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void SkinFile::BuildSectionIndex() {
    sectionIndex_.clear();
    sectionOrder_.clear();
    size_t offset = 0;
    std::string line;
    for (;;) {
        const size_t lineStart = offset;
        if (!NextLine(offset, line)) break;
        size_t i = 0;
        while (i < line.size() && ascii::IsSpaceOrEofMark(line[i])) ++i;
        if (i >= line.size() || line[i] != '[') continue;
        std::string name;
        if (!ParseHeader(line, i, name)) continue;
        sectionOrder_.push_back(name);
        sectionIndex_.emplace(name, lineStart);  // keeps the first
    }
}

bool SkinFile::Lookup(const std::string& section, const std::string& key, std::string& value) const {
    if (!open_) return false;
    // A scan from the top reaches the section's first header (or nothing),
    // so the scan starts there.
    auto it = sectionIndex_.find(section);
    if (it == sectionIndex_.end()) return false;
    size_t offset = it->second;
    std::string line;
    bool inSection = false;
    while (NextLine(offset, line)) {
        size_t i = 0;
        while (i < line.size() && ascii::IsSpaceOrEofMark(line[i])) ++i;
        if (i >= line.size() || line[i] == ';') continue;
        if (line[i] == '[') {
            std::string name;
            if (!ParseHeader(line, i, name)) continue;
            currentSection_ = name;
            if (inSection) return false;
            inSection = name == section;
            continue;
        }
        if (!inSection) continue;
        size_t eq = line.find('=', i);
        std::string k, v;
        if (eq != std::string::npos) {
            k = TrimmedPart(line, i, eq);
            v = TrimmedPart(line, eq + 1, line.size());
            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
        }
        currentKey_ = k;
        currentValue_ = v;
        if (ascii::EqualsNoCase(k, key)) {
            value = v;
            return true;
        }
    }
    return false;
}

std::string SkinFile::GetString(const std::string& section, const std::string& key,
                                const std::string& defaultValue, bool* found) const {
    std::string value;
    bool ok = Lookup(section, key, value);
    if (found) *found = ok;
    return ok ? value : defaultValue;
}

bool SkinFile::ParseUnsigned(const std::string& value, int& out) {
    if (value.empty()) return false;
    long long v = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > INT_MAX) v = INT_MAX;
    }
    out = int(v);
    return true;
}

int SkinFile::GetInt(const std::string& section, const std::string& key, int defaultValue) const {
    std::string value;
    int out = defaultValue;
    if (Lookup(section, key, value) && ParseUnsigned(value, out)) return out;
    return defaultValue;
}

SkinPair SkinFile::ParsePair(const std::string& value) {
    SkinPair p;
    if (value.size() >= kPairValueLimit) return p;
    std::vector<std::string> t = Tokens(value, ", ");
    p.present = true;
    if (t.size() > 0) p.x = AtoI(t[0]);
    if (t.size() > 1) p.y = AtoI(t[1]);
    return p;
}

SkinPair SkinFile::GetPair(const std::string& section, const std::string& key) const {
    std::string value;
    if (!Lookup(section, key, value)) return SkinPair{};
    return ParsePair(value);
}

SkinRect SkinFile::ParseRect(const std::string& value, bool& present) {
    present = false;
    SkinRect r;
    if (value.size() >= kPairValueLimit) return r;
    std::vector<std::string> t = Tokens(value, ", ");
    present = true;
    int* fields[4] = {&r.left, &r.top, &r.right, &r.bottom};
    for (size_t i = 0; i < 4 && i < t.size(); ++i) *fields[i] = AtoI(t[i]);
    return r;
}

SkinRect SkinFile::GetRect(const std::string& section, const std::string& key, bool* present) const {
    std::string value;
    bool ok = false;
    SkinRect r;
    if (Lookup(section, key, value)) r = ParseRect(value, ok);
    if (present) *present = ok;
    return r;
}

uint32_t SkinFile::ParseColour(const std::string& value, uint32_t current) {
    if (value.empty()) return current;
    std::vector<std::string> t = Tokens(value, ", ");
    int c[3] = {0, 0, 0};
    for (size_t i = 0; i < 3 && i < t.size(); ++i) c[i] = AtoI(t[i]) & 0xFF;
    return uint32_t(c[0]) | (uint32_t(c[1]) << 8) | (uint32_t(c[2]) << 16);
}

uint32_t SkinFile::GetColour(const std::string& section, const std::string& key, uint32_t current) const {
    std::string value;
    if (!Lookup(section, key, value)) return current;
    return ParseColour(value, current);
}

unsigned SkinFile::ParseDrawFlags(const std::string& value, unsigned current) {
    if (value.size() >= kFlagsValueLimit) return current;
    static const struct { const char* name; unsigned flag; } kNames[] = {
        {"BOTTOM", kDtBottom}, {"CENTER", kDtCenter}, {"END_ELLIPSIS", kDtEndEllipsis},
        {"EXTERNALLEADING", kDtExternalLeading}, {"LEFT", kDtLeft}, {"NOPREFIX", kDtNoPrefix},
        {"PATH_ELLIPSIS", kDtPathEllipsis}, {"RIGHT", kDtRight}, {"SINGLELINE", kDtSingleLine},
        {"TOP", kDtTop}, {"VCENTER", kDtVCenter}, {"WORDBREAK", kDtWordBreak},
        {"WORD_ELLIPSIS", kDtWordEllipsis},
    };
    unsigned flags = 0;
    for (const std::string& token : Tokens(value, "+,|& ")) {
        for (const auto& n : kNames)
            if (token == n.name) flags |= n.flag;
    }
    return flags;
}

unsigned SkinFile::GetDrawFlags(const std::string& section, const std::string& key, unsigned current) const {
    std::string value;
    if (!Lookup(section, key, value)) return current;
    return ParseDrawFlags(value, current);
}

std::vector<std::string> SkinFile::SectionNames() const { return sectionOrder_; }

}  // namespace mrw
