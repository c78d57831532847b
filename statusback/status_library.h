// The process-wide state of posstatus and what it takes from the system.
// The exports use the one instance of the loaded library on the system's
// own parts; tests run instances on fakes.
#pragma once

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "common/status_record.h"
#include "platform/codepage.h"
#include "platform/job_list.h"
#include "platform/oem/abi_types.h"
#include "platform/port_spooler.h"
#include "platform/print_documents.h"
#include "platform/printer_list.h"
#include "platform/shared_memory.h"
#include "platform/spooler.h"
#include "statusback/posstatus.h"

namespace lt77::statusback {

// The library's waits (between attempts to open the record, after the
// document that opens the port, between passes of the callback thread), so
// that tests can count them instead of waiting.
class Pauses {
public:
    virtual ~Pauses() = default;
    virtual void Pause(DWORD ms) = 0;
};

// Where the library's few lines for developers go (posstatus keeps no
// trace file).
class StatusTrace {
public:
    virtual ~StatusTrace() = default;
    virtual void Line(const std::string& line) = 0;
};

struct StatusSystem {
    Spooler& spooler;           // OpenPrinter, GetPrinter level 2 (the port name)
    PortSpooler& ports;         // the printer's attributes
    PrinterList& printers;      // EnumPrinters
    JobList& jobs;              // EnumJobs
    PrintDocuments& documents;  // the raw "Initialize" document
    SharedMemory& sharedMemory;
    CodePages& codePages;
    Pauses& pauses;
    StatusTrace& trace;
};

StatusSystem& SystemStatusSystem();

inline constexpr size_t kPrinterNameBytes = 256;  // the narrow name and its terminator
inline constexpr size_t kPrinterNameChars = 256;  // the wide name and its terminator
inline constexpr DWORD kRecordRetries = 20;
inline constexpr DWORD kSerialRecordRetries = 35;
inline constexpr DWORD kRecordRetryPauseMs = 100;
inline constexpr DWORD kCallbackCycleMs = 200;
inline constexpr DWORD kPortOpenPauseMs = 1000;
inline constexpr DWORD kMaxJobsCounted = 1000;
inline constexpr DWORD kInitializeReadBytes = 32;

// The byte counts of the tracks a pass delivered (0: not delivered); the
// bytes the write-back clears.
using DeliveredTracks = std::array<DWORD, 3>;

class StatusLibrary {
public:
    explicit StatusLibrary(StatusSystem& system);
    // Ends the callback thread.
    ~StatusLibrary();
    StatusLibrary(const StatusLibrary&) = delete;
    StatusLibrary& operator=(const StatusLibrary&) = delete;

    BOOL BidiOpenMonPrinter(std::string_view name);
    BOOL BidiOpenMonPrinterW(std::u16string_view name);
    BOOL BidiCloseMonPrinter();
    BOOL BidiSetCallBackFunction(BIDI_STATUS_CALLBACK status, BIDI_MSR_CALLBACK msr);
    BOOL BidiCancelCallBackFunction();
    DWORD BidiGetStatus();

    // The steps behind them.
    bool PrinterObjExist(std::u16string_view name, std::u16string& localName);
    void EnableBidiCommunication();
    int GetJobCountExisting(HANDLE printer);
    bool GetMemoryMappedFileData(stLangMonData& record);
    bool ClearMsrDataByMMF(const stLangMonData& record, const DeliveredTracks& delivered);

    DWORD RetryCountForTesting() const { return retryCount_.load(); }
    std::string PrinterNameForTesting();

private:
    struct CallBacks {
        BIDI_STATUS_CALLBACK status = nullptr;
        BIDI_MSR_CALLBACK msr = nullptr;
    };

    BOOL Open(std::u16string_view wideName);
    std::u16string QueueName();
    std::u16string SectionName();
    CallBacks Registered();
    bool Watching();
    bool OnCallbackThread();
    std::unique_ptr<SharedSection> OpenRecord(const std::u16string& name, bool writable);
    void SendInitializeDocument(HANDLE printer);
    void UStatusThreadProc();
    void Trace(const char* format, ...);

    StatusSystem& sys_;
    std::atomic<bool> gbOpend_{false};
    std::atomic<DWORD> retryCount_{kSerialRecordRetries};

    // Guards the name and the callbacks, which the application's thread
    // writes and the callback thread reads; never held while calling the
    // application or waiting for the thread.
    std::mutex stateLock_;
    std::string printerName_;  // narrow, in the system's code page
    CallBacks callBacks_;
    std::thread callbackThread_;
    std::thread::id callbackThreadId_;
};

}  // namespace lt77::statusback
