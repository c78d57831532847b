// The plug-in's private part of the device mode and the core's device-mode
// requests on it.
#pragma once

#include "platform/oem/com.h"

namespace lt77 {

struct OemDevMode {
    OEM_DMEXTRAHEADER dmExtraHdr;
    DWORD dwValue1;
    DWORD dwValue2;
    // The part is 24 bytes long in every stored device mode; the last four
    // bytes carry nothing.
    DWORD dwReserved;
};
static_assert(sizeof(OemDevMode) == 24);
static_assert(offsetof(OemDevMode, dwValue1) == 12);

inline constexpr DWORD kOemSignature = 0x4D534654;
inline constexpr DWORD kOemDevModeVersion = 1;

// Returns success or failure; `error` is the system error to set on failure.
HRESULT HandleDevMode(DWORD dwMode, OEMDMPARAM* param, DWORD& error);

}  // namespace lt77
