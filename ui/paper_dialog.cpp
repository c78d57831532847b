#include "ui/paper_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace lt77::ui {
namespace {

// Decimal texts such as "25.4" are not exact in binary; without this nudge
// 25.4 mm would be stored as 25399 thousandths.
constexpr double kDecimalNudge = 1e-6;

std::u16string CutAtBracket(const std::u16string& name) { return name.substr(0, name.find(u'[')); }

double ParseMm(std::u16string_view text)
{
    std::string narrow;
    for (char16_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return std::strtod(narrow.c_str(), nullptr);
}

std::u16string Clamped(double mm, double min, double max)
{
    if (!(mm >= min)) mm = min;  // also catches a text that is no number
    return FormatMm(std::min(mm, max));
}

void ShowForm(PaperDialogState& s, const FormRecord& form)
{
    s.nameText = CutAtBracket(form.name);
    s.widthText = FormatMm(DisplayedWidthMm(form.widthUm));
    s.lengthText = FormatMm(DisplayedLengthMm(form.lengthUm));
}

}  // namespace

double TenthsConversion(LONG thousandths)
{
    const LONG whole = thousandths / 1000;
    const LONG rest = thousandths - whole * 1000;
    if (rest < 100) return whole;
    const LONG tenths = (rest + 50) / 100;  // rest / 100 rounded half up
    return whole + tenths * 0.1;
}

LONG StoredWidthUm(double widthMm)
{
    const double um = std::trunc(widthMm * 1000 + kDecimalNudge);
    return static_cast<LONG>(std::trunc(um * 0.9 + kDecimalNudge));
}

LONG StoredLengthUm(double lengthMm) { return static_cast<LONG>(std::trunc(lengthMm * 1000 + kDecimalNudge)); }

double DisplayedWidthMm(LONG storedWidthUm)
{
    return TenthsConversion(static_cast<LONG>(std::trunc(storedWidthUm / 0.9 + kDecimalNudge)));
}

double DisplayedLengthMm(LONG storedLengthUm) { return TenthsConversion(storedLengthUm); }

std::u16string FormatMm(double mm)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", mm);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

void FillPaperList(PaperDialogState& s, PageContext& context, const PaperDialogTexts& texts)
{
    s.items.clear();
    std::vector<FormRecord> forms;
    if (context.Sys().forms.Enumerate(context.hPrinter, forms) == 0)
        for (const auto& form : forms)
            if (form.kind == FORM_KIND_USER && form.name.find(context.paperSuffix) != std::u16string::npos)
                s.items.push_back(CutAtBracket(form.name));
    if (s.items.empty()) {
        s.sel = -1;
        s.nameText = texts.defaultName;
        s.widthText = u"80.0";
        s.lengthText = u"3276.0";
        return;
    }
    PaperSelected(s, context, static_cast<int>(s.items.size()) - 1);
}

PaperDialogState FillPaperDialog(PageContext& context, const PaperDialogTexts& texts)
{
    PaperDialogState s;
    FillPaperList(s, context, texts);
    return s;
}

void PaperSelected(PaperDialogState& s, PageContext& context, int sel)
{
    if (sel < 0 || static_cast<std::size_t>(sel) >= s.items.size()) return;
    s.sel = sel;
    FormRecord form;
    if (context.Sys().forms.Get(context.hPrinter, s.items[static_cast<std::size_t>(sel)] + context.paperSuffix,
                                form) == 0)
        ShowForm(s, form);
}

std::u16string LeavePaperWidth(std::u16string_view text)
{
    return Clamped(ParseMm(text), kPaperWidthMinMm, kPaperWidthMaxMm);
}

std::u16string LeavePaperLength(std::u16string_view text)
{
    return Clamped(ParseMm(text), kPaperLengthMinMm, kPaperLengthMaxMm);
}

std::u16string SpinPaperWidth(std::u16string_view text, int delta)
{
    return Clamped(ParseMm(text) + 0.1 * delta, kPaperWidthMinMm, kPaperWidthMaxMm);
}

std::u16string SpinPaperLength(std::u16string_view text, int delta)
{
    return Clamped(ParseMm(text) + 0.1 * delta, kPaperLengthMinMm, kPaperLengthMaxMm);
}

void Utility_SaveForm(PaperDialogState& s, PageContext& context, const PaperDialogTexts& texts,
                      PaperDialogPrompts& prompts)
{
    const std::u16string name = s.nameText;
    if (name == texts.defaultName || name.empty() || name.size() > kPaperNameMaxChars) {
        prompts.ShowError(texts.cannotRegister, texts.error);
        return;
    }
    FormRecord form;
    form.name = name + context.paperSuffix;
    form.kind = FORM_KIND_USER;
    form.widthUm = StoredWidthUm(ParseMm(LeavePaperWidth(s.widthText)));
    form.lengthUm = StoredLengthUm(ParseMm(LeavePaperLength(s.lengthText)));
    form.right = form.widthUm;
    form.bottom = form.lengthUm;

    FormStore& forms = context.Sys().forms;
    bool updated = false;
    if (forms.Add(context.hPrinter, form) != 0) {
        FormRecord existing;
        if (forms.Get(context.hPrinter, form.name, existing) == 0) {
            if (!prompts.AskYesNo(texts.askUpdate, texts.question)) return;
            if (forms.Set(context.hPrinter, form.name, form) != 0) {
                forms.Delete(context.hPrinter, form.name);
                forms.Add(context.hPrinter, form);
            }
            updated = true;
        }
    }
    if (updated && s.sel >= 0) {
        PaperSelected(s, context, s.sel);
        return;
    }
    FillPaperList(s, context, texts);
}

void Utility_DeleteForm(PaperDialogState& s, PageContext& context, const PaperDialogTexts& texts)
{
    if (s.sel < 0 || static_cast<std::size_t>(s.sel) >= s.items.size()) return;
    const std::u16string name = s.items[static_cast<std::size_t>(s.sel)] + context.paperSuffix;
    FormStore& forms = context.Sys().forms;
    FormRecord form;
    if (forms.Get(context.hPrinter, name, form) != 0 || form.kind != FORM_KIND_USER) return;
    forms.Delete(context.hPrinter, name);
    FillPaperList(s, context, texts);
}

}  // namespace lt77::ui
