// The eight exports of posstatus and the library instance of the loaded
// binary. Each runs through the export guard: an application has no C++
// runtime to catch what might escape.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/debug_output.h"
#include "platform/oem/export_guard.h"
#include "statusback/posstatus.h"
#include "statusback/status_code.h"
#include "statusback/status_library.h"

#if defined(_WIN32)
#define LT77_EXPORT
#else
#define LT77_EXPORT __attribute__((visibility("default")))
#endif

namespace lt77::statusback {
namespace {

// Made at the first call; at unload its destructor ends the callback thread
// of an application that did not cancel.
StatusLibrary& TheLibrary()
{
    static StatusLibrary library(SystemStatusSystem());
    return library;
}

void GuardTrace(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    WriteDebugOutput(text);
}

std::u16string WideName(const POSSTATUS_WCHAR* name)
{
    std::u16string text;
    for (; *name != 0; ++name) text.push_back(static_cast<char16_t>(*name));
    return text;
}

}  // namespace
}  // namespace lt77::statusback

using lt77::Guarded;
using lt77::statusback::GuardTrace;
using lt77::statusback::TheLibrary;

extern "C" {

LT77_EXPORT int32_t POSSTATUS_CALL BidiOpenMonPrinter(const char* printerName)
{
    return Guarded(&GuardTrace, "BidiOpenMonPrinter", lt77::kBoolFalse, [&] {
        return printerName == nullptr ? lt77::kBoolFalse : TheLibrary().BidiOpenMonPrinter(printerName);
    });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiOpenMonPrinterW(const POSSTATUS_WCHAR* printerName)
{
    return Guarded(&GuardTrace, "BidiOpenMonPrinterW", lt77::kBoolFalse, [&] {
        return printerName == nullptr ? lt77::kBoolFalse
                                      : TheLibrary().BidiOpenMonPrinterW(lt77::statusback::WideName(printerName));
    });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiCloseMonPrinter(void)
{
    return Guarded(&GuardTrace, "BidiCloseMonPrinter", lt77::kBoolFalse,
                   [] { return TheLibrary().BidiCloseMonPrinter(); });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiSetCallBackFunction(BIDI_STATUS_CALLBACK status, BIDI_MSR_CALLBACK msr)
{
    return Guarded(&GuardTrace, "BidiSetCallBackFunction", lt77::kBoolFalse,
                   [&] { return TheLibrary().BidiSetCallBackFunction(status, msr); });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiSetStatusBackFunction(BIDI_STATUS_CALLBACK status)
{
    return Guarded(&GuardTrace, "BidiSetStatusBackFunction", lt77::kBoolFalse,
                   [&] { return TheLibrary().BidiSetCallBackFunction(status, nullptr); });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiCancelCallBackFunction(void)
{
    return Guarded(&GuardTrace, "BidiCancelCallBackFunction", lt77::kBoolFalse,
                   [] { return TheLibrary().BidiCancelCallBackFunction(); });
}

LT77_EXPORT int32_t POSSTATUS_CALL BidiCancelStatusBack(void)
{
    return Guarded(&GuardTrace, "BidiCancelStatusBack", lt77::kBoolFalse,
                   [] { return TheLibrary().BidiCancelCallBackFunction(); });
}

LT77_EXPORT uint32_t POSSTATUS_CALL BidiGetStatus(void)
{
    return Guarded(&GuardTrace, "BidiGetStatus", lt77::statusback::kStatusUnreadable,
                   [] { return TheLibrary().BidiGetStatus(); });
}

}  // extern "C"
