// Raw bytes sent to a queue as a job of their own, past the device context.
#include "possdk/print_library.h"
#include "possdk/sdk_rules.h"

namespace lt77::possdk {

uint32_t PrintLibrary::WritePrintData(std::u16string_view name, const void* data, int32_t length, TextForm)
{
    if (data == nullptr || length <= 0) return kWriteRefused;
    DWORD error = 0;
    auto printer = sys_.spooler.OpenQueue(name, PRINTER_ALL_ACCESS_RIGHTS, error);
    if (!printer) printer = sys_.spooler.OpenQueue(name, PRINTER_ACCESS_USE_RIGHT, error);
    if (!printer) {
        Show(FormatMessage("OpenPrinter failed with %d", static_cast<long>(error)), u"ERROR", MB_OK_BUTTON);
        return kWriteRefused;
    }
    PrinterInfo info;
    if (sys_.spooler.ReadPrinterInfo(printer->Native(), info) != 0) return 0;
    if (!IsRawDataDriver(info.driverName)) {
        Show(u"THE PRINTER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\r\\n PLEASE CHECK THE PRINTER NAME", u"Error",
             MB_OK_BUTTON);
        return 0;
    }
    ClearWorkOffline(printer->Native());
    DWORD jobId = 0;
    if (sys_.documents.StartDoc(printer->Native(), DocInfo1{u"RAW DATA", u"", u"RAW"}, jobId) != 0) return 0;
    DWORD written = 0;
    if (sys_.documents.StartPage(printer->Native()) == 0) {
        const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(data), static_cast<std::size_t>(length));
        sys_.documents.Write(printer->Native(), bytes, written);
        sys_.documents.EndPage(printer->Native());
    }
    sys_.documents.EndDoc(printer->Native());
    return written;
}

}  // namespace lt77::possdk
