// Picture files of decoded printer output, for people to look at: PNG on
// Linux, BMP where libpng is not at hand (the Windows build).
#pragma once

#include <string>
#include <variant>

#include "common/raster_decoder.h"

namespace lt77::host {

// The file name extension this build writes (".png" or ".bmp").
const char* PictureExtension();

// Writes an 8-bit grey picture; returns an error text, empty on success.
std::string WritePicture(const RasterPicture& picture, const std::string& path);

// Reads a PNG or BMP file as grey levels; an error text names the file.
std::variant<RasterPicture, std::string> ReadPicture(const std::string& path);

}  // namespace lt77::host
