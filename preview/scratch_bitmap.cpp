#include "preview/scratch_bitmap.h"

#include <cstring>

#include "common/driver_paths.h"
#include "platform/files.h"
#include "platform/temporary_folder.h"

namespace lt77::viewer {
namespace {

template <typename T>
void Append(std::vector<uint8_t>& out, const T& value)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

bool WriteFresh(FileSystem& files, const std::string& path, std::span<const uint8_t> bitmap)
{
    // OpenOrCreate keeps an older, longer file's tail; remove it first.
    if (files.Exists(path) && !files.RemoveFile(path)) return false;
    bool existed = false;
    DWORD error = 0;
    auto file = files.OpenOrCreate(path, existed, error);
    return file && file->Write(bitmap) == bitmap.size();
}

}  // namespace

RasterPicture ToGreyPicture(const MonoPicture& picture)
{
    RasterPicture grey;
    grey.width = picture.widthDots;
    grey.height = picture.height;
    grey.pixels.assign(static_cast<std::size_t>(grey.width) * grey.height, 255);
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.widthDots; ++x)
            if (picture.Black(x, y)) grey.pixels[static_cast<std::size_t>(y) * grey.width + x] = 0;
    return grey;
}

std::vector<uint8_t> EncodeScratchBitmap(const MonoPicture& picture)
{
    const uint32_t imageBytes = picture.strideBytes * picture.height;
    std::vector<uint8_t> out;
    out.reserve(kScratchBitmapBitsOffset + imageBytes);
    Append(out, BitmapFileHeader{0x4D42, kScratchBitmapBitsOffset + imageBytes, 0, 0, kScratchBitmapBitsOffset});
    Append(out, BitmapInfoHeader{40, static_cast<int32_t>(picture.widthDots), static_cast<int32_t>(picture.height),
                                 1, 1, 0, imageBytes, 0, 0, 0, 0});
    const uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    out.insert(out.end(), palette, palette + 8);
    for (uint32_t row = picture.height; row-- > 0;) {
        const uint8_t* bits = picture.bits.data() + static_cast<std::size_t>(row) * picture.strideBytes;
        for (uint32_t i = 0; i < picture.strideBytes; ++i) out.push_back(static_cast<uint8_t>(~bits[i]));
    }
    return out;
}

std::optional<std::string> WriteScratchBitmap(FileSystem& files, TemporaryFolder& temp, std::string_view dataFolder,
                                              std::string_view fileName, std::span<const uint8_t> bitmap)
{
    const std::string inData = JoinPath(dataFolder, fileName);
    if (WriteFresh(files, inData, bitmap)) return inData;
    const std::string tempFolder = temp.UserTempFolder();
    if (tempFolder.empty()) return std::nullopt;
    const std::string inTemp = JoinPath(tempFolder, fileName);
    if (WriteFresh(files, inTemp, bitmap)) return inTemp;
    return std::nullopt;
}

}  // namespace lt77::viewer
