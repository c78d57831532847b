#include <fstream>

#include "common/ximage/ximage.h"
#include "host/picture_file.h"

namespace lt77::host {

const char* PictureExtension() { return ".bmp"; }

std::string WritePicture(const RasterPicture& picture, const std::string& path)
{
    if (picture.width == 0 || picture.height == 0) return "the picture is empty";
    CxImage image;
    if (!image.Create(static_cast<int32_t>(picture.width), static_cast<int32_t>(picture.height), 8))
        return image.GetLastError();
    std::vector<RgbQuad> grey(256);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        grey[static_cast<std::size_t>(i)] = RgbQuad{v, v, v, 0};
    }
    image.SetPalette(grey);
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x)
            image.SetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y), picture.At(x, y));
    const auto bytes = image.EncodeBmp();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return path + ": cannot write the file";
    return {};
}

}  // namespace lt77::host

namespace lt77::host {

std::variant<RasterPicture, std::string> ReadPng(const std::string& path, const std::vector<uint8_t>&)
{
    return path + ": this build reads BMP files only";
}

}  // namespace lt77::host
