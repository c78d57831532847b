// Job bytes for the viewers' tests, written out by hand from the command
// layouts: a compressed monochrome raster record and a preview-only block.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace lt77::testing {

using Bytes = std::vector<uint8_t>;

// 08 43 52 00 00 00 00 00 dots rows, the coded bytes, 08 43 52 FF 00 00.
inline Bytes RasterRecord(uint16_t dots, uint16_t rows, const Bytes& coded)
{
    Bytes b = {0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, static_cast<uint8_t>(dots & 0xFF),
               static_cast<uint8_t>(dots >> 8), static_cast<uint8_t>(rows & 0xFF), static_cast<uint8_t>(rows >> 8)};
    b.insert(b.end(), coded.begin(), coded.end());
    b.insert(b.end(), {0x08, 0x43, 0x52, 0xFF, 0x00, 0x00});
    return b;
}

// 00 00 00 1B 40 length "KELWYNT" and `body`; `length` is what the block
// says of itself, normally 14 + body size.
inline Bytes PreviewBlock(uint16_t length, const Bytes& body)
{
    Bytes b = {0x00, 0x00, 0x00, 0x1B, 0x40, static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8),
               'K', 'E', 'L', 'W', 'Y', 'N', 'T'};
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// `count` bytes 00 or FF as the run-length code writes them, 255 at most a run.
inline Bytes Runs(uint8_t value, std::size_t count)
{
    Bytes b;
    for (; count > 0; count -= std::min<std::size_t>(count, 255)) {
        b.push_back(value);
        b.push_back(static_cast<uint8_t>(std::min<std::size_t>(count, 255)));
    }
    return b;
}

inline Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace lt77::testing
