// The resource blob of a handheld library: one format for both builds,
// written by make_ce_resources.py from the library's .rc file (natively
// linked in as data, in the windows build as the RCDATA resource "MRWCE").
//
//   "MRWR" u32 count, then count entries of { u16 type, u16 id, u32 offset, u32 size }
//   string (type 6): UTF-16LE text
//   icon (type 3):   u16 width, u16 height
//   dialog (type 5): u32 style, u32 exStyle, i16 x, y, cx, cy (dialog units), u16 controls,
//                    text title; per control: u32 style, u32 exStyle, i16 x, y, cx, cy, u16 id,
//                    text class, text caption       (text = u16 length, then UTF-16LE)
// All little-endian. Every read is bounds-checked: a damaged blob finds nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mrw::ce::resources {

constexpr std::uint16_t kIcon = 3;
constexpr std::uint16_t kDialog = 5;
constexpr std::uint16_t kString = 6;

struct Entry {
    std::size_t offset = 0;
    std::size_t size = 0;
};
bool Find(const std::uint8_t* data, std::size_t size, std::uint16_t type, std::uint32_t id, Entry& entry);
std::u16string Text(const std::uint8_t* data, std::size_t size, std::size_t offset, std::size_t length);

struct DialogControl {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::u16string className;
    std::u16string text;
};
struct DialogTemplate {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::u16string title;
    std::vector<DialogControl> controls;
};
bool ParseDialog(const std::uint8_t* data, std::size_t size, const Entry& entry, DialogTemplate& dialog);

}  // namespace mrw::ce::resources
