// One-dimensional barcodes: the printer's own systems 65 ... 73 and the
// nine user slots, printed with the GS k form that carries a length byte.
#include <algorithm>

#include "render/barcode_detail.h"
#include "render/barcodes.h"
#include "render/trace.h"

namespace lt77 {
namespace {

// The GS k form with a length byte takes at most 255 data bytes.
constexpr std::size_t kMax1dDataBytes = 255;
constexpr std::size_t kPrintCmdHeaderBytes = 4;  // 1D 6B code n

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// Code128 subset C carries two digits per symbol character; the printer
// expects those pairs already packed into one byte each after "{C".
void PackCode128SubsetC(std::vector<uint8_t>& data)
{
    const std::size_t n = data.size();
    if (n <= 2 || n % 2 != 0) return;
    // Only digit pairs are packable; anything else would produce a value the
    // symbology cannot encode, so such data goes as the application wrote it.
    const bool subsetC = data[0] == '{' && data[1] == 'C' && std::all_of(data.begin() + 2, data.end(), IsDigit);
    if (!subsetC) {
        TraceLog("Get1dCodeCommand : not satisfy conditions for code128 subset C.");
        return;
    }
    std::size_t out = 2;
    for (std::size_t in = 2; in < n; in += 2) {
        const auto value = static_cast<uint8_t>(10 * (data[in] - '0') + (data[in + 1] - '0'));
        TraceLog("Get1dCodeCommand : sum of results = %x", value);
        data[out++] = value;
    }
    data.resize(n / 2 + 1);
}

}  // namespace

std::vector<uint8_t> Get1dCodeCommand(const UIInfo& ui, std::string_view familyName, std::vector<uint8_t>& text,
                                      std::size_t textBufSize, uint8_t code, DWORD& heightDots, LONG xDots,
                                      float rate)
{
    TraceLog("Get1dCodeCommand : START");
    BarInfo1d barInfo = kBarInfo1dDefaults;
    const bool builtIn = code >= BARCODE_UPC_A && code <= BARCODE_CODE128;
    bool supported = builtIn;
    if (code == BARCODE_USER_1D) {
        Get1d2dCodeSetting(ui, familyName, code, &barInfo, nullptr);
        // The slot's system index comes from printer data; an index past
        // Code128 would name no barcode system of the printer.
        supported = barInfo[0] <= BARCODE_CODE128 - BARCODE_UPC_A;
        code = static_cast<uint8_t>(BARCODE_UPC_A + barInfo[0]);
    }
    if (!supported) {
        TraceLog("Get1dCodeCommand : NOT SUPPORTTED BARCODE TYPE.");
        TraceLog("Get1dCodeCommand : END");
        return {};
    }

    const LONG x = barcode_detail::ReduceByRate(xDots, rate);
    const LONG w = std::clamp<LONG>(barcode_detail::ReduceByRate(barInfo[1], rate), 2, 6);
    const LONG h = std::max<LONG>(barcode_detail::ReduceByRate(barInfo[2], rate), 1);

    std::vector<uint8_t> data = text;
    if (code == BARCODE_CODE128) PackCode128SubsetC(data);

    if (data.empty() || data.size() > kMax1dDataBytes) {
        TraceLog("Get1dCodeCommand : DATA LENGTH OUT OF RANGE. (%u)", static_cast<unsigned>(data.size()));
        TraceLog("Get1dCodeCommand : END");
        return {};
    }
    if (textBufSize < data.size() + kPrintCmdHeaderBytes) {
        TraceLog("Get1dCodeCommand : BUFFER SIZE IS NOT ENOUGH. (dwAnsiTextBufSize)");
        TraceLog("Get1dCodeCommand : END");
        return {};
    }

    heightDots = static_cast<DWORD>(h);

    std::vector<uint8_t> command{0x1D, 0x77, static_cast<uint8_t>(w), 0x1D, 0x68, static_cast<uint8_t>(h)};
    if (!builtIn)
        command.insert(command.end(), {0x1D, 0x48, barInfo[3], 0x1D, 0x66, barInfo[4]});
    else
        command.insert(command.end(), 6, 0x00);
    barcode_detail::AppendPositionCmd(command, x);

    std::vector<uint8_t> printCmd{0x1D, 0x6B, code, static_cast<uint8_t>(data.size())};
    printCmd.insert(printCmd.end(), data.begin(), data.end());
    text = std::move(printCmd);

    TraceLog("Get1dCodeCommand : END");
    return command;
}

}  // namespace lt77
