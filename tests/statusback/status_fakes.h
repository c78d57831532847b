// The system parts a status library under test runs on: a spooler whose one
// queue has the attributes, port and jobs a test gives it and which records
// the documents sent to it, a printer list, shared memory held in memory
// (a view keeps what the library wrote and nothing else, as an in-place
// mapping does), the system's code conversions in a chosen code page, and
// pauses that are counted. Every part may be called from the callback thread
// and the test at once.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/monitor/monitor_abi.h"
#include "statusback/status_library.h"

namespace lt77::statusback::testing {

class FakeSpooler final : public Spooler {
public:
    std::unique_ptr<QueueHandle> OpenQueue(std::u16string_view name, DWORD access, DWORD& error) override;
    DWORD GetData(HANDLE, std::string_view, std::string_view, DWORD, PrinterDataValue&) override;
    DWORD SetData(HANDLE, std::string_view, std::string_view, DWORD, std::span<const uint8_t>) override;
    DWORD ReadJob(HANDLE, DWORD, JobRecord&) override;
    DWORD WriteJob(HANDLE, const JobRecord&) override;
    DWORD ReadPrinterInfo(HANDLE printer, PrinterInfo& out) override;

    std::vector<std::u16string> Opened();
    std::atomic<DWORD> openError{0};
    std::u16string portName = u"IP_10.0.0.7";

private:
    std::mutex mutex_;
    std::vector<std::u16string> opened_;
};

class FakePortSpooler final : public PortSpooler {
public:
    DWORD GetJob1(HANDLE, DWORD, JobLevel1&) override;
    DWORD SetJobCommand(HANDLE, DWORD, const JobLevel1*, DWORD) override;
    DWORD SetPortStatus(std::u16string_view, const PortStatus&) override;
    DWORD GetPrinterAttributes(HANDLE printer, DWORD& attributes) override;
    DWORD SetPrinterAttributes(HANDLE printer, DWORD attributes) override;
    bool RevertToSelf() override { return true; }
    HANDLE RevertToPrinterSelf() override { return nullptr; }
    bool ImpersonatePrinterClient(HANDLE) override { return true; }

    std::vector<DWORD> Written();
    std::atomic<DWORD> attributes{mon::PRINTER_ATTRIBUTE_ENABLE_BIDI};

private:
    std::mutex mutex_;
    std::vector<DWORD> written_;
};

class FakePrinterList final : public PrinterList {
public:
    DWORD EnumLocalPrinters(std::vector<PrinterInfo>& out) override;
    std::vector<std::u16string> names = {u"LT-77"};
    DWORD error = 0;
};

class FakeJobList final : public JobList {
public:
    DWORD EnumJobIds(HANDLE, DWORD firstJob, DWORD count, std::vector<DWORD>& ids) override;
    std::atomic<DWORD> queued{0};
};

// Each call as a line: "StartDoc Initialize  RAW", "StartPage", "Read 32",
// "EndPage", "EndDoc".
class FakeDocuments final : public PrintDocuments {
public:
    DWORD StartDoc(HANDLE, const DocInfo1& doc, DWORD& jobId) override;
    DWORD StartPage(HANDLE) override;
    DWORD Write(HANDLE, std::span<const uint8_t> bytes, DWORD& written) override;
    DWORD Read(HANDLE, std::span<uint8_t> buffer, DWORD& read) override;
    DWORD EndPage(HANDLE) override;
    DWORD EndDoc(HANDLE) override;
    std::vector<std::string> Calls();

private:
    void Record(std::string call);
    std::mutex mutex_;
    std::vector<std::string> calls_;
};

class MemorySharedMemory final : public SharedMemory {
public:
    std::unique_ptr<SharedSection> CreateStatusSection(std::u16string_view, DWORD, DWORD& error) override;
    std::unique_ptr<SharedSection> Open(std::u16string_view name, bool writable, DWORD& error) override;

    // The record the monitor publishes for a section name.
    void Publish(const std::u16string& name, const stLangMonData& record);
    stLangMonData Read(const std::u16string& name);
    // Each Open asked for: the name, and "w" when writable.
    std::vector<std::pair<std::u16string, bool>> Opens();
    // Runs at each writable open, on the record as it is then: the monitor
    // publishing between the library's read and its write-back.
    std::function<void(stLangMonData&)> beforeWriteBack;

private:
    friend class MemoryView;
    std::mutex mutex_;
    std::map<std::u16string, stLangMonData> records_;
    std::vector<std::pair<std::u16string, bool>> opens_;
};

class FixedCodePages final : public CodePages {
public:
    explicit FixedCodePages(unsigned codePage) : codePage_(codePage) {}
    unsigned AnsiCodePage() override { return codePage_; }
    std::string FromWide(unsigned codePage, std::u16string_view text) override;
    std::u16string ToWide(unsigned codePage, std::string_view bytes) override;

private:
    unsigned codePage_;
};

class CountingPauses final : public Pauses {
public:
    // Sleeps a millisecond for each, so that a running thread does not spin.
    void Pause(DWORD ms) override;
    size_t Count(DWORD ms);
    void Forget();

private:
    std::mutex mutex_;
    std::vector<DWORD> pauses_;
};

class RecordingTrace final : public StatusTrace {
public:
    void Line(const std::string& line) override;
    std::vector<std::string> Lines();

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

struct FakeStatusSystem {
    explicit FakeStatusSystem(unsigned codePage = 1252);
    FakeSpooler spooler;
    FakePortSpooler ports;
    FakePrinterList printers;
    FakeJobList jobs;
    FakeDocuments documents;
    MemorySharedMemory sharedMemory;
    FixedCodePages codePages;
    CountingPauses pauses;
    RecordingTrace trace;
    StatusSystem system;
};

}  // namespace lt77::statusback::testing
