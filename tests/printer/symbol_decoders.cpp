#include "tests/printer/symbol_decoders.h"

#include <dmtx.h>
#include <zbar.h>

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <algorithm>

#include "printer/paper.h"

namespace lt77::printer::testing {
namespace {

// zbar's C++ header puts its C interface in a namespace of its own.
using namespace zbar;

std::vector<DecodedSymbol> WithZbar(const RasterPicture& picture)
{
    std::vector<DecodedSymbol> found;
    zbar_image_scanner_t* scanner = zbar_image_scanner_create();
    zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 1);
    // Without it zbar reports UPC-A as EAN-13 with a leading zero.
    zbar_image_scanner_set_config(scanner, ZBAR_UPCA, ZBAR_CFG_ENABLE, 1);
    zbar_image_t* image = zbar_image_create();
    zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(image, picture.width, picture.height);
    zbar_image_set_data(image, picture.pixels.data(), picture.pixels.size(), nullptr);
    zbar_scan_image(scanner, image);
    for (const zbar_symbol_t* s = zbar_image_first_symbol(image); s != nullptr; s = zbar_symbol_next(s))
        found.push_back({zbar_get_symbol_name(zbar_symbol_get_type(s)),
                         std::string(zbar_symbol_get_data(s), zbar_symbol_get_data_length(s))});
    zbar_image_destroy(image);
    zbar_image_scanner_destroy(scanner);
    return found;
}

std::vector<DecodedSymbol> WithDmtx(const RasterPicture& picture)
{
    std::vector<DecodedSymbol> found;
    std::vector<uint8_t> pixels = picture.pixels;
    DmtxImage* image = dmtxImageCreate(pixels.data(), static_cast<int>(picture.width),
                                       static_cast<int>(picture.height), DmtxPack8bppK);
    // Rows come top first; libdmtx would otherwise read them bottom first,
    // a mirrored symbol.
    dmtxImageSetProp(image, DmtxPropImageFlip, DmtxFlipNone);
    DmtxDecode* decode = dmtxDecodeCreate(image, 1);
    DmtxTime timeout = dmtxTimeAdd(dmtxTimeNow(), 5000);
    if (DmtxRegion* region = dmtxRegionFindNext(decode, &timeout)) {
        if (DmtxMessage* message = dmtxDecodeMatrixRegion(decode, region, DmtxUndefined)) {
            found.push_back({"DataMatrix", std::string(reinterpret_cast<const char*>(message->output),
                                                       message->outputIdx)});
            dmtxMessageDestroy(&message);
        }
        dmtxRegionDestroy(&region);
    }
    dmtxDecodeDestroy(&decode);
    dmtxImageDestroy(&image);
    return found;
}

// ZXing reads a MaxiCode only from a picture of the symbol alone: the paper
// is cut to the ink and a margin first.
std::vector<DecodedSymbol> WithZxing(const RasterPicture& picture)
{
    uint32_t left = picture.width, right = 0, top = picture.height, bottom = 0;
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x)
            if (picture.At(x, y) < 128) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    std::vector<DecodedSymbol> found;
    if (left > right) return found;
    constexpr uint32_t kMargin = 8;
    const uint32_t width = right - left + 1 + 2 * kMargin, height = bottom - top + 1 + 2 * kMargin;
    std::vector<uint8_t> cut(static_cast<std::size_t>(width) * height, 255);
    for (uint32_t y = top; y <= bottom; ++y)
        for (uint32_t x = left; x <= right; ++x)
            cut[static_cast<std::size_t>(y - top + kMargin) * width + x - left + kMargin] = picture.At(x, y);
    for (const bool pure : {false, true}) {
        ZXing::DecodeHints hints;
        hints.setFormats(ZXing::BarcodeFormat::PDF417 | ZXing::BarcodeFormat::MaxiCode);
        hints.setTryHarder(true);
        hints.setIsPure(pure);
        const ZXing::ImageView view(cut.data(), static_cast<int>(width), static_cast<int>(height),
                                    ZXing::ImageFormat::Lum);
        for (const ZXing::Result& r : ZXing::ReadBarcodes(view, hints))
            if (r.isValid()) found.push_back({ZXing::ToString(r.format()), r.text()});
        if (!found.empty()) break;
    }
    return found;
}

}  // namespace

std::vector<DecodedSymbol> Decode(Decoder decoder, const RasterPicture& paper)
{
    // The paper alone, without the strip of marks beside it; and as a job's
    // paper may end at a symbol's last row, white around it, as a scanner
    // sees, for the quiet zone the decoders want.
    constexpr uint32_t kBorder = 16;
    const uint32_t width = std::min(paper.width, kPaperDots);
    RasterPicture picture;
    picture.width = width + 2 * kBorder;
    picture.height = paper.height + 2 * kBorder;
    picture.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height, 255);
    for (uint32_t y = 0; y < paper.height; ++y)
        std::copy_n(paper.pixels.begin() + static_cast<std::ptrdiff_t>(y) * paper.width, width,
                    picture.pixels.begin() + static_cast<std::ptrdiff_t>(y + kBorder) * picture.width + kBorder);
    switch (decoder) {
    case Decoder::Zbar: return WithZbar(picture);
    case Decoder::Dmtx: return WithDmtx(picture);
    case Decoder::Zxing: return WithZxing(picture);
    }
    return {};
}

}  // namespace lt77::printer::testing
