// Raster divisions and bit images (read by common/raster_decoder.h), and the
// images the printer stores: bit images by number, graphics by key.
#include <algorithm>

#include "printer/job_run.h"

namespace lt77::printer {
namespace {

constexpr uint32_t kPlaceholderWidth = 96;
constexpr uint32_t kPlaceholderHeight = 48;

// A 4 x 4 ordered dither: grey level g of 16 inks g of every 16 dots, so a
// greyscale division keeps its tones on one-bit paper.
constexpr uint8_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

uint32_t SpanLe16(std::span<const uint8_t> p, std::size_t at)
{
    return p[at] | (static_cast<uint32_t>(p[at + 1]) << 8);
}

uint32_t ScaleOf(uint8_t value) { return value == 2 || value == 0x32 ? 2 : 1; }

std::string KeyText(std::span<const uint8_t> p, std::size_t at)
{
    return std::string{static_cast<char>(p[at]), static_cast<char>(p[at + 1])};
}

}  // namespace

bool JobRun::Raster()
{
    RasterRead read = ReadRasterCommand(s_, pos_);
    if (std::holds_alternative<std::monostate>(read)) return false;
    if (const auto* error = std::get_if<RasterError>(&read)) {
        out_.log.Problem(commandStart_, error->text);
        // The header's first bytes go; a length that runs past the end
        // takes the rest of the job with it, as the printer waits for data.
        pos_ = error->runsPastEnd ? s_.size() : pos_ + 3;
        return true;
    }
    RasterCommand& cmd = std::get<RasterCommand>(read);
    pos_ += cmd.size;
    switch (cmd.kind) {
    case RasterCommand::Kind::Plane:
        if (!planes_.empty() && (cmd.bytesPerRow != planeBytesPerRow_ || cmd.rows != planeRows_)) {
            out_.log.Problem(commandStart_,
                             "raster planes of one division disagree in size; the earlier ones are dropped");
            planes_.clear();
        }
        planeBytesPerRow_ = cmd.bytesPerRow;
        planeRows_ = cmd.rows;
        planes_.push_back(std::move(cmd.bits));
        break;
    case RasterCommand::Kind::DivisionEnd:
        PrintPlanes();
        break;
    case RasterCommand::Kind::BitImage: {
        NvImage image;
        image.width = cmd.bytesPerRow * 8;
        image.height = cmd.rows;
        image.bits = std::move(cmd.bits);
        PrintBits(image, (cmd.plane & 1) ? 2 : 1, (cmd.plane & 2) ? 2 : 1);
        break;
    }
    }
    return true;
}

void JobRun::PrintPlanes()
{
    if (planes_.size() == 1) {
        NvImage image;
        image.width = planeBytesPerRow_ * 8;
        image.height = planeRows_;
        image.bits = std::move(planes_[0]);
        PrintBits(image, 1, 1);
    } else if (planes_.size() == 4) {
        PrintGreyDivision(planeBytesPerRow_, planeRows_);
    } else {
        out_.log.Problem(commandStart_, "a raster division of " + std::to_string(planes_.size()) +
                                            " planes (1 or 4 print)");
    }
    planes_.clear();
}

void JobRun::PrintBits(const NvImage& image, uint32_t scaleX, uint32_t scaleY)
{
    FlushLine();
    const uint64_t width = uint64_t{image.width} * scaleX, height = uint64_t{image.height} * scaleY;
    if (height == 0 || width == 0) return;
    const uint32_t left = AlignedX(static_cast<uint32_t>(std::min<uint64_t>(width, kPaperDots)));
    if (left + width > kPaperDots && !toldWide_) {
        out_.log.Problem(commandStart_, "an image " + std::to_string(width) + " dots wide is cut at the paper's edge");
        toldWide_ = true;
    }
    if (!Reach(static_cast<uint32_t>(std::min<uint64_t>(y_ + height, kMaxPaperRows + 1)))) return;
    const uint32_t visible = static_cast<uint32_t>(std::min<uint64_t>(width, kPaperDots - left));
    if (scaleX == 1 && scaleY == 1 && left % 8 == 0) {
        // Whole bytes line up with the paper's: the rows go over as they are.
        const uint32_t bytes = (visible + 7) / 8;
        for (uint32_t y = 0; y < image.height; ++y) {
            uint8_t* row = out_.paper.Row(y_ + y) + left / 8;
            const uint8_t* from = image.bits.data() + static_cast<std::size_t>(y) * image.BytesPerRow();
            for (uint32_t b = 0; b < bytes && b < image.BytesPerRow(); ++b) row[b] |= from[b];
        }
        // The last byte may reach into the strip beside the paper.
        if ((left + visible) % 8 != 0)
            for (uint32_t y = 0; y < image.height; ++y)
                for (uint32_t x = left + visible; x % 8 != 0; ++x) out_.paper.Clear(x, y_ + y);
    } else {
        for (uint32_t y = 0; y < image.height; ++y)
            for (uint32_t x = 0; x < image.width && x * scaleX < visible; ++x) {
                if (!image.At(x, y)) continue;
                for (uint32_t dy = 0; dy < scaleY; ++dy)
                    for (uint32_t dx = 0; dx < scaleX && x * scaleX + dx < visible; ++dx)
                        out_.paper.Set(left + x * scaleX + dx, y_ + y * scaleY + dy);
            }
    }
    y_ += static_cast<uint32_t>(height);
    x_ = 0;
}

void JobRun::PrintGreyDivision(uint32_t bytesPerRow, uint32_t rows)
{
    FlushLine();
    const uint32_t width = bytesPerRow * 8;
    const uint32_t left = AlignedX(std::min(width, kPaperDots));
    if (left + width > kPaperDots && !toldWide_) {
        out_.log.Problem(commandStart_, "an image " + std::to_string(width) + " dots wide is cut at the paper's edge");
        toldWide_ = true;
    }
    if (rows == 0 || !Reach(y_ + rows)) return;
    for (uint32_t y = 0; y < rows; ++y)
        for (uint32_t x = 0; x < width && left + x < kPaperDots; ++x) {
            const uint8_t level = RasterLevel(planes_, bytesPerRow, x, y);
            if (level * 17 > kBayer[(y_ + y) % 4][(left + x) % 4] * 16 + 8) out_.paper.Set(left + x, y_ + y);
        }
    y_ += rows;
    x_ = 0;
}

void JobRun::Placeholder(uint32_t width, uint32_t height, const std::string& label)
{
    FlushLine();
    width = std::min(width, kPaperDots);
    const uint32_t left = AlignedX(width);
    if (!Reach(y_ + height)) return;
    Paper& paper = out_.paper;
    // A frame two dots thick with both diagonals: nothing a printer prints
    // looks like it.
    paper.Fill(left, y_, width, 2);
    paper.Fill(left, y_ + height - 2, width, 2);
    paper.Fill(left, y_, 2, height);
    paper.Fill(left + width - 2, y_, 2, height);
    for (uint32_t i = 0; i < width; ++i) {
        const auto row =
            static_cast<uint32_t>(static_cast<uint64_t>(i) * (height - 1) / std::max<uint32_t>(width - 1, 1));
        paper.Set(left + i, y_ + row);
        paper.Set(left + i, y_ + height - 1 - row);
    }
    if (height >= 24) DrawLabel(left + 6, y_ + 21, label.substr(0, (width - 8) / 9));
    y_ += height;
    x_ = 0;
}

void JobRun::PrintStoredBitImage()
{
    if (!Need(4, "stored bit image print")) return;
    const uint8_t number = At(2), mode = At(3);
    pos_ += 4;
    const uint32_t sx = (mode & 1) ? 2 : 1, sy = (mode & 2) ? 2 : 1;
    if (const NvImage* image = nv_.BitImage(number)) {
        PrintBits(*image, sx, sy);
        return;
    }
    out_.log.Problem(commandStart_, "stored bit image " + std::to_string(number) + " is not defined");
    Placeholder(kPlaceholderWidth * sx, kPlaceholderHeight * sy, "NV " + std::to_string(number));
}

void JobRun::DefineStoredBitImages()
{
    if (!Need(3, "stored bit image definition")) return;
    const uint32_t count = At(2);
    std::size_t p = pos_ + 3;
    std::vector<NvImage> images;
    for (uint32_t i = 0; i < count; ++i) {
        if (p + 4 > s_.size()) {
            pos_ = p;
            Need(4, "stored bit image definition");
            return;
        }
        const uint32_t columnsBy8 = s_[p] | (static_cast<uint32_t>(s_[p + 1]) << 8);
        const uint32_t bytesPerColumn = s_[p + 2] | (static_cast<uint32_t>(s_[p + 3]) << 8);
        const std::size_t bytes = static_cast<std::size_t>(columnsBy8) * 8 * bytesPerColumn;
        if (p + 4 + bytes > s_.size()) {
            pos_ = p;
            Need(4 + bytes, "stored bit image definition");
            return;
        }
        // Columns of bytes, top byte first, bit 7 at the top.
        NvImage image;
        image.width = columnsBy8 * 8;
        image.height = bytesPerColumn * 8;
        image.bits.assign(static_cast<std::size_t>(image.BytesPerRow()) * image.height, 0);
        for (uint32_t col = 0; col < image.width; ++col)
            for (uint32_t row = 0; row < image.height; ++row)
                if ((s_[p + 4 + static_cast<std::size_t>(col) * bytesPerColumn + row / 8] >> (7 - row % 8)) & 1)
                    image.bits[static_cast<std::size_t>(row) * image.BytesPerRow() + col / 8] |=
                        static_cast<uint8_t>(0x80 >> (col % 8));
        images.push_back(std::move(image));
        p += 4 + bytes;
    }
    pos_ = p;
    if (nv_.DefineBitImages(std::move(images)))
        out_.log.Event(commandStart_, std::to_string(count) + " stored bit images defined");
    else
        out_.log.Problem(commandStart_, "stored bit images do not fit the printer's memory; none defined");
}

std::optional<NvImage> JobRun::ReadGraphicImage(std::span<const uint8_t> p, std::size_t xAt, const char* what)
{
    // xL xH yL yH, then (for definitions) the colour byte, then the rows.
    const std::size_t dataAt = xAt + 4 + (p[1] == 0x43 ? 1 : 0);
    if (p.size() < dataAt) {
        out_.log.Problem(commandStart_, std::string(what) + ": too short for its header");
        return std::nullopt;
    }
    NvImage image;
    image.width = SpanLe16(p, xAt);
    image.height = SpanLe16(p, xAt + 2);
    const std::size_t bytes = static_cast<std::size_t>(image.BytesPerRow()) * image.height;
    if (p.size() < dataAt + bytes) {
        out_.log.Problem(commandStart_, std::string(what) + ": fewer bytes than its size");
        return std::nullopt;
    }
    image.bits.assign(p.begin() + static_cast<std::ptrdiff_t>(dataAt),
                      p.begin() + static_cast<std::ptrdiff_t>(dataAt + bytes));
    return image;
}

void JobRun::Graphics(std::size_t headerBytes, std::size_t parameterBytes)
{
    if (!Need(headerBytes + parameterBytes, "graphics command")) return;
    const std::span<const uint8_t> p = s_.subspan(pos_ + headerBytes, parameterBytes);
    const std::size_t total = headerBytes + parameterBytes;
    if (p.size() < 2 || p[0] != 0x30) {
        Unknown(total, "graphics command");
        return;
    }
    const uint8_t fn = p[1];
    switch (fn) {
    case 0x43:  // define a stored graphic: a kc1 kc2 b xL xH yL yH c data
        if (p.size() >= 6 && p[2] != 0x30) {
            NotDrawn(total, "a stored graphic in column format");
            return;
        }
        if (p.size() >= 6) {
            if (auto image = ReadGraphicImage(p, 6, "stored graphic definition")) {
                const std::string key = KeyText(p, 3);
                const std::string size = std::to_string(image->width) + " x " + std::to_string(image->height);
                if (nv_.DefineGraphic(key, std::move(*image)))
                    out_.log.Event(commandStart_, "stored graphic \"" + key + "\" defined, " + size + " dots");
                else
                    out_.log.Problem(commandStart_, "stored graphic \"" + key + "\" does not fit the printer's memory");
            }
        } else {
            out_.log.Problem(commandStart_, "stored graphic definition: too short for its header");
        }
        break;
    case 0x45:
    // The driver's control-code font prints stored graphics with 0x25.
    case 0x25: {
        pos_ += total;
        if (p.size() < 6) {
            out_.log.Problem(commandStart_, "stored graphic print: too short");
            return;
        }
        const std::string key = KeyText(p, 2);
        if (const NvImage* image = nv_.Graphic(key)) {
            PrintBits(*image, ScaleOf(p[4]), ScaleOf(p[5]));
        } else {
            out_.log.Problem(commandStart_, "stored graphic \"" + key + "\" is not defined");
            Placeholder(kPlaceholderWidth * ScaleOf(p[4]), kPlaceholderHeight * ScaleOf(p[5]), "NV " + key);
        }
        return;
    }
    case 0x41:
        nv_.EraseGraphics();
        out_.log.Event(commandStart_, "every stored graphic erased");
        break;
    case 0x42:
        if (p.size() >= 4) {
            nv_.EraseGraphic(KeyText(p, 2));
            out_.log.Event(commandStart_, "stored graphic \"" + KeyText(p, 2) + "\" erased");
        }
        break;
    case 0x70:  // a graphic for the print buffer: a bx by c xL xH yL yH data
        if (p.size() >= 6) bufferGraphic_ = ReadGraphicImage(p, 6, "buffer graphic");
        if (bufferGraphic_) bufferScale_ = {ScaleOf(p[3]), ScaleOf(p[4])};
        break;
    case 0x32: {
        pos_ += total;
        if (!bufferGraphic_) {
            out_.log.Problem(commandStart_, "no graphic in the print buffer to print");
            return;
        }
        const NvImage image = std::move(*bufferGraphic_);
        bufferGraphic_.reset();
        PrintBits(image, bufferScale_.first, bufferScale_.second);
        return;
    }
    case 0x30: case 0x33: case 0x40:  // the printer's answers about its memory
        break;
    default:
        Unknown(total, "graphics function");
        return;
    }
    pos_ += total;
}

}  // namespace lt77::printer
