#include "render/raster_commands.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "render/picture_rects.h"
#include "render/trace.h"

namespace lt77 {
namespace {

constexpr uint8_t kEndMarker[] = {0x08, 0x43, 0x52, 0xFF, 0x00, 0x00};

bool PrintsMonochrome(RgbQuad c) { return !(c.rgbRed >= 128 && c.rgbGreen >= 128 && c.rgbBlue >= 128); }

uint8_t GreyLevel(RgbQuad c)
{
    // In thousandths, so that white is exactly 255 (the same sum in binary
    // floating point falls just short of it).
    const int y = (587 * c.rgbGreen + 299 * c.rgbRed + 114 * c.rgbBlue) / 1000;
    if (y >= 255) return 0;
    if (y >= 219) return 5;
    if (y >= 182) return 6;
    if (y >= 146) return 7;
    if (y >= 91) return 8;
    if (y >= 55) return 9;
    if (y >= 36) return 10;
    if (y >= 18) return 11;
    return 12;
}

// Outside pictures the printer gets only full black or nothing, so that text
// and line art stay sharp.
uint8_t TextLevel(uint8_t level) { return level > 7 ? 15 : 0; }

bool RowInPicture(const std::vector<PictureRect>& pictures, DWORD y)
{
    // Every entry is searched: a tall picture listed before a short one
    // still covers the rows below the short one.
    for (const auto& entry : pictures) {
        const RECTL r = PictureRectValues(entry);
        if (static_cast<LONG>(y) >= r.top && static_cast<LONG>(y) <= r.bottom) return true;
    }
    return false;
}

void AppendHeaderCompressed(std::vector<uint8_t>& out, uint8_t plane, DWORD bytesPerRow, DWORD rows)
{
    const DWORD dots = bytesPerRow * 8;
    const uint8_t header[] = {0x00, 0x00, 0x00, 0x08, 0x43, 0x52, plane, 0x00, 0x00, 0x00, 0x00,
                              static_cast<uint8_t>(dots & 0xFF), static_cast<uint8_t>((dots >> 8) & 0xFF),
                              static_cast<uint8_t>(rows & 0xFF), static_cast<uint8_t>((rows >> 8) & 0xFF)};
    out.insert(out.end(), std::begin(header), std::end(header));
}

void AppendHeaderPlain(std::vector<uint8_t>& out, DWORD bytesPerRow, DWORD rows)
{
    const uint8_t header[] = {0x00, 0x00, 0x00, 0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00,
                              static_cast<uint8_t>(bytesPerRow & 0xFF), static_cast<uint8_t>((bytesPerRow >> 8) & 0xFF),
                              static_cast<uint8_t>(rows & 0xFF), static_cast<uint8_t>((rows >> 8) & 0xFF)};
    out.insert(out.end(), std::begin(header), std::end(header));
}

std::vector<uint8_t> MakeCommands(const std::vector<PictureRect>& pictures, const CxImage& image, DWORD firstRow,
                                  DWORD rows, bool greyscale, bool compressed)
{
    std::vector<uint8_t> out;
    if (!image.IsValid() || rows == 0) return out;
    const DWORD width = static_cast<DWORD>(image.GetWidth());
    const DWORD bytesPerRow = (width + 7) / 8;
    const std::size_t planeCount = greyscale ? 4 : 1;
    std::vector<std::vector<uint8_t>> planes(planeCount, std::vector<uint8_t>(bytesPerRow * kRowsPerDivision));
    out.reserve(static_cast<std::size_t>(bytesPerRow) * rows * planeCount / 4 + 64);
    for (DWORD start = firstRow; start < firstRow + rows; start += kRowsPerDivision) {
        const DWORD divisionRows = std::min(kRowsPerDivision, firstRow + rows - start);
        const DWORD used = CreateImageBuffer(pictures, planes, image, start, divisionRows, greyscale);
        for (std::size_t p = 0; p < planeCount; ++p) {
            const std::span<const uint8_t> data(planes[p].data(), used);
            if (compressed) {
                AppendHeaderCompressed(out, static_cast<uint8_t>(greyscale ? 4 + p : 0), bytesPerRow, divisionRows);
                AppendRunLength(out, data);
            } else {
                AppendHeaderPlain(out, bytesPerRow, divisionRows);
                out.insert(out.end(), data.begin(), data.end());
                out.push_back(0x00);
            }
        }
        if (compressed) out.insert(out.end(), std::begin(kEndMarker), std::end(kEndMarker));
    }
    return out;
}

}  // namespace

namespace {

// Writes the bits of one row into the planes (whole bytes, the bits past the
// width 0) from levelAt(x), the level of each pixel in column order: for one
// plane the print bit, for four the grey level, which outside pictures prints
// as full black or nothing.
template <typename LevelAt>
void PackRowLevels(uint8_t* const* rowOut, std::size_t planeCount, int32_t width, bool picture, LevelAt levelAt)
{
    const int32_t whole = width & ~7;
    auto packByte = [&](int32_t x, int32_t count, int shift) {
        uint32_t bits[4] = {};
        for (int32_t k = 0; k < count; ++k) {
            uint32_t level = levelAt(x + k);
            if (planeCount == 1) {
                bits[0] = (bits[0] << 1) | (level != 0 ? 1u : 0u);
                continue;
            }
            if (!picture) level = TextLevel(static_cast<uint8_t>(level));
            for (int p = 0; p < 4; ++p) bits[p] = (bits[p] << 1) | ((level >> (3 - p)) & 1u);
        }
        for (std::size_t p = 0; p < planeCount; ++p) rowOut[p][x >> 3] = static_cast<uint8_t>(bits[p] << shift);
    };
    for (int32_t x = 0; x < whole; x += 8) packByte(x, 8, 0);
    if (whole < width) packByte(whole, width - whole, 8 - (width - whole));
}

}  // namespace

DWORD CreateImageBuffer(const std::vector<PictureRect>& pictures, std::span<std::vector<uint8_t>> planes,
                        const CxImage& image, DWORD firstRow, DWORD rows, bool greyscale)
{
    const int32_t width = image.GetWidth();
    const DWORD bytesPerRow = (static_cast<DWORD>(width) + 7) / 8;
    const uint32_t bpp = image.GetBpp();
    const bool indexed = bpp <= 8;
    // Palette images decide per palette index once.
    std::array<uint8_t, 256> levelOfIndex{};
    if (indexed) {
        const auto palette = image.GetPalette();
        for (std::size_t i = 0; i < palette.size() && i < 256; ++i)
            levelOfIndex[i] = greyscale ? GreyLevel(palette[i]) : (PrintsMonochrome(palette[i]) ? 1 : 0);
    }
    const std::size_t planeCount = planes.size();
    const uint8_t lastByteMask = (width & 7) ? static_cast<uint8_t>(0xFF << (8 - (width & 7))) : uint8_t{0xFF};
    for (DWORD r = 0; r < rows; ++r) {
        const DWORD y = firstRow + r;
        const bool inImage = y < static_cast<DWORD>(image.GetHeight());
        const bool picture = greyscale && RowInPicture(pictures, y);
        uint8_t* rowOut[4] = {};
        for (std::size_t p = 0; p < planeCount; ++p) rowOut[p] = planes[p].data() + r * bytesPerRow;
        if (inImage && indexed) {
            const uint8_t* src = image.GetRow(static_cast<int32_t>(y)).data();
            if (bpp == 1) {
                // Each plane's byte is the source byte, its complement, all
                // ones or nothing, as the two indices' levels decide.
                for (std::size_t p = 0; p < planeCount; ++p) {
                    auto bitOf = [&](uint8_t index) -> bool {
                        uint8_t level = levelOfIndex[index];
                        if (!greyscale) return level != 0;
                        if (!picture) level = TextLevel(level);
                        return ((level >> (3 - p)) & 1) != 0;
                    };
                    const uint8_t ones = bitOf(1) ? 0xFF : 0x00;
                    const uint8_t zeros = bitOf(0) ? 0xFF : 0x00;
                    uint8_t* out = rowOut[p];
                    for (DWORD j = 0; j < bytesPerRow; ++j)
                        out[j] = static_cast<uint8_t>((src[j] & ones) | (~src[j] & zeros));
                    out[bytesPerRow - 1] &= lastByteMask;
                }
            } else if (bpp == 8) {
                PackRowLevels(rowOut, planeCount, width, picture, [&](int32_t x) { return levelOfIndex[src[x]]; });
            } else {
                PackRowLevels(rowOut, planeCount, width, picture, [&](int32_t x) {
                    return levelOfIndex[image.GetPixelIndex(x, static_cast<int32_t>(y))];
                });
            }
            continue;
        }
        PackRowLevels(rowOut, planeCount, width, picture, [&](int32_t x) -> uint8_t {
            const RgbQuad c = image.GetPixelColor(x, static_cast<int32_t>(y));
            return greyscale ? GreyLevel(c) : (PrintsMonochrome(c) ? 1 : 0);
        });
    }
    return bytesPerRow * rows;
}

namespace {

// Whether any byte of the word is 00 or FF (the bit trick finds a zero byte
// exactly; FF is a zero byte of the complement).
constexpr bool HasByte00OrFF(uint64_t word)
{
    constexpr uint64_t ones = 0x0101010101010101ull;
    constexpr uint64_t highs = 0x8080808080808080ull;
    auto hasZero = [](uint64_t v) { return ((v - ones) & ~v & highs) != 0; };
    return hasZero(word) || hasZero(~word);
}

}  // namespace

void AppendRunLength(std::vector<uint8_t>& out, std::span<const uint8_t> bytes)
{
    // At most two bytes out for every byte in; written through a pointer and
    // cut to size once, not grown byte by byte.
    const std::size_t start = out.size();
    out.resize(start + 2 * bytes.size());
    uint8_t* o = out.data() + start;
    const uint8_t* p = bytes.data();
    const uint8_t* const end = p + bytes.size();
    while (p < end) {
        // Eight bytes at a time while none of them is 00 or FF: a dithered
        // picture is mostly such bytes, and they are copied as they are.
        while (end - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            if (HasByte00OrFF(word)) break;
            std::memcpy(o, p, 8);
            o += 8;
            p += 8;
        }
        if (p == end) break;
        const uint8_t b = *p;
        if (b != 0x00 && b != 0xFF) {
            *o++ = b;
            ++p;
            continue;
        }
        const uint8_t* const limit = end - p > 255 ? p + 255 : end;
        const uint8_t* q = p + 1;
        while (q < limit && *q == b) ++q;
        *o++ = b;
        *o++ = static_cast<uint8_t>(q - p);
        p = q;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

std::vector<uint8_t> MakeImageCommands(const std::vector<PictureRect>& pictures, const CxImage& image,
                                       DWORD firstRow, DWORD rows, bool greyscale)
{
    return MakeCommands(pictures, image, firstRow, rows, greyscale, false);
}

std::vector<uint8_t> MakeImageCommandsWithRLE(const std::vector<PictureRect>& pictures, const CxImage& image,
                                              DWORD firstRow, DWORD rows, bool greyscale)
{
    return MakeCommands(pictures, image, firstRow, rows, greyscale, true);
}

HRESULT AddImageCommands(JobContext& job, const CxImage& image, DWORD firstRow, DWORD rows, bool compressed,
                         bool greyscale)
{
    const auto commands = compressed ? MakeImageCommandsWithRLE(job.pdev.pictureRects, image, firstRow, rows, greyscale)
                                     : MakeImageCommands(job.pdev.pictureRects, image, firstRow, rows, greyscale);
    if (commands.empty() || !job.buffer.AddPrintDataTobeSent(commands)) {
        TraceLog("AddImageCommands : MakeImageCommandsWithRLE failed.");
        return hr::kFail;
    }
    return hr::kOk;
}

}  // namespace lt77
