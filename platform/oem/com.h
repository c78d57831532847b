// COM interfaces of the rendering plug-in, declared in slot order. A class
// with only pure virtual methods, single inheritance and no virtual
// destructor has the COM vtable layout on both targets (x86_64, where
// __stdcall is the one calling convention).
#pragma once

#include "platform/oem/abi_types.h"
#include "platform/oem/ddi.h"

namespace lt77 {

struct IUnknown {
    virtual HRESULT QueryInterface(const GUID& riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, const GUID& riid, void** ppv) = 0;
    virtual HRESULT LockServer(BOOL fLock) = 0;
};

// The core's services, published to the plug-in (IPrintOemDriverUni).
struct IPrintOemDriverUni : IUnknown {
    virtual HRESULT DrvGetDriverSetting(PVOID pdriverobj, const char* Feature, PVOID pOutput,
                                        DWORD cbSize, DWORD* pcbNeeded,
                                        DWORD* pdwOptionsReturned) = 0;
    virtual HRESULT DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize,
                                     DWORD* pdwResult) = 0;
    virtual HRESULT DrvXMoveTo(PDEVOBJ pdevobj, INT x, DWORD dwFlags, INT* piResult) = 0;
    virtual HRESULT DrvYMoveTo(PDEVOBJ pdevobj, INT y, DWORD dwFlags, INT* piResult) = 0;
    virtual HRESULT DrvGetStandardVariable(PDEVOBJ pdevobj, DWORD dwIndex, PVOID pBuffer,
                                           DWORD cbSize, DWORD* pcbNeeded) = 0;
    virtual HRESULT DrvGetGPDData(PDEVOBJ pdevobj, DWORD dwType, PVOID pInputData,
                                  PVOID pBuffer, DWORD cbSize, DWORD* pcbNeeded) = 0;
    virtual HRESULT DrvUniTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco,
                                  RECTL* prclExtra, RECTL* prclOpaque, BRUSHOBJ* pboFore,
                                  BRUSHOBJ* pboOpaque, POINTL* pptlBrushOrg, MIX mix) = 0;
    virtual HRESULT DrvWriteAbortBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize,
                                     DWORD dwWait) = 0;
};

// The rendering plug-in interface (IPrintOemUni): IPrintOemCommon slots 3-4,
// IPrintOemEngine slots 5-10, then the Unidrv-specific slots.
struct IPrintOemUni : IUnknown {
    virtual HRESULT GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, DWORD* pcbNeeded) = 0;
    virtual HRESULT DevMode(DWORD dwMode, OEMDMPARAM* pOemDMParam) = 0;
    virtual HRESULT EnableDriver(DWORD DriverVersion, DWORD cbSize, DRVENABLEDATA* pded) = 0;
    virtual HRESULT DisableDriver() = 0;
    virtual HRESULT EnablePDEV(PDEVOBJ pdevobj, WCHAR* pPrinterName, ULONG cPatterns,
                               HANDLE* phsurfPatterns, ULONG cjGdiInfo, GDIINFO_HEAD* pGdiInfo,
                               ULONG cjDevInfo, DEVINFO* pDevInfo, DRVENABLEDATA* pded,
                               PVOID* pDevOem) = 0;
    virtual HRESULT DisablePDEV(PDEVOBJ pdevobj) = 0;
    virtual HRESULT ResetPDEV(PDEVOBJ pdevobjOld, PDEVOBJ pdevobjNew) = 0;
    virtual HRESULT PublishDriverInterface(IUnknown* pIUnknown) = 0;
    virtual HRESULT GetImplementedMethod(char* pMethodName) = 0;
    virtual HRESULT DriverDMS(PVOID pDevObj, PVOID pBuffer, DWORD cbSize, DWORD* pcbNeeded) = 0;
    virtual HRESULT CommandCallback(PDEVOBJ pdevobj, DWORD dwCallbackID, DWORD dwCount,
                                    DWORD* pdwParams, INT* piResult) = 0;
    virtual HRESULT ImageProcessing(PDEVOBJ pdevobj, BYTE* pSrcBitmap,
                                    BITMAPINFOHEADER* pBitmapInfoHeader, BYTE* pColorTable,
                                    DWORD dwCallbackID, IPPARAMS* pIPParams,
                                    BYTE** ppbResult) = 0;
    virtual HRESULT FilterGraphics(PDEVOBJ pdevobj, BYTE* pBuf, DWORD dwLen) = 0;
    virtual HRESULT Compression(PDEVOBJ pdevobj, BYTE* pInBuf, BYTE* pOutBuf, DWORD dwInLen,
                                DWORD dwOutLen, INT* piResult) = 0;
    virtual HRESULT HalftonePattern(PDEVOBJ pdevobj, BYTE* pHTPattern, DWORD dwHTPatternX,
                                    DWORD dwHTPatternY, DWORD dwHTNumPatterns,
                                    DWORD dwCallbackID, BYTE* pResource,
                                    DWORD dwResourceSize) = 0;
    virtual HRESULT MemoryUsage(PDEVOBJ pdevobj, OEMMEMORYUSAGE* pMemoryUsage) = 0;
    virtual HRESULT TTYGetInfo(PDEVOBJ pdevobj, DWORD dwInfoIndex, PVOID pOutputBuf,
                               DWORD dwSize, DWORD* pcbcNeeded) = 0;
    virtual HRESULT DownloadFontHeader(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, DWORD* pdwResult) = 0;
    virtual HRESULT DownloadCharGlyph(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, HGLYPH hGlyph,
                                      DWORD* pdwWidth, DWORD* pdwResult) = 0;
    virtual HRESULT TTDownloadMethod(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, DWORD* pdwResult) = 0;
    virtual HRESULT OutputCharStr(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, DWORD dwType,
                                  DWORD dwCount, PVOID pGlyph) = 0;
    virtual HRESULT SendFontCmd(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, FINVOCATION* pFInv) = 0;
    virtual HRESULT TextOutAsBitmap(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco,
                                    RECTL* prclExtra, RECTL* prclOpaque, BRUSHOBJ* pboFore,
                                    BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) = 0;
};

inline constexpr GUID CLSID_OEMRENDER = {
    0x6D6ABF26, 0x9F38, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
inline constexpr GUID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID IID_IPrintOemUni = {
    0xD67EBBF0, 0x78BF, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
inline constexpr GUID IID_IPrintOemDriverUni = {
    0xD67EBBF1, 0x78BF, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};

inline constexpr DWORD OEMGI_GETSIGNATURE = 1;
inline constexpr DWORD OEMGI_GETINTERFACEVERSION = 2;
inline constexpr DWORD OEMGI_GETVERSION = 3;
inline constexpr DWORD OEMGI_GETPUBLISHERINFO = 4;

inline constexpr DWORD OEMDM_SIZE = 1;
inline constexpr DWORD OEMDM_DEFAULT = 2;
inline constexpr DWORD OEMDM_CONVERT = 3;
inline constexpr DWORD OEMDM_MERGE = 4;

inline constexpr ULONG PRINTER_OEMINTF_VERSION = 0x00010000;

// Signatures of the library exports.
using DllGetClassObjectFn = HRESULT (*)(const GUID& rclsid, const GUID& riid, void** ppv);
using DllCanUnloadNowFn = HRESULT (*)();

}  // namespace lt77
