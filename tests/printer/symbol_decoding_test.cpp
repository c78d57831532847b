// Through the whole package: an application draws a barcode or symbol in a
// barcode font, the plug-in makes the printer's commands, the printer's
// renderer prints them, the PNG is read back and an independent decoder
// must find the data the application printed.
#include <gtest/gtest.h>

#include "host/driver_data.h"
#include "host/main_job.h"
#include "host/picture_file.h"
#include "host/text_output.h"
#include "printer/paper_file.h"
#include "printer/stream_renderer.h"
#include "tests/host/host_fixture.h"
#include "tests/printer/symbol_decoders.h"

namespace lt77::printer::testing {
namespace {

using host::testing::HostTest;

class Decoding : public HostTest {
protected:
    // The paper the printer prints of a job's spool stream, as read back
    // from the PNG file it writes.
    RasterPicture PrintedPaper(const std::vector<uint8_t>& stream, const std::string& name)
    {
        static SystemRenderer renderer;
        const RenderedJob printed = renderer.Get().Render(stream);
        const std::string path = (root_ / (name + PaperFileExtension())).string();
        EXPECT_EQ(WritePaperFile(printed.paper, path), "");
        auto read = host::ReadPicture(path);
        if (auto* error = std::get_if<std::string>(&read)) ADD_FAILURE() << *error;
        return std::get<RasterPicture>(read);
    }

    std::vector<uint8_t> PrintOneString(const std::u16string& family, const std::u16string& text)
    {
        host::JobRequest request;
        request.drawPage = [&](host::DeviceContext& dc, int) {
            host::PageCanvas canvas(576, 400, 1);
            host::TextFont font;
            font.family = family;
            font.device = true;
            host::OutputText(dc, canvas, 40, 24, text, font);
            canvas.SendBands(dc, 64);
        };
        const host::JobResult r = Run(request);
        EXPECT_TRUE(r.ok) << r.error;
        return r.spooled;
    }
};

std::string Names(const std::vector<DecodedSymbol>& found)
{
    std::string out;
    for (const auto& f : found) out += " [" + f.symbology + ": " + f.data + "]";
    return out.empty() ? " nothing" : out;
}

TEST_F(Decoding, EveryBarcodeTypeAndSymbolDecodesToTheApplicationsData)
{
    // 2D slot 1 holds GS1 DataBar with modules 3 dots wide.
    std::vector<uint8_t> codeData(160, 0);
    codeData[0] = 3;
    codeData[13] = 3;
    SetValue("CodeData", codeData);
    struct Row {
        const char16_t* family;
        const char16_t* text;
        Decoder decoder;
        const char* decoded;  // check digits and GS1 application identifiers as the symbol carries them
    };
    const Row rows[] = {
        {u"UPC-A", u"01234567890", Decoder::Zbar, "012345678905"},
        {u"UPC-E", u"0123456", Decoder::Zbar, "01234565"},
        {u"JAN13 (EAN)", u"400638133393", Decoder::Zbar, "4006381333931"},
        {u"JAN8 (EAN)", u"9638507", Decoder::Zbar, "96385074"},
        {u"Code39", u"LT77-123", Decoder::Zbar, "LT77-123"},
        {u"ITF", u"12345678", Decoder::Zbar, "12345678"},
        {u"Codabar", u"A40156B", Decoder::Zbar, "A40156B"},
        {u"Code93", u"CODE93 LT", Decoder::Zbar, "CODE93 LT"},
        {u"Code128", u"{BLT-77 shop", Decoder::Zbar, "LT-77 shop"},
        {u"Code128", u"{C20261208", Decoder::Zbar, "20261208"},
        {u"QR Code", u"https://lt77.example/r/1", Decoder::Zbar, "https://lt77.example/r/1"},
        {u"PDF417", u"LT-77 PDF417 receipt 0001", Decoder::Zxing, "LT-77 PDF417 receipt 0001"},
        {u"DATAMATRIX", u"LT-77 DataMatrix 2026", Decoder::Dmtx, "LT-77 DataMatrix 2026"},
        {u"MAXI Code", u"LT-77 MAXICODE MODE 4", Decoder::Zxing, "LT-77 MAXICODE MODE 4"},
        {u"2D-Code1", u"0950110153001", Decoder::Zbar, "0109501101530010"},
    };
    for (const Row& row : rows) {
        const std::string family = Utf16ToUtf8(row.family);
        SCOPED_TRACE(family);
        const RasterPicture paper = PrintedPaper(PrintOneString(row.family, row.text), family);
        const auto found = Decode(row.decoder, paper);
        ASSERT_EQ(found.size(), 1u) << "decoded:" << Names(found);
        EXPECT_EQ(found[0].data, row.decoded);
    }
}

TEST_F(Decoding, DeviceFontTextLandsInTheCellsOfItsFont)
{
    // FontA2x1 at x 40: cells 24 dots wide and 24 tall.
    const RasterPicture paper = PrintedPaper(PrintOneString(u"FontA2x1", u"A B"), "text");
    uint32_t top = paper.height, bottom = 0;
    std::vector<uint32_t> inkPerCell(3, 0);
    for (uint32_t y = 0; y < paper.height; ++y)
        for (uint32_t x = 0; x < kPaperDots; ++x) {
            if (paper.At(x, y) >= 128) continue;
            ASSERT_GE(x, 40u);
            ASSERT_LT(x, 40u + 3 * 24) << "ink right of the last cell";
            ++inkPerCell[(x - 40) / 24];
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    EXPECT_GT(inkPerCell[0], 0u);
    EXPECT_EQ(inkPerCell[1], 0u) << "the space";
    EXPECT_GT(inkPerCell[2], 0u);
    ASSERT_LE(top, bottom);
    EXPECT_LT(bottom - top, 24u) << "one row of cells";
}

TEST_F(Decoding, SampleReceiptsBarcodeAndQrCodeDecode)
{
    std::ostringstream out, err;
    ASSERT_EQ(host::PrintSampleReceipt(queue_, 7, out, err), 0) << err.str();
    // The job report wrote the paper beside the spool file.
    const auto png = root_ / "queues" / queue_ / "spool" / ("7" + std::string(PaperFileExtension()));
    auto read = host::ReadPicture(png.string());
    ASSERT_TRUE(std::holds_alternative<RasterPicture>(read)) << std::get<std::string>(read);
    auto found = Decode(Decoder::Zbar, std::get<RasterPicture>(read));
    std::sort(found.begin(), found.end(),
              [](const DecodedSymbol& a, const DecodedSymbol& b) { return a.symbology < b.symbology; });
    ASSERT_EQ(found.size(), 2u) << "decoded:" << Names(found);
    EXPECT_EQ(found[0].symbology, "CODE-128");
    EXPECT_EQ(found[0].data, "20261208");
    EXPECT_EQ(found[1].symbology, "QR-Code");
    EXPECT_EQ(found[1].data, "https://lt77.example/r/1");
}

}  // namespace
}  // namespace lt77::printer::testing
