// The one image type of the editor: pixel memory laid out exactly as a
// bottom-up device-independent bitmap section, so that the windows build hands
// it to GDI without conversion.
//  - memory row 0 is the bottom row of the picture; a point (x, y) counts y
//    from the top and lives in memory row height - 1 - y;
//  - rows are padded to 4 bytes;
//  - pixels are blue, green, red (and straight alpha for 32 bits, 255 = opaque);
//  - `info` is the 40-byte BITMAPINFOHEADER followed by 256 colour-table
//    entries (blue, green, red, reserved).
// Colours passed to operations are 0x00BBGGRR values (red in the low byte).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/imaging/ImageFormat.h"
#include "editor/imaging/ShapeRegion.h"

namespace mrw {

using Colour = uint32_t;  // 0x00BBGGRR

inline Colour MakeColour(int r, int g, int b) {
    return Colour(r & 0xFF) | (Colour(g & 0xFF) << 8) | (Colour(b & 0xFF) << 16);
}
inline int RedOf(Colour c) { return int(c & 0xFF); }
inline int GreenOf(Colour c) { return int((c >> 8) & 0xFF); }
inline int BlueOf(Colour c) { return int((c >> 16) & 0xFF); }

#pragma pack(push, 1)
struct DibHeader {                 // BITMAPINFOHEADER
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0;            // positive: bottom-up
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = 0;      // 0 BI_RGB, 3 BI_BITFIELDS
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};
struct PaletteEntry {              // RGBQUAD
    uint8_t blue = 0, green = 0, red = 0, reserved = 0;
};
struct DibInfo {                   // BITMAPINFO with a full colour table: 1,064 bytes
    DibHeader header;
    PaletteEntry colours[256];
};
#pragma pack(pop)
static_assert(sizeof(DibHeader) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(DibInfo) == 1064, "header plus 256 colours");

enum : uint32_t { kBiRgb = 0, kBiBitfields = 3 };

// The mirror and turn operations of Turn, with the codes that project files
// store (an image element's "Rotation" is 0, 3, 4 or 5).
enum class TurnCode : int {
    kNone = 0,
    kMirrorLeftToRight = 1,
    kMirrorTopToBottom = 2,
    kHalfTurn = 3,
    kQuarterClockwise = 4,
    kQuarterAnticlockwise = 5,
};
// True for the quarter turns, which swap width and height.
inline bool SwapsSides(TurnCode code) {
    return code == TurnCode::kQuarterClockwise || code == TurnCode::kQuarterAnticlockwise;
}

// Options of Save; the loaders report a transparent colour in `transparent`
// (0xFF000000 | red << 16 | green << 8 | blue when present, 0 otherwise).
struct SaveOptions {
    int quality = 0;
    int mode = 0;
    uint8_t reserved[5] = {};
    int subtype = 0;
    uint32_t transparent = 0;
};

// Largest image any loader or Create accepts: 16384 pixels a side and 256 MiB of pixels.
constexpr int kMaxImageSide = 16384;
constexpr size_t kMaxImageBytes = size_t(256) << 20;

class DibImage {
public:
    DibImage() = default;
    ~DibImage() = default;
    DibImage(const DibImage&) = delete;
    DibImage& operator=(const DibImage&) = delete;
    DibImage(DibImage&&) noexcept = default;
    DibImage& operator=(DibImage&&) noexcept = default;

    // --- geometry and memory ---
    bool IsEmpty() const { return pixels_.empty(); }
    int Width() const { return info_.header.width; }
    int Height() const { return info_.header.height; }
    int BitsPerPixel() const { return info_.header.bitCount; }
    // Bytes of one memory row (padded to 4).
    size_t Stride() const;
    static size_t StrideFor(int width, int bitsPerPixel);
    uint8_t* Bits() { return pixels_.empty() ? nullptr : pixels_.data(); }
    const uint8_t* Bits() const { return pixels_.empty() ? nullptr : pixels_.data(); }
    // Memory row of picture row y (y from the top).
    uint8_t* Row(int y);
    const uint8_t* Row(int y) const;
    DibInfo& Info() { return info_; }
    const DibInfo& Info() const { return info_; }
    // Used colours of the table: clrUsed, or 1 << bitCount when 0 (8 bits or less).
    int PaletteSize() const;

    // --- life cycle ---
    // Empties the image and makes a blank (zeroed) section. Failure shows the
    // "Erreur à la création du DIB" message and returns -1.
    int Create(int width, int height, int bitsPerPixel);
    void Release();

    // --- files ---
    int Load(const std::string& path, SaveOptions* reported = nullptr);
    int LoadFlattened(const std::string& path);
    // Decoding of bytes in memory (the same decoders; `nameForProbe` gives the extension test).
    int LoadFromMemory(const uint8_t* data, size_t size, const std::string& nameForProbe = std::string());
    int Save(const std::string& path, int format, const SaveOptions* options = nullptr) const;

    // --- whole-image operations ---
    void FillWhite();
    void Fill(Colour colour);
    void SetGreyPalette();
    void SetPalette(const PaletteEntry* entries, int count);
    void SetAlpha(uint8_t alpha);
    uint8_t AlphaAt(int x, int y) const;
    int MakeTintedFromMask(const DibImage& mask, Colour colour);
    int BlendFrom(const DibImage& source, int alpha);
    int CompositeOver(int x, int y, const DibImage& source);
    int DrawFrom(int x, int y, int width, int height, const DibImage& source, int sourceX, int sourceY);
    int CopyTo(DibImage& target, int x, int y) const;
    int Crop(int x, int y, int width, int height);
    int CropToRect(int left, int top, int right, int bottom);
    int Tile(int width, int height);
    int Resize(int width, int height, bool shrinkOnly, bool keepAspect);
    // A code outside the enumeration (a stored value, say) gives 4.
    int Turn(TurnCode code);
    int FlipVertical() { return Turn(TurnCode::kMirrorTopToBottom); }
    int ReduceColours(int count, int channelBits);
    int Dither(DibImage& target) const;
    const ShapeRegion& BuildShapeRegion(Colour keyColour);
    const ShapeRegion& Shape() const { return shape_; }

    // Converts to another depth in place the way StretchDIBits into a new
    // section would (plain copy; a conversion to 32 bits leaves alpha 0).
    int ConvertTo(int bitsPerPixel);

private:
    DibInfo info_{};
    std::vector<uint8_t> pixels_;
    ShapeRegion shape_;
};

// The colour table entries of an image (count 0 means 256).
int GetColourTable(const DibImage& image, int first, int count, PaletteEntry* entries);

}  // namespace mrw
