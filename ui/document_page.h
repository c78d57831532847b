// The Document Settings page (template "Document Settings"): user command
// strings, cash drawers, line feeds, paper cut.
#pragma once

#include <array>
#include <string>

#include "ui/page_context.h"

namespace lt77::ui {

inline constexpr int kCommandEditChars = 256, kPulseEditChars = 3, kLineFeedEditChars = 2;
inline constexpr int kPulseSpinMinMs = 51, kPulseSpinMaxMs = 249;  // the spin control's range

// The four drawers in the page's order: before printing #1, #2, after #1, #2.
enum DrawerSlot { DRAWER_BEFORE_1 = 0, DRAWER_BEFORE_2 = 1, DRAWER_AFTER_1 = 2, DRAWER_AFTER_2 = 3 };

struct DrawerControls {
    bool checked = false;
    std::u16string pulseText;  // milliseconds
    bool enabled = false;      // edit, spin and unit label
};

struct DocumentState {
    std::u16string startDoc, startPage, endPage, endDoc;  // command notation
    std::array<DrawerControls, 4> drawers;
    std::u16string lineFeedText;
    int cutRadio = 1;  // 0, 1, 2; -1 none selected
};

DocumentState FillDocumentPage(PageContext& context);
void UpdateDocumentEnables(DocumentState& state);

int SpinPulseMs(int ms, int delta);    // stops at 50 and 250
int SpinLineFeeds(int value, int delta);  // 100 wraps to 0; below 0 stays 0

enum class DocumentInput { DrawerClicked, EditChanged, CutClicked /* clickedIndex 0 ... 2 */ };
bool DocumentMarksChanged(const PageContext& context, DocumentInput input, int clickedIndex = 0);

// Apply: line feeds, drawers, pulses (halved, no range check), buzzers off,
// cut, "MISC", then the four command values.
void ApplyDocumentPage(const DocumentState& state, PageContext& context);

}  // namespace lt77::ui
