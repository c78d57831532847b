#include "host/ui_commands.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "common/driver_paths.h"
#include "common/printer_data_names.h"
#include "common/utf.h"
#include "host/queue_admin.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/oem/oem_ui.h"
#include "platform/printer_setup.h"
#include "platform/spooler.h"
#include "ui/page_logic.h"

#ifndef LT77_SAMPLE_INSTALL_FILE
#define LT77_SAMPLE_INSTALL_FILE "InstallConfig_LT77.INI"
#endif

#ifndef LT77_UI_PLUGIN_DEFAULT_PATH
#define LT77_UI_PLUGIN_DEFAULT_PATH "uilt77.so"
#endif

namespace lt77::host {
using namespace lt77::ui;

const char* const kUiUsage =
    "  install-printer QUEUE [INI]                   uilt77's installation event on the queue (INI: the installation file)\n"
    "  set-printer QUEUE KEY=VALUE ...               settings through the pages' rules; 'set-printer --keys' lists the keys\n";

std::string DefaultUiPluginPath()
{
    if (const char* env = std::getenv("LT77_UI_PLUGIN"); env != nullptr && *env != '\0') return env;
    return LT77_UI_PLUGIN_DEFAULT_PATH;
}

std::string SampleInstallationFile() { return LT77_SAMPLE_INSTALL_FILE; }

bool IsUiCommand(const std::string& command) { return command == "install-printer" || command == "set-printer"; }

namespace {

int Fail(std::ostream& err, const std::string& message)
{
    err << "lt77host: " << message << '\n';
    return 1;
}

std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string out;
    char pair[4];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%s%02X", out.empty() ? "" : " ", b);
        out += pair;
    }
    return out;
}

void ShowSettings(const std::string& queue, std::ostream& out)
{
    auto core = OpenCoreQueue(queue);
    for (const char* value : {kMiscValue, kStartDocValue, kStartPageValue, kEndPageValue, kEndDocValue,
                              kBarcodeInfoValue, kCodeDataValue}) {
        PrinterDataValue data;
        if (SystemSpooler().GetData(core->Handle(), kPropertiesKey, value, 4096, data) == 0)
            out << value << ": " << Hex(data.bytes) << '\n';
    }
    PrinterLevel2 info;
    if (SystemPrinterSetup().GetLevel2(core->Handle(), info) == 0) {
        char attributes[16];
        std::snprintf(attributes, sizeof attributes, "0x%08X", info.attributes);
        out << "print processor: " << Utf16ToUtf8(info.printProcessor) << ", attributes " << attributes << '\n';
    }
}

// The plug-in as the spooler holds it: library, factory, object.
int InstallThroughExports(const std::string& queue, const std::string& iniPath, std::ostream& out, std::ostream& err)
{
    if (!iniPath.empty()) {
        const std::filesystem::path target = HostPathOf(InstallationFilePath(SystemFileSystem().WindowsFolder()));
        std::error_code ec;
        std::filesystem::create_directories(target.parent_path(), ec);
        std::filesystem::copy_file(iniPath, target, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) return Fail(err, iniPath + ": " + ec.message());
    }
    std::string error;
    const std::string path = DefaultUiPluginPath();
    auto library = LoadSharedLibrary(path, error);
    if (!library) return Fail(err, path + ": " + error);
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(library->Symbol("DllGetClassObject"));
    auto canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(library->Symbol("DllCanUnloadNow"));
    if (getClassObject == nullptr || canUnloadNow == nullptr)
        return Fail(err, path + ": DllGetClassObject or DllCanUnloadNow is not exported");
    void* factory = nullptr;
    if (getClassObject(CLSID_OEMUI, IID_IClassFactory, &factory) != hr::kOk || factory == nullptr)
        return Fail(err, path + ": no class factory for the UI plug-in class");
    void* unknown = nullptr;
    const HRESULT created = static_cast<IClassFactory*>(factory)->CreateInstance(nullptr, IID_IUnknown, &unknown);
    static_cast<IClassFactory*>(factory)->Release();
    if (created != hr::kOk || unknown == nullptr) return Fail(err, path + ": CreateInstance failed");
    void* ui = nullptr;
    const HRESULT found = static_cast<IUnknown*>(unknown)->QueryInterface(IID_IPrintOemUI, &ui);
    static_cast<IUnknown*>(unknown)->Release();
    if (found != hr::kOk || ui == nullptr) return Fail(err, path + ": the object does not offer IPrintOemUI");
    std::u16string name = Utf8ToUtf16(queue);
    const HRESULT result = static_cast<IPrintOemUI*>(ui)->PrinterEvent(name.data(), PRINTER_EVENT_INITIALIZE, 0, 0);
    static_cast<IPrintOemUI*>(ui)->Release();
    if (canUnloadNow() != hr::kOk) return Fail(err, path + ": the plug-in still holds objects after its release");
    out << "installed queue " << queue << " (PrinterEvent " << result << ")\n";
    return 0;
}

// Every page of both sheets, filled from the queue as the sheet opens them.
struct Sheet {
    PageContext context;
    LayoutState layout;
    DocumentState document;
    NvImageState nvImage;
    DitherState dither;
    UtilityState utility;
    LanguageState language;
    bool touched[kPageCount] = {};
};

std::optional<bool> OnOff(const std::string& v)
{
    if (v == "on" || v == "1" || v == "yes") return true;
    if (v == "off" || v == "0" || v == "no") return false;
    return std::nullopt;
}

std::optional<int> Choice(const std::string& v, std::initializer_list<const char*> names)
{
    int i = 0;
    for (const char* n : names) {
        if (v == n) return i;
        ++i;
    }
    return std::nullopt;
}

std::u16string Typed(const std::string& v, std::size_t maxChars)
{
    return Utf8ToUtf16(v).substr(0, maxChars);
}

using Setter = std::function<bool(Sheet&, const std::string&)>;

// Each key changes the controls of one page, as typing and leaving the edit
// or clicking would; the page is then applied.
const std::map<std::string, std::pair<PageId, Setter>>& Keys()
{
    static const std::map<std::string, std::pair<PageId, Setter>> keys = [] {
        std::map<std::string, std::pair<PageId, Setter>> k;
        const auto layout = [&](const char* key, Setter s) { k[key] = {PageId::Layout, std::move(s)}; };
        const auto document = [&](const char* key, Setter s) { k[key] = {PageId::DocumentSettings, std::move(s)}; };
        layout("copies", [](Sheet& s, const std::string& v) {
            s.layout.copiesText = LeaveCopiesEdit(Typed(v, kCopiesEditChars));
            return true;
        });
        layout("orientation", [](Sheet& s, const std::string& v) {
            auto c = Choice(v, {"portrait", "landscape"});
            if (c) s.layout.orientation = *c;
            return c.has_value();
        });
        layout("rotation", [](Sheet& s, const std::string& v) {
            auto c = Choice(v, {"0", "90", "180", "270"});
            if (c) s.layout.rotation = *c;
            return c.has_value();
        });
        layout("paper-type", [](Sheet& s, const std::string& v) {
            auto c = Choice(v, {"receipt", "ticket"});
            if (c) s.layout.paperTypeSel = *c;
            return c.has_value();
        });
        layout("paper", [](Sheet& s, const std::string& v) {
            const auto& items = s.layout.paperItems;
            const auto it = std::find(items.begin(), items.end(), Utf8ToUtf16(v));
            if (it == items.end()) return false;
            s.layout.paperSel = static_cast<int>(it - items.begin());
            return true;
        });
        layout("reduction", [](Sheet& s, const std::string& v) {
            auto b = OnOff(v);
            if (b) s.layout.reduction = *b;
            return b.has_value();
        });
        layout("rate", [](Sheet& s, const std::string& v) {
            auto c = Choice(v, {"100", "75", "50", "25", "user"});
            if (c) s.layout.rateSel = *c;
            return c.has_value();
        });
        layout("rate-custom", [](Sheet& s, const std::string& v) {
            s.layout.rateText = LeaveRateEdit(Typed(v, kRateEditChars));
            return true;
        });
        layout("reduce-barcodes", [](Sheet& s, const std::string& v) {
            auto b = OnOff(v);
            if (b) s.layout.barcodeReduction = *b ? 1 : 0;
            return b.has_value();
        });
        for (const char* key : {"top-crop", "bottom-crop"}) {
            const bool top = key[0] == 't';
            layout(key, [top](Sheet& s, const std::string& v) {
                bool& on = top ? s.layout.topCrop : s.layout.bottomCrop;
                std::u16string& text = top ? s.layout.topCropText : s.layout.bottomCropText;
                on = v != "off";
                if (on) text = LeaveCropEdit(Typed(v, kCropEditChars));
                return true;
            });
        }
        static constexpr const char* kCommands[] = {"start-doc", "start-page", "end-page", "end-doc"};
        for (int i = 0; i < 4; ++i)
            document(kCommands[i], [i](Sheet& s, const std::string& v) {
                std::u16string* texts[] = {&s.document.startDoc, &s.document.startPage, &s.document.endPage,
                                           &s.document.endDoc};
                *texts[i] = Typed(v, kCommandEditChars);
                return true;
            });
        static constexpr const char* kDrawers[] = {"drawer-before-1", "drawer-before-2", "drawer-after-1",
                                                   "drawer-after-2"};
        for (int i = 0; i < 4; ++i)
            document(kDrawers[i], [i](Sheet& s, const std::string& v) {
                auto& d = s.document.drawers[static_cast<std::size_t>(i)];
                d.checked = v != "off";
                if (d.checked && v != "on") d.pulseText = Typed(v, kPulseEditChars);
                return true;
            });
        document("line-feeds", [](Sheet& s, const std::string& v) {
            s.document.lineFeedText = Typed(v, kLineFeedEditChars);
            return true;
        });
        document("cut", [](Sheet& s, const std::string& v) {
            auto c = Choice(v, {"none", "page-none", "partial"});
            if (c) s.document.cutRadio = *c;
            return c.has_value();
        });
        static constexpr const char* kNv[] = {"nv-start-doc", "nv-start-page", "nv-end-page", "nv-end-doc"};
        for (int i = 0; i < 4; ++i)
            k[kNv[i]] = {PageId::NvImage, [i](Sheet& s, const std::string& v) {
                             auto c = Choice(v, {"none", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
                             if (c) s.nvImage.sel[static_cast<std::size_t>(i)] = *c;
                             return c.has_value();
                         }};
        k["nv-command"] = {PageId::NvImage, [](Sheet& s, const std::string& v) {
                               auto c = Choice(v, {"gs", "fs"});
                               if (c) s.nvImage.commandRadio = *c;
                               return c.has_value();
                           }};
        k["color"] = {PageId::Dithering, [](Sheet& s, const std::string& v) {
                          auto c = Choice(v, {"mono", "grey"});
                          if (c) s.dither.colorRadio = *c;
                          return c.has_value();
                      }};
        k["dither"] = {PageId::Dithering, [](Sheet& s, const std::string& v) {
                           auto c = Choice(v, {"none", "diffusion", "ordered", "4x4", "8x8"});
                           if (c) s.dither.ditherRadio = *c;
                           return c.has_value();
                       }};
        k["brightness"] = {PageId::Dithering, [](Sheet& s, const std::string& v) {
                               auto c = Choice(v, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11",
                                                   "12", "13", "14", "15", "16", "17", "18", "19", "20"});
                               if (c) s.dither.brightness = *c;
                               return c.has_value();
                           }};
        for (const char* key : {"journal", "text-key", "preview"})
            k[key] = {PageId::Utility, [key](Sheet& s, const std::string& v) {
                          auto b = OnOff(v);
                          if (!b) return false;
                          (key[0] == 'j' ? s.utility.journal : key[0] == 't' ? s.utility.textKey : s.utility.preview) = *b;
                          return true;
                      }};
        k["language"] = {PageId::Language, [](Sheet& s, const std::string& v) {
                             const auto& items = s.language.items;
                             for (std::size_t i = 0; i < items.size(); ++i)
                                 if (v == std::to_string(i) || Utf8ToUtf16(v) == items[i]) {
                                     s.language.sel = static_cast<int>(i);
                                     return true;
                                 }
                             return false;
                         }};
        return k;
    }();
    return keys;
}

int SetPrinter(const std::string& queue, const std::vector<std::string>& pairs, std::ostream& out,
               std::ostream& err)
{
    DWORD openError = 0;
    auto printer = SystemSpooler().OpenQueue(Utf8ToUtf16(queue), PRINTER_ALL_ACCESS_RIGHTS, openError);
    if (!printer) return Fail(err, queue + ": the queue cannot be opened (error " + std::to_string(openError) + ")");
    Sheet sheet;
    PageContext& c = sheet.context;
    c.system = &SystemUi();
    c.printerName = Utf8ToUtf16(queue);
    c.hPrinter = printer->Native();
    c.uiLanguage = GetUILanguage(*c.system);
    sheet.layout = FillLayoutPage(c, LayoutTexts{});
    sheet.document = FillDocumentPage(c);
    sheet.nvImage = FillNvImagePage(c, NvImageTexts{});
    sheet.dither = FillDitherPage(c);
    sheet.utility = FillUtilityPage(c);
    sheet.language = FillLanguagePage(c, LanguageTexts{});
    for (const auto& pair : pairs) {
        const auto eq = pair.find('=');
        const auto it = Keys().find(pair.substr(0, eq));
        if (eq == std::string::npos || it == Keys().end())
            return Fail(err, "'" + pair + "': not KEY=VALUE with a known key (set-printer --keys lists them)");
        if (!it->second.second(sheet, pair.substr(eq + 1)))
            return Fail(err, "'" + pair + "': the page offers no such value");
        sheet.touched[static_cast<int>(it->second.first)] = true;
    }
    UpdateLayoutEnables(sheet.layout);
    UpdateDocumentEnables(sheet.document);
    UpdateDitherEnables(sheet.dither);
    UpdateUtilityEnables(sheet.utility);
    // Apply in the sheets' page order, as the sheet sends its notification.
    DeviceModeSetters& setters = SpoolerDeviceModeSetters();
    if (sheet.touched[static_cast<int>(PageId::Layout)]) ApplyLayoutPage(sheet.layout, c, setters);
    if (sheet.touched[static_cast<int>(PageId::DocumentSettings)]) ApplyDocumentPage(sheet.document, c);
    if (sheet.touched[static_cast<int>(PageId::NvImage)]) ApplyNvImagePage(sheet.nvImage, c);
    if (sheet.touched[static_cast<int>(PageId::Dithering)]) ApplyDitherPage(sheet.dither, c, setters);
    if (sheet.touched[static_cast<int>(PageId::Utility)]) ApplyUtilityPage(sheet.utility, c);
    if (sheet.touched[static_cast<int>(PageId::Language)]) ApplyLanguagePage(sheet.language, c);
    ShowSettings(queue, out);
    return 0;
}

}  // namespace

int InstallPrinter(const std::string& queue, const std::string& iniPath, std::ostream& out, std::ostream& err)
{
    return InstallThroughExports(queue, iniPath, out, err);
}

int RunUiCommand(const std::vector<std::string>& rawArgs, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> args;
    for (std::size_t i = 0; i < rawArgs.size(); ++i) {
        if (rawArgs[i] == "--root") {
            ++i;  // taken care of by the caller
            continue;
        }
        args.push_back(rawArgs[i]);
    }
    if (args.size() >= 2 && args[0] == "set-printer" && args[1] == "--keys") {
        for (const auto& [key, page] : Keys()) out << key << '\n';
        return 0;
    }
    if (args.size() < 2 || (args[0] == "install-printer" && args.size() > 3))
        return Fail(err, "usage:\n" + std::string(kUiUsage));
    if (args[0] == "install-printer") {
        const int rc = InstallPrinter(args[1], args.size() == 3 ? args[2] : "", out, err);
        if (rc == 0) ShowSettings(args[1], out);
        return rc;
    }
    return SetPrinter(args[1], std::vector<std::string>(args.begin() + 2, args.end()), out, err);
}

}  // namespace lt77::host
