#include "host/main_job.h"

#include <cmath>
#include <filesystem>
#include <optional>

#include "common/printer_data_names.h"
#include "common/settings.h"
#include "host/driver_data.h"
#include "host/job_runner.h"
#include "host/job_report.h"
#include "host/page_canvas.h"
#include "host/picture_file.h"
#include "host/text_output.h"
#include "host/ui_commands.h"
#include "platform/platform.h"

namespace lt77::host {
namespace {

constexpr int32_t kWidth = 576;

// A round logo with a bar through it, as an installer might ship one.
RasterPicture MakeLogo()
{
    RasterPicture logo;
    logo.width = 160;
    logo.height = 96;
    logo.pixels.assign(static_cast<std::size_t>(logo.width) * logo.height, 255);
    for (uint32_t y = 0; y < logo.height; ++y)
        for (uint32_t x = 0; x < logo.width; ++x) {
            const double dx = (static_cast<double>(x) - 80.0) / 78.0, dy = (static_cast<double>(y) - 48.0) / 46.0;
            const double r = std::sqrt(dx * dx + dy * dy);
            const bool ring = r > 0.78 && r <= 1.0;
            const bool bar = y >= 40 && y < 56 && x >= 20 && x < 140;
            if (ring || bar) logo.pixels[static_cast<std::size_t>(y) * logo.width + x] = 0;
        }
    return logo;
}

std::vector<uint8_t> Photo(int32_t w, int32_t h)
{
    std::vector<uint8_t> levels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            // A soft sphere over a left-to-right gradient.
            const double dx = x - w * 0.7, dy = y - h * 0.5;
            const double sphere = std::exp(-(dx * dx + dy * dy) / (2.0 * 40.0 * 40.0));
            const double v = 255.0 * (static_cast<double>(x) / w) * (1.0 - sphere) + 40.0 * sphere;
            levels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
                static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
        }
    return levels;
}

TextFont Device(const char16_t* family)
{
    TextFont f;
    f.family = family;
    f.device = true;
    return f;
}

void DrawReceipt(DeviceContext& dc, const RasterPicture& logo)
{
    PageCanvas canvas(kWidth, 960, 8);
    canvas.DrawPicture(dc, (kWidth - static_cast<int32_t>(logo.width)) / 2, 8, static_cast<int32_t>(logo.width),
                       static_cast<int32_t>(logo.height), logo.pixels);
    TextFont heading;
    heading.family = u"Arial";
    heading.heightDots = 44;
    heading.weight = 700;
    OutputText(dc, canvas, 150, 116, u"LT-77 CAFE", heading);

    const struct {
        const char16_t* text;
    } items[] = {{u"Espresso                  2.80"}, {u"Cappuccino                3.60"},
                 {u"Croissant                 2.10"}, {u"Orange juice              4.00"}};
    int32_t y = 190;
    for (const auto& item : items) {
        OutputText(dc, canvas, 24, y, item.text, Device(u"FontA1x1"));
        y += 30;
    }
    canvas.FillRect(24, y + 6, kWidth - 24, y + 9, 0);
    OutputText(dc, canvas, 24, y + 20, u"TOTAL  12.50", Device(u"FontA2x2"));
    OutputText(dc, canvas, 24, y + 80, u"\uAC10\uC0AC\uD569\uB2C8\uB2E4", Device(u"Korean1x1"));
    // A text key: the marker prints the shop's stamp and collects a coupon.
    OutputText(dc, canvas, 24, y + 112, u"Member {STAMP} thanks", Device(u"FontA1x1"));
    OutputText(dc, canvas, 24, y + 150, u"{C20261208", Device(u"Code128"));
    OutputText(dc, canvas, 330, y + 150, u"https://lt77.example/r/1", Device(u"QR Code"));

    const int32_t photoTop = y + 260;
    canvas.DrawPicture(dc, 20, photoTop, kWidth - 40, 180, Photo(kWidth - 40, 180));
    TextFont footer;
    footer.family = u"Times New Roman";
    footer.heightDots = 28;
    footer.italic = true;
    OutputText(dc, canvas, 120, photoTop + 200, u"Thank you for your visit", footer);
    canvas.SendBands(dc, 64);
}

// A document that only opens the cash drawer: one character in the
// control-code font.
void DrawDrawerOnly(DeviceContext& dc)
{
    PageCanvas canvas(kWidth, 64, 1);
    TextFont control;
    control.family = u"FontControl";
    control.device = true;
    OutputText(dc, canvas, 0, 0, u"F", control);
    canvas.SendBands(dc, 64);
}

std::optional<std::string> InstallTextKeys(const std::string& queue, const RasterPicture& logo)
{
    if (auto e = SetTextKey(queue, 0, "{STAMP}", "STAMP", "", "COUPON1")) return e;
    // The stamp is the logo at half size, the coupon a framed block.
    RasterPicture stamp;
    stamp.width = logo.width / 2;
    stamp.height = logo.height / 2;
    for (uint32_t y = 0; y < stamp.height; ++y)
        for (uint32_t x = 0; x < stamp.width; ++x) stamp.pixels.push_back(logo.At(2 * x, 2 * y));
    if (auto e = InstallImageFile("STAMP", RasterCommandFor(stamp))) return e;
    RasterPicture coupon;
    coupon.width = 384;
    coupon.height = 96;
    for (uint32_t y = 0; y < coupon.height; ++y)
        for (uint32_t x = 0; x < coupon.width; ++x) {
            const bool frame = x < 4 || y < 4 || x >= coupon.width - 4 || y >= coupon.height - 4;
            const bool stripe = y > 40 && y < 56 && (x / 16) % 2 == 0;
            coupon.pixels.push_back(frame || stripe ? 0 : 255);
        }
    return InstallImageFile("COUPON1", RasterCommandFor(coupon));
}

std::optional<std::string> WriteSettings(const std::string& queue, const std::array<uint8_t, kSettingsCount>& values)
{
    return SetPrinterData(queue, kPropertiesKey, kMiscValue,
                          PrinterDataValue{REG_BINARY_TYPE, std::vector<uint8_t>(values.begin(), values.end())});
}

// The receipt's settings, logo and text keys on an existing queue; the logo
// goes through a file, as an application would load it.
std::optional<RasterPicture> SetUpReceiptQueue(const std::string& queue, std::array<uint8_t, kSettingsCount>& settings,
                                               std::ostream& err)
{
    // The trace and the journal on so that the run leaves both; error
    // diffusion for the photo.
    settings = DefaultSettings();
    settings[IDX_TRACE_ON] = 1;
    settings[IDX_JOURNAL_ON] = 1;
    settings[IDX_HALFTONE] = 1;
    settings[IDX_TEXT_KEY_ON] = 1;
    settings[IDX_DRAWER1_AFTER] = 1;  // the drawer opens when the receipt is done
    if (auto e = WriteSettings(queue, settings)) {
        err << "lt77host: " << *e << '\n';
        return std::nullopt;
    }
    const std::string logoPath = HostPathOf("C:\\Users\\Public\\logo") + PictureExtension();
    std::filesystem::create_directories(std::filesystem::path(logoPath).parent_path());
    if (const std::string e = WritePicture(MakeLogo(), logoPath); !e.empty()) {
        err << "lt77host: " << e << '\n';
        return std::nullopt;
    }
    const auto read = ReadPicture(logoPath);
    if (const auto* e = std::get_if<std::string>(&read)) {
        err << "lt77host: " << *e << '\n';
        return std::nullopt;
    }
    const RasterPicture logo = std::get<RasterPicture>(read);
    if (auto e = InstallTextKeys(queue, logo)) {
        err << "lt77host: " << *e << '\n';
        return std::nullopt;
    }
    return logo;
}

}  // namespace

int PrintSampleReceipt(const std::string& queue, DWORD jobId, std::ostream& out, std::ostream& err)
{
    std::array<uint8_t, kSettingsCount> settings{};
    const auto logo = SetUpReceiptQueue(queue, settings, err);
    if (!logo) return 1;
    std::string error;
    auto plugin = LoadedPlugin::Load(DefaultPluginPath(), error);
    if (!plugin) {
        err << "lt77host: " << error << '\n';
        return 1;
    }
    JobRequest request;
    request.queue = queue;
    request.jobId = jobId;
    request.document = u"Sample receipt";
    request.bitsPerPixel = 8;
    request.drawPage = [&logo](DeviceContext& dc, int) { DrawReceipt(dc, *logo); };
    return ReportJob(RunJob(*plugin, request), out, err);
}

int RunMainJob(std::ostream& out, std::ostream& err)
{
    const std::string queue = "LT-77";
    if (auto e = CreateQueue(queue)) {
        err << "lt77host: " << *e << '\n';
        return 1;
    }
    // As the spooler would at installation: the UI plug-in seeds the queue.
    if (const int rc = InstallPrinter(queue, SampleInstallationFile(), out, err); rc != 0) return rc;
    std::array<uint8_t, kSettingsCount> settings{};
    const auto loaded = SetUpReceiptQueue(queue, settings, err);
    if (!loaded) return 1;
    const RasterPicture& logo = *loaded;
    out << "queue file:   " << QueueFilePath(queue) << '\n';
    auto write = [&](const std::array<uint8_t, kSettingsCount>& values) { return WriteSettings(queue, values); };

    std::string error;
    auto plugin = LoadedPlugin::Load(DefaultPluginPath(), error);
    if (!plugin) {
        err << "lt77host: " << error << '\n';
        return 1;
    }
    JobRequest request;
    request.queue = queue;
    request.jobId = 1;
    request.document = u"Sample receipt";
    request.bitsPerPixel = 8;
    request.drawPage = [&logo](DeviceContext& dc, int) { DrawReceipt(dc, logo); };
    out << "-- receipt at full size\n";
    if (const int rc = ReportJob(RunJob(*plugin, request), out, err); rc != 0) return rc;

    settings[IDX_REDUCTION_ON] = 1;
    settings[IDX_REDUCTION_RATE] = 1;  // 75 %
    if (auto e = write(settings)) {
        err << "lt77host: " << *e << '\n';
        return 1;
    }
    request.jobId = 2;
    request.document = u"Sample receipt, reduced";
    out << "-- the same receipt reduced to 75 %\n";
    if (const int rc = ReportJob(RunJob(*plugin, request), out, err); rc != 0) return rc;

    settings[IDX_REDUCTION_ON] = 0;
    settings[IDX_DRAWER1_AFTER] = 0;
    if (auto e = write(settings)) {
        err << "lt77host: " << *e << '\n';
        return 1;
    }
    request.jobId = 3;
    request.document = u"Open the drawer";
    request.bitsPerPixel = 1;
    request.drawPage = [](DeviceContext& dc, int) { DrawDrawerOnly(dc); };
    out << "-- a document that only opens the cash drawer\n";
    return ReportJob(RunJob(*plugin, request), out, err);
}

}  // namespace lt77::host
