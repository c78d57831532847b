// One job through the printer: its state while the stream runs, and the
// command handlers. The handlers live in sibling files by what they print:
// job_run.cpp (the stream, modes, feeds, cuts and marks), job_run_text.cpp
// (characters and lines), job_run_images.cpp (raster, bit images, stored
// images) and job_run_symbols.cpp (barcodes and two-dimensional symbols).
// Internal to the printer library.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "printer/stream_renderer.h"

namespace lt77::printer {

// 1/6 inch at 203 dots per inch, the printer's line spacing at power-on.
inline constexpr uint32_t kDefaultLineSpacing = 34;

// Settings of the two-dimensional symbols, per symbol family as GS ( k keeps them.
struct SymbolModes {
    uint8_t pdfColumns = 0, pdfRows = 0, pdfModuleWidth = 3, pdfRowHeight = 3;
    int pdfErrorLevel = -1;
    bool pdfTruncated = false;
    uint8_t qrModel = 2, qrModuleSize = 3, qrErrorLevel = 0;
    uint8_t maxiMode = 2;
    uint8_t dataBarModuleWidth = 2;
    uint8_t compositeModuleWidth = 2;
    uint8_t matrixModuleSize = 3;
};

// What the commands set and ESC @ resets.
struct PrintModes {
    char fontLetter = 'A';
    uint8_t widthFactor = 1, heightFactor = 1;
    bool emphasis = false;
    uint8_t underline = 0;  // dots thick
    bool reverse = false;
    uint8_t alignment = 0;  // 0 left, 1 centre, 2 right
    uint32_t lineSpacing = kDefaultLineSpacing;
    uint8_t rightSpacing = 0;
    uint8_t codeTable = 0;
    bool kanji = false;
    int kanjiSystem = -1;  // FS C: 0 JIS, 1 Shift JIS; -1 the printer's own double-byte font
    bool kanjiDoubleWidth = false, kanjiDoubleHeight = false;
    uint8_t kanjiUnderline = 0;
    uint8_t kanjiLeftSpacing = 0, kanjiRightSpacing = 0;
    uint32_t leftMargin = 0;
    uint32_t areaWidth = kPaperDots;
    std::vector<uint8_t> tabColumns = {8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120, 128,
                                       136, 144, 152, 160, 168, 176, 184, 192, 200, 208, 216, 224, 232, 240, 248};
    uint8_t barWidth = 3, barHeight = 162;
    uint8_t hriPosition = 0;  // bit 0 above, bit 1 below
    uint8_t hriFont = 0;
    SymbolModes symbols;
};

// A character (or a bit image of ESC *) waiting in the line buffer.
struct LineCell {
    uint32_t x = 0;  // from the paper's left edge, before the line's alignment
    const GlyphMask* mask = nullptr;
    uint8_t widthFactor = 1, heightFactor = 1;
    uint32_t width = 0, height = 0;  // dots, spacing included in width
    bool bold = false;
    uint8_t underline = 0;
    bool reverse = false;
};

class StreamRenderer::CharacterDecoder {
public:
    explicit CharacterDecoder(CodePages& codePages) : codePages_(codePages) {}
    // The character of a byte 0x80 ... 0xFF in a single-byte code page.
    char32_t Single(unsigned codePage, uint8_t byte);
    char32_t Double(unsigned codePage, uint8_t lead, uint8_t trail);

private:
    CodePages& codePages_;
    std::map<unsigned, std::array<char32_t, 128>> singles_;
    std::map<std::pair<unsigned, uint16_t>, char32_t> doubles_;
};

class JobRun {
public:
    JobRun(GlyphSource& glyphs, SymbolEncoder& symbols, StreamRenderer::CharacterDecoder& decoder, NvImages& nv,
           const RenderOptions& options, std::span<const uint8_t> job);
    RenderedJob Run();

private:
    // The stream.
    void Step();
    bool Need(std::size_t bytes, const char* what);
    uint8_t At(std::size_t k) const { return s_[pos_ + k]; }
    uint32_t Le16(std::size_t k) const { return At(k) | (static_cast<uint32_t>(At(k + 1)) << 8); }
    void Unknown(std::size_t bytes, const char* family);
    void NotDrawn(std::size_t bytes, const char* what);
    void Esc();
    void Gs();
    void Fs();
    void Dle();
    void Bs();
    void Initialise();
    void DrawerPulse(uint8_t pin, uint32_t onMs, uint32_t offMs);

    // Paper.
    bool Reach(uint32_t rows);
    void Feed(uint32_t dots);
    void Cut(bool partial);
    void MarkLineFeed(uint32_t row);
    void MarkDotFeed(uint32_t from, uint32_t to);
    void MarkPosition();
    void MarkPageEnd();
    void MarkPage(uint32_t page);
    void DrawLabel(uint32_t x, uint32_t bottom, const std::string& text);
    uint32_t AlignedX(uint32_t width) const;

    // Text (job_run_text.cpp).
    void Character();
    void PlaceCell(const GlyphMask& mask, uint32_t cellWidth, uint32_t cellHeight, uint8_t widthFactor,
                   uint8_t heightFactor, uint32_t spacing, uint8_t underline);
    // Prints the line buffer and feeds at least the line's height; `lineFeed`
    // marks it as a line feed rather than a feed by dots.
    void PrintLine(uint32_t feedDots, bool lineFeed = false);
    void FlushLine();
    void Tab();
    void SetPosition(int64_t x);
    uint32_t FontCellWidth() const;
    uint32_t FontCellHeight() const;
    void BitImageInLine();

    // Images (job_run_images.cpp).
    // False when no raster command starts here.
    bool Raster();
    void PrintPlanes();
    void PrintBits(const NvImage& image, uint32_t scaleX, uint32_t scaleY);
    void PrintGreyDivision(uint32_t bytesPerRow, uint32_t rows);
    void Placeholder(uint32_t width, uint32_t height, const std::string& label);
    void PrintStoredBitImage();
    void DefineStoredBitImages();
    void Graphics(std::size_t headerBytes, std::size_t parameterBytes);
    std::optional<NvImage> ReadGraphicImage(std::span<const uint8_t> p, std::size_t xAt, const char* what);

    // Symbols (job_run_symbols.cpp).
    void Barcode();
    void Symbol2d();
    void PrintSymbol(uint8_t family);
    void DrawSymbol(const EncodedSymbol& symbol, uint32_t moduleWidth, uint32_t commandRowHeight,
                    const SymbolRequest& request);
    void ErrorBox(uint32_t width, uint32_t height, const std::string& label);

    GlyphSource& glyphs_;
    SymbolEncoder& symbols_;
    StreamRenderer::CharacterDecoder& decoder_;
    NvImages& nv_;
    const RenderOptions& options_;
    std::span<const uint8_t> s_;
    std::size_t pos_ = 0;
    std::size_t commandStart_ = 0;

    RenderedJob out_;
    PrintModes modes_;
    uint32_t y_ = 0;  // the top row of the next line
    uint32_t x_ = 0;  // the next character's position from the left margin
    std::vector<LineCell> line_;
    std::deque<GlyphMask> lineImages_;  // the ESC * images the line's cells point to
    bool paperOut_ = false;
    bool toldWide_ = false;
    bool toldTable_ = false;

    std::vector<std::vector<uint8_t>> planes_;
    uint32_t planeBytesPerRow_ = 0, planeRows_ = 0;
    std::optional<NvImage> bufferGraphic_;
    std::pair<uint32_t, uint32_t> bufferScale_{1, 1};

    std::map<uint8_t, std::string> symbolData_;  // by GS ( k family
    std::string compositeLinear_;
    uint8_t compositeLinearType_ = 0;
    std::string composite2d_;
};

}  // namespace lt77::printer
