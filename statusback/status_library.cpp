#include "statusback/status_library.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include "common/ascii_case.h"
#include "statusback/status_code.h"

namespace lt77::statusback {

StatusLibrary::StatusLibrary(StatusSystem& system) : sys_(system) {}

// Also joins a thread that ended by itself (its callbacks cancelled from a
// callback).
StatusLibrary::~StatusLibrary()
{
    gbOpend_.store(false);
    BidiCancelCallBackFunction();
}

void StatusLibrary::Trace(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    sys_.trace.Line(text);
}

BOOL StatusLibrary::BidiOpenMonPrinter(std::string_view name)
{
    const std::string narrow(name.substr(0, std::min(name.size(), kPrinterNameBytes - 1)));
    return Open(sys_.codePages.ToWide(CP_SYSTEM_ANSI, narrow));
}

BOOL StatusLibrary::BidiOpenMonPrinterW(std::u16string_view name)
{
    const std::u16string wide(name.substr(0, std::min(name.size(), kPrinterNameChars - 1)));
    // The system converts into the library's 256-byte buffer, terminator
    // included; a name that needs more fails as the conversion does there.
    if (sys_.codePages.FromWide(CP_SYSTEM_ANSI, wide).size() > kPrinterNameBytes - 1) {
        Trace("BidiOpenMonPrinter : WideCharToMultiByte failed with %d", static_cast<int>(syserr::kInsufficientBuffer));
        return kBoolFalse;
    }
    return Open(wide);
}

BOOL StatusLibrary::Open(std::u16string_view wideName)
{
    std::u16string localName;
    if (!PrinterObjExist(wideName, localName)) return kBoolFalse;
    // The printer's own spelling: the monitor names the record after it, and
    // the system compares section names case by case.
    std::string narrow = sys_.codePages.FromWide(CP_SYSTEM_ANSI, localName);
    narrow.resize(std::min(narrow.size(), kPrinterNameBytes - 1));
    {
        std::lock_guard hold(stateLock_);
        printerName_ = std::move(narrow);
    }
    gbOpend_.store(true);
    return kBoolTrue;
}

bool StatusLibrary::PrinterObjExist(std::u16string_view name, std::u16string& localName)
{
    std::vector<PrinterInfo> printers;
    const DWORD error = sys_.printers.EnumLocalPrinters(printers);
    bool found = false;
    if (error == 0) {
        for (const PrinterInfo& printer : printers) {
            if (!EqualsNoCase(printer.printerName, name)) continue;
            localName = printer.printerName;
            found = true;
            break;
        }
    }
    // Refused at once rather than after the record's retries: a typo in
    // the name would otherwise read as a printer without a monitor.
    if (!found)
        Trace("PrinterObjExist : The [%s] driver does not exist on this computer.",
              sys_.codePages.FromWide(CP_SYSTEM_ANSI, name).c_str());
    return found;
}

BOOL StatusLibrary::BidiCloseMonPrinter()
{
    BidiCancelCallBackFunction();
    gbOpend_.store(false);
    return kBoolTrue;
}

BOOL StatusLibrary::BidiSetCallBackFunction(BIDI_STATUS_CALLBACK status, BIDI_MSR_CALLBACK msr)
{
    if (!gbOpend_.load()) {
        Trace("BidiSetCallBackFunction :  gbOpend is FALSE");
        return kBoolFalse;
    }
    const CallBacks before = Registered();
    if (before.status != nullptr || before.msr != nullptr) BidiCancelCallBackFunction();

    const bool fromCallback = OnCallbackThread();
    // An earlier thread that ended by itself must be gone before a new one
    // takes its place.
    std::thread ended;
    {
        std::lock_guard hold(stateLock_);
        if (!fromCallback && callbackThread_.joinable()) {
            ended = std::move(callbackThread_);
            callbackThreadId_ = {};
        }
    }
    if (ended.joinable()) ended.join();

    std::lock_guard hold(stateLock_);
    callBacks_ = CallBacks{status, msr};
    // Registered from inside a callback: the running thread is the one
    // thread, and it carries on with the new callbacks.
    if (fromCallback) return kBoolTrue;
    try {
        callbackThread_ = std::thread([this] { UStatusThreadProc(); });
        callbackThreadId_ = callbackThread_.get_id();
    } catch (const std::system_error& e) {
        Trace("BidiSetCallBackFunction : CreateThread failed (%d)", e.code().value());
    }
    return kBoolTrue;
}

BOOL StatusLibrary::BidiCancelCallBackFunction()
{
    std::thread ending;
    {
        std::lock_guard hold(stateLock_);
        callBacks_ = CallBacks{};
        // From a callback the thread cannot wait for itself; it ends when the
        // callback returns, and no other call follows.
        if (callbackThread_.joinable() && callbackThreadId_ != std::this_thread::get_id()) {
            ending = std::move(callbackThread_);
            callbackThreadId_ = {};
        }
    }
    if (ending.joinable()) ending.join();
    return kBoolTrue;
}

DWORD StatusLibrary::BidiGetStatus()
{
    stLangMonData record{};
    if (!GetMemoryMappedFileData(record)) return kStatusUnreadable;
    return InterpretCommands(record);
}

std::string StatusLibrary::PrinterNameForTesting()
{
    std::lock_guard hold(stateLock_);
    return printerName_;
}

std::u16string StatusLibrary::QueueName()
{
    std::lock_guard hold(stateLock_);
    return sys_.codePages.ToWide(CP_SYSTEM_ANSI, printerName_);
}

std::u16string StatusLibrary::SectionName()
{
    std::string narrow = "Global\\BIDI_";
    {
        std::lock_guard hold(stateLock_);
        narrow += printerName_;
    }
    narrow.resize(std::min(narrow.size(), kPrinterNameBytes - 1));
    return sys_.codePages.ToWide(CP_SYSTEM_ANSI, narrow);
}

StatusLibrary::CallBacks StatusLibrary::Registered()
{
    std::lock_guard hold(stateLock_);
    return callBacks_;
}

bool StatusLibrary::Watching() { return gbOpend_.load() && Registered().status != nullptr; }

bool StatusLibrary::OnCallbackThread()
{
    std::lock_guard hold(stateLock_);
    return callbackThreadId_ == std::this_thread::get_id();
}

}  // namespace lt77::statusback
