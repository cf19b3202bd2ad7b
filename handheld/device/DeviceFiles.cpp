#include "handheld/device/DeviceFiles.h"

#include "base/AsciiText.h"
#include "base/TextEncoding.h"

namespace mrw::device {

namespace {

constexpr char kSettingsHeader[] = "# Morwen virtual handheld";
constexpr int kMaxBoot = 1000000000;

// Settings and event fields: one line each, "=" and "#" kept for the syntax.
std::string Escape(std::string_view text) { return ascii::PercentEscape(text, "=#"); }
bool Unescape(std::string_view text, std::string& out) { return ascii::PercentUnescape(text, out); }

std::string U8(const std::u16string& text) { return Escape(text::Utf16ToUtf8(text)); }

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string_view::npos ? line.size() - start : tab - start));
        if (tab == std::string_view::npos) return parts;
        start = tab + 1;
    }
}

bool IsNumberText(std::string_view text) {
    int64_t value = 0;
    return ascii::ParseDecimal(text, INT64_MIN, INT64_MAX, value) && text.front() != '+';
}

}  // namespace

std::string FormatSettings(const Settings& s) {
    std::string out = std::string(kSettingsHeader) + "\n";
    out += "os=" + std::to_string(s.osMajor) + "." + std::to_string(s.osMinor) + "\n";
    out += std::string("today=") + (s.todayScreen ? "1" : "0") + "\n";
    for (const auto& rom : s.romFiles) out += "rom=" + U8(rom) + "\n";
    for (const auto& card : s.cards) out += "card=" + U8(card) + "\n";
    for (const auto& w : s.outsideWindows) out += "window=" + U8(w.className) + "," + U8(w.title) + "\n";
    for (const auto& [name, value] : s.otherSettings) out += Escape(name) + "=" + Escape(value) + "\n";
    return out;
}

bool ParseSettings(std::string_view text, Settings& settings, std::string& error) {
    Settings s;
    bool haveOs = false;
    int lineNumber = 0;
    for (std::string_view line : SplitLines(text)) {
        ++lineNumber;
        if (line.empty() || line.front() == '#') continue;
        const size_t eq = line.find('=');
        std::string name, value;
        if (eq == std::string_view::npos || !Unescape(line.substr(0, eq), name) ||
            !Unescape(line.substr(eq + 1), value)) {
            error = "the settings file is damaged (line " + std::to_string(lineNumber) + ")";
            return false;
        }
        if (name == "os") {
            const size_t dot = value.find('.');
            int64_t major = 0, minor = 0;
            if (dot == std::string::npos || !ascii::ParseDecimal(value.substr(0, dot), 1, 99, major) ||
                !ascii::ParseDecimal(value.substr(dot + 1), 0, 99, minor)) {
                error = "the settings file names no OS version it knows (line " + std::to_string(lineNumber) + ")";
                return false;
            }
            s.osMajor = static_cast<uint32_t>(major);
            s.osMinor = static_cast<uint32_t>(minor);
            haveOs = true;
        } else if (name == "today") {
            if (value != "0" && value != "1") {
                error = "the settings file is damaged (today, line " + std::to_string(lineNumber) + ")";
                return false;
            }
            s.todayScreen = value == "1";
        } else if (name == "rom") {
            s.romFiles.push_back(text::Utf8ToUtf16(value));
        } else if (name == "card") {
            s.cards.push_back(text::Utf8ToUtf16(value));
        } else if (name == "window") {
            const size_t comma = value.find(',');
            if (comma == std::string::npos || comma == 0) {
                error = "the settings file is damaged (window, line " + std::to_string(lineNumber) + ")";
                return false;
            }
            s.outsideWindows.push_back(
                {text::Utf8ToUtf16(value.substr(0, comma)), text::Utf8ToUtf16(value.substr(comma + 1))});
        } else {
            s.otherSettings.emplace_back(name, value);
        }
    }
    if (!haveOs) {
        error = "the settings file names no OS version";
        return false;
    }
    settings = std::move(s);
    return true;
}

const char* EventLogHeader() { return "# Morwen virtual handheld events 1"; }

std::string FormatBootLine(int boot) { return "B " + std::to_string(boot) + "\n"; }

std::string FormatEventLine(const Event& event) {
    std::string line = "E\t" + Escape(event.kind);
    for (const auto& f : event.fields) {
        const bool number = f.isNumber && IsNumberText(f.text);
        const bool boolean = f.isBoolean && (f.text == "true" || f.text == "false");
        line += "\t" + Escape(f.name) + (number ? "\tn\t" : boolean ? "\tb\t" : "\ts\t") + Escape(f.text);
    }
    return line + "\n";
}

bool ParseEventLog(std::string_view text, std::vector<LoggedEvent>& events, int& lastBoot, std::string& error) {
    events.clear();
    lastBoot = 0;
    int lineNumber = 0;
    auto damaged = [&]() {
        error = "the event log is damaged (line " + std::to_string(lineNumber) + ")";
        events.clear();
        return false;
    };
    for (std::string_view line : SplitLines(text)) {
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != EventLogHeader()) {
                error = "the event log is not one of ours";
                return false;
            }
            continue;
        }
        if (line.empty()) continue;
        if (line.size() > 2 && line[0] == 'B' && line[1] == ' ') {
            int64_t boot = 0;
            if (!ascii::ParseDecimal(line.substr(2), lastBoot + 1, kMaxBoot, boot)) return damaged();
            lastBoot = static_cast<int>(boot);
            continue;
        }
        const std::vector<std::string_view> parts = SplitTabs(line);
        if (parts[0] != "E" || parts.size() < 2 || (parts.size() - 2) % 3 != 0 || lastBoot == 0) return damaged();
        LoggedEvent e;
        e.boot = lastBoot;
        if (!Unescape(parts[1], e.event.kind) || e.event.kind.empty()) return damaged();
        for (size_t i = 2; i < parts.size(); i += 3) {
            EventField f;
            if (!Unescape(parts[i], f.name) || !Unescape(parts[i + 2], f.text)) return damaged();
            if (parts[i + 1] == "n") {
                if (!IsNumberText(f.text)) return damaged();
                f.isNumber = true;
            } else if (parts[i + 1] == "b") {
                if (f.text != "true" && f.text != "false") return damaged();
                f.isBoolean = true;
            } else if (parts[i + 1] != "s") {
                return damaged();
            }
            e.event.fields.push_back(std::move(f));
        }
        events.push_back(std::move(e));
    }
    if (lineNumber == 0) {
        error = "the event log is empty";
        return false;
    }
    return true;
}

}  // namespace mrw::device
