// The eight exports of posstatus and the library instance of the loaded
// binary. Each runs through the export guard: an application has no C++
// runtime to catch what might escape.
#include <string>

#include "common/utf.h"
#include "platform/debug_output.h"
#include "platform/oem/export_guard.h"
#include "statusback/posstatus.h"
#include "statusback/status_code.h"
#include "statusback/status_library.h"

namespace lt77::statusback {
namespace {

// Made at the first call; at unload its destructor ends the callback thread
// of an application that did not cancel.
StatusLibrary& TheLibrary()
{
    static StatusLibrary library(SystemStatusSystem());
    return library;
}

std::u16string WideName(const POSSTATUS_WCHAR* name) { return Utf16FromTerminated(name); }

}  // namespace
}  // namespace lt77::statusback

using lt77::Guarded;
using lt77::statusback::TheLibrary;

// The guard's trace: an application process has no trace file of ours.
constexpr lt77::GuardTraceSink kTrace = &lt77::WriteDebugOutputFormatted;

extern "C" {

LT77_EXPORT int32_t POSSTATUS_CALL BidiOpenMonPrinter(const char* printerName)
{
    return Guarded(kTrace, "BidiOpenMonPrinter", lt77::kBoolFalse, [&] {
        return printerName == nullptr ? lt77::kBoolFalse : TheLibrary().BidiOpenMonPrinter(printerName);
    });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiOpenMonPrinterW(const POSSTATUS_WCHAR* printerName)
{
    return Guarded(kTrace, "BidiOpenMonPrinterW", lt77::kBoolFalse, [&] {
        return printerName == nullptr ? lt77::kBoolFalse
                                      : TheLibrary().BidiOpenMonPrinterW(lt77::statusback::WideName(printerName));
    });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiCloseMonPrinter(void)
{
    return Guarded(kTrace, "BidiCloseMonPrinter", lt77::kBoolFalse,
                   [] { return TheLibrary().BidiCloseMonPrinter(); });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiSetCallBackFunction(BIDI_STATUS_CALLBACK status, BIDI_MSR_CALLBACK msr)
{
    return Guarded(kTrace, "BidiSetCallBackFunction", lt77::kBoolFalse,
                   [&] { return TheLibrary().BidiSetCallBackFunction(status, msr); });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiSetStatusBackFunction(BIDI_STATUS_CALLBACK status)
{
    return Guarded(kTrace, "BidiSetStatusBackFunction", lt77::kBoolFalse,
                   [&] { return TheLibrary().BidiSetCallBackFunction(status, nullptr); });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiCancelCallBackFunction(void)
{
    return Guarded(kTrace, "BidiCancelCallBackFunction", lt77::kBoolFalse,
                   [] { return TheLibrary().BidiCancelCallBackFunction(); });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiCancelStatusBack(void)
{
    return Guarded(kTrace, "BidiCancelStatusBack", lt77::kBoolFalse,
                   [] { return TheLibrary().BidiCancelCallBackFunction(); });
}

LT77_EXPORT uint32_t POSSTATUS_CALL BidiGetStatus(void)
{
    return Guarded(kTrace, "BidiGetStatus", lt77::statusback::kStatusUnreadable,
                   [] { return TheLibrary().BidiGetStatus(); });
}

}  // extern "C"
