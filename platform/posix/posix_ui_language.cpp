// The host's UI language: $LT77_UI_LANGUAGE (a language identifier such as
// 0x0415), else English (United States). A switch holds for the calling
// thread, as the system's does.
#include <cstdlib>

#include "platform/ui_language.h"

namespace lt77 {
namespace {

thread_local WORD t_switched = 0;

class PosixUiLanguage final : public UiLanguage {
public:
    WORD Current() override
    {
        if (t_switched != 0) return t_switched;
        const char* env = std::getenv("LT77_UI_LANGUAGE");
        if (env != nullptr && *env != '\0') {
            char* end = nullptr;
            const unsigned long v = std::strtoul(env, &end, 0);
            if (end != env && *end == '\0' && v > 0 && v <= 0xFFFF) return static_cast<WORD>(v);
        }
        return 0x0409;
    }
    void SwitchTo(WORD languageId) override { t_switched = languageId; }
    DWORD SystemMajorVersion() override { return 10; }
};

}  // namespace

UiLanguage& SystemUiLanguage()
{
    static PosixUiLanguage language;
    return language;
}

}  // namespace lt77
