// The sixteen exports of possdk and the library instance of the loaded
// binary. Each runs through the export guard: an application has no C++
// runtime to catch what might escape.
#include <string>

#include "common/utf.h"
#include "platform/debug_output.h"
#include "platform/oem/export_guard.h"
#include "possdk/possdk.h"
#include "possdk/print_library.h"

namespace lt77::possdk {
namespace {

PrintLibrary& TheLibrary()
{
    static PrintLibrary library(SystemSdkSystem());
    return library;
}

std::u16string Wide(const POSSDK_WCHAR* text) { return Utf16FromTerminated(text); }

std::string_view Narrow(const char* text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

TextStyle Style(int32_t bold, int32_t rotation, int32_t italic, int32_t underline)
{
    return TextStyle{bold != 0, rotation, italic != 0, underline != 0};
}

}  // namespace
}  // namespace lt77::possdk

using lt77::Guarded;
using lt77::GuardedVoid;
using lt77::possdk::Narrow;
using lt77::possdk::Style;
using lt77::possdk::TextForm;
using lt77::possdk::TheLibrary;
using lt77::possdk::Wide;

// The guard's trace: an application process has no trace file of ours.
constexpr lt77::GuardTraceSink kTrace = &lt77::WriteDebugOutputFormatted;

extern "C" {

LT77_EXPORT int32_t POSSDK_CALL ConnectPrinter(const char* printerName)
{
    return Guarded(kTrace, "ConnectPrinter", int32_t{0}, [&] {
        auto& library = TheLibrary();
        return library.ConnectPrinter(library.Widen(Narrow(printerName)), TextForm::kNarrow);
    });
}

LT77_EXPORT int32_t POSSDK_CALL ConnectPrinterW(const POSSDK_WCHAR* printerName)
{
    return Guarded(kTrace, "ConnectPrinterW", int32_t{0},
                   [&] { return TheLibrary().ConnectPrinter(Wide(printerName), TextForm::kWide); });
}

LT77_EXPORT void POSSDK_CALL DisconnectPrinter(void)
{
    GuardedVoid(kTrace, "DisconnectPrinter", [] { TheLibrary().DisconnectPrinter(); });
}

LT77_EXPORT int32_t POSSDK_CALL Start_Doc(const char* documentName)
{
    return Guarded(kTrace, "Start_Doc", int32_t{0}, [&] {
        auto& library = TheLibrary();
        return library.Start_Doc(library.Widen(Narrow(documentName)));
    });
}

LT77_EXPORT int32_t POSSDK_CALL Start_DocW(const POSSDK_WCHAR* documentName)
{
    return Guarded(kTrace, "Start_DocW", int32_t{0}, [&] { return TheLibrary().Start_Doc(Wide(documentName)); });
}

LT77_EXPORT int32_t POSSDK_CALL End_Doc(void)
{
    return Guarded(kTrace, "End_Doc", lt77::possdk::SP_ERROR_RESULT, [] { return TheLibrary().End_Doc(); });
}

LT77_EXPORT int32_t POSSDK_CALL Start_Page(void)
{
    return Guarded(kTrace, "Start_Page", int32_t{0}, [] { return TheLibrary().Start_Page(); });
}

LT77_EXPORT int32_t POSSDK_CALL End_Page(void)
{
    return Guarded(kTrace, "End_Page", lt77::possdk::SP_ERROR_RESULT, [] { return TheLibrary().End_Page(); });
}

LT77_EXPORT int32_t POSSDK_CALL PrintDeviceFont(int32_t x, int32_t y, const char* faceName, int32_t sizePoints,
                                                const char* text)
{
    return Guarded(kTrace, "PrintDeviceFont", int32_t{0}, [&] {
        return TheLibrary().PrintTextNarrow(x, y, Narrow(faceName), sizePoints, Narrow(text), {});
    });
}

LT77_EXPORT int32_t POSSDK_CALL PrintDeviceFontW(int32_t x, int32_t y, const POSSDK_WCHAR* faceName,
                                                 int32_t sizePoints, const POSSDK_WCHAR* text)
{
    return Guarded(kTrace, "PrintDeviceFontW", int32_t{0},
                   [&] { return TheLibrary().PrintText(x, y, Wide(faceName), sizePoints, Wide(text), {}); });
}

LT77_EXPORT int32_t POSSDK_CALL PrintTrueFont(int32_t x, int32_t y, const char* faceName, int32_t sizePoints,
                                              const char* text, int32_t bold, int32_t rotation, int32_t italic,
                                              int32_t underline)
{
    return Guarded(kTrace, "PrintTrueFont", int32_t{0}, [&] {
        return TheLibrary().PrintTextNarrow(x, y, Narrow(faceName), sizePoints, Narrow(text),
                                            Style(bold, rotation, italic, underline));
    });
}

LT77_EXPORT int32_t POSSDK_CALL PrintTrueFontW(int32_t x, int32_t y, const POSSDK_WCHAR* faceName,
                                               int32_t sizePoints, const POSSDK_WCHAR* text, int32_t bold,
                                               int32_t rotation, int32_t italic, int32_t underline)
{
    return Guarded(kTrace, "PrintTrueFontW", int32_t{0}, [&] {
        return TheLibrary().PrintText(x, y, Wide(faceName), sizePoints, Wide(text),
                                      Style(bold, rotation, italic, underline));
    });
}

LT77_EXPORT int32_t POSSDK_CALL PrintBitmap(int32_t x, int32_t y, const char* path)
{
    return Guarded(kTrace, "PrintBitmap", int32_t{0}, [&] {
        auto& library = TheLibrary();
        return library.PrintBitmap(x, y, library.Widen(Narrow(path)), TextForm::kNarrow);
    });
}

LT77_EXPORT int32_t POSSDK_CALL PrintBitmapW(int32_t x, int32_t y, const POSSDK_WCHAR* path)
{
    return Guarded(kTrace, "PrintBitmapW", int32_t{0},
                   [&] { return TheLibrary().PrintBitmap(x, y, Wide(path), TextForm::kWide); });
}

LT77_EXPORT uint32_t POSSDK_CALL WritePrintData(const char* printerName, const void* data, int32_t length)
{
    return Guarded(kTrace, "WritePrintData", lt77::possdk::kWriteRefused, [&] {
        auto& library = TheLibrary();
        return library.WritePrintData(library.Widen(Narrow(printerName)), data, length, TextForm::kNarrow);
    });
}

LT77_EXPORT uint32_t POSSDK_CALL WritePrintDataW(const POSSDK_WCHAR* printerName, const void* data, int32_t length)
{
    return Guarded(kTrace, "WritePrintDataW", lt77::possdk::kWriteRefused,
                   [&] { return TheLibrary().WritePrintData(Wide(printerName), data, length, TextForm::kWide); });
}

}  // extern "C"
