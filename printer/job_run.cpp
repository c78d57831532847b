#include "printer/job_run.h"

#include <algorithm>
#include <cstdio>

namespace lt77::printer {
namespace {

std::string Hex(std::span<const uint8_t> bytes)
{
    std::string out;
    char two[4];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%s%02X", out.empty() ? "" : " ", b);
        out += two;
    }
    return out;
}

// Columns of the strip beside the paper.
constexpr uint32_t kLineFeedColumn = kPaperDots + 4;
constexpr uint32_t kDotFeedColumn = kPaperDots + 14;
constexpr uint32_t kPositionColumn = kPaperDots + 20;
constexpr uint32_t kCutColumn = kPaperDots + 26;
constexpr uint32_t kLabelColumn = kPaperDots + 28;

}  // namespace

JobRun::JobRun(GlyphSource& glyphs, SymbolEncoder& symbols, StreamRenderer::CharacterDecoder& decoder, NvImages& nv,
               const RenderOptions& options, std::span<const uint8_t> job)
    : glyphs_(glyphs), symbols_(symbols), decoder_(decoder), nv_(nv), options_(options), s_(job)
{
}

RenderedJob JobRun::Run()
{
    while (pos_ < s_.size()) {
        commandStart_ = pos_;
        Step();
    }
    commandStart_ = s_.size();
    if (!line_.empty()) PrintLine(0);
    if (!planes_.empty()) out_.log.Problem(s_.size(), "raster planes were stored but never printed (no end marker)");
    // The paper's right edge, dotted, so the strip of marks is not taken for paper.
    for (uint32_t row = 0; row < out_.paper.Rows(); row += 4) out_.paper.Set(kPaperDots, row);
    return std::move(out_);
}

bool JobRun::Need(std::size_t bytes, const char* what)
{
    if (pos_ + bytes <= s_.size()) return true;
    out_.log.Problem(commandStart_, std::string(what) + " cut short at the end of the job: " +
                                        Hex(s_.subspan(pos_, std::min<std::size_t>(s_.size() - pos_, 8))));
    pos_ = s_.size();
    return false;
}

void JobRun::Unknown(std::size_t bytes, const char* family)
{
    out_.log.Problem(commandStart_, std::string("unknown ") + family + " " + Hex(s_.subspan(pos_, bytes)) +
                                        "; its bytes after these are taken as they come");
    pos_ += bytes;
}

void JobRun::NotDrawn(std::size_t bytes, const char* what)
{
    out_.log.Problem(commandStart_, std::string(what) + " (" + Hex(s_.subspan(pos_, bytes)) + ") is not drawn");
    pos_ += bytes;
}

void JobRun::Step()
{
    const uint8_t b = At(0);
    switch (b) {
    case 0x00:  // the driver pads its commands with zero bytes
        ++pos_;
        return;
    case 0x08: Bs(); return;
    case 0x09:
        ++pos_;
        Tab();
        return;
    case 0x0A:
        ++pos_;
        PrintLine(modes_.lineSpacing, true);
        return;
    case 0x0C:
        ++pos_;
        FlushLine();
        MarkPageEnd();
        return;
    case 0x0D:  // no automatic line feed on this printer
        ++pos_;
        return;
    case 0x10: Dle(); return;
    case 0x18:  // cancels page-mode data only
        ++pos_;
        return;
    case 0x1B: Esc(); return;
    case 0x1C: Fs(); return;
    case 0x1D: Gs(); return;
    default:
        if (b < 0x20) {
            Unknown(1, "control byte");
            return;
        }
        Character();
    }
}

void JobRun::Initialise()
{
    modes_ = PrintModes{};
    line_.clear();
    lineImages_.clear();
    x_ = 0;
    symbolData_.clear();
    compositeLinear_.clear();
    composite2d_.clear();
    planes_.clear();
    bufferGraphic_.reset();
}

void JobRun::DrawerPulse(uint8_t pin, uint32_t onMs, uint32_t offMs)
{
    out_.log.Event(commandStart_, "drawer " + std::to_string(pin == 0 ? 1 : 2) + " (connector pin " +
                                      std::to_string(pin == 0 ? 2 : 5) + ") pulse: on " + std::to_string(onMs) +
                                      " ms, off " + std::to_string(offMs) + " ms");
}

void JobRun::Esc()
{
    if (!Need(2, "ESC command")) return;
    const uint8_t c = At(1);
    auto one = [&](const char* what) { return Need(3, what); };
    switch (c) {
    case 0x20:
        if (!one("character spacing")) return;
        modes_.rightSpacing = At(2);
        pos_ += 3;
        return;
    case 0x21:
        if (!one("print mode")) return;
        modes_.fontLetter = (At(2) & 0x01) ? 'B' : 'A';
        modes_.emphasis = At(2) & 0x08;
        modes_.heightFactor = (At(2) & 0x10) ? 2 : 1;
        modes_.widthFactor = (At(2) & 0x20) ? 2 : 1;
        modes_.underline = (At(2) & 0x80) ? 1 : 0;
        pos_ += 3;
        return;
    case 0x24:
        if (!Need(4, "absolute position")) return;
        SetPosition(Le16(2));
        pos_ += 4;
        return;
    case 0x2A: BitImageInLine(); return;
    case 0x2D:
        if (!one("underline")) return;
        modes_.underline = (At(2) & 0x0F) > 2 ? 0 : At(2) & 0x0F;
        pos_ += 3;
        return;
    case 0x32:
        modes_.lineSpacing = kDefaultLineSpacing;
        pos_ += 2;
        return;
    case 0x33:
        if (!one("line spacing")) return;
        modes_.lineSpacing = At(2);
        pos_ += 3;
        return;
    case 0x3D:  // peripheral device, user-defined characters, international set, colour:
    case 0x3F:  // nothing the paper shows
    case 0x52:
    case 0x72:
        if (one("ESC command")) pos_ += 3;
        return;
    case 0x40:
        Initialise();
        pos_ += 2;
        return;
    case 0x42:
        if (!Need(4, "buzzer")) return;
        out_.log.Event(commandStart_, "buzzer: " + Hex(s_.subspan(pos_, 4)) + " (n " + std::to_string(At(2)) +
                                          ", t " + std::to_string(At(3)) + ")");
        pos_ += 4;
        return;
    case 0x44: {
        // Up to 32 tab columns, ascending, ended by a zero byte.
        std::size_t end = pos_ + 2;
        while (end < s_.size() && s_[end] != 0 && end - pos_ < 2 + 32) ++end;
        if (end >= s_.size()) {
            Need(end - pos_ + 1, "tab positions");
            return;
        }
        modes_.tabColumns.clear();
        for (std::size_t i = pos_ + 2; i < end; ++i)
            if (modes_.tabColumns.empty() || s_[i] > modes_.tabColumns.back()) modes_.tabColumns.push_back(s_[i]);
        pos_ = end + (s_[end] == 0 ? 1 : 0);
        return;
    }
    case 0x45:
    case 0x47:
        if (!one("emphasis")) return;
        modes_.emphasis = At(2) & 1;
        pos_ += 3;
        return;
    case 0x4A:
        if (!one("print and feed")) return;
        {
            const uint32_t dots = At(2);
            pos_ += 3;
            PrintLine(dots);
        }
        return;
    case 0x4D:
        if (!one("character font")) return;
        modes_.fontLetter = (At(2) & 1) ? 'B' : 'A';
        pos_ += 3;
        return;
    case 0x56:
    case 0x7B:
        if (!one("rotated printing")) return;
        // Turned text is not drawn; turning it off again needs nothing.
        if ((At(2) & 0x0F) != 0)
            NotDrawn(3, c == 0x56 ? "90-degree rotation" : "upside-down printing");
        else
            pos_ += 3;
        return;
    case 0x4C:
    case 0x53:
        NotDrawn(2, "page mode");
        return;
    case 0x54:
        if (one("page mode direction")) NotDrawn(3, "page mode");
        return;
    case 0x57:
        if (Need(10, "page mode area")) NotDrawn(10, "page mode");
        return;
    case 0x5C:
        if (!Need(4, "relative position")) return;
        SetPosition(static_cast<int64_t>(x_) + static_cast<int16_t>(Le16(2)));
        pos_ += 4;
        return;
    case 0x61:
        if (!one("justification")) return;
        modes_.alignment = (At(2) & 0x0F) <= 2 ? At(2) & 0x0F : 0;
        pos_ += 3;
        return;
    case 0x63:
        if (Need(4, "panel or sensor setting")) pos_ += 4;
        return;
    case 0x64:
        if (!one("print and feed lines")) return;
        {
            const uint32_t lines = At(2);
            pos_ += 3;
            PrintLine(lines * modes_.lineSpacing, true);
        }
        return;
    case 0x69:
    case 0x6D:
        pos_ += 2;
        FlushLine();
        Cut(c == 0x6D);
        return;
    case 0x70:
        if (!Need(5, "drawer pulse")) return;
        DrawerPulse(At(2) & 1, At(3) * 2u, At(4) * 2u);
        pos_ += 5;
        return;
    case 0x74:
        if (!one("character table")) return;
        modes_.codeTable = At(2);
        pos_ += 3;
        return;
    default: Unknown(2, "command");
    }
}

void JobRun::Gs()
{
    if (!Need(2, "GS command")) return;
    const uint8_t c = At(1);
    auto one = [&](const char* what) { return Need(3, what); };
    switch (c) {
    case 0x21:
        if (!one("character size")) return;
        modes_.widthFactor = static_cast<uint8_t>(((At(2) >> 4) & 7) + 1);
        modes_.heightFactor = static_cast<uint8_t>((At(2) & 7) + 1);
        pos_ += 3;
        return;
    case 0x28:
        if (!Need(5, "GS ( command")) return;
        if (At(2) == 0x6B) {
            Symbol2d();
        } else if (At(2) == 0x4C) {
            Graphics(5, Le16(3));
        } else {
            const std::size_t length = 5 + Le16(3);
            if (!Need(length, "GS ( command")) return;
            Unknown(length, "command");
        }
        return;
    case 0x38:
        if (!Need(7, "GS 8 command")) return;
        if (At(2) != 0x4C) {
            Unknown(3, "command");
            return;
        }
        Graphics(7, At(3) | (static_cast<std::size_t>(At(4)) << 8) | (static_cast<std::size_t>(At(5)) << 16) |
                        (static_cast<std::size_t>(At(6)) << 24));
        return;
    case 0x42:
        if (!one("reverse printing")) return;
        modes_.reverse = At(2) & 1;
        pos_ += 3;
        return;
    case 0x48:
        if (!one("HRI position")) return;
        modes_.hriPosition = At(2) & 3;
        pos_ += 3;
        return;
    case 0x66:
        if (!one("HRI font")) return;
        modes_.hriFont = At(2) & 1;
        pos_ += 3;
        return;
    case 0x68:
        if (!one("bar height")) return;
        if (At(2) != 0) modes_.barHeight = At(2);
        pos_ += 3;
        return;
    case 0x77:
        if (!one("module width")) return;
        if (At(2) >= 1 && At(2) <= 6) modes_.barWidth = At(2);
        pos_ += 3;
        return;
    case 0x4C:
        if (!Need(4, "left margin")) return;
        modes_.leftMargin = std::min<uint32_t>(Le16(2), kPaperDots - 1);
        modes_.areaWidth = std::min(modes_.areaWidth, kPaperDots - modes_.leftMargin);
        pos_ += 4;
        return;
    case 0x57:
        if (!Need(4, "print area width")) return;
        modes_.areaWidth = std::clamp<uint32_t>(Le16(2), 1, kPaperDots - modes_.leftMargin);
        pos_ += 4;
        return;
    case 0x56: {
        if (!one("cut")) return;
        const uint8_t m = At(2);
        if (m == 65 || m == 66) {
            if (!Need(4, "cut")) return;
            const uint32_t feed = At(3);
            pos_ += 4;
            FlushLine();
            Feed(feed);
            Cut(m == 66);
            return;
        }
        if (m != 0 && m != 1 && m != 48 && m != 49) {
            Unknown(3, "cut mode");
            return;
        }
        pos_ += 3;
        FlushLine();
        Cut(m == 1 || m == 49);
        return;
    }
    case 0x61:  // status back, smoothing, status and identity requests: nothing on paper
    case 0x62:
    case 0x72:
    case 0x49:
        if (one("GS command")) pos_ += 3;
        return;
    case 0x6B: Barcode(); return;
    case 0x76:
        if (!Raster()) Unknown(2, "command");
        return;
    default: Unknown(2, "command");
    }
}

void JobRun::Fs()
{
    if (!Need(2, "FS command")) return;
    const uint8_t c = At(1);
    auto one = [&](const char* what) { return Need(3, what); };
    switch (c) {
    case 0x26:
    case 0x2E:
        modes_.kanji = c == 0x26;
        pos_ += 2;
        return;
    case 0x43:
        if (!one("code system")) return;
        modes_.kanjiSystem = (At(2) & 1) ? 1 : 0;
        pos_ += 3;
        return;
    case 0x21:
        if (!one("double-byte print mode")) return;
        modes_.kanjiDoubleWidth = At(2) & 0x04;
        modes_.kanjiDoubleHeight = At(2) & 0x08;
        modes_.kanjiUnderline = (At(2) & 0x80) ? 1 : 0;
        pos_ += 3;
        return;
    case 0x2D:
        if (!one("double-byte underline")) return;
        modes_.kanjiUnderline = (At(2) & 0x0F) > 2 ? 0 : At(2) & 0x0F;
        pos_ += 3;
        return;
    case 0x53:
        if (!Need(4, "double-byte spacing")) return;
        modes_.kanjiLeftSpacing = At(2);
        modes_.kanjiRightSpacing = At(3);
        pos_ += 4;
        return;
    case 0x57:
        if (!one("double-byte quadruple size")) return;
        modes_.kanjiDoubleWidth = modes_.kanjiDoubleHeight = At(2) & 1;
        pos_ += 3;
        return;
    case 0x70: PrintStoredBitImage(); return;
    case 0x71: DefineStoredBitImages(); return;
    default: Unknown(2, "command");
    }
}

void JobRun::Dle()
{
    if (!Need(2, "DLE command")) return;
    if (At(1) == 0x04 || At(1) == 0x05) {
        if (Need(3, "real-time request")) pos_ += 3;
        return;
    }
    if (At(1) == 0x14) {
        if (!Need(5, "real-time command")) return;
        if (At(2) == 0x01) DrawerPulse(At(3) & 1, At(4) * 100u, At(4) * 100u);
        pos_ += 5;
        return;
    }
    Unknown(2, "command");
}

void JobRun::Bs()
{
    if (pos_ + 2 < s_.size() && At(1) == 0x43 && At(2) == 0x52 && Raster()) return;
    if (pos_ + 3 < s_.size() && At(1) == 0x4D && At(2) == 0x00 &&
        ((At(3) >= 'A' && At(3) <= 'Z') || (At(3) >= 'a' && At(3) <= 'z'))) {
        const char letter = static_cast<char>(At(3) & ~0x20);
        if (letter != 'A' && letter != 'B')
            out_.log.Problem(commandStart_, std::string("font ") + letter + " is not resident; font A is used");
        modes_.fontLetter = letter == 'B' ? 'B' : 'A';
        pos_ += 4;
        return;
    }
    if (!Need(3, "page mark")) return;
    const uint32_t page = Le16(1);
    pos_ += 3;
    FlushLine();
    out_.log.Event(commandStart_, "page " + std::to_string(page) + " ends");
    MarkPage(page);
}

bool JobRun::Reach(uint32_t rows)
{
    if (paperOut_) return false;
    if (out_.paper.Reach(rows)) return true;
    paperOut_ = true;
    out_.log.Problem(commandStart_, "the paper ran out after " + std::to_string(kMaxPaperRows) +
                                        " rows; the rest of the job is not printed");
    return false;
}

void JobRun::Feed(uint32_t dots)
{
    if (dots == 0 || paperOut_) return;
    const uint32_t from = y_;
    if (!Reach(y_ + dots)) return;
    y_ += dots;
    MarkDotFeed(from, y_);
}

void JobRun::Cut(bool partial)
{
    out_.log.Event(commandStart_, std::string(partial ? "partial" : "full") + " cut at row " + std::to_string(y_));
    const uint32_t bottom = std::max<uint32_t>(y_, 2);
    if (!Reach(bottom)) return;
    for (uint32_t x = kCutColumn; x < kPictureDots; ++x)
        if (partial ? x % 2 == 0 : x % 6 < 4) out_.paper.Fill(x, bottom - 2, 1, 2);
}

void JobRun::MarkLineFeed(uint32_t row)
{
    if (row > 0) out_.paper.Fill(kLineFeedColumn, row - 1, 8, 1);
}

void JobRun::MarkDotFeed(uint32_t from, uint32_t to)
{
    // A gap of one row keeps feeds that follow one another apart.
    if (to > from + 1) out_.paper.Fill(kDotFeedColumn, from, 2, to - from - 1);
}

void JobRun::MarkPosition()
{
    if (Reach(y_ + 3)) out_.paper.Fill(kPositionColumn, y_, 3, 3);
}

void JobRun::MarkPageEnd()
{
    const uint32_t bottom = std::max<uint32_t>(y_, 3);
    if (Reach(bottom)) out_.paper.Fill(kCutColumn, bottom - 3, kPictureDots - kCutColumn, 3);
}

void JobRun::MarkPage(uint32_t page)
{
    DrawLabel(kLabelColumn, std::max<uint32_t>(y_, 17), "P" + std::to_string(page));
}

void JobRun::DrawLabel(uint32_t x, uint32_t bottom, const std::string& text)
{
    if (!Reach(bottom)) return;
    for (char ch : text) {
        const GlyphMask& g = glyphs_.Glyph(static_cast<unsigned char>(ch), 9, 17, false);
        for (uint32_t j = 0; j < g.height; ++j)
            for (uint32_t i = 0; i < g.width; ++i)
                if (g.At(i, j) && bottom >= g.height) out_.paper.Set(x + i, bottom - g.height + j);
        x += 9;
    }
}

uint32_t JobRun::AlignedX(uint32_t width) const
{
    const uint32_t left = modes_.leftMargin + x_;
    const uint32_t right = modes_.leftMargin + modes_.areaWidth;
    if (modes_.alignment == 0 || left + width >= right) return left;
    return modes_.alignment == 1 ? left + (right - left - width) / 2 : right - width;
}

}  // namespace lt77::printer
