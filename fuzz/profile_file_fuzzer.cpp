// Fuzzes the profile-file engine: parsing, every query, writes, and the
// serialize + reparse round trip.
#include "platform/profile/ProfileFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/AsciiText.h"

namespace {

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// A value that reads back exactly as written: no blanks at either end, no
// pair of surrounding quotes, no line break.
bool ValueRoundTrips(std::string_view v) {
    if (HasLineBreak(v)) return false;
    if (!v.empty() && (mrw::ascii::IsSpaceOrEofMark(v.front()) || mrw::ascii::IsSpaceOrEofMark(v.back()))) return false;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return false;
    return true;
}

// Names whose "key=value" or "[section]" line parses back to the same name.
bool SectionRoundTrips(std::string_view s) {
    return !HasLineBreak(s);
}

bool KeyRoundTrips(std::string_view k) {
    size_t b = 0;
    while (b < k.size() && mrw::ascii::IsSpaceOrEofMark(k[b])) ++b;
    return !HasLineBreak(k) && k.find('=') == std::string_view::npos && (b == k.size() || k[b] != '[');
}

void Check(bool condition) {
    if (!condition) std::abort();
}

void QueryEverything(const mrw::ProfileFile& p) {
    int budget = 2000;
    for (const std::string& section : p.SectionNames()) {
        Check(p.HasSection(section));
        for (const std::string& key : p.KeyNames(section)) {
            if (--budget < 0) return;
            const auto found = p.Find(section, key);
            const std::string value = p.GetString(section, key, "fallback");
            if (found) Check(value == *found);
            (void)p.GetInt(section, key, 17);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string text = in.ConsumeRandomLengthString(size);
    mrw::ProfileFile p = mrw::ProfileFile::Parse(text);
    QueryEverything(p);

    // Writing what was read and reading it again gives the same text.
    const std::string once = p.Serialize();
    mrw::ProfileFile reread = mrw::ProfileFile::Parse(once);
    Check(reread.Serialize() == once);
    Check(reread.SectionNames() == p.SectionNames());

    // A write whose text breaks lines or looks like a header changes the
    // file's shape when it is read back; later round trips are not checked.
    bool shapeKept = true;
    for (int op = 0; op < 16 && in.remaining_bytes() > 0; ++op) {
        const std::string section = in.ConsumeRandomLengthString(24);
        const std::string key = in.ConsumeRandomLengthString(24);
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
        case 0:
        case 1: {
            const std::string value = in.ConsumeRandomLengthString(64);
            p.WriteString(section, key, value);
            const bool namesKept = SectionRoundTrips(section) && KeyRoundTrips(key);
            shapeKept = shapeKept && namesKept && !HasLineBreak(value);
            if (namesKept && ValueRoundTrips(value)) {
                Check(p.GetString(section, key, "<absent>") == value);
                if (shapeKept) {
                    const mrw::ProfileFile again = mrw::ProfileFile::Parse(p.Serialize());
                    Check(again.GetString(section, key, "<absent>") == value);
                }
            }
            break;
        }
        case 2: {
            const int value = in.ConsumeIntegral<int>();
            p.WriteInt(section, key, value);
            const bool namesKept = SectionRoundTrips(section) && KeyRoundTrips(key);
            shapeKept = shapeKept && namesKept;
            if (namesKept) {
                Check(p.GetInt(section, key, 0) == value);
                if (shapeKept) Check(mrw::ProfileFile::Parse(p.Serialize()).GetInt(section, key, 0) == value);
            }
            break;
        }
        case 3:
            p.DeleteKey(section, key);
            break;
        case 4:
            p.DeleteSection(section);
            break;
        default:
            (void)p.Find(section, key);
            (void)p.GetString(section, key, key);
            (void)p.GetInt(section, key, -1);
            (void)p.KeyNames(section);
            break;
        }
    }
    QueryEverything(p);
    // Writes with line breaks (or names that look like headers) change shape
    // when first read back; after that the text is stable.
    const std::string written = mrw::ProfileFile::Parse(p.Serialize()).Serialize();
    Check(mrw::ProfileFile::Parse(written).Serialize() == written);
    return 0;
}
