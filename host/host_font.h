// Font objects as the host's graphics engine hands them to the plug-in:
// the public record, plus whatever the engine's own functions answer for it
// on this target.
#pragma once

#include <memory>
#include <string>

#include "platform/oem/ddi.h"

namespace lt77::host {

struct HostFontFields {
    FLONG flFontType = 0;
    ULONG cxMax = 0;
    LONG resolution = 203;
    std::u16string familyName;
    WORD weight = 400;
    WORD fsSelection = 0;
    BYTE charSet = 0;
    BYTE pitchAndFamily = 0;
    WORD unitsPerEm = 2048;
    float m21 = 0.0f;
    float m22 = 0.0f;
};

class HostFontObject {
public:
    virtual ~HostFontObject() = default;
    virtual FONTOBJ* Object() = 0;
};

std::unique_ptr<HostFontObject> MakeHostFont(const HostFontFields& fields);

}  // namespace lt77::host
