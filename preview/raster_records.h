// The compressed monochrome raster records of a job, as the viewers read
// them into rows of a picture:
//
//   08 43 52 00 00 00 00 00 dotsL dotsH rowsL rowsH   record header
//   run-length coded bytes (00 n and FF n stand for n such bytes, n = 0 for
//   none; any other byte for itself), dots / 8 bytes to a row
//   08 43 52 FF 00                                    record end
//
// Records of the greyscale planes (plane number 4 ... 7 where the header has
// 00) and every byte outside a record are not part of the picture.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace lt77::viewer {

// The sum of the row counts of every record header in the job; a header
// cut short by the end of the data counts nothing.
uint32_t CountRasterRows(std::span<const uint8_t> job);

struct DecodedRows {
    // 2 * strideBytes * maxRows zero bytes (0 = white) with the records' rows
    // top first, or fewer when decoding stopped at a full area.
    std::vector<uint8_t> bits;
    bool overflow = false;  // a row past the area was asked for
    bool anyBlack = false;
};

// Decodes every record's rows, one after the other, into rows of
// `strideBytes`. A record's row that is wider than the stride keeps its
// first `strideBytes` bytes: the rest would run into the next row. A row
// cut short by its record's end is white to its right. The area holds
// 2 * `rows` rows; a job that asks for more stops with `overflow`. Row
// counts are the job's own word, a few bytes each: an area above
// kMaxDecodeAreaBytes is not allocated at all and the job counts as one
// that overflows.
inline constexpr std::size_t kMaxDecodeAreaBytes = 64u << 20;
DecodedRows DecodeRasterRecords(std::span<const uint8_t> job, uint32_t strideBytes, uint32_t rows);

}  // namespace lt77::viewer
