#include "editor/document/ProjectValues.h"

#include <cstdio>

#include "base/AsciiText.h"

namespace mrw {

namespace {

bool IsBlankOrComma(char c) { return c == ',' || c == ' ' || c == '\t'; }

// Pieces of a value split at commas and blanks; runs of separators count as one.
std::vector<std::string> SplitPieces(const std::string& text) {
    std::vector<std::string> pieces;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlankOrComma(text[i])) ++i;
        size_t start = i;
        while (i < text.size() && !IsBlankOrComma(text[i])) ++i;
        if (i > start) pieces.push_back(text.substr(start, i - start));
    }
    return pieces;
}

// The decimal number at the start of a piece (optional sign), kept modulo 2^32
// so that its low 8 bits are those of the written number, however long.
uint32_t LeadingDecimal(const std::string& piece) {
    size_t i = 0;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) negative = piece[i++] == '-';
    uint32_t value = 0;
    for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) value = value * 10u + uint32_t(piece[i] - '0');
    return negative ? 0u - value : value;
}

}  // namespace

std::string FormatColourValue(uint32_t colour) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%i,%i,%i", int(colour & 0xFF), int((colour >> 8) & 0xFF),
                  int((colour >> 16) & 0xFF));
    return buf;
}

uint32_t ParseColourValue(const std::string& text, uint32_t current) {
    if (text.empty()) return current;
    const std::vector<std::string> pieces = SplitPieces(text);
    uint32_t channels[3] = {0, 0, 0};
    for (size_t i = 0; i < 3 && i < pieces.size(); ++i) channels[i] = LeadingDecimal(pieces[i]) & 0xFF;
    return channels[0] | (channels[1] << 8) | (channels[2] << 16);
}

std::string EncodeDataValue(const std::vector<uint8_t>& data) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(data.size() * 3);
    for (size_t i = 0; i < data.size(); ++i) {
        if (i) out += ',';
        out += kHex[data[i] >> 4];
        out += kHex[data[i] & 0xF];
    }
    return out;
}

std::vector<uint8_t> DecodeDataValue(const std::string& text) {
    std::vector<uint8_t> data;
    for (const std::string& piece : SplitPieces(text)) {
        uint32_t value = 0;
        for (char c : piece) {
            int d = ascii::HexDigitValue(c);
            if (d < 0) break;
            value = (value << 4) | uint32_t(d);
        }
        data.push_back(uint8_t(value & 0xFF));
    }
    return data;
}

std::string OneLineValue(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    return value;
}

std::string EscapeNote(const std::string& note) {
    std::string out;
    out.reserve(note.size());
    for (size_t i = 0; i < note.size(); ++i) {
        if (note[i] == '\r' && i + 1 < note.size() && note[i + 1] == '\n') {
            out += "<crlf>";
            ++i;
        } else if (note[i] == '\r' || note[i] == '\n') {
            // A lone line end written as it is would end the value in the
            // file and turn the rest of the note into lines of their own
            // (even new sections): it is stored as a line break too.
            out += "<crlf>";
        } else {
            out += note[i];
        }
    }
    return out;
}

std::string UnescapeNote(const std::string& stored) {
    static const std::string kMark = "<crlf>";
    std::string out;
    out.reserve(stored.size());
    size_t i = 0;
    while (i < stored.size()) {
        if (stored.compare(i, kMark.size(), kMark) == 0) {
            out += "\r\n";
            i += kMark.size();
        } else {
            out += stored[i++];
        }
    }
    return out;
}

}  // namespace mrw
