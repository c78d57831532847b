// The "User Defined Paper Size" dialog: user-defined forms whose names end
// in "[LT77]", with their sizes in millimetres.
#pragma once

#include <string>
#include <vector>

#include "platform/form_store.h"
#include "ui/page_context.h"

namespace lt77::ui {

inline constexpr double kPaperWidthMinMm = 25.4, kPaperWidthMaxMm = 210.0;
inline constexpr double kPaperLengthMinMm = 25.4, kPaperLengthMaxMm = 3276.0;
inline constexpr std::size_t kPaperNameMaxChars = 25;  // 31 less the suffix
inline constexpr int kPaperWidthEditChars = 4, kPaperLengthEditChars = 6;

struct PaperDialogTexts {
    std::u16string cannotRegister = u"This paper name can not be registered.";
    std::u16string askUpdate = u"Do you want to update the paper size?";
    std::u16string error = u"Error";
    std::u16string question = u"Question";
    std::u16string defaultName = u"User-defined paper";
};

// The two questions the dialog asks through message boxes.
class PaperDialogPrompts {
public:
    virtual ~PaperDialogPrompts() = default;
    virtual void ShowError(std::u16string_view text, std::u16string_view caption) = 0;  // error icon
    virtual bool AskYesNo(std::u16string_view text, std::u16string_view caption) = 0;   // information icon
};

struct PaperDialogState {
    std::vector<std::u16string> items;  // user-defined papers, cut at "["
    int sel = -1;
    std::u16string nameText;
    std::u16string widthText;   // millimetres, "%.1f"
    std::u16string lengthText;
};

// Millimetres with one decimal from thousandths: 79999 -> 80.0, 72150 ->
// 72.2, 72050 -> 72.0.
double TenthsConversion(LONG thousandths);
// Stored width: nine tenths of the entered paper width.
LONG StoredWidthUm(double widthMm);
LONG StoredLengthUm(double lengthMm);
double DisplayedWidthMm(LONG storedWidthUm);
double DisplayedLengthMm(LONG storedLengthUm);
std::u16string FormatMm(double mm);  // "%.1f"

// Opening, and after a save or delete: the list, the last item selected and
// shown, or the defaults when it is empty.
void FillPaperList(PaperDialogState& state, PageContext& context, const PaperDialogTexts& texts);
PaperDialogState FillPaperDialog(PageContext& context, const PaperDialogTexts& texts);
// Shows the paper of item `sel` (an unreadable one leaves the edits).
void PaperSelected(PaperDialogState& state, PageContext& context, int sel);

// Leaving the width or length edit, and their spins (+0.1 / -0.1): parsed,
// clamped to the limits, formatted "%.1f".
std::u16string LeavePaperWidth(std::u16string_view text);
std::u16string LeavePaperLength(std::u16string_view text);
std::u16string SpinPaperWidth(std::u16string_view text, int delta);
std::u16string SpinPaperLength(std::u16string_view text, int delta);

// "Save" and "Delete".
void Utility_SaveForm(PaperDialogState& state, PageContext& context, const PaperDialogTexts& texts,
                      PaperDialogPrompts& prompts);
void Utility_DeleteForm(PaperDialogState& state, PageContext& context, const PaperDialogTexts& texts);

}  // namespace lt77::ui
