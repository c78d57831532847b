#include <fstream>
#include <vector>

#include "printer/paper_file.h"

namespace lt77::printer {
namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

const char* PaperFileExtension() { return ".bmp"; }

std::string WritePaperFile(const Paper& paper, const std::string& path)
{
    if (paper.Rows() == 0) return "nothing was printed";
    // Rows of a 1-bit bitmap are padded to four bytes; 640 dots are 80.
    constexpr uint32_t kStride = (Paper::kBytesPerRow + 3) / 4 * 4;
    const uint32_t offBits = 14 + 40 + 8;
    const uint32_t imageBytes = kStride * paper.Rows();
    std::vector<uint8_t> out;
    out.reserve(offBits + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Put(out, offBits + imageBytes, 4);
    Put(out, 0, 4);
    Put(out, offBits, 4);
    Put(out, 40, 4);
    Put(out, kPictureDots, 4);
    Put(out, paper.Rows(), 4);  // bottom row first
    Put(out, 1, 2);
    Put(out, 1, 2);
    Put(out, 0, 4);
    Put(out, imageBytes, 4);
    Put(out, 7992, 4);  // 203 dots per inch
    Put(out, 7992, 4);
    Put(out, 2, 4);
    Put(out, 0, 4);
    // Index 0 white, index 1 black: the paper's bits go over as they are.
    Put(out, 0x00FFFFFF, 4);
    Put(out, 0x00000000, 4);
    for (uint32_t y = paper.Rows(); y-- > 0;) {
        const uint8_t* row = paper.Row(y);
        out.insert(out.end(), row, row + Paper::kBytesPerRow);
        out.insert(out.end(), kStride - Paper::kBytesPerRow, 0);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return file.flush() ? std::string() : path + ": cannot write the file";
}

}  // namespace lt77::printer
