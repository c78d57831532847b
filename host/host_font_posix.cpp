#include <algorithm>

#include "host/host_font.h"
#include "platform/posix/posix_platform.h"

namespace lt77::host {
namespace {

class PosixHostFont final : public HostFontObject {
public:
    explicit PosixHostFont(const HostFontFields& fields)
    {
        font_.fo.flFontType = fields.flFontType;
        font_.fo.cxMax = fields.cxMax;
        font_.fo.sizLogResPpi = SIZEL{fields.resolution, fields.resolution};
        std::copy_n(fields.familyName.begin(), std::min<std::size_t>(fields.familyName.size(), 63), font_.familyName);
        font_.weight = fields.weight;
        font_.fsSelection = fields.fsSelection;
        font_.charSet = fields.charSet;
        font_.pitchAndFamily = fields.pitchAndFamily;
        font_.unitsPerEm = fields.unitsPerEm;
        font_.m21 = fields.m21;
        font_.m22 = fields.m22;
    }
    FONTOBJ* Object() override { return &font_.fo; }

private:
    posix::HostFont font_;
};

}  // namespace

std::unique_ptr<HostFontObject> MakeHostFont(const HostFontFields& fields) { return std::make_unique<PosixHostFont>(fields); }

}  // namespace lt77::host
