#include "common/raster_decoder.h"

#include <algorithm>
#include <optional>

namespace lt77 {
namespace {

constexpr std::size_t kPlaneHeaderBytes = 12;
constexpr std::size_t kDivisionEndBytes = 6;
constexpr std::size_t kBitImageHeaderBytes = 8;
constexpr uint8_t kDivisionEndPlane = 0xFF;

uint32_t Le16(std::span<const uint8_t> s, std::size_t pos) { return s[pos] | (static_cast<uint32_t>(s[pos + 1]) << 8); }

bool IsRasterPlane(uint8_t p) { return p == 0 || (p >= 4 && p <= 7); }

// Expands run-length coded bytes until `count` bytes are out; returns the
// input bytes used, or nothing when the input ends first.
std::optional<std::size_t> ExpandRuns(std::span<const uint8_t> in, std::size_t count, std::vector<uint8_t>& out)
{
    std::size_t pos = 0;
    out.clear();
    out.reserve(count);
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

RasterRead ReadCompressed(std::span<const uint8_t> s, std::size_t pos)
{
    if (pos + 4 > s.size()) return std::monostate{};
    const uint8_t plane = s[pos + 3];
    if (plane == kDivisionEndPlane) {
        if (pos + kDivisionEndBytes > s.size()) return RasterError{"raster division end cut short", true};
        RasterCommand end;
        end.kind = RasterCommand::Kind::DivisionEnd;
        end.size = kDivisionEndBytes;
        return end;
    }
    if (!IsRasterPlane(plane)) return std::monostate{};
    if (pos + kPlaneHeaderBytes > s.size()) return RasterError{"raster plane header cut short", true};
    // Four zero bytes follow the plane number; without them the bytes are
    // something else (a page mark 08 p0 p1 may happen to read 08 43 52).
    if (s[pos + 4] != 0 || s[pos + 5] != 0 || s[pos + 6] != 0 || s[pos + 7] != 0) return std::monostate{};
    const uint32_t dots = Le16(s, pos + 8);
    RasterCommand cmd;
    cmd.plane = plane;
    cmd.rows = Le16(s, pos + 10);
    if (dots % 8 != 0) return RasterError{"raster plane width is not whole bytes"};
    cmd.bytesPerRow = dots / 8;
    const std::size_t count = static_cast<std::size_t>(cmd.bytesPerRow) * cmd.rows;
    if (count > kMaxRasterCommandBytes) return RasterError{"raster plane larger than the printer holds"};
    const auto used = ExpandRuns(s.subspan(pos + kPlaneHeaderBytes), count, cmd.bits);
    if (!used) return RasterError{"compressed raster data ends early or holds a run of length 0", true};
    cmd.size = kPlaneHeaderBytes + *used;
    return cmd;
}

RasterRead ReadBitImage(std::span<const uint8_t> s, std::size_t pos)
{
    if (pos + kBitImageHeaderBytes > s.size()) return RasterError{"bit image header cut short", true};
    RasterCommand cmd;
    cmd.kind = RasterCommand::Kind::BitImage;
    cmd.plane = s[pos + 3];
    cmd.bytesPerRow = Le16(s, pos + 4);
    cmd.rows = Le16(s, pos + 6);
    const std::size_t count = static_cast<std::size_t>(cmd.bytesPerRow) * cmd.rows;
    if (pos + kBitImageHeaderBytes + count > s.size()) return RasterError{"bit image data ends early", true};
    const auto first = s.begin() + static_cast<std::ptrdiff_t>(pos + kBitImageHeaderBytes);
    cmd.bits.assign(first, first + static_cast<std::ptrdiff_t>(count));
    cmd.size = kBitImageHeaderBytes + count;
    return cmd;
}

class Stacker {
public:
    void Add(uint32_t bytesPerRow, uint32_t rows, const std::vector<std::vector<uint8_t>>& planes)
    {
        const uint32_t width = bytesPerRow * 8;
        Widen(width);
        RasterPicture& p = result_.picture;
        const uint32_t first = p.height;
        p.height += rows;
        p.pixels.resize(static_cast<std::size_t>(p.width) * p.height, 0xFF);
        for (uint32_t y = 0; y < rows; ++y)
            for (uint32_t x = 0; x < width; ++x)
                p.pixels[static_cast<std::size_t>(first + y) * p.width + x] =
                    static_cast<uint8_t>(255 - RasterLevel(planes, bytesPerRow, x, y) * 17);
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

}  // namespace

RasterRead ReadRasterCommand(std::span<const uint8_t> s, std::size_t pos)
{
    if (pos + 3 > s.size()) return std::monostate{};
    if (s[pos] == 0x08 && s[pos + 1] == 0x43 && s[pos + 2] == 0x52) return ReadCompressed(s, pos);
    if (s[pos] == 0x1D && s[pos + 1] == 0x76 && s[pos + 2] == 0x30) return ReadBitImage(s, pos);
    return std::monostate{};
}

uint8_t RasterLevel(const std::vector<std::vector<uint8_t>>& planes, uint32_t bytesPerRow, uint32_t x, uint32_t y)
{
    const std::size_t byte = static_cast<std::size_t>(y) * bytesPerRow + x / 8;
    const auto mask = static_cast<uint8_t>(0x80 >> (x % 8));
    if (planes.size() == 1) return (planes[0][byte] & mask) ? 15 : 0;
    uint8_t level = 0;
    for (std::size_t p = 0; p < planes.size() && p < 4; ++p)
        if (planes[p][byte] & mask) level = static_cast<uint8_t>(level | (8 >> p));
    return level;
}

DecodedStream DecodeRasterStream(std::span<const uint8_t> s)
{
    Stacker out;
    std::vector<std::vector<uint8_t>> planes;
    uint32_t bytesPerRow = 0, rows = 0;
    std::size_t pos = 0;
    while (pos < s.size()) {
        RasterRead read = ReadRasterCommand(s, pos);
        if (auto* error = std::get_if<RasterError>(&read)) {
            out.Fail(error->text);
            return out.Take();
        }
        auto* cmd = std::get_if<RasterCommand>(&read);
        if (cmd == nullptr) {
            // Only the zero bytes before each plane come between the planes of
            // a division.
            if (!planes.empty() && s[pos] != 0x00) {
                out.Fail("compressed raster division without its end marker");
                return out.Take();
            }
            ++pos;
            continue;
        }
        pos += cmd->size;
        switch (cmd->kind) {
        case RasterCommand::Kind::Plane:
            if (!planes.empty() && (cmd->bytesPerRow != bytesPerRow || cmd->rows != rows)) {
                out.Fail("raster planes of one division disagree in size");
                return out.Take();
            }
            bytesPerRow = cmd->bytesPerRow;
            rows = cmd->rows;
            planes.push_back(std::move(cmd->bits));
            break;
        case RasterCommand::Kind::DivisionEnd:
            if (planes.size() != 1 && planes.size() != 4) {
                out.Fail("compressed raster division without its end marker");
                return out.Take();
            }
            out.Add(bytesPerRow, rows, planes);
            planes.clear();
            break;
        case RasterCommand::Kind::BitImage:
            out.Add(cmd->bytesPerRow, cmd->rows, {std::move(cmd->bits)});
            break;
        }
    }
    if (!planes.empty()) out.Fail("compressed raster division without its end marker");
    return out.Take();
}

}  // namespace lt77
