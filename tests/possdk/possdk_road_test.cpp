// possdk as applications use it on the test host: the sample application as
// a process of its own, and the library's exports through dlopen. Creating
// a device context loads the rendering plug-in; what it renders is spooled
// to the queue as a job, which is compared with a stream checked by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/queue_admin.h"
#include "platform/library.h"
#include "platform/process.h"
#include "possdk/possdk.h"
#include "tests/support/scratch_host_root.h"

namespace lt77 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const fs::path& path)
{
    const Bytes b = ReadFile(path);
    return std::string(b.begin(), b.end());
}

bool Contains(const Bytes& haystack, const Bytes& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

fs::path DataFolder()
{
    const char* env = std::getenv("LT77_TEST_DATA");
    return fs::path(env != nullptr ? env : "tests/data") / "possdk";
}

class PossdkRoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = test::MakeScratchHostRoot("possdk-road", {"drive_c/temp"});
        ASSERT_FALSE(host::CreateQueue("POS"));
        ASSERT_FALSE(host::SetQueueSetting("POS", "Driver", "KELWYNT LT-77"));
    }
    void TearDown() override
    {
        library_.reset();
        UnsetProcessEnvironment("LT77_PLUGIN");
        test::RemoveScratchHostRoot(root_);
    }
    template <class F>
    F Export(const char* name)
    {
        if (!library_) {
            std::string error;
            library_ = LoadSharedLibrary(LT77_POSSDK_PATH, error);
            EXPECT_TRUE(library_) << error;
            if (!library_) return nullptr;
        }
        return reinterpret_cast<F>(library_->Symbol(name));
    }
    fs::path Spool(int job) { return root_ / "queues" / "POS" / "spool" / (std::to_string(job) + ".prn"); }
    std::string Job(int job) { return ReadText(root_ / "queues" / "POS" / "jobs" / (std::to_string(job) + ".ini")); }

    fs::path root_;
    std::unique_ptr<SharedLibrary> library_;
};

TEST_F(PossdkRoadTest, SampleReceiptSpoolsTheHandCheckedStreamAndItsRawJob)
{
    const fs::path logo = root_ / "logo.bmp";
    fs::copy_file(DataFolder() / "logo.bmp", logo);
    fs::permissions(logo, fs::perms::owner_read);
    const std::string command = std::string(LT77_POS_RECEIPT_PATH) + " POS " + logo.string() + " > " +
                                (root_ / "out.txt").string() + " 2> " + (root_ / "err.txt").string();
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(root_ / "err.txt");
    EXPECT_EQ(ReadText(root_ / "out.txt"), "pos_receipt: printed the receipt and 18 raw bytes on POS\n");
    EXPECT_FALSE(fs::exists(root_ / "host" / "message-boxes.log"));

    const Bytes receipt = ReadFile(Spool(1));
    EXPECT_NE(Job(1).find("Spooled = 1"), std::string::npos);
    // Resident-font lines as printer text: table 16, font A, size 1x1, x = 24,
    // the text, a feed of the 24-dot line and the merge's zero byte.
    EXPECT_TRUE(Contains(receipt, Concat({{0x1B, 0x74, 0x10, 0x08, 0x4D, 0x00, 0x41, 0x1D, 0x21, 0x00, 0x1B, 0x24,
                                           0x18, 0x00},
                                          Text("Espresso              2.50"),
                                          {0x1B, 0x4A, 0x18, 0x00}})));
    // Size 2x2 and a 48-dot feed.
    EXPECT_TRUE(Contains(receipt, Concat({{0x1D, 0x21, 0x11, 0x1B, 0x24, 0x18, 0x00}, Text("TOTAL   9.80"),
                                          {0x1B, 0x4A, 0x30, 0x00}})));
    // Korean: double-byte mode on, the text in code page 949, mode off.
    EXPECT_TRUE(Contains(receipt, {0x1C, 0x26, 0x1D, 0x21, 0x00, 0x1B, 0x24, 0x18, 0x00, 0xB0, 0xA8, 0xBB, 0xE7,
                                   0xC7, 0xD5, 0xB4, 0xCF, 0xB4, 0xD9, 0x1C, 0x2E, 0x1B, 0x4A, 0x18, 0x00}));
    // The cash drawer's pulse on pin 2 from the control-code font.
    EXPECT_TRUE(Contains(receipt, {0x1B, 0x70, 0x00, 0x19, 0xFF}));
    // Code128 (system 73), six bytes: subset C and the digits packed in pairs.
    EXPECT_TRUE(Contains(receipt, {0x1D, 0x6B, 0x49, 0x06, 0x7B, 0x43, 0x14, 0x1A, 0x0C, 0x08}));
    // The QR code's data stored (function 80, 24 bytes and 3 of the command), then printed.
    EXPECT_TRUE(Contains(receipt, Concat({{0x1D, 0x28, 0x6B, 0x1B, 0x00, 0x31, 0x50, 0x30},
                                          Text("https://lt77.example/r/1"), {0x1D, 0x28, 0x6B, 0x03, 0x00, 0x31, 0x51, 0x30}})));
    // The whole job, checked by hand once (see tests/data/possdk/README.md).
    const Bytes golden = ReadFile(DataFolder() / "pos_receipt.prn");
    EXPECT_EQ(receipt.size(), golden.size());
    EXPECT_TRUE(receipt == golden) << "the sample receipt's stream differs from tests/data/possdk/pos_receipt.prn";

    EXPECT_EQ(ReadFile(Spool(2)), (Bytes{0x1B, 0x40, 0x1B, 0x61, 0x01, 'R', 'A', 'W', ' ', 'L', 'I', 'N', 'E', 0x0A,
                                         0x1D, 0x56, 0x42, 0x00}));
    EXPECT_NE(Job(2).find("Document = RAW DATA"), std::string::npos);
}

TEST_F(PossdkRoadTest, CallsOutOfOrderPrintNothingAndTheDocumentStillPrints)
{
    const auto connect = Export<decltype(&ConnectPrinter)>("ConnectPrinter");
    const auto startDoc = Export<decltype(&Start_Doc)>("Start_Doc");
    const auto startPage = Export<decltype(&Start_Page)>("Start_Page");
    const auto endPage = Export<decltype(&End_Page)>("End_Page");
    const auto endDoc = Export<decltype(&End_Doc)>("End_Doc");
    const auto text = Export<decltype(&PrintDeviceFont)>("PrintDeviceFont");
    const auto disconnect = Export<decltype(&DisconnectPrinter)>("DisconnectPrinter");
    ASSERT_TRUE(connect && startDoc && startPage && endPage && endDoc && text && disconnect);
    ASSERT_EQ(connect("POS"), 1);
    EXPECT_EQ(startPage(), 0);  // a page without a document
    EXPECT_EQ(text(0, 0, "FontA1x1", 10, "BEFORE"), 0);
    EXPECT_LE(endPage(), 0);
    EXPECT_FALSE(fs::exists(Spool(1)));

    ASSERT_EQ(startDoc("Order"), 1);
    EXPECT_EQ(text(0, 0, "FontA1x1", 10, "OUTSIDE"), 0);  // text before the page
    ASSERT_EQ(startPage(), 1);
    EXPECT_EQ(text(0, 0, "FontA1x1", 10, ""), 24);
    const std::string longLine(3000, 'L');
    EXPECT_EQ(text(0, 30, "FontA1x1", 10, longLine.c_str()), 24);
    EXPECT_GT(text(0, 60, "No Such Face", 10, "UNKNOWNFACE"), 0);
    EXPECT_GT(endPage(), 0);
    EXPECT_GT(endDoc(), 0);
    disconnect();

    const Bytes stream = ReadFile(Spool(1));
    EXPECT_TRUE(Contains(stream, Concat({{0x1B, 0x24, 0x00, 0x00}, Text(longLine), {0x1B, 0x4A, 0x18, 0x00}})));
    for (const char* absent : {"BEFORE", "OUTSIDE", "UNKNOWNFACE"}) EXPECT_FALSE(Contains(stream, Text(absent))) << absent;
    // The unknown face fell back to a scalable font: drawn into the page, sent as raster.
    EXPECT_TRUE(Contains(stream, {0x08, 0x43, 0x52}));
}

TEST_F(PossdkRoadTest, RefusalsAreShownAsTheHostRecordsMessageBoxes)
{
    const auto connect = Export<decltype(&ConnectPrinter)>("ConnectPrinter");
    const auto connectW = Export<decltype(&ConnectPrinterW)>("ConnectPrinterW");
    const auto write = Export<decltype(&WritePrintData)>("WritePrintData");
    ASSERT_TRUE(connect && connectW && write);
    EXPECT_EQ(connect("Nowhere"), 0);
    SetProcessEnvironment("LT77_PLUGIN", (root_ / "no-plugin.so").string());
    EXPECT_EQ(connect("POS"), 0);
    UnsetProcessEnvironment("LT77_PLUGIN");
    ASSERT_FALSE(host::SetQueueSetting("POS", "Driver", "KELWYNT QX-9"));
    const POSSDK_WCHAR pos[] = {'P', 'O', 'S', 0};
    EXPECT_EQ(connectW(pos), 0);
    EXPECT_EQ(connect("POS"), 1);
    EXPECT_EQ(write("POS", "x", 0), 0xFFFFFFFFu);
    EXPECT_EQ(write("Nowhere", "x", 1), 0xFFFFFFFFu);
    EXPECT_EQ(ReadText(root_ / "host" / "message-boxes.log"),
              "ERROR\t0x10\tOpenPrinter failed with 1801\n"
              "ERROR\t0x00\tERROR CODE : 126 \\n\\nCAN NOT CREATE A DEVICE CONTEXT!\n"
              "Error\t0x00\tTHE DRIVER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\\r\\\\n PLEASE CHECK THE PRINTER NAME\n"
              "ERROR\t0x00\tOpenPrinter failed with 1801\n");
}

}  // namespace
}  // namespace lt77
