// Which language the pages appear in: the language index of settings byte
// 28 and the system's UI language.
#pragma once

#include <optional>

#include "platform/oem/abi_types.h"
#include "ui/page_context.h"

namespace lt77::ui {

inline constexpr WORD kLangChinese = 0x04, kLangGerman = 0x07, kLangEnglish = 0x09, kLangSpanish = 0x0A,
                      kLangFrench = 0x0C, kLangHungarian = 0x0E, kLangItalian = 0x10, kLangJapanese = 0x11,
                      kLangKorean = 0x12, kLangPolish = 0x15, kLangRussian = 0x19;

inline constexpr WORD PrimaryLanguageOf(WORD id) { return static_cast<WORD>(id & 0x3FF); }
inline constexpr WORD SubLanguageOf(WORD id) { return static_cast<WORD>(id >> 10); }
inline constexpr WORD MakeLanguageId(WORD primary, WORD sub) { return static_cast<WORD>(primary | (sub << 10)); }

// Chinese, Hungarian, Japanese, Korean, Polish or Russian: the languages
// offered as the sixth item, "the system's own".
bool IsSystemOnlyLanguage(WORD uiLanguage);

// Index for a fresh settings record: 5 for the six above, German 1, French
// 2, Spanish 3, Italian 4, everything else 0.
uint8_t LanguageIndexOf(WORD uiLanguage);

struct LanguageSwitch {
    WORD primary;
    WORD sub;
};
// The switch for a language index; none for index 5 when the system's
// language is not one of the six. Any other unknown index gives English.
std::optional<LanguageSwitch> LanguageSwitchFor(uint8_t index, WORD uiLanguage);

WORD GetUILanguage(UiSystem& system);
void SwitchLanguage(UiSystem& system, WORD primary, WORD sub);

}  // namespace lt77::ui
