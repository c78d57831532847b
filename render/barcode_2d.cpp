// Two-dimensional codes: every command is the GS ( k form
// 1D 28 6B pL pH cn fn ..., pL pH counting the bytes after pH. The options go
// to slot 1; the data is stored (fn 0x50) and printed (fn 0x51) from slot 2.
#include <algorithm>

#include "render/barcode_detail.h"
#include "render/barcodes.h"
#include "render/trace.h"

namespace lt77 {
namespace {

using barcode_detail::ReduceByRate;

constexpr uint8_t CN_PDF417 = 0x30;
constexpr uint8_t CN_QRCODE = 0x31;
constexpr uint8_t CN_MAXICODE = 0x32;
constexpr uint8_t CN_GS1_DATABAR = 0x33;
constexpr uint8_t CN_COMPOSITE = 0x34;
constexpr uint8_t CN_DATAMATRIX = 0x3D;

constexpr std::size_t kMaxParamBytes = 0xFFFF;  // pL pH

uint8_t ScaleClamp(uint8_t value, float rate, LONG low, LONG high)
{
    return static_cast<uint8_t>(std::clamp<LONG>(ReduceByRate(value, rate), low, high));
}

// Module sizes where 0 means "thinnest" to the settings page but is not a
// size the printer accepts.
uint8_t ScaleAtLeastOne(uint8_t value, float rate, LONG high)
{
    LONG v = ReduceByRate(value, rate);
    if (v == 0) v = 1;
    return static_cast<uint8_t>(std::min<LONG>(v, high));
}

void AppendOptionCmd(std::vector<uint8_t>& out, uint8_t cn, uint8_t fn, uint8_t value)
{
    out.insert(out.end(), {0x1D, 0x28, 0x6B, 0x03, 0x00, cn, fn, value});
}

void AppendStoreHeader(std::vector<uint8_t>& out, uint8_t cn, std::size_t paramBytes)
{
    out.insert(out.end(), {0x1D, 0x28, 0x6B, static_cast<uint8_t>(paramBytes & 0xFF),
                           static_cast<uint8_t>(paramBytes >> 8), cn, 0x50, 0x30});
}

void AppendPrintCmd(std::vector<uint8_t>& out, uint8_t cn)
{
    out.insert(out.end(), {0x1D, 0x28, 0x6B, 0x03, 0x00, cn, 0x51, 0x30});
}

struct CompositeType {
    uint8_t a, b;
};

CompositeType CompositeTypeOf(uint8_t linearType)
{
    static constexpr CompositeType kTypes[] = {
        {0x30, 0x41}, {0x30, 0x42}, {0x30, 0x43}, {0x30, 0x45}, {0x30, 0x46}, {0x30, 0x47}, {0x30, 0x48},
        {0x30, 0x49}, {0x30, 0x4A}, {0x30, 0x4B}, {0x30, 0x4D}, {0x31, 0x41}, {0x31, 0x42},
    };
    return linearType < std::size(kTypes) ? kTypes[linearType] : kTypes[0];
}

}  // namespace

Code2dOptions Set2dCodeOptionCmd(const CodeInfo2d& codeInfo, float rate)
{
    TraceLog("Set2dCodeOptionCmd : START");
    Code2dOptions opt;
    opt.byKind = codeInfo[0];
    switch (codeInfo[0]) {
    case CODE2D_PDF417: {
        TraceLog("Set2dCodeOptionCmd : PDF417");
        opt.byColumns = static_cast<uint8_t>(std::min<LONG>(ReduceByRate(codeInfo[1], rate), 30));
        LONG rows = ReduceByRate(codeInfo[3], rate);
        // The printer knows 3 ... 90 rows; 0 lets it choose.
        if (rows < 3) rows = 0;
        opt.byRows = static_cast<uint8_t>(std::min<LONG>(rows, 90));
        opt.byModuleWidth = ScaleClamp(codeInfo[2], rate, 2, 8);
        opt.byRowHeight = ScaleClamp(codeInfo[4], rate, 2, 8);
        opt.byErrorLevel = codeInfo[5] >= 1 && codeInfo[5] <= 8 ? static_cast<uint8_t>(0x30 + codeInfo[5]) : 0x30;
        opt.byOption = codeInfo[6];
        break;
    }
    case CODE2D_QRCODE:
        TraceLog("Set2dCodeOptionCmd : QR CODE");
        opt.byQrModel = codeInfo[7] == 1 ? 0x32 : 0x31;
        opt.byQrModuleSize = ScaleAtLeastOne(codeInfo[8], rate, 8);
        opt.byQrErrorLevel = codeInfo[9] >= 1 && codeInfo[9] <= 3 ? static_cast<uint8_t>(0x30 + codeInfo[9]) : 0x30;
        break;
    case CODE2D_DATAMATRIX:
        TraceLog("Set2dCodeOptionCmd : DATA MATRIX");
        opt.byMatrixModuleSize = ScaleClamp(codeInfo[11], rate, 2, 3);
        break;
    case CODE2D_GS1_DATABAR:
        TraceLog("Set2dCodeOptionCmd : GS1 DATABAR");
        opt.byDataBarType = codeInfo[12] == 1 ? 0x49 : 0x48;
        opt.byDataBarModuleWidth = ScaleAtLeastOne(codeInfo[13], rate, 8);
        break;
    case CODE2D_COMPOSITE: {
        TraceLog("Set2dCodeOptionCmd : COMPOSITE SYMBOL");
        const CompositeType type = CompositeTypeOf(codeInfo[14]);
        opt.byCompositeA = type.a;
        opt.byCompositeB = type.b;
        opt.byCompositeModuleWidth = ScaleAtLeastOne(codeInfo[15], rate, 8);
        break;
    }
    case CODE2D_MAXICODE:
        TraceLog("Set2dCodeOptionCmd : MAXI CODE");
        opt.byMaxiMode = codeInfo[10] == '2' || codeInfo[10] == '3' || codeInfo[10] == '4' ? codeInfo[10] : '4';
        break;
    default: break;
    }
    TraceLog("Set2dCodeOptionCmd : END");
    return opt;
}

std::vector<uint8_t> Get2dCodeCommand(const UIInfo& ui, std::string_view familyName, std::vector<uint8_t>& text,
                                      std::size_t textBufSize, uint8_t code, LONG xDots, float rate)
{
    TraceLog("Get2dCodeCommand : START");
    auto fail = [](const char* reason) {
        if (reason != nullptr) TraceLog("%s", reason);
        TraceLog("Get2dCodeCommand : END");
        return std::vector<uint8_t>{};
    };
    if (!((code >= BARCODE_PDF417 && code <= BARCODE_MAXICODE_MODE4) || code == BARCODE_USER_2D))
        return fail("Get2dCodeCommand : NOT SUPPORTTED BARCODE TYPE.");

    CodeInfo2d info = kCodeInfo2dDefaults;
    Get1d2dCodeSetting(ui, familyName, code, nullptr, &info);
    if (info[0] > CODE2D_MAXICODE) return fail("Get2dCodeCommand : NOT SUPPORTTED 2D CODE KIND.");

    const Code2dOptions opt = Set2dCodeOptionCmd(info, rate);
    const LONG x = ReduceByRate(xDots, rate);
    const std::size_t n = text.size();

    // Bytes after pH of the store command, and the text length afterwards.
    std::size_t paramBytes = n + 3;
    std::size_t newLength = n + 16;
    if (info[0] == CODE2D_GS1_DATABAR) {
        paramBytes = n + 4;
        newLength = n + 17;
    } else if (info[0] == CODE2D_COMPOSITE) {
        paramBytes = n + 5;
        newLength = 2 * n + 28;
    }
    // The store length pL pH is always below the text length, so a text that
    // fits the record's 16-bit slot also keeps pL pH from wrapping.
    static_assert(barcode_detail::kMaxSlotBytes <= kMaxParamBytes);
    if (newLength > barcode_detail::kMaxSlotBytes) {
        TraceLog("Get2dCodeCommand : DATA LENGTH OUT OF RANGE. (%u)", static_cast<unsigned>(n));
        return fail(nullptr);
    }
    if (textBufSize < newLength) return fail("Get2dCodeCommand : BUFFER SIZE IS NOT ENOUGH. (AnsiTextBufSize)");

    std::vector<uint8_t> command;
    barcode_detail::AppendPositionCmd(command, x);
    std::vector<uint8_t> out;
    out.reserve(newLength);
    switch (info[0]) {
    case CODE2D_PDF417:
        AppendOptionCmd(command, CN_PDF417, 0x41, opt.byColumns);
        AppendOptionCmd(command, CN_PDF417, 0x42, opt.byRows);
        AppendOptionCmd(command, CN_PDF417, 0x43, opt.byModuleWidth);
        AppendOptionCmd(command, CN_PDF417, 0x44, opt.byRowHeight);
        command.insert(command.end(), {0x1D, 0x28, 0x6B, 0x04, 0x00, CN_PDF417, 0x45, 0x30, opt.byErrorLevel});
        AppendOptionCmd(command, CN_PDF417, 0x46, opt.byOption);
        AppendStoreHeader(out, CN_PDF417, paramBytes);
        out.insert(out.end(), text.begin(), text.end());
        AppendPrintCmd(out, CN_PDF417);
        break;
    case CODE2D_QRCODE:
        command.insert(command.end(), {0x1D, 0x28, 0x6B, 0x04, 0x00, CN_QRCODE, 0x41, opt.byQrModel, 0x00});
        AppendOptionCmd(command, CN_QRCODE, 0x43, opt.byQrModuleSize);
        AppendOptionCmd(command, CN_QRCODE, 0x45, opt.byQrErrorLevel);
        AppendStoreHeader(out, CN_QRCODE, paramBytes);
        out.insert(out.end(), text.begin(), text.end());
        AppendPrintCmd(out, CN_QRCODE);
        break;
    case CODE2D_DATAMATRIX:
        AppendOptionCmd(command, CN_DATAMATRIX, 0x43, opt.byMatrixModuleSize);
        AppendStoreHeader(out, CN_DATAMATRIX, paramBytes);
        out.insert(out.end(), text.begin(), text.end());
        AppendPrintCmd(out, CN_DATAMATRIX);
        break;
    case CODE2D_GS1_DATABAR:
        AppendOptionCmd(command, CN_GS1_DATABAR, 0x43, opt.byDataBarModuleWidth);
        AppendStoreHeader(out, CN_GS1_DATABAR, paramBytes);
        out.push_back(opt.byDataBarType);
        out.insert(out.end(), text.begin(), text.end());
        AppendPrintCmd(out, CN_GS1_DATABAR);
        break;
    case CODE2D_COMPOSITE:
        AppendOptionCmd(command, CN_COMPOSITE, 0x43, opt.byCompositeModuleWidth);
        AppendStoreHeader(out, CN_COMPOSITE, paramBytes);
        out.insert(out.end(), {opt.byCompositeA, opt.byCompositeB});
        out.insert(out.end(), text.begin(), text.end());
        // The two-dimensional component is stored with the automatic type.
        AppendStoreHeader(out, CN_COMPOSITE, paramBytes);
        out.insert(out.end(), {0x31, 0x41});
        out.insert(out.end(), text.begin(), text.end());
        AppendPrintCmd(out, CN_COMPOSITE);
        break;
    case CODE2D_MAXICODE:
        AppendOptionCmd(command, CN_MAXICODE, 0x41, opt.byMaxiMode);
        AppendStoreHeader(out, CN_MAXICODE, paramBytes);
        out.insert(out.end(), text.begin(), text.end());
        AppendPrintCmd(out, CN_MAXICODE);
        break;
    default: break;
    }
    text = std::move(out);
    TraceLog("Get2dCodeCommand : END");
    return command;
}

}  // namespace lt77
