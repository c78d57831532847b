// The rendering plug-in object the driver core creates through the class
// factory, one per core instance.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/oem/com_object.h"
#include "platform/platform.h"
#include "render/command_buffer.h"
#include "render/job_outputs.h"

namespace lt77 {

class RenderPlugin final : public IPrintOemUni {
public:
    explicit RenderPlugin(ModuleCounters& counters);
    ~RenderPlugin();
    RenderPlugin(const RenderPlugin&) = delete;
    RenderPlugin& operator=(const RenderPlugin&) = delete;

    HRESULT QueryInterface(const GUID& riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, DWORD* pcbNeeded) override;
    HRESULT DevMode(DWORD dwMode, OEMDMPARAM* pOemDMParam) override;
    HRESULT EnableDriver(DWORD DriverVersion, DWORD cbSize, DRVENABLEDATA* pded) override;
    HRESULT DisableDriver() override;
    HRESULT EnablePDEV(PDEVOBJ pdevobj, WCHAR* pPrinterName, ULONG cPatterns, HANDLE* phsurfPatterns,
                       ULONG cjGdiInfo, GDIINFO_HEAD* pGdiInfo, ULONG cjDevInfo, DEVINFO* pDevInfo,
                       DRVENABLEDATA* pded, PVOID* pDevOem) override;
    HRESULT DisablePDEV(PDEVOBJ pdevobj) override;
    HRESULT ResetPDEV(PDEVOBJ pdevobjOld, PDEVOBJ pdevobjNew) override;
    HRESULT PublishDriverInterface(IUnknown* pIUnknown) override;
    HRESULT GetImplementedMethod(char* pMethodName) override;
    HRESULT DriverDMS(PVOID pDevObj, PVOID pBuffer, DWORD cbSize, DWORD* pcbNeeded) override;
    HRESULT CommandCallback(PDEVOBJ pdevobj, DWORD dwCallbackID, DWORD dwCount, DWORD* pdwParams,
                            INT* piResult) override;
    HRESULT ImageProcessing(PDEVOBJ pdevobj, BYTE* pSrcBitmap, BITMAPINFOHEADER* pBitmapInfoHeader,
                            BYTE* pColorTable, DWORD dwCallbackID, IPPARAMS* pIPParams,
                            BYTE** ppbResult) override;
    HRESULT FilterGraphics(PDEVOBJ pdevobj, BYTE* pBuf, DWORD dwLen) override;
    HRESULT Compression(PDEVOBJ pdevobj, BYTE* pInBuf, BYTE* pOutBuf, DWORD dwInLen, DWORD dwOutLen,
                        INT* piResult) override;
    HRESULT HalftonePattern(PDEVOBJ pdevobj, BYTE* pHTPattern, DWORD dwHTPatternX, DWORD dwHTPatternY,
                            DWORD dwHTNumPatterns, DWORD dwCallbackID, BYTE* pResource,
                            DWORD dwResourceSize) override;
    HRESULT MemoryUsage(PDEVOBJ pdevobj, OEMMEMORYUSAGE* pMemoryUsage) override;
    HRESULT TTYGetInfo(PDEVOBJ pdevobj, DWORD dwInfoIndex, PVOID pOutputBuf, DWORD dwSize,
                       DWORD* pcbcNeeded) override;
    HRESULT DownloadFontHeader(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, DWORD* pdwResult) override;
    HRESULT DownloadCharGlyph(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, HGLYPH hGlyph, DWORD* pdwWidth,
                              DWORD* pdwResult) override;
    HRESULT TTDownloadMethod(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, DWORD* pdwResult) override;
    HRESULT OutputCharStr(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, DWORD dwType, DWORD dwCount,
                          PVOID pGlyph) override;
    HRESULT SendFontCmd(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, FINVOCATION* pFInv) override;
    HRESULT TextOutAsBitmap(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                            RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                            MIX mix) override;

    IPrintOemDriverUni* Core() const { return m_pOEMHelp; }

private:
    CountedObject counted_;
    // Printer bytes of the current page.
    CommandBuffer m_buffer;
    // The document's journal file, preview copy and job record.
    JobOutputs m_outputs;
    std::atomic<long> m_cRef{1};
    IPrintOemDriverUni* m_pOEMHelp = nullptr;
};

// Names the core may ask about; the answers were fixed when the printer
// description was built against them.
bool IsImplementedMethodName(const char* name);

}  // namespace lt77
