#include "tools/mrw/Json.h"

#include <cstdio>

#include "base/TextEncoding.h"

namespace mrw::cli {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char16_t c : text::Utf8ToUtf16(text::AsUtf8(text))) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c >= 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) out_ += ", ";
        first_.back() = false;
    }
}

void JsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    first_.push_back(true);
}

void JsonWriter::EndObject() {
    out_ += '}';
    first_.pop_back();
}

void JsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    first_.push_back(true);
}

void JsonWriter::EndArray() {
    out_ += ']';
    first_.pop_back();
}

void JsonWriter::Key(const std::string& name) {
    BeforeValue();
    out_ += JsonString(name);
    out_ += ": ";
    afterKey_ = true;
}

void JsonWriter::String(const std::string& value) {
    BeforeValue();
    out_ += JsonString(value);
}

void JsonWriter::Int(int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
}

}  // namespace mrw::cli
