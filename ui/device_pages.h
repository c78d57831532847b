// The device sheet's pages: Language (template "Language") and Version
// (template "Version").
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/page_context.h"

namespace lt77::ui {

// The language names as the template holds them.
struct LanguageTexts {
    std::array<std::u16string, 5> base = {u"English", u"Deutsch", u"Fran\u00e7ais", u"Espa\u00f1ol", u"Italiano"};
    std::u16string simplifiedChinese = u"\u7b80\u4f53\u4e2d\u6587";
    std::u16string traditionalChinese = u"\u7e41\u9ad4\u4e2d\u6587";
    std::u16string hungarian = u"Magyar";
    std::u16string japanese = u"\u65e5\u672c\u8a9e";
    std::u16string korean = u"\ud55c\uad6d\uc5b4";
    std::u16string polish = u"Polski";
    std::u16string russian = u"\u0440\u0443\u0441\u0441\u043a\u0438\u0439";
};

struct LanguageState {
    std::vector<std::u16string> items;  // five, or six with the system's own
    int sel = 0;
};

LanguageState FillLanguagePage(PageContext& context, const LanguageTexts& texts);
// A selection change marks the page changed; Apply writes [28] and "MISC".
void ApplyLanguagePage(const LanguageState& state, PageContext& context);

struct VersionTexts {
    std::u16string version;  // "Windows driver for <maker> LT-77 \r\nVersion 1.0.0.0"
    std::u16string notice;
};
VersionTexts FillVersionPage(PageContext& context);

}  // namespace lt77::ui
