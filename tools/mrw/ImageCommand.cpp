// mrw image: look at and convert picture files with the editor's own codecs.
#include <cstdio>
#include <cstdlib>

#include "base/AsciiText.h"
#include "editor/document/ProjectValues.h"
#include "editor/imaging/DibImage.h"
#include "platform/Paths.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/Json.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw image info FILE [--json]\n"
    "       mrw image convert IN OUT [--colours N] [--bits 4|5|8]\n\n"
    "info     detects the format, loads the picture and prints what the loader\n"
    "         gives: format code, result code, size, depth, transparent colour.\n"
    "convert  loads IN and writes OUT in the format of its extension (.bmp, .gif,\n"
    "         .jpg). A GIF is reduced to N colours (2-256, default 256) after each\n"
    "         channel is levelled to the given bits (default 8; 5 and 4 simulate\n"
    "         the handheld displays). JPEG files are written at quality 75.\n";

const char* FormatName(int code) {
    switch (code) {
        case -1: return "unreadable";
        case kImageBmp: return "BMP";
        case kImageTiff: return "TIFF";
        case kImagePcx: return "PCX";
        case kImageGif: return "GIF";
        case kImageJpeg: return "JPEG";
        case kImagePng: return "PNG";
        case kImageFaxByName:
        case kImageFaxBySignature: return "fax image";
        default: return "not recognised";
    }
}

int RunInfo(const Args& args) {
    if (args.positional().size() != 2) return UsageError("image", "info expects one file");
    const std::string path = args.positional()[1];
    const int format = DetectImageFormat(path);
    DibImage image;
    SaveOptions reported;
    const int result = image.Load(path, &reported);
    const bool loaded = result == kImageOk;
    const bool hasTransparent = loaded && (reported.transparent & 0xFF000000u) != 0;
    const uint32_t transparent = MakeColour(int((reported.transparent >> 16) & 0xFF),
                                            int((reported.transparent >> 8) & 0xFF), int(reported.transparent & 0xFF));
    if (args.Has("--json")) {
        JsonWriter w;
        w.BeginObject();
        w.Field("format", format);
        w.Field("result", result);
        w.Key("width");
        loaded ? w.Int(image.Width()) : w.Null();
        w.Key("height");
        loaded ? w.Int(image.Height()) : w.Null();
        w.Key("bitsPerPixel");
        loaded ? w.Int(image.BitsPerPixel()) : w.Null();
        w.Key("transparentColour");
        hasTransparent ? w.Int(transparent) : w.Null();
        w.EndObject();
        std::printf("%s\n", w.str().c_str());
    } else {
        std::printf("%s: %s (format %i), load result %i\n", path.c_str(), FormatName(format), format, result);
        if (loaded) std::printf("  %i x %i pixels, %i bits per pixel\n", image.Width(), image.Height(), image.BitsPerPixel());
        if (hasTransparent) std::printf("  transparent colour %s\n", FormatColourValue(transparent).c_str());
    }
    return loaded ? kExitOk : kExitFailed;
}

bool IsGreyRamp(const DibImage& image) {
    if (image.BitsPerPixel() != 8) return false;
    const DibInfo& info = image.Info();
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = info.colours[i];
        if (e.red != i || e.green != i || e.blue != i) return false;
    }
    return true;
}

int ParseIntOption(const Args& args, const char* name, int fallback, bool& ok) {
    const auto value = args.Value(name);
    if (!value) return fallback;
    char* end = nullptr;
    const long v = std::strtol(value->c_str(), &end, 10);
    ok = ok && !value->empty() && *end == '\0';
    return int(v);
}

int RunConvert(const Args& args) {
    if (args.positional().size() != 3) return UsageError("image", "convert expects an input and an output file");
    const std::string& in = args.positional()[1];
    const std::string& out = args.positional()[2];
    bool ok = true;
    const int colours = ParseIntOption(args, "--colours", 256, ok);
    const int bits = ParseIntOption(args, "--bits", 8, ok);
    if (!ok || colours < 2 || colours > 256) return UsageError("image", "--colours takes a number from 2 to 256");
    if (bits != 4 && bits != 5 && bits != 8) return UsageError("image", "--bits takes 4, 5 or 8");

    const std::string ext = ascii::ToUpper(paths::ExtensionOf(out));
    int format = 0;
    if (ext == ".BMP") format = kImageBmp;
    else if (ext == ".GIF") format = kImageGif;
    else if (ext == ".JPG" || ext == ".JPEG") format = kImageJpeg;
    else return UsageError("image", "the output must end in .bmp, .gif or .jpg");

    DibImage image;
    // BMP keeps what the file holds (alpha included); GIF and JPEG have no alpha channel.
    int result = format == kImageBmp ? image.Load(in) : image.LoadFlattened(in);
    if (result != kImageOk) return Fail("image", "cannot load " + in + " (result " + std::to_string(result) + ")", kExitFailed);
    if (format == kImageGif && image.BitsPerPixel() > 8) result = image.ReduceColours(colours, bits);
    // An 8-bit grey ramp is written as a greyscale JPEG; anything else as colour.
    if (format == kImageJpeg && image.BitsPerPixel() != 24 && !IsGreyRamp(image)) result = image.ConvertTo(24);
    if (result == kImageOk) result = image.Save(out, format);
    if (result != kImageOk) return Fail("image", "cannot write " + out + " (result " + std::to_string(result) + ")", kExitFailed);
    return kExitOk;
}

int RunImage(const std::vector<std::string>& raw) {
    Args args(raw, {"--colours", "--bits"}, {"--json"});
    if (!args.ok()) return UsageError("image", args.error());
    if (args.positional().empty()) return UsageError("image", "expects info or convert");
    if (args.positional()[0] == "info") return RunInfo(args);
    if (args.positional()[0] == "convert") return RunConvert(args);
    return UsageError("image", "unknown action " + args.positional()[0]);
}

}  // namespace

extern const Command kImageCommand = {"image", "inspect or convert a picture file with the editor's codecs", kUsage,
                                      &RunImage};

}  // namespace mrw::cli
