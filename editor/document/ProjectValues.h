// Encodings of the values stored in a theme project file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mrw {

// "%i,%i,%i" of red, green, blue.
std::string FormatColourValue(uint32_t colour);
// Splits at commas and blanks; the first three pieces are decimal numbers
// (missing or non-numeric pieces count as 0), each cut to 8 bits. An empty
// value leaves `current` as it was.
uint32_t ParseColourValue(const std::string& text, uint32_t current);

// Bytes as lower-case "%02x" pieces joined by ","; "" for no data.
std::string EncodeDataValue(const std::vector<uint8_t>& data);
// Splits at commas and blanks; each piece is read as hexadecimal digits up
// to the first other character and cut to 8 bits.
std::vector<uint8_t> DecodeDataValue(const std::string& text);

// A value for a one-line key: CR and LF (which would end the value in the
// file and start lines of their own) become blanks. Names and keys taken over
// from packages pass through here.
std::string OneLineValue(std::string value);

// The note's line breaks as "<crlf>" and back. A lone CR or LF is stored as
// a line break as well, since written as it is it would end the stored value.
std::string EscapeNote(const std::string& note);
std::string UnescapeNote(const std::string& stored);

}  // namespace mrw
