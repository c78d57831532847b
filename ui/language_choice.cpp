#include "ui/language_choice.h"

#include "platform/ui_language.h"

namespace lt77::ui {

bool IsSystemOnlyLanguage(WORD uiLanguage)
{
    switch (PrimaryLanguageOf(uiLanguage)) {
    case kLangChinese:
    case kLangHungarian:
    case kLangJapanese:
    case kLangKorean:
    case kLangPolish:
    case kLangRussian:
        return true;
    default:
        return false;
    }
}

uint8_t LanguageIndexOf(WORD uiLanguage)
{
    if (IsSystemOnlyLanguage(uiLanguage)) return 5;
    switch (PrimaryLanguageOf(uiLanguage)) {
    case kLangGerman: return 1;
    case kLangFrench: return 2;
    case kLangSpanish: return 3;
    case kLangItalian: return 4;
    default: return 0;
    }
}

std::optional<LanguageSwitch> LanguageSwitchFor(uint8_t index, WORD uiLanguage)
{
    switch (index) {
    case 1: return LanguageSwitch{kLangGerman, 1};
    case 2: return LanguageSwitch{kLangFrench, 1};
    case 3: return LanguageSwitch{kLangSpanish, 1};
    case 4: return LanguageSwitch{kLangItalian, 1};
    case 5: {
        if (!IsSystemOnlyLanguage(uiLanguage)) return std::nullopt;
        const WORD primary = PrimaryLanguageOf(uiLanguage);
        // Simplified Chinese is sublanguage 2; every other Chinese is shown
        // in the traditional templates.
        const WORD sub = primary == kLangChinese && SubLanguageOf(uiLanguage) == 2 ? 2 : 1;
        return LanguageSwitch{primary, sub};
    }
    default: return LanguageSwitch{kLangEnglish, 1};
    }
}

WORD GetUILanguage(UiSystem& system) { return system.language.Current(); }

void SwitchLanguage(UiSystem& system, WORD primary, WORD sub) { system.language.SwitchTo(MakeLanguageId(primary, sub)); }

}  // namespace lt77::ui
