#include "printer/paper.h"

#include <algorithm>

namespace lt77::printer {

bool Paper::Reach(uint32_t rows)
{
    const bool onRoll = rows <= kMaxPaperRows;
    rows = std::min(rows, kMaxPaperRows);
    if (rows > rows_) {
        rows_ = rows;
        bits_.resize(static_cast<std::size_t>(rows_) * kBytesPerRow, 0);
    }
    return onRoll;
}

void Paper::Fill(uint32_t x, uint32_t y, uint32_t width, uint32_t height)
{
    const auto right = static_cast<uint32_t>(std::min<uint64_t>(kPictureDots, uint64_t{x} + width));
    const auto bottom = static_cast<uint32_t>(std::min<uint64_t>(rows_, uint64_t{y} + height));
    for (uint32_t row = y; row < bottom; ++row)
        for (uint32_t col = x; col < right; ++col) Set(col, row);
}

}  // namespace lt77::printer
