// A point-of-sale receipt printed with possdk alone: what an integrator
// copies. Usage: pos_receipt QUEUE LOGO.BMP
//
// The receipt: the shop's logo from a BMP file, a heading in a TrueType
// font, the item lines in the printer's resident fonts (the driver sends
// them as printer text, not pictures), a line in Korean, a Code128 barcode
// and a QR code drawn in the printer's barcode fonts, and a line in the
// control-code font that opens the cash drawer. A second, raw job follows
// with WritePrintData: bytes in the printer's own language, sent as they are.
#include <cstdio>
#include <cstring>

#include "possdk/possdk.h"

namespace {

struct Item {
    const char* line;
};

// Dots on the 80 mm roll at 203 dpi: 576 across.
constexpr int32_t kLeft = 24;

int Fail(const char* step)
{
    std::fprintf(stderr, "pos_receipt: %s failed\n", step);
    DisconnectPrinter();
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: pos_receipt QUEUE LOGO.BMP\n");
        return 2;
    }
    const char* queue = argv[1];
    if (ConnectPrinter(queue) != 1) return Fail("ConnectPrinter");
    if (Start_Doc("POS receipt") != 1) return Fail("Start_Doc");
    if (Start_Page() != 1) return Fail("Start_Page");

    int32_t y = 0;
    const int32_t logoRows = PrintBitmap(188, y, argv[2]);
    if (logoRows == 0) return Fail("PrintBitmap");
    y += logoRows + 8;
    // A scalable heading: the driver leaves it to the page image.
    y += PrintTrueFont(150, y, "Liberation Sans", 18, "LT-77 CAFE", 1, POSSDK_ROTATE_0, 0, 0);
    y += PrintTrueFont(170, y, "Liberation Sans", 9, "Main Street 77", 0, POSSDK_ROTATE_0, 1, 0) + 8;

    const Item items[] = {{"Espresso              2.50"}, {"Croissant             3.20"}, {"Orange juice          4.10"}};
    for (const Item& item : items) y += PrintDeviceFont(kLeft, y, "FontA1x1", 10, item.line);
    y += PrintDeviceFont(kLeft, y, "FontA2x2", 10, "TOTAL   9.80");
    // Wide text: the Korean resident font ("thank you").
    static const POSSDK_WCHAR korean1x1[] = {'K', 'o', 'r', 'e', 'a', 'n', '1', 'x', '1', 0};
    static const POSSDK_WCHAR thankYou[] = {0xAC10, 0xC0AC, 0xD569, 0xB2C8, 0xB2E4, 0};
    y += PrintDeviceFontW(kLeft, y, korean1x1, 10, thankYou);
    y += 8;
    // The barcode fonts: the text is the data ("{C" selects Code128's digit set).
    PrintDeviceFont(kLeft, y, "Code128", 10, "{C20261208");
    y += 80;
    PrintDeviceFont(kLeft, y, "QR Code", 10, "https://lt77.example/r/1");
    y += 100;
    // The control-code font: "A" pulses the cash drawer on pin 2.
    PrintDeviceFont(kLeft, y, "FontControl", 10, "A");
    y += PrintDeviceFont(kLeft, y, "FontA1x1", 10, "Thank you for your visit");

    if (End_Page() <= 0) return Fail("End_Page");
    if (End_Doc() <= 0) return Fail("End_Doc");
    DisconnectPrinter();

    // Initialise, centre, a line, feed and cut: one raw job of its own.
    const unsigned char raw[] = {0x1B, 0x40, 0x1B, 0x61, 0x01, 'R', 'A', 'W', ' ', 'L', 'I', 'N', 'E', 0x0A,
                                 0x1D, 0x56, 0x42, 0x00};
    const uint32_t written = WritePrintData(queue, raw, static_cast<int32_t>(sizeof(raw)));
    if (written != sizeof(raw)) return Fail("WritePrintData");
    std::printf("pos_receipt: printed the receipt and %u raw bytes on %s\n", static_cast<unsigned>(written), queue);
    return 0;
}
