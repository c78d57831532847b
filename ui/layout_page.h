// The Layout page (template "Layout"): paper size and type, copies,
// orientation and rotation, reduction, crop lengths.
#pragma once

#include <string>
#include <vector>

#include "ui/device_mode_setters.h"
#include "ui/page_context.h"

namespace lt77::ui {

inline constexpr const char16_t* kDefaultPaperName = u"80 x 3276 mm";
inline constexpr int kCopiesEditChars = 3, kCropEditChars = 3, kRateEditChars = 2;

// Texts the template holds invisibly (English on Linux).
struct LayoutTexts {
    std::u16string receipt = u"Receipt";
    std::u16string ticket = u"Ticket";
    std::u16string userDefined = u"User Defined";
};

struct LayoutState {
    std::vector<std::u16string> paperItems;  // forms with "[LT77]", cut at "["
    int paperSel = -1;                       // -1: nothing selected
    std::vector<std::u16string> paperTypeItems;
    int paperTypeSel = 0;
    std::u16string copiesText;
    int orientation = 0;  // 0 "Portrait", 1 "Landscape"
    int rotation = 0;     // 0 ... 3: normal, 90, 180, 270 degrees
    bool reduction = false;
    std::vector<std::u16string> rateItems;  // "100%", "75%", "50%", "25%", user defined
    int rateSel = 0;
    std::u16string rateText;
    int barcodeReduction = 0;  // 0 "Disable reducing barcode", 1 "Enable ..."
    bool topCrop = false;
    std::u16string topCropText;
    bool bottomCrop = false;
    std::u16string bottomCropText;

    // Enabled flags, kept by UpdateLayoutEnables.
    bool rateListEnabled = false;
    bool rateEditEnabled = false;
    bool barcodeRadiosEnabled = false;
    bool topCropEditEnabled = false;     // edit and spin
    bool bottomCropEditEnabled = false;  // edit and spin
};

// Page opening: reloads "MISC", lists the forms, fills every control.
LayoutState FillLayoutPage(PageContext& context, const LayoutTexts& texts);
// After a check box or the rate list changed.
void UpdateLayoutEnables(LayoutState& state);

// Leaving an edit: the text to put back (unchanged when in range).
std::u16string LeaveCopiesEdit(std::u16string_view text);    // <= 0 -> "1", >= 256 -> "255"
std::u16string LeaveCropEdit(std::u16string_view text);      // < 0 -> "0", >= 256 -> "255"
std::u16string LeaveRateEdit(std::u16string_view text);      // < 25 -> "25", > 100 -> "100"
// Spins: the new value from the current one and the step (+1 / -1).
int SpinCopies(int value, int delta);  // wraps: below 1 to 255, above 255 to 1
int SpinCrop(int value, int delta);    // stops at 0 and 255

enum class LayoutInput {
    PaperSizeSelected,
    RateSelected,
    PaperTypeOpened,
    EditChanged,
    CheckBoxClicked,
    BarcodeRadioClicked,
    OrientationClicked,  // clickedIndex: 0 portrait, 1 landscape
    RotationClicked,     // clickedIndex: 0 ... 3
};
// True when the input marks the page changed (Apply becomes active).
bool LayoutMarksChanged(const PageContext& context, LayoutInput input, int clickedIndex = 0);

// Apply, in the fixed order: copies, rotation, crops, paper type, paper
// size, reduction, orientation, then "MISC".
void ApplyLayoutPage(const LayoutState& state, PageContext& context, DeviceModeSetters& setters);

// The "..." button: before the paper dialog runs, the selected paper's form
// name (empty when nothing is selected); after it closes, the list is
// refilled, the paper to select chosen, [32] set and "MISC" written. The
// page is then marked changed.
std::u16string RememberSelectedPaper(const LayoutState& state, const PageContext& context);
void AfterPaperDialog(LayoutState& state, PageContext& context, std::u16string_view rememberedForm);

// The form list of the Layout page: every form whose name holds the suffix,
// in the store's order, cut at its first "[".
std::vector<std::u16string> ListLayoutPapers(PageContext& context);

}  // namespace lt77::ui
