// monlt77 under Wine, driven as the spooler drives a language monitor. Wine
// never calls OpenPortEx, so this program plays the spooler: it loads the
// DLL through its export, lends it the host's registry key and the host's
// port monitor underneath (on the real Win32 sockets and serial calls), on
// a real queue of Wine's spooler. The Linux virtual printer is at the other
// end (with_virtual_printer.sh starts one per test process). Applications
// read the shared status record from other processes: this program reads it
// through a second Wine process, itself started with --read-status-record.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/status_record.h"
#include "common/utf.h"
#include "host/lower_monitor.h"
#include "host/monitor_registry.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/monitor/monitor_abi.h"
#include "platform/serial_port.h"
#include "platform/tcp_socket.h"

#include <windows.h>
#include <winspool.h>

namespace lt77 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using InitializeFn = mon::MONITOR2* (*)(mon::MONITORINIT*, HANDLE*);

// Generous: a serial poll alone may wait a second for the printer, and
// every look at the record starts a Wine process.
constexpr auto kPatience = 30s;
constexpr char kReadRecordFlag[] = "--read-status-record";

template <class F>
bool Eventually(F condition)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return condition();
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::wstring Wide(std::string_view text)
{
    const std::u16string u = Utf8ToUtf16(text);
    return std::wstring(u.begin(), u.end());
}

// Wine maps drive Z: to the Linux root.
std::wstring FromUnixPath(const std::string& path)
{
    std::wstring wide = L"Z:" + Wide(path);
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return wide;
}

std::string Hex(const uint8_t* bytes, size_t n)
{
    std::string text;
    char two[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(two, sizeof(two), "%02X", bytes[i]);
        if (i != 0) text += ' ';
        text += two;
    }
    return text;
}

// A receipt as the driver sends it: reset, centred title, item lines, feed
// and cut. Long enough for several of the monitor's network chunks.
Bytes Receipt(const std::string& title, int lines)
{
    std::string text = "\x1B\x40\x1B\x61\x01" + title + "\n\x1B\x61\x00";
    char line[64];
    for (int i = 1; i <= lines; ++i) {
        std::snprintf(line, sizeof(line), "Item %03d ..................... %4d.%02d\n", i, i * 7, i % 100);
        text += line;
    }
    text += "\x1D\x56\x42\x00";
    return Bytes(text.begin(), text.end());
}

// What with_virtual_printer.sh says about the printer it started.
struct PrinterEndpoints {
    std::string program;
    std::string control;
    std::string jobs;
    uint16_t tcpPort = 0;
    std::string comPort;
};

std::optional<PrinterEndpoints> EndpointsFromEnvironment()
{
    PrinterEndpoints p{Environment("LT77_PRINTER_PROGRAM"), Environment("LT77_PRINTER_CONTROL"),
                       Environment("LT77_PRINTER_JOBS"),
                       static_cast<uint16_t>(std::atoi(Environment("LT77_PRINTER_TCP_PORT").c_str())),
                       Environment("LT77_PRINTER_COM")};
    if (p.program.empty() || p.control.empty() || p.jobs.empty() || p.tcpPort == 0 || p.comPort.empty())
        return std::nullopt;
    return p;
}

// A control command to the printer. Its control socket is a Unix-domain
// socket, which Wine's Winsock cannot open (WSAEAFNOSUPPORT), so the Linux
// program's own control mode is started from here. Wine starts a Linux
// program without a process to wait for or an exit code, so its reply
// line, written to a file, tells when it is done.
std::string Control(const PrinterEndpoints& printer, const std::string& command)
{
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, folder);
    wchar_t replyPath[MAX_PATH + 1] = {};
    if (::GetTempFileNameW(folder, L"ctl", 0, replyPath) == 0) return "no reply file";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE reply = ::CreateFileW(replyPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (reply == INVALID_HANDLE_VALUE) return "no reply file";
    std::wstring line = L"\"" + FromUnixPath(printer.program) + L"\" control " + Wide(printer.control) + L" " +
                        Wide(command);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = reply;
    startup.hStdError = reply;
    PROCESS_INFORMATION process{};
    const BOOL started =
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    ::CloseHandle(reply);
    std::string text = started ? "" : "the control program did not start";
    if (started) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        Eventually([&] {
            std::ifstream in(replyPath, std::ios::binary);
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            return text.find('\n') != std::string::npos;
        });
    }
    ::DeleteFileW(replyPath);
    return text;
}

// The first 8 bytes of the printer's shared status record as another
// process sees them ("38 00 00 0F 07 00 00 00"), or what it could not do.
std::string RecordSeenByAnotherProcess(const std::wstring& printer)
{
    wchar_t self[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" " + Wide(kReadRecordFlag) + L" \"" + printer + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "no pipe";
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL started =
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    std::string text;
    if (started) {
        char buffer[256];
        ::DWORD n = 0;
        while (::ReadFile(readEnd, buffer, sizeof(buffer), &n, nullptr) && n > 0) text.append(buffer, n);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    } else {
        text = "the reader did not start";
    }
    ::CloseHandle(readEnd);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// The second process: opens the record by name for reading, as the status
// library does inside an application, and prints its first 8 bytes.
int ReadStatusRecord(const char* printer)
{
    const std::wstring name = L"Global\\BIDI_" + Wide(printer);
    HANDLE section = ::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    if (section == nullptr) {
        std::printf("no record (open: error %lu)\n", ::GetLastError());
        return 2;
    }
    const void* view = ::MapViewOfFile(section, FILE_MAP_READ, 0, 0, kStatusRecordBytes);
    if (view == nullptr) {
        std::printf("no record (map: error %lu)\n", ::GetLastError());
        ::CloseHandle(section);
        return 2;
    }
    std::printf("%s\n", Hex(static_cast<const uint8_t*>(view), 8).c_str());
    ::UnmapViewOfFile(view);
    ::CloseHandle(section);
    return 0;
}

// A queue of Wine's spooler for the monitor to open: the status thread
// stops at once on a printer it cannot open, and polls only with the
// bidirectional attribute set. Its own port is FILE:, since only Wine's
// Local Port monitor exists; the monitor is handed its port by this test.
std::string MakeBidiQueue(const std::wstring& name)
{
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(L"LT-77");
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    if (!::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
        return "AddPrinterDriverEx: error " + std::to_string(::GetLastError());
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE old = nullptr;
    if (::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &old, &all)) {
        ::DeletePrinter(old);
        ::ClosePrinter(old);
    }
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<wchar_t*>(name.c_str());
    info.pPortName = const_cast<wchar_t*>(L"FILE:");
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    info.Attributes = PRINTER_ATTRIBUTE_ENABLE_BIDI;
    HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer == nullptr) return "AddPrinter: error " + std::to_string(::GetLastError());
    ::DWORD needed = 0;
    ::GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    std::string error;
    if (needed == 0 || !::GetPrinterW(printer, 2, buffer.data(), needed, &needed))
        error = "GetPrinter: error " + std::to_string(::GetLastError());
    else if ((reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->Attributes & PRINTER_ATTRIBUTE_ENABLE_BIDI) == 0)
        error = "the queue lost its bidirectional attribute";
    ::ClosePrinter(printer);
    return error;
}

class MonitorUnderWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SystemSockets().Startup(), 0u);
        std::string error;
        library_ = LoadSharedLibrary(LT77_MONLT77_DLL, error);
        ASSERT_NE(library_, nullptr) << error;
        const auto initialize = reinterpret_cast<InitializeFn>(library_->Symbol("InitializePrintMonitor2"));
        ASSERT_NE(initialize, nullptr);
        init_ = registry_.Init();
        HANDLE hMonitor = nullptr;
        monitor_ = initialize(&init_, &hMonitor);
        ASSERT_NE(monitor_, nullptr);
        lower_ = std::make_unique<host::LowerMonitor>(
            host::LowerMonitor::Parts{SystemSockets(), SystemSerialDevices(), SystemFileSystem()},
            [this](std::u16string_view) {
                host::PortSettings settings;
                settings.hostAddress = hostAddress_;
                settings.portNumber = printer_ ? printer_->tcpPort : 9100;
                return settings;
            });
    }

    void TearDown() override
    {
        for (HANDLE port : open_) {
            EXPECT_TRUE(monitor_->pfnClosePort(port));
        }
        lower_.reset();
        library_.reset();
        SystemSockets().Cleanup();
    }

    // The printer for the cases that need one; they skip without it.
    bool UsePrinter()
    {
        printer_ = EndpointsFromEnvironment();
        return printer_.has_value();
    }

    HANDLE OpenPort(std::u16string port, std::u16string printer)
    {
        HANDLE handle = nullptr;
        if (!monitor_->pfnOpenPortEx(nullptr, lower_->Handle(), port.data(), printer.data(), &handle,
                                     lower_->Table()))
            return nullptr;
        open_.push_back(handle);
        return handle;
    }

    BOOL StartDoc(HANDLE port, std::u16string printer, DWORD jobId)
    {
        std::u16string document = u"receipt";
        mon::DOC_INFO_1W info{document.data(), nullptr, nullptr};
        return monitor_->pfnStartDocPort(port, printer.data(), jobId, 1, reinterpret_cast<BYTE*>(&info));
    }

    // A whole job in the spooler's pieces; false when a call failed.
    bool Print(HANDLE port, const std::u16string& printer, DWORD jobId, const Bytes& job)
    {
        if (!StartDoc(port, printer, jobId)) return false;
        bool ok = true;
        for (size_t sent = 0; ok && sent < job.size();) {
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(3000, job.size() - sent));
            DWORD written = 0;
            ok = monitor_->pfnWritePort(port, const_cast<uint8_t*>(job.data() + sent), piece, &written) &&
                 written == piece;
            sent += written;
        }
        return monitor_->pfnEndDocPort(port) && ok;
    }

    // The printer's jobs as it received them, oldest first.
    std::vector<Bytes> PrintedJobs()
    {
        std::vector<fs::path> files;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(fs::path(FromUnixPath(printer_->jobs)), ec))
            if (entry.path().extension() == ".prn") files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        std::vector<Bytes> jobs;
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            jobs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return jobs;
    }

    bool RecordBecomes(const std::wstring& printer, const std::string& expected)
    {
        return Eventually([&] { return (lastRecord_ = RecordSeenByAnotherProcess(printer)) == expected; });
    }

    std::unique_ptr<SharedLibrary> library_;
    host::MonitorRegistry registry_;
    mon::MONITORINIT init_{};
    mon::MONITOR2* monitor_ = nullptr;
    std::unique_ptr<host::LowerMonitor> lower_;
    std::optional<PrinterEndpoints> printer_;
    std::u16string hostAddress_ = u"127.0.0.1";
    std::vector<HANDLE> open_;
    std::string lastRecord_;
};

#define LT77_NEEDS_PRINTER()                                                                               \
    do {                                                                                                   \
        if (!UsePrinter())                                                                                 \
            GTEST_SKIP() << "no virtual printer (LT77_PRINTER_* unset): build the Linux lt77printer and run " \
                            "through ctest";                                                               \
    } while (false)

TEST_F(MonitorUnderWine, ANetworkPortCarriesTheJobAndPublishesTheCoverToOtherProcesses)
{
    LT77_NEEDS_PRINTER();
    const std::wstring queue = L"LT77 Wine Net";
    ASSERT_EQ(MakeBidiQueue(queue), "");
    const std::u16string printer(queue.begin(), queue.end());
    HANDLE port = OpenPort(u"IP_127.0.0.1", printer);
    ASSERT_NE(port, nullptr);
    // The status thread's own connection has enabled status back.
    EXPECT_TRUE(RecordBecomes(queue, "10 00 00 0F 00 00 00 00")) << lastRecord_;

    const Bytes job = Receipt("LT-77 under Wine", 120);
    ASSERT_TRUE(Print(port, printer, 1, job));
    ASSERT_TRUE(Eventually([&] { return PrintedJobs().size() == 1 && PrintedJobs()[0].size() >= job.size(); }));
    EXPECT_EQ(PrintedJobs()[0], job);

    EXPECT_EQ(Control(*printer_, "cover open"), "ok block 38 00 00 0F\n");
    EXPECT_TRUE(RecordBecomes(queue, "38 00 00 0F 07 00 00 00")) << lastRecord_;
    // Wine's winspool has no SetPortW, so the spooler never took the door
    // status; the monitor then keeps the status it last gave, none, and the
    // next job goes to the printer. (Refusals show with an offline printer,
    // whose status stays when SetPort fails: see the case below.)
    ASSERT_TRUE(StartDoc(port, printer, 2));
    EXPECT_TRUE(monitor_->pfnEndDocPort(port));
    const auto calls = lower_->Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "StartDocPort IP_127.0.0.1 2"), calls.end());

    EXPECT_EQ(Control(*printer_, "cover close"), "ok block 10 00 00 0F\n");
    EXPECT_TRUE(RecordBecomes(queue, "10 00 00 0F 00 00 00 00")) << lastRecord_;
}

TEST_F(MonitorUnderWine, AnUnreachablePrinterIsOfflineForOtherProcessesAndItsNextJobIsRefused)
{
    // The one address whose echo fails on every machine: the system refuses
    // to send to it.
    hostAddress_ = u"255.255.255.255";
    const std::wstring queue = L"LT77 Wine Far";
    ASSERT_EQ(MakeBidiQueue(queue), "");
    const std::u16string printer(queue.begin(), queue.end());
    HANDLE port = OpenPort(u"IP_255.255.255.255", printer);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(RecordBecomes(queue, "00 00 00 00 01 00 00 00")) << lastRecord_;
    // Under Wine the spooler cannot show the job deleted (GetJob knows only
    // jobs this process spooled, and SetJob commands are ignored), so the
    // refusal shows in the answer and in the port monitor underneath, which
    // never saw the job.
    EXPECT_FALSE(StartDoc(port, printer, 9));
    const auto calls = lower_->Calls();
    EXPECT_EQ(std::find(calls.begin(), calls.end(), "StartDocPort IP_255.255.255.255 9"), calls.end());
}

TEST_F(MonitorUnderWine, ASerialPortOnThePrintersTerminalPublishesPaperOutAndCarriesTheJob)
{
    LT77_NEEDS_PRINTER();
    // The monitor opens the device behind the spooler's back under the name
    // QueryDosDevice gives; Wine answers only for a port named in its
    // registry, as \Device\Serial<N-1>.
    const std::wstring com = Wide(printer_->comPort);
    std::vector<wchar_t> targets(4096);
    ASSERT_NE(::QueryDosDeviceW(com.c_str(), targets.data(), static_cast<::DWORD>(targets.size())), 0u)
        << "error " << ::GetLastError() << ": " << printer_->comPort
        << " is not in HKLM\\Software\\Wine\\Ports, or the Wine server has not started since";
    EXPECT_EQ(std::wstring(targets.data()), L"\\Device\\Serial" + std::to_wstring(std::stoi(com.substr(3)) - 1));

    const std::wstring queue = L"LT77 Wine Com";
    ASSERT_EQ(MakeBidiQueue(queue), "");
    const std::u16string printer(queue.begin(), queue.end());
    HANDLE port = OpenPort(Utf8ToUtf16(printer_->comPort + ":"), printer);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(RecordBecomes(queue, "10 00 00 0F 00 00 00 00")) << lastRecord_;
    EXPECT_EQ(Control(*printer_, "paper out"), "ok block 10 00 0C 0F\n");
    EXPECT_TRUE(RecordBecomes(queue, "10 00 0C 0F 03 00 00 00")) << lastRecord_;
    EXPECT_EQ(Control(*printer_, "paper refill"), "ok block 10 00 00 0F\n");
    EXPECT_TRUE(RecordBecomes(queue, "10 00 00 0F 00 00 00 00")) << lastRecord_;

    // The job goes through the port monitor underneath, on \\.\COMn.
    const Bytes job = Receipt("LT-77 on COM", 120);
    ASSERT_TRUE(Print(port, printer, 1, job));
    ASSERT_TRUE(Eventually([&] { return PrintedJobs().size() == 1 && PrintedJobs()[0].size() >= job.size(); }));
    EXPECT_EQ(PrintedJobs()[0], job);
}

}  // namespace
}  // namespace lt77

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == lt77::kReadRecordFlag) return lt77::ReadStatusRecord(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
