#include "host/picture_file.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace lt77::host {

const char* PictureExtension() { return ".png"; }

std::string WritePicture(const RasterPicture& picture, const std::string& path)
{
    if (picture.width == 0 || picture.height == 0) return "the picture is empty";
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) return path + ": cannot create the file";
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return "libpng: out of memory";
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return "libpng: out of memory";
    }
    // libpng reports errors by long jump; nothing with a destructor lives
    // between here and the end of the writing.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return path + ": libpng failed while writing";
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // 203 dots per inch.
    png_set_pHYs(png, info, 7992, 7992, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (uint32_t y = 0; y < picture.height; ++y)
        png_write_row(png, picture.pixels.data() + static_cast<std::size_t>(y) * picture.width);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return {};
}

}  // namespace lt77::host

namespace lt77::host {

std::variant<RasterPicture, std::string> ReadPng(const std::string& path, const std::vector<uint8_t>& bytes)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return path + ": " + image.message;
    image.format = PNG_FORMAT_GRAY;
    RasterPicture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) {
        const std::string message = image.message;
        png_image_free(&image);
        return path + ": " + message;
    }
    return picture;
}

}  // namespace lt77::host
