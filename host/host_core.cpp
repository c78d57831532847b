#include "host/host_core.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace lt77::host {

HostCore::HostCore()
{
    options["InputBin"] = "Option1";
    options["Orientation"] = "PORTRAIT";
}

HRESULT HostCore::QueryInterface(const GUID& riid, void** ppv)
{
    if (ppv == nullptr) return hr::kPointer;
    if (riid == IID_IUnknown || (riid == IID_IPrintOemDriverUni && !refuseServicesQuery)) {
        *ppv = static_cast<IPrintOemDriverUni*>(this);
        AddRef();
        return hr::kOk;
    }
    *ppv = nullptr;
    return hr::kNoInterface;
}

// The host owns the object on its stack or heap; counts are kept only so
// tests can check that the plug-in releases what it took.
ULONG HostCore::AddRef() { return static_cast<ULONG>(++refs_); }
ULONG HostCore::Release() { return static_cast<ULONG>(--refs_); }

HRESULT HostCore::DrvGetDriverSetting(PVOID, const char* Feature, PVOID pOutput, DWORD cbSize, DWORD* pcbNeeded,
                                      DWORD* pdwOptionsReturned)
{
    if (Feature == nullptr) return hr::kFail;
    const auto it = options.find(Feature);
    if (it == options.end()) {
        if (pcbNeeded != nullptr) *pcbNeeded = 0;
        if (pdwOptionsReturned != nullptr) *pdwOptionsReturned = 0;
        return hr::kFail;
    }
    const DWORD needed = static_cast<DWORD>(it->second.size() + 2);  // text, NUL, list-ending NUL
    if (pcbNeeded != nullptr) *pcbNeeded = needed;
    if (pdwOptionsReturned != nullptr) *pdwOptionsReturned = 1;
    if (pOutput == nullptr || cbSize < needed) return hr::kFail;
    std::memcpy(pOutput, it->second.c_str(), it->second.size() + 1);
    static_cast<char*>(pOutput)[needed - 1] = '\0';
    return hr::kOk;
}

HRESULT HostCore::DrvWriteSpoolBuf(PDEVOBJ, PVOID pBuffer, DWORD cbSize, DWORD* pdwResult)
{
    const int call = static_cast<int>(offers.size());
    offers.push_back(cbSize);
    if (pdwResult != nullptr) *pdwResult = 0;
    if (pBuffer == nullptr && cbSize != 0) return hr::kFail;
    if (call == policy.failOnCall) return hr::kFail;
    if (policy.failAfter != 0 && taken >= policy.failAfter) return hr::kFail;
    uint64_t take = cbSize;
    if (policy.stallFromCall >= 0 && call >= policy.stallFromCall) take = 0;
    if (policy.maxPerCall != 0 && take > policy.maxPerCall) take = policy.maxPerCall;
    if (policy.stallAfter != 0) take = taken >= policy.stallAfter ? 0 : std::min(take, policy.stallAfter - taken);
    if (policy.failAfter != 0) take = std::min(take, policy.failAfter - taken);
    const auto* bytes = static_cast<const uint8_t*>(pBuffer);
    taken += take;
    if (keepBytes) spooled.insert(spooled.end(), bytes, bytes + take);
    if (!spoolFile.empty() && take > 0) {
        std::ofstream out(spoolFile, std::ios::binary | std::ios::app);
        out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(take));
    }
    if (pdwResult != nullptr) *pdwResult = static_cast<DWORD>(take);
    return hr::kOk;
}

HRESULT HostCore::DrvXMoveTo(PDEVOBJ, INT, DWORD, INT*) { return hr::kNotImpl; }
HRESULT HostCore::DrvYMoveTo(PDEVOBJ, INT, DWORD, INT*) { return hr::kNotImpl; }
HRESULT HostCore::DrvGetStandardVariable(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*) { return hr::kNotImpl; }
HRESULT HostCore::DrvGetGPDData(PDEVOBJ, DWORD, PVOID, PVOID, DWORD, DWORD*) { return hr::kNotImpl; }
HRESULT HostCore::DrvUniTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                                POINTL*, MIX)
{
    return hr::kNotImpl;
}
HRESULT HostCore::DrvWriteAbortBuf(PDEVOBJ, PVOID, DWORD, DWORD) { return hr::kNotImpl; }

}  // namespace lt77::host
