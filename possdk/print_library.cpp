// Connecting to a queue and the document and page brackets.
#include "possdk/print_library.h"

#include <cstdio>

#include "possdk/sdk_rules.h"

namespace lt77::possdk {

std::u16string FormatMessage(const char* format, long value)
{
    char text[160];
    std::snprintf(text, sizeof(text), format, value);
    return Utf8ToUtf16(text);
}

PrintLibrary::PrintLibrary(SdkSystem& system) : sys_(system) {}

PrintLibrary::~PrintLibrary() = default;

void PrintLibrary::Show(const std::u16string& text, const char16_t* caption, DWORD style)
{
    sys_.messages.Show(text, caption, style);
}

std::u16string PrintLibrary::Widen(std::string_view text, unsigned codePage)
{
    return sys_.codePages.ToWide(codePage, text);
}

void PrintLibrary::ClearWorkOffline(HANDLE printer)
{
    DWORD attributes = 0;
    if (sys_.ports.GetPrinterAttributes(printer, attributes) != 0) return;
    if ((attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE_FLAG) == 0) return;
    // A queue opened for use only cannot be changed; it prints as it is.
    sys_.ports.SetPrinterAttributes(printer, attributes & ~PRINTER_ATTRIBUTE_WORK_OFFLINE_FLAG);
}

int32_t PrintLibrary::ConnectPrinter(std::u16string_view name, TextForm form)
{
    DisconnectPrinter();
    DWORD error = 0;
    printer_ = sys_.spooler.OpenQueue(name, PRINTER_ALL_ACCESS_RIGHTS, error);
    if (!printer_) printer_ = sys_.spooler.OpenQueue(name, PRINTER_READ_USE_RIGHTS, error);
    if (!printer_) {
        Show(FormatMessage("OpenPrinter failed with %d", static_cast<long>(error)), u"ERROR", MB_ICON_ERROR);
        return 0;
    }
    int32_t result = 0;
    PrinterInfo info;
    if (sys_.spooler.ReadPrinterInfo(printer_->Native(), info) == 0) {
        driverName_ = info.driverName;
        deviceName_ = std::u16string(name);
        if (!IsAcceptedDriver(driverName_, form == TextForm::kNarrow)) {
            Show(form == TextForm::kNarrow
                     ? u"THE PRINTER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\r\n PLEASE CHECK THE PRINTER NAME"
                     : u"THE DRIVER NAME YOU ENTERED CAN NOT BE USED IN THIS DLL.\r\\n PLEASE CHECK THE PRINTER NAME",
                 u"Error", MB_OK_BUTTON);
        } else {
            ClearWorkOffline(printer_->Native());
            DWORD dcError = 0;
            dc_ = sys_.devices.CreatePrinterDC(deviceName_, dcError);
            if (dc_)
                result = 1;
            else
                Show(FormatMessage("ERROR CODE : %d \n\nCAN NOT CREATE A DEVICE CONTEXT!", static_cast<long>(dcError)),
                     u"ERROR", MB_OK_BUTTON);
        }
    }
    printer_.reset();
    if (result == 0) {
        dc_.reset();
        deviceName_.clear();
        driverName_.clear();
    }
    return result;
}

void PrintLibrary::DisconnectPrinter()
{
    dc_.reset();
    printer_.reset();
}

int32_t PrintLibrary::Start_Doc(std::u16string_view documentName)
{
    return dc_ && dc_->StartDocument(documentName) > 0 ? 1 : 0;
}

int32_t PrintLibrary::End_Doc() { return dc_ ? dc_->EndDocument() : SP_ERROR_RESULT; }

int32_t PrintLibrary::Start_Page() { return dc_ && dc_->StartPage() > 0 ? 1 : 0; }

int32_t PrintLibrary::End_Page() { return dc_ ? dc_->EndPage() : SP_ERROR_RESULT; }

}  // namespace lt77::possdk
