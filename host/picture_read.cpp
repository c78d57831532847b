#include <cstring>
#include <fstream>

#include "common/ximage/ximage.h"
#include "host/picture_file.h"

namespace lt77::host {

// The BMP half of ReadPicture; PNG files go to ReadPng where libpng exists.
std::variant<RasterPicture, std::string> ReadPng(const std::string& path, const std::vector<uint8_t>& bytes);

namespace {

std::variant<RasterPicture, std::string> ReadBmp(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 54) return path + ": too short for a bitmap";
    uint32_t offBits = 0;
    std::memcpy(&offBits, bytes.data() + 10, 4);
    BitmapInfoHeader header{};
    std::memcpy(&header, bytes.data() + 14, sizeof(header));
    if (header.biSize < 40 || offBits > bytes.size() || offBits < 14 + header.biSize)
        return path + ": not a bitmap this reader knows";
    const std::span<const uint8_t> all(bytes);
    const auto palette = all.subspan(14 + header.biSize, offBits - 14 - header.biSize);
    const bool bottomUp = header.biHeight > 0;
    CxImage image;
    if (!image.Decode(header, all.subspan(offBits), palette)) return path + ": " + image.GetLastError();
    RasterPicture picture;
    picture.width = static_cast<uint32_t>(image.GetWidth());
    picture.height = static_cast<uint32_t>(image.GetHeight());
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x) {
            // Files keep their bottom row first when the height is positive.
            const auto row = static_cast<int32_t>(bottomUp ? picture.height - 1 - y : y);
            const RgbQuad c = image.GetPixelColor(static_cast<int32_t>(x), row);
            picture.pixels[static_cast<std::size_t>(y) * picture.width + x] =
                static_cast<uint8_t>((c.rgbRed * 299 + c.rgbGreen * 587 + c.rgbBlue * 114) / 1000);
        }
    return picture;
}

}  // namespace

std::variant<RasterPicture, std::string> ReadPicture(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return path + ": cannot read the file";
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return ReadBmp(path, bytes);
    if (bytes.size() >= 8 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G')
        return ReadPng(path, bytes);
    return path + ": neither a PNG nor a BMP file";
}

}  // namespace lt77::host
