#include <png.h>

#include <cstdio>
#include <memory>

#include "printer/paper_file.h"

namespace lt77::printer {

const char* PaperFileExtension() { return ".png"; }

std::string WritePaperFile(const Paper& paper, const std::string& path)
{
    if (paper.Rows() == 0) return "nothing was printed";
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
    png_set_IHDR(png, info, kPictureDots, paper.Rows(), 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // 203 dots per inch.
    png_set_pHYs(png, info, 7992, 7992, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    // Grey 0 is black, the paper's bit 1 is ink.
    png_set_invert_mono(png);
    for (uint32_t y = 0; y < paper.Rows(); ++y) png_write_row(png, paper.Row(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return {};
}

}  // namespace lt77::printer
