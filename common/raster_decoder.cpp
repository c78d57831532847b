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
    void Mark(StreamMark::Kind kind, uint32_t page = 0)
    {
        StreamMark m{};
        m.kind = kind;
        m.row = result_.picture.height;
        m.page = page;
        result_.marks.push_back(std::move(m));
    }
    // A device line: the printer prints it and feeds `rows` dots.
    void AddLine(StreamMark mark)
    {
        mark.row = result_.picture.height;
        Widen(std::max<uint32_t>(result_.picture.width, 8));
        result_.picture.height += mark.rows;
        result_.picture.pixels.resize(static_cast<std::size_t>(result_.picture.width) * result_.picture.height, 0xFF);
        result_.marks.push_back(std::move(mark));
    }
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

// A resident-font line: its select, size and position commands, the text,
// then the feed that prints it (1B 4A n) and one zero byte.
std::size_t DeviceLine(std::span<const uint8_t> s, std::size_t pos, Builder& out)
{
    StreamMark mark{};
    mark.kind = StreamMark::Kind::DeviceText;
    std::size_t p = pos;
    auto at = [&](std::initializer_list<uint8_t> bytes) {
        if (p + bytes.size() > s.size()) return false;
        return std::equal(bytes.begin(), bytes.end(), s.begin() + static_cast<std::ptrdiff_t>(p));
    };
    if (at({0x1B, 0x74}) && p + 14 <= s.size() && s[p + 3] == 0x08 && s[p + 4] == 0x4D && s[p + 5] == 0x00 &&
        s[p + 7] == 0x1D && s[p + 8] == 0x21 && s[p + 10] == 0x1B && s[p + 11] == 0x24) {
        mark.widthFactor = static_cast<uint8_t>((s[p + 9] >> 4) + 1);
        mark.heightFactor = static_cast<uint8_t>((s[p + 9] & 0x0F) + 1);
        mark.x = Le16(s, p + 12);
        p += 14;
    } else if (at({0x1C, 0x26})) {
        mark.doubleByte = true;
        p += 2;
        if (at({0x1C, 0x43, 0x01})) p += 3;
        if (!at({0x1D, 0x21}) || p + 7 > s.size() || s[p + 3] != 0x1B || s[p + 4] != 0x24) return 0;
        mark.widthFactor = static_cast<uint8_t>((s[p + 2] >> 4) + 1);
        mark.heightFactor = static_cast<uint8_t>((s[p + 2] & 0x0F) + 1);
        mark.x = Le16(s, p + 5);
        p += 7;
    } else {
        return 0;
    }
    const std::size_t textStart = p;
    while (p + 3 < s.size() && !(s[p] == 0x1B && s[p + 1] == 0x4A && s[p + 3] == 0x00)) ++p;
    if (p + 3 >= s.size()) return 0;
    std::size_t textEnd = p;
    if (mark.doubleByte && textEnd >= textStart + 2 && s[textEnd - 2] == 0x1C && s[textEnd - 1] == 0x2E) textEnd -= 2;
    mark.text.assign(s.begin() + static_cast<std::ptrdiff_t>(textStart), s.begin() + static_cast<std::ptrdiff_t>(textEnd));
    mark.rows = s[p + 2];
    out.AddLine(std::move(mark));
    return p + 4 - pos;
}

}  // namespace

DecodedStream DecodeRasterStream(std::span<const uint8_t> s)
{
    Builder out;
    std::size_t pos = 0;
    std::vector<std::vector<uint8_t>> planes;
    std::vector<uint8_t> expanded;
    uint32_t position = 0;   // the last absolute print position (1B 24)
    uint32_t barHeight = 162;  // the last bar height (1D 68); the printer's own default
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
        // The printer's own bit image, as stored images and coupons carry it.
        if (pos + 8 <= s.size() && s[pos] == 0x1D && s[pos + 1] == 0x76 && s[pos + 2] == 0x30) {
            const uint32_t bytesPerRow = Le16(s, pos + 4);
            const uint32_t rows = Le16(s, pos + 6);
            const std::size_t size = static_cast<std::size_t>(bytesPerRow) * rows;
            if (pos + 8 + size > s.size()) {
                out.Fail("bit image data ends early");
                return out.Take();
            }
            planes.assign(1, std::vector<uint8_t>(s.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                                                  s.begin() + static_cast<std::ptrdiff_t>(pos + 8 + size)));
            out.AddDivision(bytesPerRow, rows, planes);
            pos += 8 + size;
            continue;
        }
        if (pos + 4 <= s.size() && s[pos] == 0x1B && s[pos + 1] == 0x24) {
            position = Le16(s, pos + 2);
            pos += 4;
            continue;
        }
        if (pos + 3 <= s.size() && s[pos] == 0x1D && s[pos + 1] == 0x68) {
            barHeight = s[pos + 2];
            pos += 3;
            continue;
        }
        if (pos + 4 <= s.size() && s[pos] == 0x1D && s[pos + 1] == 0x6B && s[pos + 2] >= 65) {
            const std::size_t n = s[pos + 3];
            if (pos + 4 + n > s.size()) {
                out.Fail("barcode data ends early");
                return out.Take();
            }
            StreamMark mark{};
            mark.kind = StreamMark::Kind::Barcode;
            mark.x = position;
            mark.rows = barHeight;
            mark.text.assign(s.begin() + static_cast<std::ptrdiff_t>(pos + 4), s.begin() + static_cast<std::ptrdiff_t>(pos + 4 + n));
            out.AddLine(std::move(mark));
            pos += 4 + n;
            continue;
        }
        if (pos + 8 <= s.size() && s[pos] == 0x1D && s[pos + 1] == 0x28 && s[pos + 2] == 0x6B && s[pos + 3] == 0x03 &&
            s[pos + 4] == 0x00 && s[pos + 6] == 0x51 && s[pos + 7] == 0x30) {
            StreamMark mark{};
            mark.kind = StreamMark::Kind::Symbol2D;
            mark.x = position;
            mark.rows = 120;
            out.AddLine(std::move(mark));
            pos += 8;
            continue;
        }
        if (const std::size_t used = DeviceLine(s, pos, out)) {
            pos += used;
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
