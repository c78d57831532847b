#include "render/enable_pdev.h"

#include <cstring>
#include <memory>
#include <new>

#include "render/module_state.h"
#include "render/settings_loader.h"
#include "render/trace.h"

namespace lt77 {
namespace {

constexpr std::size_t kPrinterNameChars = 256;

void SaveCoreEntryPoints(OemPDEV& pdev, const DRVENABLEDATA* pded)
{
    if (pded == nullptr || pded->pdrvfn == nullptr) return;
    for (ULONG i = 0; i < pded->c; ++i) {
        const DRVFN& fn = pded->pdrvfn[i];
        switch (fn.iFunc) {
#define LT77_SAVE(name) \
    case INDEX_Drv##name: pdev.m_pfnDrv##name = reinterpret_cast<PFN_Drv##name>(fn.pfn); break;
            LT77_DRV_HOOKED_FUNCTIONS(LT77_SAVE)
#undef LT77_SAVE
        default: break;
        }
    }
}

std::u16string Bounded(const WCHAR* text, std::size_t maxChars)
{
    std::u16string out;
    if (text == nullptr) return out;
    for (std::size_t i = 0; i < maxChars && text[i] != 0; ++i) out.push_back(text[i]);
    return out;
}

void ReadPrinterName(OemPDEV& pdev, PDEVOBJ pdevobj, const WCHAR* pPrinterName)
{
    Platform& platform = PlatformOf(pdev);
    PrinterDataValue value;
    const DWORD error = platform.spooler.GetData(pdevobj != nullptr ? pdevobj->hPrinter : nullptr,
                                                 kDsSpoolerKey, kPrinterNameValue, 512, value);
    if (error == 0 && value.type == REG_SZ_TYPE) {
        const std::u16string name = Utf16FromBytes(value.bytes, kPrinterNameChars - 1);
        pdev.szPrinterName = name;
    } else {
        TraceLog("OEMEnablePDEV : GetPrinterDataEx failed. (%d)", static_cast<int>(error != 0 ? error : syserr::kInvalidData));
        pdev.szPrinterName = Bounded(pPrinterName, kPrinterNameChars - 1);
    }
    pdev.szPrinterNameAnsi = platform.codePages.FromWide(CP_SYSTEM_ANSI, pdev.szPrinterName);
    if (pdev.szPrinterNameAnsi.size() > kPrinterNameChars - 1) pdev.szPrinterNameAnsi.resize(kPrinterNameChars - 1);
    TraceLog("OEMEnablePDEV : PRINTER NAME = %s", pdev.szPrinterNameAnsi.c_str());
}

void TracePublicDevMode(const DEVMODEW* dm)
{
    if (dm == nullptr) {
        TraceLog("OEMEnablePDEV : pPublicDM is NULL.");
        return;
    }
    const std::string form = Utf16ToUtf8(Bounded(dm->dmFormName, 32));
    TraceLog("OEMEnablePDEV : dmFormName = %s", form.c_str());
    TraceLog("OEMEnablePDEV : dmPaperWidth = %d", dm->dmPaperWidth);
    TraceLog("OEMEnablePDEV : dmPaperLength = %d", dm->dmPaperLength);
    TraceLog("OEMEnablePDEV : dmOrientation = %d", dm->dmOrientation);
    TraceLog("OEMEnablePDEV : dmCopies = %d", dm->dmCopies);
    TraceLog("OEMEnablePDEV : dmScale = %d", dm->dmScale);
    TraceLog("OEMEnablePDEV : dmDefaultSource = %d", dm->dmDefaultSource);
    TraceLog("OEMEnablePDEV : dmPrintQuality = %d", dm->dmPrintQuality);
    TraceLog("OEMEnablePDEV : dmColor = %d", dm->dmColor);
    TraceLog("OEMEnablePDEV : dmDuplex = %d", dm->dmDuplex);
    TraceLog("OEMEnablePDEV : dmYResolution = %d", dm->dmYResolution);
    TraceLog("OEMEnablePDEV : dmTTOption = %d", dm->dmTTOption);
    TraceLog("OEMEnablePDEV : dmCollate = %d", dm->dmCollate);
    TraceLog("OEMEnablePDEV : dmLogPixels = %u", dm->dmLogPixels);
    TraceLog("OEMEnablePDEV : dmBitsPerPel = %u", dm->dmBitsPerPel);
    TraceLog("OEMEnablePDEV : dmPelsWidth = %u", dm->dmPelsWidth);
    TraceLog("OEMEnablePDEV : dmPelsHeight = %u", dm->dmPelsHeight);
}

}  // namespace

OemPDEV* OEMEnablePDEV(Platform& platform, PDEVOBJ pdevobj, const WCHAR* pPrinterName, ULONG cjGdiInfo,
                       const GDIINFO_HEAD* pGdiInfo, ULONG cjDevInfo, DEVINFO* pDevInfo,
                       const DRVENABLEDATA* pded)
{
    TraceLog("OEMEnablePDEV : START");
    PrepareTraceFolder(platform);

    // Owned here until it is returned: a step that throws must not leak it.
    std::unique_ptr<OemPDEV> pdev(new (std::nothrow) OemPDEV());
    if (pdev == nullptr) {
        TraceLog("OEMEnablePDEV : pOemPDEV is NULL.");
        return nullptr;
    }
    pdev->platform = &platform;
    SaveCoreEntryPoints(*pdev, pded);
    ReadPrinterName(*pdev, pdevobj, pPrinterName);

    // The sizes the core passes say how much of its records exist.
    const bool haveDevInfo = pDevInfo != nullptr && cjDevInfo >= offsetof(DEVINFO, flGraphicsCaps2);
    if (pGdiInfo != nullptr && cjGdiInfo >= sizeof(GDIINFO_HEAD) && pGdiInfo->cBitsPixel == 24 && haveDevInfo)
        pDevInfo->hpalDefault = platform.engine.CreateBgrPalette();
    if (haveDevInfo) pdev->hPalette = pDevInfo->hpalDefault;

    HANDLE hPrinter = pdevobj != nullptr ? pdevobj->hPrinter : nullptr;
    pdev->hPrinter = hPrinter;
    LoadSettingsValues(*pdev, hPrinter);
    if (pdev->m_UIInfo.byteValue[IDX_TRACE_ON] == 0) SwitchTraceOffForGood(platform);

    const DEVMODEW* dm = pdevobj != nullptr ? pdevobj->pPublicDM : nullptr;
    TracePublicDevMode(dm);
    if (dm != nullptr) pdev->m_UIInfo.byteValue[IDX_JOB_COPIES] = static_cast<uint8_t>(dm->dmCopies & 0xFF);
    pdev->m_UIInfo.byPage[0] = 0;
    pdev->m_UIInfo.byPage[1] = 0;

    LoadBarcodeTablesAndCommands(*pdev, hPrinter);
    TraceLog("OEMEnablePDEV : END");
    return pdev.release();
}

void OEMDisablePDEV(PDEVOBJ pdevobj)
{
    TraceLog("OEMDisablePDEV : START");
    OemPDEV* pdev = RecordOf(pdevobj);
    if (pdev != nullptr) {
        pdev->FreePageBlocks();
        delete pdev;
        pdevobj->pdevOEM = nullptr;
    }
    TraceLog("OEMDisablePDEV : END");
}

}  // namespace lt77
