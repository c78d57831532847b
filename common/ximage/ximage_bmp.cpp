// The BMP copy of an image that the trace keeps for diagnostics.
#include <fstream>
#include <new>

#include "common/ximage/ximage.h"

namespace lt77 {

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

void PutI32(std::vector<uint8_t>& out, int32_t v)
{
    PutU32(out, static_cast<uint32_t>(v));
}

}  // namespace

std::vector<uint8_t> CxImage::EncodeBmp() const
{
    if (!IsValid()) {
        return {};
    }
    const BitmapInfoHeader& head = m_raster.head;
    const auto paletteBytes = static_cast<uint32_t>(m_raster.palette.size() * sizeof(RgbQuad));
    const uint32_t rowsOffset = BITMAP_FILE_HEADER_SIZE + BITMAP_INFO_HEADER_SIZE + paletteBytes;
    const auto fileBytes = static_cast<uint32_t>(rowsOffset + m_raster.bits.size());

    std::vector<uint8_t> out;
    try {
        out.reserve(fileBytes);
    } catch (const std::bad_alloc&) {
        return {};
    }
    out.push_back('B');
    out.push_back('M');
    PutU32(out, fileBytes);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU32(out, rowsOffset);

    PutU32(out, BITMAP_INFO_HEADER_SIZE);
    PutI32(out, head.biWidth);
    PutI32(out, head.biHeight);
    PutU16(out, head.biPlanes);
    PutU16(out, head.biBitCount);
    PutU32(out, head.biCompression);
    PutU32(out, head.biSizeImage);
    PutI32(out, head.biXPelsPerMeter);
    PutI32(out, head.biYPelsPerMeter);
    PutU32(out, head.biClrUsed);
    PutU32(out, head.biClrImportant);

    for (const RgbQuad& entry : m_raster.palette) {
        out.push_back(entry.rgbBlue);
        out.push_back(entry.rgbGreen);
        out.push_back(entry.rgbRed);
        out.push_back(entry.rgbReserved);
    }
    out.insert(out.end(), m_raster.bits.begin(), m_raster.bits.end());
    return out;
}

bool CxImage::SaveBmp(const std::string& path) const
{
    if (!IsValid()) {
        return false;
    }
    const std::vector<uint8_t> bytes = EncodeBmp();
    if (bytes.empty()) {
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

}  // namespace lt77
