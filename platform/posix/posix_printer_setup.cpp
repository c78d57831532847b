// The host's level-2 information and default device mode live in the
// queue's printer.ini: print processor and attributes in [Queue], the device
// mode's orientation and paper source as the driver-core options the host's
// core answers from ([Queue] Orientation and InputBin), the other fields in
// [DevMode].
#include <charconv>
#include <cstdio>

#include "common/utf.h"
#include "platform/posix/queue_store.h"
#include "platform/printer_setup.h"

namespace lt77::posix {
namespace {

constexpr const char* kDevModeSection = "DevMode";

int16_t Number(const StoreFile& file, std::string_view section, std::string_view key, int16_t fallback)
{
    const auto text = file.Get(section, key);
    if (!text) return fallback;
    int value = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc{} || end != text->data() + text->size() || value < -32768 || value > 32767) return fallback;
    return static_cast<int16_t>(value);
}

bool MayAdminister(HANDLE printer) { return (static_cast<const CoreQueueHandle*>(printer)->access & 0x4) != 0; }

class PosixPrinterSetup final : public PrinterSetup {
public:
    DWORD GetLevel2(HANDLE printer, PrinterLevel2& out) override
    {
        const auto queue = QueueOfHandle(printer);
        if (!queue) return syserr::kInvalidHandle;
        auto loaded = LoadQueue(*queue);
        if (std::holds_alternative<StoreError>(loaded)) return syserr::kInvalidData;
        const auto& file = std::get<StoreFile>(loaded);
        const auto attributes = QueueAttributes(file);
        if (!attributes) return syserr::kInvalidData;
        out = PrinterLevel2{};
        out.printProcessor = Utf8ToUtf16(file.Get("Queue", "PrintProcessor").value_or("winprint"));
        out.attributes = *attributes;
        return 0;
    }

    DWORD SetLevel2(HANDLE printer, const PrinterLevel2& info) override
    {
        const auto queue = QueueOfHandle(printer);
        if (!queue) return syserr::kInvalidHandle;
        if (!MayAdminister(printer)) return syserr::kAccessDenied;
        auto loaded = LoadQueue(*queue);
        if (std::holds_alternative<StoreError>(loaded)) return syserr::kInvalidData;
        auto& file = std::get<StoreFile>(loaded);
        char attributes[16];
        std::snprintf(attributes, sizeof attributes, "0x%08X", info.attributes);
        file.Set("Queue", "PrintProcessor", Utf16ToUtf8(info.printProcessor));
        file.Set("Queue", "Attributes", attributes);
        if (info.devMode) WriteDevMode(file, *info.devMode);
        return file.Save(PrinterFile(*queue)) ? 0 : syserr::kWriteFault;
    }

    DWORD GetDefaultDevMode(HANDLE printer, std::u16string_view, DeviceModeFields& out) override
    {
        const auto queue = QueueOfHandle(printer);
        if (!queue) return syserr::kInvalidHandle;
        auto loaded = LoadQueue(*queue);
        if (std::holds_alternative<StoreError>(loaded)) return syserr::kInvalidData;
        const auto& file = std::get<StoreFile>(loaded);
        out = DeviceModeFields{};
        out.orientation = file.Get("Queue", "Orientation").value_or("PORTRAIT") == "PORTRAIT" ? 1 : 2;
        const std::string bin = file.Get("Queue", "InputBin").value_or("");
        out.defaultSource = bin == "Option1" ? 265 : bin == "Option2" ? 266 : 15;
        out.copies = Number(file, kDevModeSection, "Copies", 1);
        out.color = Number(file, kDevModeSection, "Color", 1);
        out.paperSize = Number(file, kDevModeSection, "PaperSize", 0);
        out.paperWidth = Number(file, kDevModeSection, "PaperWidth", 800);
        out.paperLength = Number(file, kDevModeSection, "PaperLength", 32760);
        out.formName = Utf8ToUtf16(file.Get(kDevModeSection, "FormName").value_or("80 x 3276 mm[LT77]"));
        return 0;
    }

    DWORD MergeDevMode(HANDLE printer, std::u16string_view, DeviceModeFields&) override
    {
        // The host's driver keeps no fields of its own to merge.
        return QueueOfHandle(printer) ? 0 : syserr::kInvalidHandle;
    }

private:
    static void WriteDevMode(StoreFile& file, const DeviceModeFields& dm)
    {
        file.Set("Queue", "Orientation", dm.orientation == 2 ? "LANDSCAPE_CC270" : "PORTRAIT");
        // Automatic selection has no driver-core option; the bin stays.
        if (dm.defaultSource == 265) file.Set("Queue", "InputBin", "Option1");
        if (dm.defaultSource == 266) file.Set("Queue", "InputBin", "Option2");
        file.Set(kDevModeSection, "Copies", std::to_string(dm.copies));
        file.Set(kDevModeSection, "Color", std::to_string(dm.color));
        file.Set(kDevModeSection, "PaperSize", std::to_string(dm.paperSize));
        file.Set(kDevModeSection, "PaperWidth", std::to_string(dm.paperWidth));
        file.Set(kDevModeSection, "PaperLength", std::to_string(dm.paperLength));
        file.Set(kDevModeSection, "FormName", Utf16ToUtf8(dm.formName.substr(0, 31)));
    }
};

}  // namespace
}  // namespace lt77::posix

namespace lt77 {

PrinterSetup& SystemPrinterSetup()
{
    static posix::PosixPrinterSetup setup;
    return setup;
}

}  // namespace lt77
