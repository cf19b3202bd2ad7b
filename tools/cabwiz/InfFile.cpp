#include "tools/cabwiz/InfFile.h"

#include "base/AsciiText.h"

namespace mrw::cabwiz {

namespace {

// Removes the quotes of a trimmed field; "" inside quotes stands for one quote.
std::string Unquote(std::string_view raw, bool& quoted) {
    std::string out;
    bool inQuotes = false;
    quoted = false;
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            quoted = true;
            if (inQuotes && i + 1 < raw.size() && raw[i + 1] == '"') {
                out.push_back('"');
                ++i;
            } else {
                inQuotes = !inQuotes;
            }
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

bool InfFile::Parse(const std::string& input, std::string& error) {
    sections_.clear();
    std::string text = input;
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) {
        text.erase(0, 3);
    }
    // Some tools pad INF files with NUL bytes; the text ends at the first.
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    std::vector<InfLine>* current = nullptr;
    int number = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        // Cut the comment: the first ';' outside quotes.
        bool inQuotes = false;
        size_t cut = line.size();
        size_t equals = std::string::npos;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"') {
                inQuotes = !inQuotes;
            } else if (!inQuotes && line[i] == ';') {
                cut = i;
                break;
            } else if (!inQuotes && line[i] == '=' && equals == std::string::npos) {
                equals = i;
            }
        }
        if (inQuotes) {
            error = "line " + std::to_string(number) + ": unterminated quote";
            return false;
        }
        line = std::string(ascii::Trim(std::string_view(line).substr(0, cut)));
        if (end == text.size() && start > text.size() && line.empty()) break;
        if (line.empty()) continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            if (close == std::string::npos) {
                error = "line " + std::to_string(number) + ": section name without ']'";
                return false;
            }
            const std::string name(ascii::Trim(std::string_view(line).substr(1, close - 1)));
            if (name.empty()) {
                error = "line " + std::to_string(number) + ": empty section name";
                return false;
            }
            current = &sections_[ascii::ToLower(name)];
            continue;
        }
        if (current == nullptr) {
            error = "line " + std::to_string(number) + ": entry outside any section";
            return false;
        }
        InfLine entry;
        entry.number = number;
        entry.whole = line;
        if (equals != std::string::npos && equals < line.size()) {
            // `equals` was found on the untrimmed line; find it again.
            size_t eq = std::string::npos;
            bool q = false;
            for (size_t i = 0; i < line.size(); ++i) {
                if (line[i] == '"') q = !q;
                else if (!q && line[i] == '=') {
                    eq = i;
                    break;
                }
            }
            if (eq != std::string::npos) {
                bool quoted = false;
                entry.hasKey = true;
                entry.key = Unquote(ascii::Trim(std::string_view(line).substr(0, eq)), quoted);
                entry.value = std::string(ascii::Trim(std::string_view(line).substr(eq + 1)));
            } else {
                entry.value = line;
            }
        } else {
            entry.value = line;
        }
        current->push_back(std::move(entry));
    }
    return true;
}

const std::vector<InfLine>* InfFile::Section(const std::string& name) const {
    const auto it = sections_.find(ascii::ToLower(name));
    return it == sections_.end() ? nullptr : &it->second;
}

std::vector<InfLine> InfFile::Sections(const std::string& name, const std::string& label) const {
    std::vector<InfLine> lines;
    if (const auto* plain = Section(name)) lines = *plain;
    if (!label.empty()) {
        if (const auto* labelled = Section(name + "." + label)) lines.insert(lines.end(), labelled->begin(), labelled->end());
    }
    return lines;
}

const InfLine* InfFile::Entry(const std::string& section, const std::string& key) const {
    const auto* lines = Section(section);
    if (lines == nullptr) return nullptr;
    for (const auto& line : *lines) {
        if (line.hasKey && ascii::EqualsNoCase(line.key, key)) return &line;
    }
    return nullptr;
}

std::vector<InfField> InfFile::Fields(const std::string& raw) const {
    std::vector<InfField> fields;
    bool inQuotes = false;
    size_t start = 0;
    for (size_t i = 0; i <= raw.size(); ++i) {
        if (i < raw.size() && raw[i] == '"') {
            inQuotes = !inQuotes;
            continue;
        }
        if (i == raw.size() || (!inQuotes && raw[i] == ',')) {
            InfField field;
            field.text = Substitute(Unquote(ascii::Trim(std::string_view(raw).substr(start, i - start)), field.quoted));
            fields.push_back(std::move(field));
            start = i + 1;
        }
    }
    return fields;
}

std::string InfFile::Text(const std::string& section, const std::string& key) const {
    const InfLine* line = Entry(section, key);
    if (line == nullptr) return std::string();
    bool quoted = false;
    return Substitute(Unquote(line->value, quoted));
}

std::string InfFile::Substitute(const std::string& text, bool keepInstallDir) const {
    return SubstituteNested(text, keepInstallDir, 0);
}

std::string InfFile::SubstituteNested(const std::string& text, bool keepInstallDir, int depth) const {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        const size_t close = text.find('%', i + 1);
        if (close == std::string::npos) {
            out.append(text, i, std::string::npos);
            break;
        }
        const std::string name = text.substr(i + 1, close - i - 1);
        const std::string lower = ascii::ToLower(name);
        std::string replacement = "%" + name + "%";
        if (name.empty()) {
            replacement = "%";
        } else if (lower.size() > 2 && lower.compare(0, 2, "ce") == 0 &&
                   lower.find_first_not_of("0123456789", 2) == std::string::npos) {
            // Standard folders are expanded on the handheld.
        } else if (lower == "installdir") {
            if (!keepInstallDir) {
                const InfLine* dir = Entry("CEStrings", "InstallDir");
                if (dir) {
                    bool q = false;
                    replacement = Unquote(dir->value, q);
                }
            }
        } else if (const InfLine* s = Entry("Strings", name)) {
            bool q = false;
            replacement = Unquote(s->value, q);
        } else if (const InfLine* ce = Entry("CEStrings", name)) {
            bool q = false;
            replacement = Unquote(ce->value, q);
        }
        // A string may refer to others; the depth limit stops cycles.
        if (replacement != "%" + name + "%" && depth < 8 && replacement.find('%') != std::string::npos)
            replacement = SubstituteNested(replacement, keepInstallDir, depth + 1);
        out += replacement;
        i = close;
    }
    return out;
}

}  // namespace mrw::cabwiz
