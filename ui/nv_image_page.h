// The NV Image page (template "NV Image"): the stored image printed at start
// and end of document and page, and the command that prints it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/page_context.h"

namespace lt77::ui {

struct NvImageTexts {
    std::u16string none = u"None";
    std::u16string nvImage = u"NV Image";  // items are this text + " 0" ... " 9"
};

// Lists in the page's order: Start Doc, Start Page, End Page, End Doc.
struct NvImageState {
    std::vector<std::u16string> items;  // eleven items, shared by the four lists
    std::array<int, 4> sel{};           // 0 none, k: image k - 1
    int commandRadio = 0;               // 0 "GS ( L", 1 "FS p"
};

NvImageState FillNvImagePage(PageContext& context, const NvImageTexts& texts);
enum class NvImageInput { ListSelected, CommandClicked /* clickedIndex 0 / 1 */ };
bool NvImageMarksChanged(const PageContext& context, NvImageInput input, int clickedIndex = 0);
void ApplyNvImagePage(const NvImageState& state, PageContext& context);

}  // namespace lt77::ui
