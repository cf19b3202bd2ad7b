// mrw device reg: reads and changes the virtual handheld's registry.
#include <cstdio>

#include "base/AsciiText.h"
#include "base/TextEncoding.h"
#include "handheld/device/Registry.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/Json.h"
#include "tools/mrw/device/DeviceSupport.h"

namespace mrw::cli {

namespace {

const char* const kName = "device reg";

const char kUsage[] =
    "usage: mrw device reg DIR set KEY NAME sz|dword|binary DATA\n"
    "       mrw device reg DIR create KEY\n"
    "       mrw device reg DIR delete KEY [NAME]\n"
    "       mrw device reg DIR get KEY\n\n"
    "KEY is HKLM\\..., HKCU\\..., HKCR\\... or HKU\\...; NAME \"\" is the key's default value.\n"
    "  set      writes a value (the key is created when missing): sz text, dword a\n"
    "           number (decimal or 0x hexadecimal), binary \"%02x\" bytes joined by \",\"\n"
    "  create   creates the key\n"
    "  delete   removes the key with its subkeys, or one value; a missing one is no error\n"
    "  get      prints {\"key\", \"exists\", \"subKeys\", \"values\": [{\"name\", \"type\",\n"
    "           \"size\", \"data\"}]}; exit 1 when the key is missing\n";

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

bool ParseNumber(const std::string& text, uint32_t& value) {
    int64_t v = 0;
    if (ascii::StartsWithNoCase(text, "0x")) {
        if (text.size() < 3 || text.size() > 10) return false;
        for (size_t i = 2; i < text.size(); ++i) {
            const int d = ascii::HexDigitValue(text[i]);
            if (d < 0) return false;
            v = v * 16 + d;
        }
    } else if (!ascii::IsAllDigits(text) || !ascii::ParseDecimal(text, 0, 0xFFFFFFFFll, v)) {
        return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

// Two hexadecimal digits a byte, joined by ","; "" for none.
bool ParseHexList(const std::string& text, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (text.empty()) return true;
    size_t i = 0;
    while (true) {
        uint8_t b = 0;
        if (i + 2 > text.size() || !ascii::ParseHexByte(text[i], text[i + 1], b)) return false;
        bytes.push_back(b);
        i += 2;
        if (i == text.size()) return true;
        if (text[i] != ',') return false;
        ++i;
    }
}

std::vector<uint8_t> TextBytes(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.push_back(0);  // the terminating zero, as the platform stores a text value
    bytes.push_back(0);
    return bytes;
}

void WriteValueData(JsonWriter& w, const device::RegValue& v) {
    w.Key("data");
    if (v.type == kRegSz || v.type == kRegExpandSz) {
        w.String(Utf8(ValueText(v.data)));
    } else if (v.type == kRegDword && v.data.size() == 4) {
        w.Int(static_cast<int64_t>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                   (static_cast<uint32_t>(v.data[3]) << 24)));
    } else if (v.type == kRegMultiSz) {
        w.BeginArray();
        for (const auto& s : ValueStrings(v.data)) w.String(Utf8(s));
        w.EndArray();
    } else {
        w.String(HexList(v.data));
    }
}

int Get(device::Registry& reg, const std::string& keyText, device::RegRoot root, const std::u16string& path) {
    std::vector<std::u16string> subKeys;
    std::vector<device::RegValue> values;
    const bool exists = reg.ListKey(root, path, subKeys, values) == 0;
    JsonWriter w;
    w.BeginObject();
    w.Field("key", keyText);
    w.Field("exists", exists);
    w.Key("subKeys");
    w.BeginArray();
    for (const auto& s : subKeys) w.String(Utf8(s));
    w.EndArray();
    w.Key("values");
    w.BeginArray();
    for (const auto& v : values) {
        w.BeginObject();
        w.Field("name", Utf8(v.name));
        w.Field("type", static_cast<int64_t>(v.type));
        w.Field("size", static_cast<int64_t>(v.data.size()));
        WriteValueData(w, v);
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    std::printf("%s\n", w.str().c_str());
    return exists ? kExitOk : kExitFailed;
}

int RunReg(const std::vector<std::string>& args) {
    // Every argument is taken as written: a value may well begin with "-".
    if (args.size() < 3) return UsageError(kName, "expects DIR, an action and KEY");
    const std::string& dir = args[0];
    const std::string& action = args[1];
    const std::string& keyText = args[2];
    device::RegRoot root;
    std::u16string path;
    if (!device::ParseRegKeyName(text::Utf8ToUtf16(keyText), root, path))
        return UsageError(kName, "KEY begins with HKLM\\, HKCU\\, HKCR\\ or HKU\\");
    const std::u16string name = args.size() > 3 ? text::Utf8ToUtf16(args[3]) : std::u16string();
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (action == "set") {
        if (args.size() != 6) return UsageError(kName, "set expects KEY NAME TYPE DATA");
        const std::string& typeText = args[4];
        const std::string& value = args[5];
        if (typeText == "sz") {
            type = kRegSz;
            data = TextBytes(text::Utf8ToUtf16(value));
        } else if (typeText == "dword") {
            uint32_t number = 0;
            if (!ParseNumber(value, number)) return UsageError(kName, "a dword is a number from 0 to 4294967295");
            type = kRegDword;
            data = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                    static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
        } else if (typeText == "binary") {
            type = kRegBinary;
            if (!ParseHexList(value, data)) return UsageError(kName, "binary data is \"%02x\" bytes joined by \",\"");
        } else {
            return UsageError(kName, "the type is sz, dword or binary");
        }
    } else if (action == "create" || action == "get") {
        if (args.size() != 3) return UsageError(kName, action + " expects KEY only");
    } else if (action == "delete") {
        if (args.size() > 4) return UsageError(kName, "delete expects KEY [NAME]");
        if (args.size() == 3 && path.empty()) return UsageError(kName, "a root key cannot be deleted");
    } else {
        return UsageError(kName, "the action is set, create, delete or get");
    }

    std::unique_ptr<device::Device> dev = OpenDevice("reg", dir);
    if (!dev) return kExitFailed;
    device::Registry& reg = dev->Reg();
    if (action == "get") return Get(reg, keyText, root, path);
    uint32_t error = 0;
    if (action == "set") {
        error = reg.CreateKey(root, path);
        if (!error) error = reg.SetValue(root, path, name, type, data);
    } else if (action == "create") {
        error = reg.CreateKey(root, path);
    } else if (args.size() == 4) {
        const uint32_t e = reg.DeleteValue(root, path, name);
        if (e != 2) error = e;  // a missing key or value is no error
    } else {
        const uint32_t e = reg.DeleteKey(root, path);
        if (e != 2) error = e;
    }
    if (error) return Fail(kName, "the registry refused the change (error " + std::to_string(error) + ")", kExitFailed);
    std::string saveError;
    if (!dev->Save(saveError)) return Fail(kName, Printable(saveError), kExitFailed);
    return kExitOk;
}

}  // namespace

extern const Command kDeviceRegCommand = {"reg", "read and change a virtual handheld's registry", kUsage, &RunReg};

}  // namespace mrw::cli
