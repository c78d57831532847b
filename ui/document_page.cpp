#include "ui/document_page.h"

#include <algorithm>

#include "common/command_notation.h"
#include "common/printer_data_names.h"
#include "platform/codepage.h"
#include "platform/spooler.h"
#include "ui/settings_store.h"
#include "ui/text_numbers.h"

namespace lt77::ui {
namespace {

struct DrawerBytes {
    std::size_t check;
    std::size_t pulse;
};
// In the page's order: before #1, before #2, after #1, after #2.
constexpr DrawerBytes kDrawers[4] = {{IDX_DRAWER1_BEFORE, IDX_DRAWER1_BEFORE_PULSE},
                                     {IDX_DRAWER2_BEFORE, IDX_DRAWER2_BEFORE_PULSE},
                                     {IDX_DRAWER1_AFTER, IDX_DRAWER1_AFTER_PULSE},
                                     {IDX_DRAWER2_AFTER, IDX_DRAWER2_AFTER_PULSE}};

struct CommandValue {
    const char* name;
    std::array<uint8_t, kCommandBufferSize> PageContext::*buffer;
    DWORD PageContext::*length;
};
// Apply writes them in this order.
constexpr CommandValue kCommands[4] = {{kStartDocValue, &PageContext::byStartDoc, &PageContext::dwStartDoc},
                                       {kEndDocValue, &PageContext::byEndDoc, &PageContext::dwEndDoc},
                                       {kStartPageValue, &PageContext::byStartPage, &PageContext::dwStartPage},
                                       {kEndPageValue, &PageContext::byEndPage, &PageContext::dwEndPage}};

std::u16string ShowCommand(PageContext& context, const CommandValue& command)
{
    auto& buffer = context.*command.buffer;
    DWORD needed = 0;
    const DWORD result =
        GetPrinterDataFromReg(context.Sys(), context.hPrinter, command.name, nullptr, buffer, &needed);
    context.*command.length = result == 0 ? needed : 0;
    if (result != 0) return {};
    const auto text = EncodeCommandNotation(std::span<const uint8_t>(buffer.data(), needed));
    return text ? AsciiToU16(*text) : std::u16string();
}

}  // namespace

DocumentState FillDocumentPage(PageContext& context)
{
    ReloadSettings(context);
    auto& b = context.byteValue;
    DocumentState s;
    s.startDoc = ShowCommand(context, kCommands[0]);
    s.endDoc = ShowCommand(context, kCommands[1]);
    s.startPage = ShowCommand(context, kCommands[2]);
    s.endPage = ShowCommand(context, kCommands[3]);
    for (std::size_t i = 0; i < 4; ++i) {
        uint8_t& pulse = b[kDrawers[i].pulse];
        if (pulse < 25 || pulse > 125) pulse = 25;
        s.drawers[i].checked = b[kDrawers[i].check] != 0;
        s.drawers[i].pulseText = IntToText(pulse * 2);
    }
    s.lineFeedText = IntToText(b[IDX_LINE_FEEDS]);
    s.cutRadio = b[IDX_CUT_MODE] == 0 ? 0 : b[IDX_CUT_MODE] == 2 ? 2 : 1;
    UpdateDocumentEnables(s);
    return s;
}

void UpdateDocumentEnables(DocumentState& s)
{
    for (auto& d : s.drawers) d.enabled = d.checked;
}

int SpinPulseMs(int ms, int delta) { return std::clamp(ms + delta, 50, 250); }

int SpinLineFeeds(int value, int delta)
{
    const int next = value + delta;
    if (next >= 100) return 0;
    return std::max(next, 0);
}

bool DocumentMarksChanged(const PageContext& context, DocumentInput input, int clickedIndex)
{
    if (input != DocumentInput::CutClicked) return true;
    return clickedIndex != context.byteValue[IDX_CUT_MODE];
}

void ApplyDocumentPage(const DocumentState& s, PageContext& context)
{
    auto& b = context.byteValue;
    b[IDX_LINE_FEEDS] = static_cast<uint8_t>(TextToInt(s.lineFeedText) & 0xFF);
    for (std::size_t i = 0; i < 4; ++i) b[kDrawers[i].check] = s.drawers[i].checked ? 1 : 0;
    for (std::size_t i = 0; i < 4; ++i)
        b[kDrawers[i].pulse] = static_cast<uint8_t>((TextToInt(s.drawers[i].pulseText) & 0xFF) / 2);
    b[IDX_BUZZER_START] = 0;
    b[IDX_BUZZER_END] = 0;
    b[IDX_CUT_MODE] = static_cast<uint8_t>(s.cutRadio >= 0 && s.cutRadio <= 2 ? s.cutRadio : 1);
    WriteSettings(context);

    const std::u16string* texts[4] = {&s.startDoc, &s.endDoc, &s.startPage, &s.endPage};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::vector<uint8_t> bytes =
            DecodeCommandNotation(context.Sys().codePages.FromWide(CP_SYSTEM_ANSI, *texts[i]));
        auto& buffer = context.*kCommands[i].buffer;
        std::fill(buffer.begin(), buffer.end(), 0);
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        context.*kCommands[i].length = static_cast<DWORD>(bytes.size());
        SetPrinterDataToReg(context.Sys(), context.hPrinter, kCommands[i].name, REG_BINARY_TYPE,
                            std::span<const uint8_t>(buffer.data(), bytes.size()), &context);
    }
}

}  // namespace lt77::ui
