#include <algorithm>

#include "host/host_font.h"
#include "platform/posix/posix_platform.h"

namespace lt77::host {
namespace {

class PosixHostFont final : public HostFontObject {
public:
    explicit PosixHostFont(const FontDetails& fields)
    {
        font_.fo.flFontType = fields.flFontType;
        font_.fo.cxMax = fields.cxMax;
        font_.fo.sizLogResPpi = SIZEL{fields.resolutionY, fields.resolutionY};
        font_.details = fields;
    }
    FONTOBJ* Object() override { return &font_.fo; }

private:
    posix::HostFont font_;
};

}  // namespace

std::unique_ptr<HostFontObject> MakeHostFont(const FontDetails& fields) { return std::make_unique<PosixHostFont>(fields); }

}  // namespace lt77::host
