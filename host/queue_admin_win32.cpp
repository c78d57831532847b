// The host's queues on Windows live in the real spooler (under Wine, the
// spooler of the test prefix). The host plays the driver core itself, so the
// queue only needs some driver the spooler can register; Wine's own
// PostScript driver file serves.
//
// Job records: the spooler numbers jobs itself and a record exists only for
// a document being spooled. CreateJob therefore starts a real document
// (StartDocPrinter) on a handle it keeps open until the process ends, with a
// device mode carrying the copies. To give the job the number the caller
// asked for, it takes and deletes jobs until the spooler hands out that
// number; when the spooler is already past it, CreateJob fails. Wine numbers
// jobs per process from 1, so each test process can choose its numbers.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <utility>

#include "common/utf.h"
#include "host/queue_admin.h"
#include "platform/platform.h"
#include "platform/typed_value.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>
#include <winspool.h>

#include "platform/win32/printer_handle.h"

// winspool.h maps the name to SetPrinterDataW; the host's function of that
// name is meant here.
#undef SetPrinterData

namespace lt77::host {
namespace {

using win32::Utf8FromWide;
using win32::WideFromUtf8;

constexpr wchar_t kDriverName[] = L"LT-77";
constexpr wchar_t kStandInDriverFile[] = L"wineps.drv";
// Printer data of the host itself: the driver-core option answers and the
// list of data keys written through the host (Wine has no EnumPrinterKey).
constexpr char kHostKey[] = "LT77Host";
constexpr char kHostDataKeysValue[] = "DataKeys";
// Each skipped job costs about a millisecond under Wine.
constexpr DWORD kMaxSkippedJobs = 20000;

std::string SystemErrorText(::DWORD error) { return "system error " + std::to_string(error); }

using Printer = win32::PrinterHandle;

Printer OpenByName(std::string_view queue, ACCESS_MASK access, ::DEVMODEW* devmode = nullptr)
{
    return Printer::Open(WideFromUtf8(queue).c_str(), access, devmode);
}

std::optional<std::string> SetValue(HANDLE printer, std::string_view key, std::string_view value,
                                    const PrinterDataValue& data)
{
    const DWORD error = SystemPlatform().spooler.SetData(printer, key, value, data.type, data.bytes);
    if (error != 0)
        return "SetPrinterDataEx(" + std::string(key) + ", " + std::string(value) + ") failed: " +
               SystemErrorText(error);
    return std::nullopt;
}

PrinterDataValue TextValue(std::string_view text)
{
    const std::u16string wide = Utf8ToUtf16(text);
    PrinterDataValue value{REG_SZ_TYPE, {}};
    for (char16_t c : wide) {
        value.bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        value.bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    value.bytes.push_back(0);
    value.bytes.push_back(0);
    return value;
}

std::optional<std::string> ReadText(HANDLE printer, std::string_view key, std::string_view value)
{
    PrinterDataValue data;
    if (SystemPlatform().spooler.GetData(printer, key, value, 64 * 1024, data) != 0 || data.type != REG_SZ_TYPE)
        return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < data.bytes.size(); i += 2) {
        const auto c = static_cast<char16_t>(data.bytes[i] | (data.bytes[i + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return Utf16ToUtf8(text);
}

// Data keys recorded by the host, separated by '|' (a character printer data
// key names do not use here).
std::vector<std::string> RecordedKeys(HANDLE printer)
{
    std::vector<std::string> keys;
    const std::string joined = ReadText(printer, kHostKey, kHostDataKeysValue).value_or("");
    std::size_t start = 0;
    while (start < joined.size()) {
        const std::size_t end = std::min(joined.find('|', start), joined.size());
        if (end > start) keys.push_back(joined.substr(start, end - start));
        start = end + 1;
    }
    return keys;
}

std::optional<std::string> RecordKey(HANDLE printer, std::string_view key)
{
    auto keys = RecordedKeys(printer);
    for (const auto& k : keys)
        if (k == key) return std::nullopt;
    std::string joined;
    for (const auto& k : keys) joined += k + "|";
    joined += key;
    return SetValue(printer, kHostKey, kHostDataKeysValue, TextValue(joined));
}

// A document kept open so that its job record stays in the spooler.
struct OpenJob {
    Printer printer;
    DWORD jobId = 0;
    std::string document;
    int16_t copies = 0;
};

void DiscardJob(HANDLE printer, DWORD jobId)
{
    ::SetJobW(printer, jobId, 0, nullptr, JOB_CONTROL_DELETE);
    ::AbortPrinter(printer);
}

class JobTable {
public:
    ~JobTable()
    {
        for (auto& [key, job] : jobs_) DiscardJob(job.printer.Get(), job.jobId);
    }
    std::map<std::pair<std::string, DWORD>, OpenJob>& Jobs() { return jobs_; }
    void EndJobsOf(std::string_view queue)
    {
        for (auto it = jobs_.begin(); it != jobs_.end();) {
            if (it->first.first == queue) {
                DiscardJob(it->second.printer.Get(), it->second.jobId);
                it = jobs_.erase(it);
            } else {
                ++it;
            }
        }
    }

private:
    std::map<std::pair<std::string, DWORD>, OpenJob> jobs_;
};

JobTable& OpenJobs()
{
    static JobTable table;
    return table;
}

std::wstring HostRootFolder()
{
    if (const char* env = std::getenv("LT77_HOST_ROOT"); env != nullptr && *env != '\0') return WideFromUtf8(env);
    wchar_t temp[MAX_PATH + 1] = {};
    const ::DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring root(temp, length);
    while (!root.empty() && (root.back() == L'\\' || root.back() == L'/')) root.pop_back();
    return root + L"\\LT77Host";
}

std::wstring SpoolFolder(std::string_view queue)
{
    return HostRootFolder() + L"\\queues\\" + WideFromUtf8(queue) + L"\\spool";
}

void MakeFolders(const std::wstring& path)
{
    for (std::size_t sep = path.find_first_of(L"\\/", 3); sep != std::wstring::npos;
         sep = path.find_first_of(L"\\/", sep + 1))
        ::CreateDirectoryW(path.substr(0, sep).c_str(), nullptr);
    ::CreateDirectoryW(path.c_str(), nullptr);
}

std::optional<std::string> RegisterDriver()
{
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kDriverName);
    driver.pDriverPath = const_cast<wchar_t*>(kStandInDriverFile);
    driver.pDataFile = const_cast<wchar_t*>(kStandInDriverFile);
    driver.pConfigFile = const_cast<wchar_t*>(kStandInDriverFile);
    if (!::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
        return "AddPrinterDriverEx(LT-77 with wineps.drv) failed: " + SystemErrorText(::GetLastError());
    return std::nullopt;
}

std::string Describe(HANDLE printer, std::string_view queue)
{
    std::string text = "# The queue " + std::string(queue) + " in the Windows spooler.\n[Queue]\n";
    PrinterInfo info;
    if (SystemPlatform().spooler.ReadPrinterInfo(printer, info) == 0) {
        text += "Driver = " + Utf16ToUtf8(info.driverName) + "\n";
        text += "Port = " + Utf16ToUtf8(info.portName) + "\n";
    }
    for (const char* setting : {"InputBin", "Orientation"})
        if (auto value = ReadText(printer, kHostKey, setting)) text += std::string(setting) + " = " + *value + "\n";

    std::vector<std::string> keys = {"DsSpooler", "PrinterDriverData\\Properties"};
    for (auto& k : RecordedKeys(printer))
        if (std::find(keys.begin(), keys.end(), k) == keys.end()) keys.push_back(k);
    for (const auto& key : keys) {
        ::DWORD needed = 0;
        ::DWORD count = 0;
        const std::wstring wideKey = WideFromUtf8(key);
        ::EnumPrinterDataExW(printer, wideKey.c_str(), nullptr, 0, &needed, &count);
        if (needed == 0) continue;
        std::vector<BYTE> buffer(needed);
        if (::EnumPrinterDataExW(printer, wideKey.c_str(), buffer.data(), needed, &needed, &count) != ERROR_SUCCESS)
            continue;
        text += "\n[PrinterData\\" + key + "]\n";
        const auto* values = reinterpret_cast<const PRINTER_ENUM_VALUESW*>(buffer.data());
        for (::DWORD i = 0; i < count; ++i) {
            PrinterDataValue value{static_cast<DWORD>(values[i].dwType),
                                   std::vector<uint8_t>(values[i].pData, values[i].pData + values[i].cbData)};
            text += Utf8FromWide(values[i].pValueName) + " = " + EncodeTypedValue(value) + "\n";
        }
    }
    return text;
}

}  // namespace

std::optional<std::string> CreateQueue(std::string_view queue, const QueueSetup& setup)
{
    if (queue.empty() || queue.find_first_of("\\,") != std::string_view::npos)
        return "'" + std::string(queue) + "' is not a valid queue name";
    if (auto error = RegisterDriver()) return error;
    OpenJobs().EndJobsOf(queue);
    if (Printer old = OpenByName(queue, PRINTER_ALL_ACCESS)) {
        if (!::DeletePrinter(old.Get()))
            return "DeletePrinter(" + std::string(queue) + ") failed: " + SystemErrorText(::GetLastError());
    }
    std::wstring name = WideFromUtf8(queue);
    std::wstring port = WideFromUtf8(setup.port);
    PRINTER_INFO_2W info{};
    info.pPrinterName = name.data();
    info.pPortName = port.data();
    info.pDriverName = const_cast<wchar_t*>(kDriverName);
    info.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    info.Attributes = setup.bidi ? PRINTER_ATTRIBUTE_ENABLE_BIDI : 0;
    Printer printer(::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
    if (!printer) return "AddPrinter(" + std::string(queue) + ") failed: " + SystemErrorText(::GetLastError());
    if (auto e = SetValue(printer.Get(), "DsSpooler", "printerName", TextValue(queue))) return e;
    if (auto e = SetValue(printer.Get(), kHostKey, "InputBin", TextValue(setup.inputBin))) return e;
    if (auto e = SetValue(printer.Get(), kHostKey, "Orientation", TextValue(setup.orientation))) return e;
    MakeFolders(SpoolFolder(queue));
    return std::nullopt;
}

std::optional<std::string> SetPrinterData(std::string_view queue, std::string_view key, std::string_view value,
                                          const PrinterDataValue& data)
{
    Printer printer = OpenByName(queue, PRINTER_ALL_ACCESS);
    if (!printer) return "OpenPrinter(" + std::string(queue) + ") failed: " + SystemErrorText(::GetLastError());
    if (auto e = SetValue(printer.Get(), key, value, data)) return e;
    return RecordKey(printer.Get(), key);
}

std::optional<std::string> SetQueueSetting(std::string_view queue, std::string_view name, std::string_view value)
{
    Printer printer = OpenByName(queue, PRINTER_ALL_ACCESS);
    if (!printer) return "OpenPrinter(" + std::string(queue) + ") failed: " + SystemErrorText(::GetLastError());
    return SetValue(printer.Get(), kHostKey, name, TextValue(value));
}

std::optional<std::string> QueueSetting(std::string_view queue, std::string_view name)
{
    Printer printer = OpenByName(queue, PRINTER_ACCESS_USE);
    if (!printer) return std::nullopt;
    return ReadText(printer.Get(), kHostKey, name);
}

std::variant<std::string, QueueError> DescribeQueue(std::string_view queue)
{
    Printer printer = OpenByName(queue, PRINTER_ACCESS_USE);
    if (!printer)
        return QueueError{"OpenPrinter(" + std::string(queue) + ") failed: " + SystemErrorText(::GetLastError())};
    return Describe(printer.Get(), queue);
}

std::optional<std::string> CreateJob(std::string_view queue, DWORD jobId, std::string_view document, int16_t copies)
{
    ::DeleteFileW((SpoolFolder(queue) + L"\\" + std::to_wstring(jobId) + L".prn").c_str());
    auto& jobs = OpenJobs().Jobs();
    const auto key = std::make_pair(std::string(queue), jobId);
    if (auto it = jobs.find(key); it != jobs.end()) {
        // The spooler never hands out a number twice; the record already
        // open serves when it describes the same document.
        if (it->second.document == document && it->second.copies == copies) return std::nullopt;
        return "job " + std::to_string(jobId) + " of " + std::string(queue) +
               " is already spooling another document; the spooler cannot renumber jobs";
    }
    ::DEVMODEW devmode{};
    devmode.dmSize = sizeof(devmode);
    devmode.dmSpecVersion = DM_SPECVERSION;
    devmode.dmFields = DM_COPIES;
    devmode.dmCopies = copies;
    std::wcsncpy(devmode.dmDeviceName, WideFromUtf8(queue).c_str(), CCHDEVICENAME - 1);
    std::wstring documentName = WideFromUtf8(document);
    DOC_INFO_1W doc{documentName.data(), nullptr, const_cast<wchar_t*>(L"RAW")};
    for (DWORD skipped = 0; skipped <= kMaxSkippedJobs; ++skipped) {
        Printer printer = OpenByName(queue, PRINTER_ACCESS_USE, &devmode);
        if (!printer) return "OpenPrinter(" + std::string(queue) + ") failed: " + SystemErrorText(::GetLastError());
        const ::DWORD id = ::StartDocPrinterW(printer.Get(), 1, reinterpret_cast<BYTE*>(&doc));
        if (id == 0) return "StartDocPrinter failed: " + SystemErrorText(::GetLastError());
        if (id == jobId) {
            jobs.emplace(key, OpenJob{std::move(printer), jobId, std::string(document), copies});
            return std::nullopt;
        }
        DiscardJob(printer.Get(), id);
        if (id > jobId)
            return "the spooler numbers jobs itself and is already at " + std::to_string(id) + ", past job " +
                   std::to_string(jobId);
    }
    return "the spooler did not reach job " + std::to_string(jobId) + " within " + std::to_string(kMaxSkippedJobs) +
           " jobs";
}

std::optional<JobRecord> ReadJob(std::string_view queue, DWORD jobId)
{
    Printer printer = OpenByName(queue, PRINTER_ACCESS_USE);
    if (!printer) return std::nullopt;
    JobRecord job;
    if (SystemPlatform().spooler.ReadJob(printer.Get(), jobId, job) != 0) return std::nullopt;
    return job;
}

namespace {

class Win32CoreQueue final : public CoreQueue {
public:
    explicit Win32CoreQueue(Printer printer) : printer_(std::move(printer)) {}
    // Null when the queue could not be opened; calls through it then fail
    // with ERROR_INVALID_HANDLE, as they would for the core.
    HANDLE Handle() override { return printer_.Get(); }

private:
    Printer printer_;
};

}  // namespace

std::unique_ptr<CoreQueue> OpenCoreQueue(std::string_view queue)
{
    return std::make_unique<Win32CoreQueue>(OpenByName(queue, PRINTER_ACCESS_USE));
}

HPALETTE HostGreyPalette()
{
    // A GDI palette: the engine's palette functions are not there under Wine,
    // and the plug-in reads a GDI palette through GDI.
    static const HPALETTE palette = [] {
        constexpr std::size_t kEntriesAt = offsetof(LOGPALETTE, palPalEntry);
        std::vector<BYTE> buffer(kEntriesAt + 256 * sizeof(PALETTEENTRY));
        auto* logPalette = reinterpret_cast<LOGPALETTE*>(buffer.data());
        logPalette->palVersion = 0x300;
        logPalette->palNumEntries = 256;
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<BYTE>(i);
            const PALETTEENTRY entry{v, v, v, 0};
            std::memcpy(buffer.data() + kEntriesAt + i * sizeof(entry), &entry, sizeof(entry));
        }
        return static_cast<HPALETTE>(::CreatePalette(logPalette));
    }();
    return palette;
}

// The queue lives in the spooler, not in a file: this writes what the
// spooler holds (as DescribeQueue gives it) to a file for people to read.
// Editing that file changes nothing.
std::string QueueFilePath(std::string_view queue)
{
    const std::wstring folder = HostRootFolder() + L"\\queues\\" + WideFromUtf8(queue);
    MakeFolders(folder);
    const std::wstring path = folder + L"\\printer-snapshot.ini";
    const auto described = DescribeQueue(queue);
    const std::string text = std::holds_alternative<std::string>(described)
                                 ? std::get<std::string>(described)
                                 : "# " + std::get<QueueError>(described).message + "\n";
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<::DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    return Utf8FromWide(path);
}

std::string SpoolPath(std::string_view queue, DWORD jobId)
{
    return Utf8FromWide(SpoolFolder(queue) + L"\\" + std::to_wstring(jobId) + L".prn");
}

// Windows paths are real here.
std::string HostPathOf(std::string_view windowsPath) { return std::string(windowsPath); }

// ShellExecute really starts programs on Windows and keeps no record.
std::vector<std::string> ShellStarts() { return {}; }

bool HostSpoolerKeepsJobRecords()
{
    // Wine's spooler ignores the job records written back to it.
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
}

bool HostQueuesArePlainFiles() { return false; }
bool HostRecordsShellStarts() { return false; }

}  // namespace lt77::host
