// Font objects as the host's graphics engine hands them to the plug-in:
// the public record, plus whatever the engine's own functions answer for it
// on this target.
#pragma once

#include <memory>
#include <string>

#include "platform/engine.h"
#include "platform/oem/ddi.h"

namespace lt77::host {

class HostFontObject {
public:
    virtual ~HostFontObject() = default;
    virtual FONTOBJ* Object() = 0;
};

// A font object whose engine answers are `fields`, what the plug-in reads of it.
std::unique_ptr<HostFontObject> MakeHostFont(const FontDetails& fields);

}  // namespace lt77::host
