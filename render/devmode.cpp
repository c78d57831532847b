#include "render/devmode.h"

#include <algorithm>
#include <cstring>

#include "render/trace.h"

namespace lt77 {
namespace {

constexpr DWORD kOurSize = sizeof(OemDevMode);

// The core allocates both private parts at the size this plug-in answered
// for OEMDM_SIZE. The size fields inside the records may be corrupt or come
// from another plug-in version, so no copy ever exceeds that size.
void Convert(const OEMDMPARAM& param, bool merge)
{
    auto* out = static_cast<OemDevMode*>(param.pOEMDMOut);
    out->dwValue1 = 0;
    out->dwValue2 = 0;
    const auto* in = static_cast<const OemDevMode*>(param.pOEMDMIn);
    if (in != nullptr && in->dmExtraHdr.dwSignature == out->dmExtraHdr.dwSignature) {
        const DWORD bytes = std::min({in->dmExtraHdr.dwSize, out->dmExtraHdr.dwSize, kOurSize});
        std::memmove(out, in, bytes);
    } else {
        out->dmExtraHdr.dwSignature = kOemSignature;
    }
    out->dmExtraHdr.dwVersion = kOemDevModeVersion;
    out->dmExtraHdr.dwSize = kOurSize;
    if (merge) {
        if (out->dwValue1 > 100) out->dwValue1 = 0;
        if (out->dwValue2 > 100) out->dwValue2 = 0;
    }
}

}  // namespace

HRESULT HandleDevMode(DWORD dwMode, OEMDMPARAM* param, DWORD& error)
{
    if (param == nullptr || dwMode < OEMDM_SIZE || dwMode > OEMDM_MERGE) {
        error = syserr::kInvalidParameter;
        return hr::kFail;
    }
    if (dwMode == OEMDM_SIZE) {
        TraceLog("hrOEMDevMode : OEMDM_SIZE");
        param->cbBufSize = kOurSize;
        return hr::kOk;
    }
    if (param->pOEMDMOut == nullptr) {
        error = syserr::kInvalidParameter;
        return hr::kFail;
    }
    auto* out = static_cast<OemDevMode*>(param->pOEMDMOut);
    switch (dwMode) {
    case OEMDM_DEFAULT:
        TraceLog("hrOEMDevMode : OEMDM_DEFAULT");
        out->dmExtraHdr = {kOurSize, kOemSignature, kOemDevModeVersion};
        out->dwValue1 = 0;
        out->dwValue2 = 0;
        out->dwReserved = 0;
        break;
    case OEMDM_CONVERT:
        TraceLog("hrOEMDevMode : OEMDM_CONVERT");
        Convert(*param, false);
        break;
    default:
        TraceLog("hrOEMDevMode : OEMDM_MERGE");
        Convert(*param, true);
        break;
    }
    return hr::kOk;
}

}  // namespace lt77
