// The bodies of the fuzz targets, shared by the libFuzzer programs and by the
// test that replays the kept corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lt77::fuzz {

// A page's captured-text buffer: read back, mirrored, merged with an image.
void TextRecords(const uint8_t* data, std::size_t size);
// Text-key definitions and a device-font string, one per line: the parser,
// coupon collection, replacement and image-marker splitting.
void TextKeys(const uint8_t* data, std::size_t size);
// A control-code INI file and a string in the operator's control-code font.
void ControlIni(const uint8_t* data, std::size_t size);
// A job as the printer receives it, through the printer's stream renderer.
void StreamRenderer(const uint8_t* data, std::size_t size);
// A BMP file as possdk's PrintBitmap reads it: checked against its headers.
void BitmapFile(const uint8_t* data, std::size_t size);
// The printer data values "MISC", "BarcodeInfo", "CodeData" and the user
// command strings, of any size, loaded at enable; then every barcode family
// built from the tables with the rest of the input as its data.
void PrinterData(const uint8_t* data, std::size_t size);

}  // namespace lt77::fuzz
