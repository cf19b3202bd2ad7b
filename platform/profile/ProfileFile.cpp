#include "platform/profile/ProfileFile.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <utility>

#include "base/AsciiText.h"
#include "platform/Files.h"

namespace mrw {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// GetPrivateProfileInt reads the value into a buffer of 30 characters.
constexpr std::size_t kIntDigits = 29;

std::string_view TrimBlanks(std::string_view s) { return ascii::TrimIf(s, ascii::IsSpaceOrEofMark); }

// One pair of matching quotes around the whole value is not part of it.
std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

// RtlUnicodeStringToInteger with base 0, which GetPrivateProfileInt uses.
uint32_t ParseProfileInteger(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    uint32_t base = 10;
    if (s.size() - i >= 2 && s[i] == '0') {
        switch (s[i + 1]) {
        case 'b': base = 2; i += 2; break;
        case 'o': base = 8; i += 2; break;
        case 'x': base = 16; i += 2; break;
        default: break;
        }
    }
    uint32_t total = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'Z') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'z') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else {
            break;
        }
        if (digit >= base) break;
        total = total * base + digit;  // wraps modulo 2^32, as the Windows function does
    }
    return negative ? 0u - total : total;
}

}  // namespace

std::string_view ProfileFile::Entry::Name() const {
    return std::string_view(text).substr(nameBegin, nameLength);
}

std::string_view ProfileFile::Entry::Value() const {
    return std::string_view(text).substr(valueBegin, valueLength);
}

// Splits a key line into its trimmed name and value.
ProfileFile::Entry ProfileFile::MakeEntry(std::string text) {
    Entry e;
    e.text = std::move(text);
    const std::string_view line(e.text);
    const std::string_view content = TrimBlanks(line);
    const std::size_t begin = static_cast<std::size_t>(content.data() - line.data());
    const std::size_t end = begin + content.size();
    if (begin == end) {
        e.blank = true;
        return e;
    }
    const std::size_t equals = line.substr(begin, end - begin).find('=');
    if (equals == std::string_view::npos) {
        e.nameBegin = begin;
        e.nameLength = end - begin;
        return e;
    }
    const std::size_t eq = begin + equals;
    std::size_t nameEnd = eq;
    while (nameEnd > begin && ascii::IsSpaceOrEofMark(line[nameEnd - 1])) --nameEnd;
    std::size_t valueBegin = eq + 1;
    while (valueBegin < end && ascii::IsSpaceOrEofMark(line[valueBegin])) ++valueBegin;
    e.nameBegin = begin;
    e.nameLength = nameEnd - begin;
    e.valueBegin = valueBegin;
    e.valueLength = end - valueBegin;
    e.hasValue = true;
    return e;
}

// A key line as written; its name and value are what a later read of the
// line gives (trailing blanks of the value are not part of it).
ProfileFile::Entry ProfileFile::MakeKeyEntry(std::string_view name, std::string_view value) {
    std::string text;
    text.reserve(name.size() + 1 + value.size());
    text.append(name).append(1, '=').append(value);
    return MakeEntry(std::move(text));
}

ProfileFile ProfileFile::Parse(std::string_view text) {
    ProfileFile profile;
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        profile.utf8Bom_ = true;
        text.remove_prefix(kUtf8Bom.size());
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        // A line ends at CR LF, LF or a lone CR.
        std::size_t stop = pos;
        while (stop < text.size() && text[stop] != '\n' && text[stop] != '\r') ++stop;
        const std::string_view line = text.substr(pos, stop - pos);
        pos = stop;
        if (pos < text.size()) {
            if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
                pos += 2;
            } else {
                ++pos;
            }
        }

        const std::string_view trimmed = TrimBlanks(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::size_t close = trimmed.rfind(']');
            if (close != std::string_view::npos && close > 0) {
                Section section;
                section.header = std::string(line);
                section.name = std::string(TrimBlanks(trimmed.substr(1, close - 1)));
                section.hasHeader = true;
                profile.index_.emplace(ascii::ToLower(section.name), profile.sections_.size());
                profile.sections_.push_back(std::move(section));
                continue;
            }
            // A '[' without a closing ']' is an ordinary line.
        }
        if (profile.sections_.empty()) {
            // Lines before the first section: kept, found by no lookup.
            profile.sections_.emplace_back();
        }
        profile.sections_.back().entries.push_back(MakeEntry(std::string(line)));
    }
    return profile;
}

bool ProfileFile::Load(const std::string& path) {
    *this = ProfileFile();
    try {
        // Found without regard to case, like every file the program opens.
        std::ifstream in(files::Resolve(path), std::ios::binary);
        if (!in) return false;
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) return false;
        *this = Parse(text);
        return true;
    } catch (...) {
        // A read error (a folder, a device) or a file too large for memory.
        *this = ProfileFile();
        return false;
    }
}

std::string ProfileFile::Serialize() const {
    std::size_t size = utf8Bom_ ? kUtf8Bom.size() : 0;
    for (const Section& section : sections_) {
        if (section.hasHeader) size += section.header.size() + 2;
        for (const Entry& e : section.entries) size += e.text.size() + 2;
    }
    std::string out;
    out.reserve(size);
    if (utf8Bom_) out.append(kUtf8Bom);
    for (const Section& section : sections_) {
        if (section.hasHeader) out.append(section.header).append(kLineEnd);
        for (const Entry& e : section.entries) out.append(e.text).append(kLineEnd);
    }
    return out;
}

bool ProfileFile::Save(const std::string& path) const {
    try {
        const std::string text = Serialize();
        // An existing file of that name in other letter case is the one written.
        std::ofstream out(files::Resolve(path), std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) return false;
        out.close();
        return !out.fail();
    } catch (...) {
        return false;
    }
}

std::vector<std::string> ProfileFile::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Section& section : sections_) {
        if (section.hasHeader && !section.name.empty()) names.push_back(section.name);
    }
    return names;
}

bool ProfileFile::HasSection(const std::string& section) const {
    return FirstSection(section) != nullptr;
}

std::vector<std::string> ProfileFile::KeyNames(const std::string& section) const {
    std::vector<std::string> keys;
    const Section* s = FirstSection(section);
    if (!s) return keys;
    for (const Entry& e : s->entries) {
        if (e.blank || !e.hasValue || e.nameLength == 0 || e.Name().front() == ';') continue;
        keys.emplace_back(e.Name());
    }
    return keys;
}

const ProfileFile::Section* ProfileFile::FirstSection(const std::string& name) const {
    const auto it = index_.find(ascii::ToLower(TrimBlanks(name)));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

ProfileFile::Section* ProfileFile::FirstSection(const std::string& name) {
    const auto it = index_.find(ascii::ToLower(TrimBlanks(name)));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

const ProfileFile::Entry* ProfileFile::FindEntry(const Section& section, std::string_view key) {
    for (const Entry& e : section.entries) {
        if (!e.blank && ascii::EqualsNoCase(e.Name(), key)) return &e;
    }
    return nullptr;
}

ProfileFile::Entry* ProfileFile::FindEntry(Section& section, std::string_view key) {
    for (Entry& e : section.entries) {
        if (!e.blank && ascii::EqualsNoCase(e.Name(), key)) return &e;
    }
    return nullptr;
}

void ProfileFile::RebuildIndex() {
    index_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (sections_[i].hasHeader) index_.emplace(ascii::ToLower(sections_[i].name), i);
    }
}

std::optional<std::string> ProfileFile::Find(const std::string& section, const std::string& key) const {
    const Section* s = FirstSection(section);
    if (!s) return std::nullopt;
    // Only the first key of the name counts, even when it has no value.
    const Entry* e = FindEntry(*s, TrimBlanks(key));
    if (!e || !e->hasValue) return std::nullopt;
    return std::string(StripQuotes(e->Value()));
}

std::string ProfileFile::GetString(const std::string& section, const std::string& key,
                                   const std::string& fallback) const {
    if (std::optional<std::string> value = Find(section, key)) return std::move(*value);
    std::string_view def(fallback);
    while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
    return std::string(StripQuotes(def));
}

int ProfileFile::GetInt(const std::string& section, const std::string& key, int fallback) const {
    const std::optional<std::string> value = Find(section, key);
    if (!value || value->empty()) return fallback;
    std::string_view digits(*value);
    // The Windows function sees a NUL-terminated string: a value that starts
    // with NUL reads as empty and gives the fallback.
    digits = digits.substr(0, digits.find('\0'));
    if (digits.empty()) return fallback;
    digits = digits.substr(0, kIntDigits);
    return static_cast<int>(ParseProfileInteger(digits));
}

void ProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string_view sectionName = TrimBlanks(section);
    const std::string_view keyName = TrimBlanks(key);
    std::string_view text(value);
    while (!text.empty() && ascii::IsSpaceOrEofMark(text.front())) text.remove_prefix(1);

    Section* s = FirstSection(std::string(sectionName));
    if (!s) {
        Section added;
        added.name = std::string(sectionName);
        added.header = "[" + added.name + "]";
        added.hasHeader = true;
        added.entries.push_back(MakeKeyEntry(keyName, text));
        index_.emplace(ascii::ToLower(sectionName), sections_.size());
        sections_.push_back(std::move(added));
        return;
    }
    if (Entry* e = FindEntry(*s, keyName)) {
        if (e->hasValue && e->Value() == text) return;
        // The key keeps the spelling it has in the file.
        const std::string name(e->Name());
        *e = MakeKeyEntry(name, text);
        return;
    }
    // After the last line that is not blank, so that blank lines separating
    // this section from the next stay where they are.
    auto at = s->entries.end();
    while (at != s->entries.begin() && std::prev(at)->blank) --at;
    s->entries.insert(at, MakeKeyEntry(keyName, text));
}

void ProfileFile::WriteInt(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void ProfileFile::DeleteKey(const std::string& section, const std::string& key) {
    const std::string_view sectionName = TrimBlanks(section);
    const std::string_view keyName = TrimBlanks(key);
    for (Section& s : sections_) {
        if (!s.hasHeader || !ascii::EqualsNoCase(s.name, sectionName)) continue;
        for (auto it = s.entries.begin(); it != s.entries.end(); ++it) {
            if (!it->blank && ascii::EqualsNoCase(it->Name(), keyName)) {
                s.entries.erase(it);
                return;
            }
        }
    }
}

void ProfileFile::DeleteSection(const std::string& section) {
    const auto it = index_.find(ascii::ToLower(TrimBlanks(section)));
    if (it == index_.end()) return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
    RebuildIndex();
}

}  // namespace mrw
