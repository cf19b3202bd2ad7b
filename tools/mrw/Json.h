// Minimal JSON output for the mrw commands' --json modes. The output is ASCII:
// every other character is escaped as \uXXXX. Texts that are well-formed
// UTF-8 (paths, names typed on the command line) are read as UTF-8, all
// others in the desktop code page (Windows-1252), as theme files store them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mrw::cli {

std::string JsonString(const std::string& text);

// Builds one JSON value with commas placed automatically.
//   JsonWriter w; w.BeginObject(); w.Key("a"); w.Int(1); w.EndObject(); w.str()
class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(const std::string& name);
    void String(const std::string& value);
    void Int(int64_t value);
    void Bool(bool value);
    void Null();
    // Shorthands for a key followed by its value.
    void Field(const std::string& name, const std::string& value) { Key(name); String(value); }
    void Field(const std::string& name, const char* value) { Key(name); String(value); }
    void Field(const std::string& name, int64_t value) { Key(name); Int(value); }
    void Field(const std::string& name, int value) { Key(name); Int(value); }
    void Field(const std::string& name, unsigned value) { Key(name); Int(value); }
    void Field(const std::string& name, bool value) { Key(name); Bool(value); }
    const std::string& str() const { return out_; }

private:
    void BeforeValue();
    std::string out_;
    std::vector<bool> first_;  // per open container: no element written yet
    bool afterKey_ = false;
};

}  // namespace mrw::cli
