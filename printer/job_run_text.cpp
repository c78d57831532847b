// Characters in the resident fonts, the line buffer and printing a line.
#include <algorithm>

#include "printer/job_run.h"

namespace lt77::printer {
namespace {

constexpr uint32_t kDoubleByteCellDots = 24;

// The resident character tables, by ESC t number.
unsigned TableCodePage(uint8_t table)
{
    switch (table) {
    case 0: return 437;
    case 2: return 850;
    case 3: return 860;
    case 4: return 863;
    case 5: return 865;
    case 16: return 1252;
    case 17: return 866;
    case 18: return 852;
    case 19: return 858;
    default: return 0;
    }
}

bool ShiftJisLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// JIS row and cell to the Shift JIS pair of the same character.
std::pair<uint8_t, uint8_t> JisToShiftJis(uint8_t j1, uint8_t j2)
{
    const auto s1 = static_cast<uint8_t>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
    const auto s2 = static_cast<uint8_t>(j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E));
    return {s1, s2};
}

}  // namespace

uint32_t JobRun::FontCellWidth() const { return modes_.fontLetter == 'B' ? 9 : 12; }
uint32_t JobRun::FontCellHeight() const { return modes_.fontLetter == 'B' ? 17 : 24; }

void JobRun::Character()
{
    const uint8_t b = At(0);
    if (modes_.kanji) {
        const int system = modes_.kanjiSystem;
        const unsigned codePage = system >= 0 ? 932 : options_.doubleByteCodePage;
        const bool lead = system == 0 ? (b >= 0x21 && b <= 0x7E)
                          : codePage == 932 ? ShiftJisLead(b)
                                            : (b >= 0x81 && b <= 0xFE);
        if (lead) {
            if (!Need(2, "double-byte character")) return;
            auto [l, t] = system == 0 ? JisToShiftJis(b, At(1)) : std::pair<uint8_t, uint8_t>(b, At(1));
            pos_ += 2;
            const char32_t c = decoder_.Double(codePage, l, t);
            const auto wf = static_cast<uint8_t>(std::min(8, modes_.widthFactor * (modes_.kanjiDoubleWidth ? 2 : 1)));
            const auto hf = static_cast<uint8_t>(std::min(8, modes_.heightFactor * (modes_.kanjiDoubleHeight ? 2 : 1)));
            const GlyphMask& mask = glyphs_.Glyph(c, kDoubleByteCellDots, kDoubleByteCellDots, true);
            PlaceCell(mask, kDoubleByteCellDots, kDoubleByteCellDots, wf, hf,
                      modes_.kanjiLeftSpacing + modes_.kanjiRightSpacing, modes_.kanjiUnderline);
            return;
        }
    }
    ++pos_;
    char32_t c = b;
    if (b >= 0x80) {
        unsigned codePage = TableCodePage(modes_.codeTable);
        if (codePage == 0) {
            if (!toldTable_)
                out_.log.Problem(commandStart_, "character table " + std::to_string(modes_.codeTable) +
                                                    " is not resident; PC437 is used");
            toldTable_ = true;
            codePage = 437;
        }
        c = decoder_.Single(codePage, b);
    }
    const uint32_t w = FontCellWidth(), h = FontCellHeight();
    PlaceCell(glyphs_.Glyph(c, static_cast<uint16_t>(w), static_cast<uint16_t>(h), false), w, h, modes_.widthFactor,
              modes_.heightFactor, modes_.rightSpacing, modes_.underline);
}

void JobRun::PlaceCell(const GlyphMask& mask, uint32_t cellWidth, uint32_t cellHeight, uint8_t widthFactor,
                       uint8_t heightFactor, uint32_t spacing, uint8_t underline)
{
    const uint32_t width = (cellWidth + spacing) * widthFactor;
    if (x_ + width > modes_.areaWidth) {
        // The line is full: it prints, and the character starts the next.
        if (x_ > 0) PrintLine(modes_.lineSpacing, true);
        if (width > modes_.areaWidth) return;
    }
    LineCell cell;
    cell.x = modes_.leftMargin + x_;
    cell.mask = &mask;
    cell.widthFactor = widthFactor;
    cell.heightFactor = heightFactor;
    cell.width = width;
    cell.height = cellHeight * heightFactor;
    cell.bold = modes_.emphasis;
    cell.underline = underline;
    cell.reverse = modes_.reverse;
    line_.push_back(cell);
    x_ += width;
}

void JobRun::PrintLine(uint32_t feedDots, bool lineFeed)
{
    uint32_t lineHeight = 0, right = 0;
    for (const LineCell& cell : line_) {
        lineHeight = std::max(lineHeight, cell.height);
        right = std::max(right, cell.x + cell.width);
    }
    uint32_t shift = 0;
    const uint32_t areaRight = modes_.leftMargin + modes_.areaWidth;
    if (!line_.empty() && modes_.alignment != 0 && right < areaRight)
        shift = modes_.alignment == 1 ? (areaRight - right) / 2 : areaRight - right;
    if (lineHeight > 0 && Reach(y_ + lineHeight)) {
        Paper& paper = out_.paper;
        auto dot = [&paper](uint32_t x, uint32_t y, bool ink) {
            if (x >= kPaperDots) return;
            if (ink)
                paper.Set(x, y);
            else
                paper.Clear(x, y);
        };
        for (const LineCell& cell : line_) {
            // Characters of different heights stand on the line's bottom.
            const uint32_t top = y_ + lineHeight - cell.height;
            const uint32_t left = cell.x + shift;
            if (cell.reverse)
                out_.paper.Fill(left, top, std::min(cell.width, kPaperDots - std::min(left, kPaperDots)), cell.height);
            const GlyphMask& m = *cell.mask;
            const uint32_t extra = cell.bold ? 1 : 0;
            for (uint32_t j = 0; j < m.height; ++j)
                for (uint32_t i = 0; i < m.width; ++i) {
                    if (!m.At(i, j)) continue;
                    for (uint32_t dy = 0; dy < cell.heightFactor; ++dy)
                        for (uint32_t dx = 0; dx < cell.widthFactor + extra; ++dx)
                            dot(left + i * cell.widthFactor + dx, top + j * cell.heightFactor + dy, !cell.reverse);
                }
            if (cell.underline != 0 && !cell.reverse)
                for (uint32_t u = 0; u < cell.underline; ++u)
                    for (uint32_t i = 0; i < cell.width; ++i) dot(left + i, top + cell.height - 1 - u, true);
        }
    }
    const uint32_t advance = std::max(feedDots, lineHeight);
    const uint32_t from = y_;
    if (advance > 0 && Reach(y_ + advance)) {
        y_ += advance;
        if (lineFeed)
            MarkLineFeed(y_);
        else
            MarkDotFeed(from, y_);
    }
    line_.clear();
    lineImages_.clear();
    x_ = 0;
}

void JobRun::FlushLine()
{
    if (!line_.empty()) PrintLine(0);
}

void JobRun::Tab()
{
    const uint32_t column = (FontCellWidth() + modes_.rightSpacing) * modes_.widthFactor;
    for (uint8_t tab : modes_.tabColumns) {
        const uint32_t at = tab * column;
        if (at > x_ && at < modes_.areaWidth) {
            x_ = at;
            return;
        }
    }
}

void JobRun::SetPosition(int64_t x)
{
    // A position outside the print area is ignored, as the printer does.
    if (x < 0 || x >= static_cast<int64_t>(modes_.areaWidth)) return;
    x_ = static_cast<uint32_t>(x);
    MarkPosition();
}

void JobRun::BitImageInLine()
{
    if (!Need(5, "bit image")) return;
    const uint8_t m = At(2);
    const uint32_t columns = Le16(3);
    if (m != 0 && m != 1 && m != 32 && m != 33) {
        Unknown(3, "bit image mode");
        return;
    }
    const bool tall = m >= 32;
    const uint32_t bytesPerColumn = tall ? 3 : 1;
    if (!Need(5 + static_cast<std::size_t>(columns) * bytesPerColumn, "bit image")) return;
    // Single density prints each column two dots wide; the 8-dot modes
    // print each dot three rows tall.
    const uint32_t sx = (m == 0 || m == 32) ? 2 : 1, sy = tall ? 1 : 3;
    GlyphMask image;
    image.width = static_cast<uint16_t>(std::min<uint32_t>(columns * sx, kPaperDots));
    image.height = static_cast<uint16_t>(bytesPerColumn * 8 * sy);
    image.dots.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    for (uint32_t col = 0; col * sx < image.width; ++col)
        for (uint32_t k = 0; k < bytesPerColumn * 8; ++k) {
            if (!((At(5 + col * bytesPerColumn + k / 8) >> (7 - k % 8)) & 1)) continue;
            for (uint32_t dy = 0; dy < sy; ++dy)
                for (uint32_t dx = 0; dx < sx && col * sx + dx < image.width; ++dx)
                    image.dots[static_cast<std::size_t>(k * sy + dy) * image.width + col * sx + dx] = 1;
        }
    pos_ += 5 + static_cast<std::size_t>(columns) * bytesPerColumn;
    if (x_ > 0 && x_ + image.width > modes_.areaWidth) PrintLine(modes_.lineSpacing, true);
    lineImages_.push_back(std::move(image));
    const GlyphMask& placed = lineImages_.back();
    const bool bold = modes_.emphasis, reverse = modes_.reverse;
    modes_.emphasis = modes_.reverse = false;
    PlaceCell(placed, placed.width, placed.height, 1, 1, 0, 0);
    modes_.emphasis = bold;
    modes_.reverse = reverse;
}

}  // namespace lt77::printer
