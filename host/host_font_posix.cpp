#include <algorithm>

#include "host/host_font.h"
#include "platform/posix/posix_platform.h"

namespace lt77::host {
namespace {

class PosixHostFont final : public HostFontObject {
public:
    explicit PosixHostFont(const HostFontSpec& spec)
    {
        font_.fo.flFontType = spec.flFontType;
        font_.fo.cxMax = spec.cxMax;
        font_.fo.sizLogResPpi = SIZEL{spec.resolution, spec.resolution};
        std::copy_n(spec.familyName.begin(), std::min<std::size_t>(spec.familyName.size(), 63), font_.familyName);
        font_.weight = spec.weight;
        font_.fsSelection = spec.fsSelection;
        font_.charSet = spec.charSet;
        font_.pitchAndFamily = spec.pitchAndFamily;
        font_.unitsPerEm = spec.unitsPerEm;
        font_.m21 = spec.m21;
        font_.m22 = spec.m22;
    }
    FONTOBJ* Object() override { return &font_.fo; }

private:
    posix::HostFont font_;
};

}  // namespace

std::unique_ptr<HostFontObject> MakeHostFont(const HostFontSpec& spec) { return std::make_unique<PosixHostFont>(spec); }

}  // namespace lt77::host
