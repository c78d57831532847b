#include "common/raster_decoder.h"

#include <algorithm>
#include <array>
#include <optional>

namespace lt77 {
namespace {

constexpr std::array<uint8_t, 6> kCompressedHead = {0x00, 0x00, 0x00, 0x08, 0x43, 0x52};
constexpr std::array<uint8_t, 10> kPlainHead = {0x00, 0x00, 0x00, 0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00};
constexpr std::array<uint8_t, 6> kEndMarker = {0x08, 0x43, 0x52, 0xFF, 0x00, 0x00};
constexpr std::array<uint8_t, 9> kCutTail = {0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1D, 0x56, 0x42};
constexpr std::array<uint8_t, 9> kFeedTail = {0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1B, 0x4A, 0x00};

template <std::size_t N>
bool At(std::span<const uint8_t> s, std::size_t pos, const std::array<uint8_t, N>& pattern)
{
    return pos + N <= s.size() && std::equal(pattern.begin(), pattern.end(), s.begin() + static_cast<std::ptrdiff_t>(pos));
}

uint32_t Le16(std::span<const uint8_t> s, std::size_t pos) { return s[pos] | (static_cast<uint32_t>(s[pos + 1]) << 8); }

// Expands run-length coded bytes until `count` bytes are out; returns the
// input bytes used, or nothing when the input ends first.
std::optional<std::size_t> ExpandRuns(std::span<const uint8_t> in, std::size_t count, std::vector<uint8_t>& out)
{
    std::size_t pos = 0;
    out.clear();
    while (out.size() < count) {
        if (pos >= in.size()) return std::nullopt;
        const uint8_t b = in[pos++];
        if (b != 0x00 && b != 0xFF) {
            out.push_back(b);
            continue;
        }
        if (pos >= in.size()) return std::nullopt;
        const uint8_t run = in[pos++];
        if (run == 0) return std::nullopt;
        out.insert(out.end(), std::min<std::size_t>(run, count - out.size()), b);
    }
    return pos;
}

class Builder {
public:
    void AddDivision(uint32_t bytesPerRow, uint32_t rows, const std::vector<std::vector<uint8_t>>& planes)
    {
        const uint32_t width = bytesPerRow * 8;
        Widen(width);
        const uint32_t first = result_.picture.height;
        result_.picture.height += rows;
        result_.picture.pixels.resize(static_cast<std::size_t>(result_.picture.width) * result_.picture.height, 0xFF);
        for (uint32_t y = 0; y < rows; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const std::size_t byte = static_cast<std::size_t>(y) * bytesPerRow + x / 8;
                const uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
                uint8_t value;
                if (planes.size() == 1) {
                    value = (planes[0][byte] & mask) ? 0 : 255;
                } else {
                    int level = 0;
                    for (std::size_t p = 0; p < 4; ++p)
                        if (planes[p][byte] & mask) level |= 8 >> p;
                    value = static_cast<uint8_t>(255 - level * 17);
                }
                result_.picture.pixels[static_cast<std::size_t>(first + y) * result_.picture.width + x] = value;
            }
    }
    void Mark(StreamMark::Kind kind, uint32_t page = 0) { result_.marks.push_back({kind, result_.picture.height, page}); }
    void Fail(std::string message) { result_.error = std::move(message); }
    DecodedStream Take() { return std::move(result_); }

private:
    void Widen(uint32_t width)
    {
        RasterPicture& p = result_.picture;
        if (width <= p.width) return;
        std::vector<uint8_t> wider(static_cast<std::size_t>(width) * p.height, 0xFF);
        for (uint32_t y = 0; y < p.height; ++y)
            std::copy_n(p.pixels.begin() + static_cast<std::ptrdiff_t>(y) * p.width, p.width,
                        wider.begin() + static_cast<std::ptrdiff_t>(y) * width);
        p.width = width;
        p.pixels = std::move(wider);
    }
    DecodedStream result_;
};

}  // namespace

DecodedStream DecodeRasterStream(std::span<const uint8_t> s)
{
    Builder out;
    std::size_t pos = 0;
    std::vector<std::vector<uint8_t>> planes;
    std::vector<uint8_t> expanded;
    while (pos < s.size()) {
        if (At(s, pos, kCompressedHead) && pos + 15 <= s.size()) {
            // One division: planes until the end marker.
            planes.clear();
            uint32_t bytesPerRow = 0, rows = 0;
            while (At(s, pos, kCompressedHead) && pos + 15 <= s.size()) {
                const uint32_t dots = Le16(s, pos + 11);
                const uint32_t r = Le16(s, pos + 13);
                if (dots % 8 != 0 || (!planes.empty() && (dots / 8 != bytesPerRow || r != rows))) {
                    out.Fail("raster planes of one division disagree in size");
                    return out.Take();
                }
                bytesPerRow = dots / 8;
                rows = r;
                const auto used = ExpandRuns(s.subspan(pos + 15), static_cast<std::size_t>(bytesPerRow) * rows, expanded);
                if (!used) {
                    out.Fail("compressed raster data ends early");
                    return out.Take();
                }
                planes.push_back(expanded);
                pos += 15 + *used;
            }
            if (!At(s, pos, kEndMarker) || (planes.size() != 1 && planes.size() != 4)) {
                out.Fail("compressed raster division without its end marker");
                return out.Take();
            }
            pos += kEndMarker.size();
            out.AddDivision(bytesPerRow, rows, planes);
            continue;
        }
        if (At(s, pos, kPlainHead) && pos + 14 <= s.size()) {
            const uint32_t bytesPerRow = Le16(s, pos + 10);
            const uint32_t rows = Le16(s, pos + 12);
            const std::size_t size = static_cast<std::size_t>(bytesPerRow) * rows;
            if (pos + 14 + size + 1 > s.size()) {
                out.Fail("plain raster data ends early");
                return out.Take();
            }
            planes.assign(1, std::vector<uint8_t>(s.begin() + static_cast<std::ptrdiff_t>(pos + 14),
                                                  s.begin() + static_cast<std::ptrdiff_t>(pos + 14 + size)));
            out.AddDivision(bytesPerRow, rows, planes);
            pos += 14 + size + 1;
            continue;
        }
        if (At(s, pos, kCutTail)) {
            out.Mark(StreamMark::Kind::Cut);
            pos += kCutTail.size();
            continue;
        }
        if (At(s, pos, kFeedTail)) {
            out.Mark(StreamMark::Kind::Feed);
            pos += kFeedTail.size();
            continue;
        }
        if (pos + 4 <= s.size() && s[pos] == 0x00 && s[pos + 1] == 0x08) {
            out.Mark(StreamMark::Kind::PageMark, Le16(s, pos + 2));
            pos += 4;
            continue;
        }
        ++pos;
    }
    return out.Take();
}

}  // namespace lt77
