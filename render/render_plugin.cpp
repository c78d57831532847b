#include "render/render_plugin.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "platform/oem/export_guard.h"
#include "render/device_record.h"
#include "render/devmode.h"
#include "render/enable_pdev.h"
#include "render/job_commands.h"
#include "render/page_image.h"
#include "render/module_state.h"
#include "render/settings_loader.h"
#include "render/trace.h"

namespace lt77 {
namespace {

void SetError(DWORD error) { SetLastSystemError(error); }

const std::string_view kImplementedMethods[] = {
    "CommandCallback", "Compression",      "DownloadFontHeader", "DownloadCharGlyph", "FilterGraphics",
    "HalftonePattern", "ImageProcessing",  "MemoryUsage",        "OutputCharStr",     "SendFontCmd",
    "TextOutAsBitmap", "TTDownloadMethod", "TTYGetInfo",         "WritePrinter",
};

const char kFrame[] = "--------------------------------------------------------------------------";
static_assert(sizeof(kFrame) == 75);

// Every slot that does any work runs it through this, so that no exception
// reaches the core; the three of IUnknown and the untraced stubs call nothing
// that could throw.
template <class F>
HRESULT Guard(const char* method, F&& body)
{
    return Guarded(&TraceLog, method, hr::kFail, std::forward<F>(body));
}

HRESULT NotImplemented(const char* name)
{
    return Guard(name, [&] {
        TraceLog("%s : START", name);
        TraceLog("%s : END", name);
        return hr::kNotImpl;
    });
}

// A failed enable frees the record it made; the device object must not be
// left pointing at it.
class AttachedRecord {
public:
    AttachedRecord(PDEVOBJ pdevobj, OemPDEV* record) : pdevobj_(pdevobj)
    {
        if (pdevobj_ != nullptr) pdevobj_->pdevOEM = record;
    }
    ~AttachedRecord()
    {
        if (pdevobj_ != nullptr) pdevobj_->pdevOEM = nullptr;
    }
    AttachedRecord(const AttachedRecord&) = delete;
    AttachedRecord& operator=(const AttachedRecord&) = delete;
    void Keep() { pdevobj_ = nullptr; }

private:
    PDEVOBJ pdevobj_;
};

}  // namespace

// Some of these answer "not implemented" when called; the core only checks
// that they exist, and the printer description was built against this list.
bool IsImplementedMethodName(const char* name)
{
    if (name == nullptr) return false;
    const std::string_view asked(name);
    for (auto m : kImplementedMethods)
        if (asked == m) return true;
    return false;
}

RenderPlugin::RenderPlugin(ModuleCounters& counters) : counted_(counters), m_outputs(ModulePlatform()) {}

RenderPlugin::~RenderPlugin()
{
    if (m_pOEMHelp != nullptr) m_pOEMHelp->Release();
}

HRESULT RenderPlugin::QueryInterface(const GUID& riid, void** ppv)
{
    if (ppv == nullptr) return hr::kPointer;
    if (riid == IID_IUnknown || riid == IID_IPrintOemUni) {
        *ppv = static_cast<IPrintOemUni*>(this);
        AddRef();
        return hr::kOk;
    }
    *ppv = nullptr;
    return hr::kNoInterface;
}

ULONG RenderPlugin::AddRef() { return static_cast<ULONG>(++m_cRef); }

ULONG RenderPlugin::Release()
{
    const long left = --m_cRef;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT RenderPlugin::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, DWORD* pcbNeeded)
{
    return Guard("GetInfo", [&] {
        TraceLog("GetInfo : START");
        HRESULT result = hr::kFail;
        if (pcbNeeded == nullptr) {
            SetError(syserr::kInvalidParameter);
        } else if (dwMode == OEMGI_GETSIGNATURE || dwMode == OEMGI_GETVERSION) {
            *pcbNeeded = sizeof(DWORD);
            if (pBuffer == nullptr || cbSize < sizeof(DWORD)) {
                SetError(syserr::kInsufficientBuffer);
            } else {
                const DWORD value = dwMode == OEMGI_GETSIGNATURE ? kOemSignature : kOemDevModeVersion;
                std::memcpy(pBuffer, &value, sizeof(value));
                result = hr::kOk;
            }
        } else if (dwMode == OEMGI_GETPUBLISHERINFO) {
            *pcbNeeded = 8;
        } else {
            SetError(syserr::kInvalidParameter);
        }
        TraceLog("GetInfo : END");
        return result;
    });
}

HRESULT RenderPlugin::DevMode(DWORD dwMode, OEMDMPARAM* pOemDMParam)
{
    return Guard("DevMode", [&] {
        TraceLog("DevMode : START");
        DWORD error = 0;
        const HRESULT result = HandleDevMode(dwMode, pOemDMParam, error);
        if (result != hr::kOk) SetError(error);
        TraceLog("DevMode : END");
        return result;
    });
}

HRESULT RenderPlugin::EnableDriver(DWORD, DWORD, DRVENABLEDATA* pded)
{
    return Guard("EnableDriver", [&] {
        TraceLog("EnableDriver : START");
        if (pded != nullptr) {
            pded->iDriverVersion = PRINTER_OEMINTF_VERSION;
            pded->c = kHookCount;
            pded->pdrvfn = const_cast<DRVFN*>(HookTable());
        }
        TraceLog("EnableDriver : END");
        return hr::kOk;
    });
}

HRESULT RenderPlugin::DisableDriver()
{
    return Guard("DisableDriver", [&] {
        TraceLog("DisableDriver : START");
        if (m_pOEMHelp != nullptr) {
            m_pOEMHelp->Release();
            m_pOEMHelp = nullptr;
        }
        TraceLog("DisableDriver : END");
        return hr::kOk;
    });
}

HRESULT RenderPlugin::EnablePDEV(PDEVOBJ pdevobj, WCHAR* pPrinterName, ULONG, HANDLE*, ULONG cjGdiInfo,
                                 GDIINFO_HEAD* pGdiInfo, ULONG cjDevInfo, DEVINFO* pDevInfo,
                                 DRVENABLEDATA* pded, PVOID* pDevOem)
{
    return Guard("EnablePDEV", [&] {
        TraceLog("%s", kFrame);
        TraceLog("EnablePDEV : START");
        Platform& platform = ModulePlatform();
        PrepareTraceFolder(platform);
        std::unique_ptr<OemPDEV> record(
            OEMEnablePDEV(platform, pdevobj, pPrinterName, cjGdiInfo, pGdiInfo, cjDevInfo, pDevInfo, pded));
        if (pDevOem != nullptr) *pDevOem = nullptr;
        HRESULT result = hr::kFail;
        if (record != nullptr) {
            // The core stores the record in the device object after this call;
            // the option queries below need it there already.
            AttachedRecord attached(pdevobj, record.get());
            uint8_t* v = record->m_UIInfo.byteValue;
            v[IDX_LANDSCAPE] = IsLandscapeMode(m_pOEMHelp, pdevobj) ? 1 : 0;
            v[IDX_ROTATION] &= 3;
            v[IDX_PAPER_TYPE] = IsReceiptPrintSelected(m_pOEMHelp, pdevobj) == 1 ? 0 : 1;
            attached.Keep();
            if (pDevOem != nullptr) *pDevOem = record.get();
            record.release();
            result = hr::kOk;
        }
        TraceLog("EnablePDEV : END");
        TraceLog("%s", kFrame);
        return result;
    });
}

HRESULT RenderPlugin::DisablePDEV(PDEVOBJ pdevobj)
{
    return Guard("DisablePDEV", [&] {
        TraceLog("DisablePDEV : START");
        OEMDisablePDEV(pdevobj);
        TraceLog("DisablePDEV : END");
        return hr::kOk;
    });
}

HRESULT RenderPlugin::ResetPDEV(PDEVOBJ pdevobjOld, PDEVOBJ)
{
    return Guard("ResetPDEV", [&] {
        TraceLog("ResetPDEV : START");
        if (const OemPDEV* old = RecordOf(pdevobjOld))
            TraceLog("ResetPDEV : pOldOemPDEV->dwJobId = %u", old->dwJobId);
        TraceLog("ResetPDEV : END");
        return hr::kOk;
    });
}

HRESULT RenderPlugin::PublishDriverInterface(IUnknown* pIUnknown)
{
    return Guard("PublishDriverInterface", [&] {
        TraceLog("PublishDriverInterface : START");
        HRESULT result = hr::kOk;
        if (m_pOEMHelp == nullptr) {
            void* services = nullptr;
            result = pIUnknown != nullptr ? pIUnknown->QueryInterface(IID_IPrintOemDriverUni, &services)
                                          : hr::kFail;
            if (result == hr::kOk && services != nullptr) {
                m_pOEMHelp = static_cast<IPrintOemDriverUni*>(services);
            } else {
                m_pOEMHelp = nullptr;
                result = hr::kFail;
            }
        }
        TraceLog("PublishDriverInterface : END");
        return result;
    });
}

HRESULT RenderPlugin::GetImplementedMethod(char* pMethodName)
{
    return Guard("GetImplementedMethod", [&] {
        if (pMethodName == nullptr) return hr::kFalse;
        if (pMethodName[0] == 'I') TraceLog("GetImplementedMethod CALLED : NAME_ImageProcessing");
        const bool found = IsImplementedMethodName(pMethodName);
        if (found && pMethodName[0] == 'I') TraceLog("GetImplementedMethod CALLED : NAME_ImageProcessing OK");
        return found ? hr::kOk : hr::kFalse;
    });
}

HRESULT RenderPlugin::DriverDMS(PVOID, PVOID, DWORD, DWORD*) { return NotImplemented("DriverDMS"); }

HRESULT RenderPlugin::CommandCallback(PDEVOBJ pdevobj, DWORD dwCallbackID, DWORD, DWORD*, INT*)
{
    const HRESULT result = Guard("CommandCallback", [&] {
        TraceLog("CommandCallback : START, CallBack ID = %d", static_cast<int>(dwCallbackID));
        OemPDEV* pdev = RecordOf(pdevobj);
        if (pdev != nullptr) {
            JobContext job{pdevobj, *pdev, m_pOEMHelp, m_buffer, m_outputs};
            RunCommandCallback(job, dwCallbackID);
        }
        TraceLog("CommandCallback : END, CallBack ID = %d", static_cast<int>(dwCallbackID));
        return hr::kOk;
    });
    // The job number belongs to the document that just ended, even one whose
    // end failed: the next lines must not join its trace.
    if (dwCallbackID == KLW_ENDDOC) g_dwJobId = 0;
    return result;
}

HRESULT RenderPlugin::ImageProcessing(PDEVOBJ pdevobj, BYTE* pSrcBitmap, BITMAPINFOHEADER* pBitmapInfoHeader,
                                      BYTE* pColorTable, DWORD dwCallbackID, IPPARAMS* pIPParams, BYTE** ppbResult)
{
    return Guard("ImageProcessing", [&] {
        return ProcessBand(pdevobj, pSrcBitmap, pBitmapInfoHeader, pColorTable, dwCallbackID, pIPParams,
                           ppbResult);
    });
}

HRESULT RenderPlugin::FilterGraphics(PDEVOBJ pdevobj, BYTE* pBuf, DWORD dwLen)
{
    return Guard("FilterGraphics", [&] {
        TraceLog("FilterGraphics : START");
        DWORD written = 0;
        const bool taken = pBuf != nullptr && m_pOEMHelp != nullptr &&
                           m_pOEMHelp->DrvWriteSpoolBuf(pdevobj, pBuf, dwLen, &written) == hr::kOk &&
                           written == dwLen;
        TraceLog("FilterGraphics : END");
        return taken ? hr::kOk : hr::kFail;
    });
}

HRESULT RenderPlugin::Compression(PDEVOBJ, BYTE*, BYTE*, DWORD, DWORD, INT*)
{
    return NotImplemented("Compression");
}

HRESULT RenderPlugin::HalftonePattern(PDEVOBJ, BYTE*, DWORD, DWORD, DWORD, DWORD, BYTE*, DWORD)
{
    return NotImplemented("HalftonePattern");
}

// The core calls the next few for every band or glyph; they write no trace.
HRESULT RenderPlugin::MemoryUsage(PDEVOBJ, OEMMEMORYUSAGE*) { return hr::kNotImpl; }

HRESULT RenderPlugin::TTYGetInfo(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*) { return NotImplemented("TTYGetInfo"); }

HRESULT RenderPlugin::DownloadFontHeader(PDEVOBJ, UNIFONTOBJ*, DWORD*) { return hr::kNotImpl; }

HRESULT RenderPlugin::DownloadCharGlyph(PDEVOBJ, UNIFONTOBJ*, HGLYPH, DWORD*, DWORD*)
{
    return hr::kNotImpl;
}

HRESULT RenderPlugin::TTDownloadMethod(PDEVOBJ, UNIFONTOBJ*, DWORD*) { return hr::kOk; }

HRESULT RenderPlugin::OutputCharStr(PDEVOBJ, UNIFONTOBJ*, DWORD, DWORD, PVOID)
{
    return NotImplemented("OutputCharStr");
}

HRESULT RenderPlugin::SendFontCmd(PDEVOBJ, UNIFONTOBJ*, FINVOCATION*) { return NotImplemented("SendFontCmd"); }

HRESULT RenderPlugin::TextOutAsBitmap(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*,
                                      BRUSHOBJ*, POINTL*, MIX)
{
    return NotImplemented("TextOutAsBitmap");
}

}  // namespace lt77
