#include "ui/device_pages.h"

#include <cstdio>

#include "ui/language_choice.h"
#include "ui/settings_store.h"
#include "ui/text_numbers.h"

namespace lt77::ui {
namespace {

const std::u16string* SixthLanguage(WORD uiLanguage, const LanguageTexts& t)
{
    switch (PrimaryLanguageOf(uiLanguage)) {
    case kLangChinese: return SubLanguageOf(uiLanguage) == 2 ? &t.simplifiedChinese : &t.traditionalChinese;
    case kLangHungarian: return &t.hungarian;
    case kLangJapanese: return &t.japanese;
    case kLangKorean: return &t.korean;
    case kLangPolish: return &t.polish;
    case kLangRussian: return &t.russian;
    default: return nullptr;
    }
}

}  // namespace

LanguageState FillLanguagePage(PageContext& context, const LanguageTexts& texts)
{
    if (ReloadSettings(context) != 0) context.byteValue[IDX_UI_LANGUAGE] = LanguageIndexOf(context.uiLanguage);
    LanguageState s;
    s.items.assign(texts.base.begin(), texts.base.end());
    if (const auto* sixth = SixthLanguage(context.uiLanguage, texts)) s.items.push_back(*sixth);
    const int stored = context.byteValue[IDX_UI_LANGUAGE];
    s.sel = stored < static_cast<int>(s.items.size()) ? stored : 0;
    return s;
}

void ApplyLanguagePage(const LanguageState& s, PageContext& context)
{
    context.byteValue[IDX_UI_LANGUAGE] = static_cast<uint8_t>(s.sel >= 0 ? s.sel : 0);
    WriteSettings(context);
}

VersionTexts FillVersionPage(PageContext& context)
{
    static constexpr std::pair<const char*, uint32_t> kValues[] = {
        {"MajorVersion", 1}, {"MinorVersion", 0}, {"BuildVersion", 0}, {"ExtraVersion", 0}};
    std::u16string numbers;
    for (std::size_t i = 0; i < 4; ++i) {
        uint8_t bytes[4] = {};
        DWORD needed = 0;
        uint32_t v = kValues[i].second;
        if (GetPrinterDataFromReg(context.Sys(), context.hPrinter, kValues[i].first, nullptr, bytes, &needed) == 0 &&
            needed == 4)
            v = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        numbers += IntToText(static_cast<int>(v));
        if (i < 3) numbers += u".";
    }
    VersionTexts t;
    t.version = u"Windows driver for Kelwyn LT-77 \r\nVersion " + numbers;
    t.notice = u"Copyright (C) Kelwyn Systems. All rights reserved.\r\n"
               u"This driver may be used only with printers of the LT-77 family.";
    return t;
}

}  // namespace lt77::ui
