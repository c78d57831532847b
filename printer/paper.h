// The printer's roll of paper as it comes out of the printer: 576 dots
// across at 203 dots per inch, one bit per dot, growing as the printer
// feeds. To its right lies a strip that is not paper, where the renderer
// marks what leaves no ink: feeds, print positions, cuts and page ends.
#pragma once

#include <cstdint>
#include <vector>

namespace lt77::printer {

inline constexpr uint32_t kPaperDots = 576;
inline constexpr uint32_t kMarkStripDots = 64;
inline constexpr uint32_t kPictureDots = kPaperDots + kMarkStripDots;
// About 32 m of paper; a job that feeds further has run off the roll, so
// that no stream, however long, makes the picture grow without bound.
inline constexpr uint32_t kMaxPaperRows = 1u << 18;

class Paper {
public:
    static constexpr uint32_t kBytesPerRow = kPictureDots / 8;

    uint32_t Rows() const { return rows_; }
    // Makes rows [0, rows) exist, white where new; false (and the paper as
    // long as the roll) when `rows` is past the end of the roll.
    bool Reach(uint32_t rows);

    // Dots outside the picture or below the last row are ignored.
    void Set(uint32_t x, uint32_t y)
    {
        if (x < kPictureDots && y < rows_) bits_[Index(x, y)] |= Mask(x);
    }
    void Clear(uint32_t x, uint32_t y)
    {
        if (x < kPictureDots && y < rows_) bits_[Index(x, y)] &= static_cast<uint8_t>(~Mask(x));
    }
    bool At(uint32_t x, uint32_t y) const { return x < kPictureDots && y < rows_ && (bits_[Index(x, y)] & Mask(x)); }
    void Fill(uint32_t x, uint32_t y, uint32_t width, uint32_t height);

    // Row y, kBytesPerRow bytes, bit 7 of byte 0 the leftmost dot, 1 ink.
    const uint8_t* Row(uint32_t y) const { return bits_.data() + static_cast<std::size_t>(y) * kBytesPerRow; }
    uint8_t* Row(uint32_t y) { return bits_.data() + static_cast<std::size_t>(y) * kBytesPerRow; }

private:
    static std::size_t Index(uint32_t x, uint32_t y) { return static_cast<std::size_t>(y) * kBytesPerRow + x / 8; }
    static uint8_t Mask(uint32_t x) { return static_cast<uint8_t>(0x80 >> (x % 8)); }

    std::vector<uint8_t> bits_;
    uint32_t rows_ = 0;
};

}  // namespace lt77::printer
