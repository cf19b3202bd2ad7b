// PNG output of an image (the command-line preview writes its pictures so).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "editor/imaging/DibImage.h"

namespace mrw {

// Encodes a 24- or 32-bit image (32 bits keep their alpha) or an image of 8
// bits or fewer per pixel (through its colour table) as PNG. Returns 0, or
// kImageBadDepth / kImageFailed.
int EncodePng(const DibImage& image, std::vector<uint8_t>& out);
// EncodePng into a file; kImageFailed when the file cannot be written.
int SavePng(const DibImage& image, const std::string& path);

}  // namespace mrw
