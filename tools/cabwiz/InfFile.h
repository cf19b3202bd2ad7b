// Reader of setup INF files: [sections], "key = value" and plain lines,
// comma-separated fields with "quoted" parts, %string% substitutions from
// [Strings], and ';' comments.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace mrw::cabwiz {

struct InfField {
    std::string text;     // quotes removed, substitutions applied
    bool quoted = false;  // some part of the field was in quotes
};

struct InfLine {
    int number = 0;        // 1-based line number in the file
    bool hasKey = false;
    std::string key;       // trimmed, quotes removed
    std::string value;     // raw text right of '=' (the whole line when there is no key)
    std::string whole;     // the raw line without its comment
};

class InfFile {
public:
    // Parses the text; false with `error` ("line N: ...") on a line that is
    // neither a section, an entry nor blank, or on an unterminated quote.
    bool Parse(const std::string& text, std::string& error);

    // The lines of a section (name matched without regard to case; a section
    // given twice is one section). nullptr when absent.
    const std::vector<InfLine>* Section(const std::string& name) const;
    // The lines of `name` followed by those of `name.label` (label may be empty).
    std::vector<InfLine> Sections(const std::string& name, const std::string& label) const;

    // First entry `key` of the section (case-insensitive), or nullptr.
    const InfLine* Entry(const std::string& section, const std::string& key) const;

    // Splits raw text into fields at commas outside quotes; each field is
    // trimmed, unquoted ("" inside quotes is one quote) and substituted.
    std::vector<InfField> Fields(const std::string& raw) const;
    // The value of a single-field entry, unquoted and substituted; "" when absent.
    std::string Text(const std::string& section, const std::string& key) const;

    // Replaces %name% by the [Strings] entry of that name (or [CEStrings]
    // AppName / InstallDir), "%%" by "%". %CEn%, %InstallDir% when
    // `keepInstallDir`, and unknown names stay as written.
    std::string Substitute(const std::string& text, bool keepInstallDir = true) const;

private:
    std::string SubstituteNested(const std::string& text, bool keepInstallDir, int depth) const;

    std::map<std::string, std::vector<InfLine>> sections_;  // key: lower-case name
};

}  // namespace mrw::cabwiz
