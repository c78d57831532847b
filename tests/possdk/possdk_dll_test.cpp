// possdk.dll as shipped, under Wine: its export and import tables, and its
// exports against queues of Wine's spooler. Wine's GDI always prints through
// its own PostScript driver, so what these cases show is the library's side:
// which queues it connects to, that its document reaches the queue's port,
// the raw path byte for byte, and, where Wine has a display, the message
// boxes it shows (closed by a thread of the test, which reads their texts).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/library.h"
#include "possdk/possdk.h"
#include "tests/windows/pe_image.h"

#include <windows.h>

namespace lt77 {
namespace {

using test_support::PeImage;
using Bytes = std::vector<uint8_t>;

const PeImage& PossdkImage() { return test_support::PeImageOf(LT77_POSSDK_DLL); }

TEST(PossdkDll, ExportsTheSixteenEntriesNarrowAndWide)
{
    EXPECT_EQ(PossdkImage().machine, test_support::kMachineAmd64);
    EXPECT_EQ(PossdkImage().exportNames,
              (std::vector<std::string>{"ConnectPrinter", "ConnectPrinterW", "DisconnectPrinter", "End_Doc",
                                        "End_Page", "PrintBitmap", "PrintBitmapW", "PrintDeviceFont",
                                        "PrintDeviceFontW", "PrintTrueFont", "PrintTrueFontW", "Start_Doc",
                                        "Start_DocW", "Start_Page", "WritePrintData", "WritePrintDataW"}));
}

TEST(PossdkDll, ImportsOnlySystemLibraries)
{
    EXPECT_FALSE(PossdkImage().imports.empty());
    EXPECT_EQ(test_support::ForeignImports(PossdkImage(), {"kernel32.dll", "msvcrt.dll", "advapi32.dll",
                                                           "winspool.drv", "gdi32.dll", "user32.dll"}),
              std::vector<std::string>{});
}

// Closes every message box of this process and keeps its caption and text.
class BoxCloser {
public:
    BoxCloser()
    {
        thread_ = std::thread([this] {
            while (!stop_) {
                ::EnumWindows(&BoxCloser::Visit, reinterpret_cast<LPARAM>(this));
                ::Sleep(20);
            }
        });
    }
    ~BoxCloser()
    {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::wstring> Seen()
    {
        std::lock_guard hold(mutex_);
        return seen_;
    }

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM self)
    {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        wchar_t className[64] = {};
        ::GetClassNameW(window, className, 64);
        if (process != ::GetCurrentProcessId() || std::wstring(className) != L"#32770" || !::IsWindowVisible(window))
            return TRUE;
        wchar_t caption[64] = {}, text[512] = {};
        ::GetWindowTextW(window, caption, 64);
        // The box's text is its static control 0xFFFF.
        ::GetDlgItemTextW(window, 0xFFFF, text, 512);
        auto* closer = reinterpret_cast<BoxCloser*>(self);
        {
            std::lock_guard hold(closer->mutex_);
            closer->seen_.push_back(std::wstring(caption) + L"|" + text);
        }
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::wstring> seen_;
    std::thread thread_;
};

struct Possdk {
    std::unique_ptr<SharedLibrary> library;
    decltype(&ConnectPrinter) connect = nullptr;
    decltype(&ConnectPrinterW) connectW = nullptr;
    decltype(&DisconnectPrinter) disconnect = nullptr;
    decltype(&Start_Doc) startDoc = nullptr;
    decltype(&Start_Page) startPage = nullptr;
    decltype(&End_Page) endPage = nullptr;
    decltype(&End_Doc) endDoc = nullptr;
    decltype(&PrintDeviceFont) text = nullptr;
    decltype(&WritePrintData) write = nullptr;

    Possdk()
    {
        std::string error;
        library = LoadSharedLibrary(LT77_POSSDK_DLL, error);
        EXPECT_NE(library, nullptr) << error;
        if (!library) return;
        const auto get = [&](auto& fn, const char* name) { fn = reinterpret_cast<std::decay_t<decltype(fn)>>(library->Symbol(name)); };
        get(connect, "ConnectPrinter");
        get(connectW, "ConnectPrinterW");
        get(disconnect, "DisconnectPrinter");
        get(startDoc, "Start_Doc");
        get(startPage, "Start_Page");
        get(endPage, "End_Page");
        get(endDoc, "End_Doc");
        get(text, "PrintDeviceFont");
        get(write, "WritePrintData");
    }
    explicit operator bool() const
    {
        return connect && connectW && disconnect && startDoc && startPage && endPage && endDoc && text && write;
    }
};

constexpr wchar_t kAccepted[] = L"POS Wine LT-77";
constexpr wchar_t kRefused[] = L"POS Wine Other";

std::string PortFile(const wchar_t* queue)
{
    const std::wstring q(queue);
    std::string name = "/tmp/lt77-possdk-wine-";
    for (wchar_t c : q) name.push_back(c == L' ' ? '-' : static_cast<char>(c));
    return name + ".prn";
}

Bytes ReadPort(const wchar_t* queue)
{
    std::ifstream in("Z:" + PortFile(queue), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A queue of Wine's spooler whose driver has the given name (Wine's own
// PostScript driver behind it) and whose port is a Unix file.
void MakeQueue(const wchar_t* queue, const wchar_t* driverName)
{
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(driverName);
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    ASSERT_TRUE(::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
        << ::GetLastError();
    HANDLE old = nullptr;
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (::OpenPrinterW(const_cast<wchar_t*>(queue), &old, &all)) {
        ::DeletePrinter(old);
        ::ClosePrinter(old);
    }
    const std::string file = PortFile(queue);
    std::wstring port(file.begin(), file.end());
    ::DeleteFileW((L"Z:" + port).c_str());
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<wchar_t*>(queue);
    info.pPortName = port.data();
    info.pDriverName = const_cast<wchar_t*>(driverName);
    info.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_NE(printer, nullptr) << ::GetLastError();
    ::ClosePrinter(printer);
}

bool Contains(const Bytes& haystack, const std::string& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

class PossdkWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeQueue(kAccepted, L"KELWYNT LT-77");
        MakeQueue(kRefused, L"Generic Text Printer");
    }
};

TEST_F(PossdkWine, ConnectsToAnAcceptedQueueAndItsDocumentReachesThePort)
{
    Possdk sdk;
    ASSERT_TRUE(sdk);
    BoxCloser boxes;
    ASSERT_EQ(sdk.connect("POS Wine LT-77"), 1);
    ASSERT_EQ(sdk.startDoc("possdk under Wine"), 1);
    ASSERT_EQ(sdk.startPage(), 1);
    EXPECT_GT(sdk.text(24, 24, "FontA1x1", 10, "Espresso 2.50"), 0);
    EXPECT_GT(sdk.endPage(), 0);
    EXPECT_GT(sdk.endDoc(), 0);
    sdk.disconnect();
    const Bytes port = ReadPort(kAccepted);
    // Wine's PostScript driver, not the LT-77's plug-in, rendered it.
    EXPECT_TRUE(Contains(port, "%!PS-Adobe")) << port.size() << " bytes at " << PortFile(kAccepted);
    EXPECT_TRUE(Contains(port, "possdk under Wine"));
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(PossdkWine, RefusesAQueueWhoseDriverIsNoneOfItsFamilies)
{
    Possdk sdk;
    ASSERT_TRUE(sdk);
    BoxCloser boxes;
    EXPECT_EQ(sdk.connect("POS Wine Other"), 0);
    const POSSDK_WCHAR other[] = L"POS Wine Other";
    EXPECT_EQ(sdk.connectW(other), 0);
    EXPECT_EQ(sdk.connect("POS Wine Nowhere"), 0);
    EXPECT_EQ(sdk.startDoc("nothing"), 0);
    EXPECT_TRUE(ReadPort(kRefused).empty());
}

// Wine shows a box only where it has a display; the test's own box tells.
TEST_F(PossdkWine, MessageBoxesCarryTheirExactTexts)
{
    {
        BoxCloser probe;
        ::MessageBoxW(nullptr, L"probe", L"probe", MB_OK);
        if (probe.Seen().empty()) GTEST_SKIP() << "Wine has no display here: MessageBox shows no window";
    }
    Possdk sdk;
    ASSERT_TRUE(sdk);
    BoxCloser boxes;
    EXPECT_EQ(sdk.connect("POS Wine Other"), 0);
    const POSSDK_WCHAR other[] = L"POS Wine Other";
    EXPECT_EQ(sdk.connectW(other), 0);
    EXPECT_EQ(sdk.write("POS Wine Other", "x", 1), 0u);
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], L"Error|THE PRINTER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\r\n PLEASE CHECK THE PRINTER NAME");
    EXPECT_EQ(seen[1], L"Error|THE DRIVER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\r\\n PLEASE CHECK THE PRINTER NAME");
    EXPECT_EQ(seen[2], L"Error|THE PRINTER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\r\\n PLEASE CHECK THE PRINTER NAME");
}

TEST_F(PossdkWine, RawDataReachesThePortByteForByteAndRefusalsGiveTheirResults)
{
    Possdk sdk;
    ASSERT_TRUE(sdk);
    const Bytes raw = {0x1B, 0x40, 'R', 'A', 'W', 0x00, 0x0A, 0xFF, 0x1D, 0x56, 0x42, 0x00};
    EXPECT_EQ(sdk.write("POS Wine LT-77", raw.data(), static_cast<int32_t>(raw.size())), raw.size());
    EXPECT_EQ(ReadPort(kAccepted), raw);
    EXPECT_EQ(sdk.write("POS Wine LT-77", raw.data(), 0), 0xFFFFFFFFu);
    EXPECT_EQ(sdk.write("POS Wine LT-77", raw.data(), -1), 0xFFFFFFFFu);
    EXPECT_EQ(sdk.write("POS Wine Other", raw.data(), 1), 0u);
    EXPECT_EQ(sdk.write("POS Wine Nowhere", raw.data(), 1), 0xFFFFFFFFu);
    // The refused writes started no job: the port still holds the first one alone.
    EXPECT_EQ(ReadPort(kAccepted), raw);
}

}  // namespace
}  // namespace lt77
