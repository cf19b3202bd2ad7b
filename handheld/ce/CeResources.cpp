#include "handheld/ce/CeResources.h"

#include "base/ByteOrder.h"

namespace mrw::ce::resources {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kEntrySize = 12;

// A cursor over one resource's bytes; any read past its end makes it fail.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t end, std::size_t offset) : data_(data), end_(end), pos_(offset) {}
    bool U16(std::uint16_t& v) { return Take(2) && (v = le::U16(data_ + pos_ - 2), true); }
    bool U32(std::uint32_t& v) { return Take(4) && (v = le::U32(data_ + pos_ - 4), true); }
    bool I16(int& v) {
        std::uint16_t u;
        if (!U16(u)) return false;
        v = static_cast<std::int16_t>(u);
        return true;
    }
    bool Str(std::u16string& s) {
        std::uint16_t n;
        if (!U16(n) || !le::Fits(end_, pos_, std::size_t{n} * 2)) return false;
        s.clear();
        for (std::uint16_t i = 0; i < n; ++i) s.push_back(static_cast<char16_t>(le::U16(data_ + pos_ + i * 2u)));
        pos_ += std::size_t{n} * 2;
        return true;
    }

private:
    bool Take(std::size_t n) {
        if (!le::Fits(end_, pos_, n)) return false;
        pos_ += n;
        return true;
    }
    const std::uint8_t* data_;
    std::size_t end_;
    std::size_t pos_;
};

}  // namespace

bool Find(const std::uint8_t* data, std::size_t size, std::uint16_t type, std::uint32_t id, Entry& entry) {
    if (!data || size < kHeaderSize || data[0] != 'M' || data[1] != 'R' || data[2] != 'W' || data[3] != 'R') return false;
    std::uint32_t count = le::U32(data + 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::size_t at = kHeaderSize + std::size_t{i} * kEntrySize;
        if (!le::Fits(size, at, kEntrySize)) return false;
        if (le::U16(data + at) != type || le::U16(data + at + 2) != id) continue;
        std::uint32_t offset = le::U32(data + at + 4);
        std::uint32_t length = le::U32(data + at + 8);
        if (!le::Fits(size, offset, length)) return false;
        entry.offset = offset;
        entry.size = length;
        return true;
    }
    return false;
}

std::u16string Text(const std::uint8_t* data, std::size_t size, std::size_t offset, std::size_t length) {
    std::u16string text;
    if (!le::Fits(size, offset, length * 2)) return text;
    for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char16_t>(le::U16(data + offset + i * 2)));
    return text;
}

bool ParseDialog(const std::uint8_t* data, std::size_t size, const Entry& entry, DialogTemplate& dialog) {
    Reader r(data, entry.offset + entry.size, entry.offset);
    std::uint16_t controls = 0;
    if (!r.U32(dialog.style) || !r.U32(dialog.exStyle) || !r.I16(dialog.x) || !r.I16(dialog.y) || !r.I16(dialog.cx) ||
        !r.I16(dialog.cy) || !r.U16(controls) || !r.Str(dialog.title)) {
        return false;
    }
    dialog.controls.clear();
    for (std::uint16_t i = 0; i < controls; ++i) {
        DialogControl c;
        std::uint16_t id = 0;
        if (!r.U32(c.style) || !r.U32(c.exStyle) || !r.I16(c.x) || !r.I16(c.y) || !r.I16(c.cx) || !r.I16(c.cy) ||
            !r.U16(id) || !r.Str(c.className) || !r.Str(c.text)) {
            return false;
        }
        c.id = static_cast<std::int16_t>(id);
        dialog.controls.push_back(std::move(c));
    }
    return true;
}

}  // namespace mrw::ce::resources
