// The settings store: what installation makes of bad installation files,
// values of the wrong size, and the retry on a handle of its own.
#include <cstring>

#include "platform/posix/queue_store.h"
#include "ui_fixture.h"

namespace lt77::ui::testing {
namespace {

using Store = UiTest;

std::string Utf16File(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

TEST_F(Store, InstallationFileInputs)
{
    struct Case {
        const char* name;
        std::string file;
        std::optional<std::vector<uint8_t>> misc01;  // bytes 0 and 1; none: nothing written
        std::optional<std::size_t> startDocBytes;
    };
    const std::string longCommand(400, 'A');
    const Case cases[] = {
        {"8-bit text", "[LT77]\nPREFERENCE[0]=7\nPREFERENCE[1]=258\n", std::vector<uint8_t>{7, 2}, std::nullopt},
        {"UTF-16 with its mark", Utf16File(u"[LT77]\r\nPREFERENCE[0]=7\r\nPREFERENCE[1]=258\r\n"),
         std::vector<uint8_t>{7, 2}, std::nullopt},
        {"garbage and signs", "[LT77]\nPREFERENCE[0]=abc\nPREFERENCE[1]= -1x\n", std::vector<uint8_t>{0, 255},
         std::nullopt},
        {"no section of ours", "[Other]\nPREFERENCE[0]=7\n", std::vector<uint8_t>{0, 0}, std::nullopt},
        {"binary noise", std::string("\x00\x01\xFE\x7F[LT77\n=\n", 12), std::vector<uint8_t>{0, 0}, std::nullopt},
        {"overlong command is cut at 256 characters", "[LT77]\nSTART_DOCUMENT_CMD=" + longCommand + "\n",
         std::vector<uint8_t>{0, 0}, 256},
        {"unterminated brackets", "[LT77]\nSTART_DOCUMENT_CMD=<1B4\n", std::vector<uint8_t>{0, 0}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.file);
        std::error_code ec;
        std::filesystem::remove(posix::PrinterFile(kQueue), ec);
        ASSERT_FALSE(host::CreateQueue(kQueue).has_value());
        EXPECT_EQ(SetBasicSettingPreferenceReg(system_, u"UiQ"), kBoolTrue);
        const auto misc = Data(kMiscValue);
        ASSERT_EQ(misc.has_value(), c.misc01.has_value());
        if (misc) {
            ASSERT_EQ(misc->size(), 44u);
            EXPECT_EQ(std::vector<uint8_t>(misc->begin(), misc->begin() + 2), *c.misc01);
        }
        const auto startDoc = Data(kStartDocValue);
        EXPECT_EQ(startDoc ? std::optional<std::size_t>(startDoc->size()) : std::nullopt, c.startDocBytes);
    }
    EXPECT_EQ(SetBasicSettingPreferenceReg(system_, u"NoSuchQueue"), kBoolFalse);
}

TEST_F(Store, BarcodeKeysTooShortKeepTheirDefaults)
{
    WriteIni("[LT77]\n1D_BARCODE[1]=<0103320101>\n1D_BARCODE[2]=<01033201>\n"
             "2D_BARCODE[1]=<01010203040506070809000B0C0D0E0F1011121314>\n"
             "2D_BARCODE[2]=<0101020304050607080900>\n1D_BARCODE[10]=<0803320101>\n");
    EXPECT_EQ(SetBarcodePreferenceReg(system_, u"UiQ"), kBoolTrue);
    const auto info = Data(kBarcodeInfoValue).value();
    const auto codes = Data(kCodeDataValue).value();
    ASSERT_EQ(info.size(), 45u);
    ASSERT_EQ(codes.size(), 160u);
    EXPECT_EQ(std::vector<uint8_t>(info.begin(), info.begin() + 10), (std::vector<uint8_t>{1, 3, 50, 1, 1, 1, 3, 50, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(info.begin() + 40, info.end()), (std::vector<uint8_t>{8, 3, 50, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(codes.begin(), codes.begin() + 20),
              (std::vector<uint8_t>{1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
    EXPECT_EQ(std::vector<uint8_t>(codes.begin() + 20, codes.begin() + 40),
              (std::vector<uint8_t>{1, 0, 3, 0, 3, 0, 0, 1, 3, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(Store, SettingsOfTheWrongSizeCountAsMissing)
{
    WriteIni("[LT77]\nPREFERENCE[0]=9\n");
    for (std::size_t size : {10u, 43u, 45u, 300u}) {
        SCOPED_TRACE(size);
        SetData(kMiscValue, std::vector<uint8_t>(size, 0x77));
        EXPECT_NE(ReloadSettings(context_), 0u);
        auto expected = UiDefaultSettings();
        expected[0] = 9;  // defaults with the file's overlay
        EXPECT_EQ(context_.byteValue, expected);
    }
    SetData(kMiscValue, std::vector<uint8_t>(44, 0x07));
    EXPECT_EQ(ReloadSettings(context_), 0u);
    EXPECT_EQ(context_.byteValue[43], 7);
}

TEST_F(Store, AWriteRefusedOnTheSheetsHandleIsRetriedOnItsOwn)
{
    posix::CoreQueueHandle readOnly;
    std::memcpy(readOnly.queue, kQueue, std::strlen(kQueue));
    readOnly.access = PRINTER_READ_USE_RIGHTS;
    const uint8_t bytes[2] = {1, 2};
    EXPECT_EQ(SetPrinterDataToReg(system_, &readOnly, "X", REG_BINARY_TYPE, bytes, nullptr), syserr::kAccessDenied);
    EXPECT_EQ(SetPrinterDataToReg(system_, &readOnly, "X", REG_BINARY_TYPE, bytes, &context_), 0u);
    EXPECT_EQ(Data("X"), (std::vector<uint8_t>{1, 2}));
    ASSERT_FALSE(host::SetQueueSetting(kQueue, "Access", "read-use"));
    EXPECT_EQ(SetPrinterDataToReg(system_, &readOnly, "X", REG_BINARY_TYPE, bytes, &context_), syserr::kAccessDenied);
}

}  // namespace
}  // namespace lt77::ui::testing
