// Level-2 information through GetPrinter/SetPrinter, the default device
// mode through DocumentProperties.
#include <cstring>
#include <memory>
#include <vector>

#include <windows.h>
#include <winspool.h>

#include "platform/printer_setup.h"
#include "platform/win32/win32_utf.h"

namespace lt77::win32 {
namespace {

using Bytes = std::vector<BYTE>;

void ToFields(const ::DEVMODEW& dm, DeviceModeFields& out)
{
    out.copies = dm.dmCopies;
    out.orientation = dm.dmOrientation;
    out.color = dm.dmColor;
    out.defaultSource = dm.dmDefaultSource;
    out.paperSize = dm.dmPaperSize;
    out.paperWidth = dm.dmPaperWidth;
    out.paperLength = dm.dmPaperLength;
    out.formName.clear();
    for (int i = 0; i < CCHFORMNAME && dm.dmFormName[i] != 0; ++i) out.formName.push_back(dm.dmFormName[i]);
}

// The fetched device mode with the fields laid over it.
std::shared_ptr<Bytes> FromFields(const DeviceModeFields& fields)
{
    auto native = std::static_pointer_cast<Bytes>(fields.native);
    if (!native || native->size() < sizeof(::DEVMODEW)) return nullptr;
    auto copy = std::make_shared<Bytes>(*native);
    auto* dm = reinterpret_cast<::DEVMODEW*>(copy->data());
    dm->dmCopies = fields.copies;
    dm->dmOrientation = fields.orientation;
    dm->dmColor = fields.color;
    dm->dmDefaultSource = fields.defaultSource;
    dm->dmPaperSize = fields.paperSize;
    dm->dmPaperWidth = fields.paperWidth;
    dm->dmPaperLength = fields.paperLength;
    std::memset(dm->dmFormName, 0, sizeof dm->dmFormName);
    for (std::size_t i = 0; i < fields.formName.size() && i + 1 < CCHFORMNAME; ++i)
        dm->dmFormName[i] = static_cast<wchar_t>(fields.formName[i]);
    dm->dmFields |= DM_COPIES | DM_ORIENTATION | DM_COLOR | DM_DEFAULTSOURCE | DM_PAPERSIZE | DM_PAPERWIDTH |
                    DM_PAPERLENGTH | DM_FORMNAME;
    return copy;
}

class Win32PrinterSetup final : public PrinterSetup {
public:
    DWORD GetLevel2(HANDLE printer, PrinterLevel2& out) override
    {
        ::DWORD needed = 0;
        if (::GetPrinterW(printer, 2, nullptr, 0, &needed) || needed == 0) return LastOr(ERROR_INVALID_DATA);
        auto buffer = std::make_shared<Bytes>(needed);
        if (!::GetPrinterW(printer, 2, buffer->data(), needed, &needed)) return LastOr(ERROR_INVALID_DATA);
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer->data());
        out = PrinterLevel2{};
        out.printProcessor = U16FromField(info->pPrintProcessor);
        out.attributes = static_cast<DWORD>(info->Attributes);
        out.native = buffer;
        return 0;
    }

    DWORD SetLevel2(HANDLE printer, const PrinterLevel2& level2) override
    {
        auto buffer = std::static_pointer_cast<Bytes>(level2.native);
        if (!buffer) {
            PrinterLevel2 fresh;
            if (DWORD e = GetLevel2(printer, fresh)) return e;
            buffer = std::static_pointer_cast<Bytes>(fresh.native);
        }
        PRINTER_INFO_2W info = *reinterpret_cast<const PRINTER_INFO_2W*>(buffer->data());
        std::wstring processor = WideFromU16(level2.printProcessor);
        info.pPrintProcessor = processor.data();
        info.Attributes = level2.attributes;
        info.pSecurityDescriptor = nullptr;
        std::shared_ptr<Bytes> devmode;
        if (level2.devMode) {
            devmode = FromFields(*level2.devMode);
            if (!devmode) return ERROR_INVALID_PARAMETER;
            info.pDevMode = reinterpret_cast<::DEVMODEW*>(devmode->data());
        }
        if (!::SetPrinterW(printer, 2, reinterpret_cast<BYTE*>(&info), 0)) return LastOr(ERROR_INVALID_DATA);
        return 0;
    }

    DWORD GetDefaultDevMode(HANDLE printer, std::u16string_view printerName, DeviceModeFields& out) override
    {
        std::wstring name = WideFromU16(printerName);
        const LONG size = ::DocumentPropertiesW(nullptr, printer, name.data(), nullptr, nullptr, 0);
        if (size < static_cast<LONG>(sizeof(::DEVMODEW))) return LastOr(ERROR_INVALID_DATA);
        auto buffer = std::make_shared<Bytes>(static_cast<std::size_t>(size));
        auto* dm = reinterpret_cast<::DEVMODEW*>(buffer->data());
        if (::DocumentPropertiesW(nullptr, printer, name.data(), dm, nullptr, DM_OUT_BUFFER) != IDOK)
            return LastOr(ERROR_INVALID_DATA);
        out = DeviceModeFields{};
        ToFields(*dm, out);
        out.native = buffer;
        return 0;
    }

    DWORD MergeDevMode(HANDLE printer, std::u16string_view printerName, DeviceModeFields& inOut) override
    {
        auto in = FromFields(inOut);
        if (!in) return ERROR_INVALID_PARAMETER;
        auto out = std::make_shared<Bytes>(in->size());
        std::wstring name = WideFromU16(printerName);
        if (::DocumentPropertiesW(nullptr, printer, name.data(), reinterpret_cast<::DEVMODEW*>(out->data()),
                                  reinterpret_cast<::DEVMODEW*>(in->data()), DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK)
            return LastOr(ERROR_INVALID_DATA);
        ToFields(*reinterpret_cast<const ::DEVMODEW*>(out->data()), inOut);
        inOut.native = out;
        return 0;
    }

private:
    static DWORD LastOr(::DWORD fallback)
    {
        const ::DWORD e = ::GetLastError();
        return static_cast<DWORD>(e != 0 ? e : fallback);
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

PrinterSetup& SystemPrinterSetup()
{
    static win32::Win32PrinterSetup setup;
    return setup;
}

}  // namespace lt77
