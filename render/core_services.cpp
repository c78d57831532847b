#include "render/core_services.h"

#include <cstring>

#include "platform/platform.h"

namespace lt77 {

DriverSettingAnswer GetDriverSetting(IPrintOemDriverUni* core, PDEVOBJ pdevobj, const char* feature)
{
    DriverSettingAnswer answer;
    if (core == nullptr) {
        answer.error = syserr::kInvalidHandle;
        return answer;
    }
    char text[257] = {};
    const HRESULT result = core->DrvGetDriverSetting(pdevobj, feature, text, 256, &answer.needed,
                                                     &answer.optionsReturned);
    if (result != hr::kOk) {
        answer.error = LastSystemError();
        return answer;
    }
    answer.ok = true;
    // The answer is a list of NUL-separated strings; the plug-in looks at the
    // first, but the whole buffer may hold the option name after a keyword.
    std::size_t used = std::min<std::size_t>(answer.needed, 256);
    if (used == 0) used = strnlen(text, 256);
    for (std::size_t i = 0; i < used; ++i)
        if (text[i] == '\0') text[i] = ' ';
    answer.text.assign(text, strnlen(text, 256));
    return answer;
}

bool WriteSpoolBufOnce(IPrintOemDriverUni* core, PDEVOBJ pdevobj, std::span<const uint8_t> bytes,
                       DWORD& written)
{
    written = 0;
    if (core == nullptr) return false;
    const HRESULT result = core->DrvWriteSpoolBuf(pdevobj, const_cast<uint8_t*>(bytes.data()),
                                                  static_cast<DWORD>(bytes.size()), &written);
    if (written > bytes.size()) written = static_cast<DWORD>(bytes.size());
    return result == hr::kOk;
}

}  // namespace lt77
