#include "host/host_commands.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "common/printer_data_names.h"
#include "common/settings.h"
#include "host/card_reader.h"
#include "host/driver_data.h"
#include "host/job_report.h"
#include "host/job_runner.h"
#include "host/main_job.h"
#include "common/raster_decoder.h"
#include "host/page_canvas.h"
#include "host/picture_file.h"
#include "host/status_watcher.h"
#include "host/ui_commands.h"
#include "host/viewer_commands.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/shared_memory.h"
#include "platform/typed_value.h"
#include "printer/paper_file.h"
#include "printer/stream_renderer.h"
#include "common/status_record.h"
#include "common/utf.h"

#include <csignal>

#if !defined(_WIN32)
#include "host/spooler_host.h"
#endif

namespace lt77::host {
namespace {

constexpr const char* kUsage =
    "usage: lt77host [--root DIR] COMMAND ...\n"
    "  create-queue QUEUE [--ticket] [--landscape] [--port PORT] [--bidi]  a queue with no driver settings\n"
    "  set-data QUEUE VALUE TYPED-VALUE [--key KEY]  e.g. set-data LT-77 StartDoc 'binary: 1B 40'\n"
    "  set-setting QUEUE INDEX VALUE                 one byte of the MISC settings\n"
    "  show-queue QUEUE                              the queue file, checked\n"
    "  run-job QUEUE [--job N] [--pages P] [--copies C] [--document NAME]\n"
    "  set-text-key QUEUE INDEX MARKER [--image NAME] [--text TEXT] [--coupon NAME]\n"
    "  set-barcode QUEUE 1d|2d SLOT 'HEX BYTES'      one slot of the barcode tables\n"
    "  set-control-code CHAR 'HEX BYTES'             one line of the control-code table LT77.INI\n"
    "  install-image NAME PICTURE                    a PNG or BMP as NAME.bin for text keys and coupons\n"
    "  picture STREAM OUT                            what the printer would print of a spool or journal file\n"
    "  main-job                                      the sample receipt on a fresh queue\n"
    "  print-receipt QUEUE [--job N]                 the sample receipt on an existing queue\n"
    "  show-status QUEUE                             the shared status record, as an application reads it\n"
    "  set-port PORT KEY VALUE                       HostAddress, PortNumber, ParallelStatus, DeviceId, OutputFolder\n"
    "  spooler QUEUE... [--once] [--monitor PATH]    send spooled jobs through the port monitor until stopped\n"
    "  swipe-card QUEUE --track N TEXT               a card-reader track in the shared status record\n"
    "  watch-status QUEUE [--count N] [--library PATH]  status changes and tracks through posstatus until stopped\n";

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--name" -> value ("" for flags)
};

Args Split(const std::vector<std::string>& args, const std::vector<std::string>& valued)
{
    Args out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) == 0) {
            const bool takesValue = std::find(valued.begin(), valued.end(), a) != valued.end();
            out.options[a] = takesValue && i + 1 < args.size() ? args[++i] : "";
        } else {
            out.positional.push_back(a);
        }
    }
    return out;
}

std::optional<long> Number(const std::string& text)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || end == nullptr || *end != '\0') return std::nullopt;
    return v;
}

int Fail(std::ostream& err, const std::string& message)
{
    err << "lt77host: " << message << '\n';
    return 1;
}

std::vector<uint8_t> CurrentSettings(const std::string& queue)
{
    auto handle = OpenCoreQueue(queue);
    PrinterDataValue misc;
    if (SystemPlatform().spooler.GetData(handle->Handle(), kPropertiesKey, kMiscValue, 44, misc) == 0 &&
        misc.bytes.size() == kSettingsCount)
        return misc.bytes;
    const auto& d = DefaultSettings();
    return {d.begin(), d.end()};
}

std::optional<std::string> SetSetting(const std::string& queue, std::size_t index, uint8_t value)
{
    auto settings = CurrentSettings(queue);
    settings[index] = value;
    return SetPrinterData(queue, kPropertiesKey, kMiscValue,
                          PrinterDataValue{REG_BINARY_TYPE, settings});
}

std::unique_ptr<LoadedPlugin> Load(std::ostream& err)
{
    std::string error;
    auto plugin = LoadedPlugin::Load(DefaultPluginPath(), error);
    if (!plugin) Fail(err, error);
    return plugin;
}

}  // namespace

int RunCommand(const std::vector<std::string>& rawArgs, std::ostream& out, std::ostream& err)
{
    Args args = Split(rawArgs, {"--root", "--job", "--pages", "--copies", "--document", "--key", "--image", "--text",
                                "--coupon", "--port", "--monitor", "--track", "--count", "--library"});
    if (auto it = args.options.find("--root"); it != args.options.end()) {
        std::error_code ec;
        std::filesystem::create_directories(it->second, ec);
        SetProcessEnvironment("LT77_HOST_ROOT", std::filesystem::absolute(it->second).string());
    }
    if (args.positional.empty() || args.positional[0] == "help") {
        (args.positional.empty() ? err : out) << kUsage << kViewerUsage << kUiUsage;
        return args.positional.empty() ? 2 : 0;
    }
    const std::string& command = args.positional[0];
    if (IsViewerCommand(command)) return RunViewerCommand(rawArgs, out, err);
    if (IsUiCommand(command)) return RunUiCommand(rawArgs, out, err);
    const auto need = [&](std::size_t n) { return args.positional.size() >= n + 1; };

    if (command == "create-queue" && need(1)) {
        QueueSetup setup;
        if (args.options.count("--ticket")) setup.inputBin = "Option2";
        if (args.options.count("--landscape")) setup.orientation = "LANDSCAPE_CC270";
        if (args.options.count("--port")) setup.port = args.options["--port"];
        setup.bidi = args.options.count("--bidi") != 0;
        if (auto e = CreateQueue(args.positional[1], setup)) return Fail(err, *e);
        out << "created queue " << args.positional[1] << '\n';
        return 0;
    }
    if (command == "set-data" && need(3)) {
        const std::string key = args.options.count("--key") ? args.options["--key"] : std::string(kPropertiesKey);
        auto decoded = DecodeTypedValue(args.positional[3]);
        if (auto* e = std::get_if<std::string>(&decoded)) return Fail(err, args.positional[3] + ": " + *e);
        if (auto e = SetPrinterData(args.positional[1], key, args.positional[2], std::get<PrinterDataValue>(decoded)))
            return Fail(err, *e);
        return 0;
    }
    if (command == "show-queue" && need(1)) {
        auto described = DescribeQueue(args.positional[1]);
        if (auto* e = std::get_if<QueueError>(&described)) return Fail(err, e->message);
        out << std::get<std::string>(described);
#if !defined(_WIN32)
        if (const auto port = QueueSetting(args.positional[1], "Port"))
            out << "# port " << *port << ": status " << DescribePortStatus(*port) << '\n';
        for (const auto& line : DescribeJobs(args.positional[1])) out << "# " << line << '\n';
#endif
        return 0;
    }
    if (command == "set-setting" && need(3)) {
        const auto index = Number(args.positional[2]);
        const auto value = Number(args.positional[3]);
        if (!index || *index < 0 || *index >= static_cast<long>(kSettingsCount))
            return Fail(err, "the index must be 0 to 43");
        if (!value || *value < 0 || *value > 255) return Fail(err, "the value must be 0 to 255");
        if (auto e = SetSetting(args.positional[1], static_cast<std::size_t>(*index), static_cast<uint8_t>(*value)))
            return Fail(err, *e);
        return 0;
    }
    if (command == "run-job" && need(1)) {
        JobRequest request;
        request.queue = args.positional[1];
        if (args.options.count("--job")) request.jobId = static_cast<DWORD>(Number(args.options["--job"]).value_or(1));
        if (args.options.count("--pages")) request.pages = static_cast<int>(Number(args.options["--pages"]).value_or(1));
        if (args.options.count("--copies"))
            request.copies = static_cast<int16_t>(Number(args.options["--copies"]).value_or(1));
        if (args.options.count("--document")) request.document = Utf8ToUtf16(args.options["--document"]);
        auto plugin = Load(err);
        if (!plugin) return 1;
        const int rc = ReportJob(RunJob(*plugin, request), out, err);
#if !defined(_WIN32)
        if (rc == 0) MarkJobSpooled(request.queue, request.jobId);
#endif
        return rc;
    }
#if !defined(_WIN32)
    if (command == "set-port" && need(3)) {
        SetPortSetting(args.positional[1], args.positional[2], args.positional[3]);
        return 0;
    }
    if (command == "spooler" && need(1)) {
        SpoolerHostOptions options;
        options.monitorPath = args.options.count("--monitor") ? args.options["--monitor"] : DefaultMonitorPath();
        options.queues.assign(args.positional.begin() + 1, args.positional.end());
        options.once = args.options.count("--once") != 0;
        static std::atomic<bool> stop{false};
        std::signal(SIGINT, [](int) { stop.store(true); });
        std::signal(SIGTERM, [](int) { stop.store(true); });
        return RunSpoolerHost(options, stop, out, err);
    }
#endif
    if (command == "main-job") return RunMainJob(out, err);
    if (command == "print-receipt" && need(1)) {
        const auto job = static_cast<DWORD>(Number(args.options["--job"]).value_or(1));
        const int rc = PrintSampleReceipt(args.positional[1], job, out, err);
#if !defined(_WIN32)
        if (rc == 0) MarkJobSpooled(args.positional[1], job);
#endif
        return rc;
    }
    if (command == "show-status" && need(1)) {
        DWORD error = 0;
        auto section = SystemSharedMemory().Open(StatusSectionName(Utf8ToUtf16(args.positional[1])), false, error);
        auto view = section ? section->Map(false, static_cast<DWORD>(kStatusRecordBytes)) : nullptr;
        if (!view) return Fail(err, "no status record for " + args.positional[1] + " (error " + std::to_string(error) + ")");
        const auto bytes = view->Bytes();
        char line[96];
        std::snprintf(line, sizeof(line), "block %02X %02X %02X %02X, port status %u\n", bytes[0], bytes[1], bytes[2],
                      bytes[3], static_cast<unsigned>(bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24));
        out << line;
        return 0;
    }
    if (command == "swipe-card" && need(2)) {
        const auto track = Number(args.options["--track"]);
        if (!track) return Fail(err, "give the track: --track 1, 2 or 3");
        const std::string& text = args.positional[2];
        if (auto e = SwipeCard(Utf8ToUtf16(args.positional[1]), static_cast<int>(*track),
                               std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())))
            return Fail(err, *e);
        return 0;
    }
    if (command == "watch-status" && need(1)) {
        StatusWatchOptions options;
        options.queue = args.positional[1];
        options.libraryPath = args.options.count("--library") ? args.options["--library"] : DefaultStatusLibraryPath();
        if (args.options.count("--count")) {
            const auto count = Number(args.options["--count"]);
            if (!count || *count < 1) return Fail(err, "the count must be 1 or more");
            options.count = static_cast<unsigned>(*count);
        }
        static std::atomic<bool> stop{false};
        std::signal(SIGINT, [](int) { stop.store(true); });
        std::signal(SIGTERM, [](int) { stop.store(true); });
        return WatchStatus(options, stop, out, err);
    }
    if (command == "set-text-key" && need(3)) {
        const auto index = Number(args.positional[2]);
        if (!index) return Fail(err, "the index must be a number");
        if (auto e = SetTextKey(args.positional[1], static_cast<int>(*index), args.positional[3], args.options["--image"],
                                args.options["--text"], args.options["--coupon"]))
            return Fail(err, *e);
        return 0;
    }
    if (command == "set-barcode" && need(4)) {
        const bool twoD = args.positional[2] == "2d";
        if (!twoD && args.positional[2] != "1d") return Fail(err, "the table is 1d or 2d");
        const auto slot = Number(args.positional[3]);
        auto decoded = DecodeTypedValue("binary: " + args.positional[4]);
        if (auto* e = std::get_if<std::string>(&decoded)) return Fail(err, *e);
        if (!slot) return Fail(err, "the slot must be a number");
        if (auto e = SetBarcodeSlot(args.positional[1], twoD, static_cast<int>(*slot),
                                    std::get<PrinterDataValue>(decoded).bytes))
            return Fail(err, *e);
        return 0;
    }
    if (command == "set-control-code" && need(2)) {
        if (args.positional[1].size() != 1) return Fail(err, "give one character");
        auto decoded = DecodeTypedValue("binary: " + args.positional[2]);
        if (auto* e = std::get_if<std::string>(&decoded)) return Fail(err, *e);
        if (auto e = SetControlCode(args.positional[1][0], std::get<PrinterDataValue>(decoded).bytes)) return Fail(err, *e);
        return 0;
    }
    if (command == "install-image" && need(2)) {
        const auto picture = ReadPicture(args.positional[2]);
        if (auto* e = std::get_if<std::string>(&picture)) return Fail(err, *e);
        if (auto e = InstallImageFile(args.positional[1], RasterCommandFor(std::get<RasterPicture>(picture))))
            return Fail(err, *e);
        return 0;
    }
    if (command == "picture" && need(2)) {
        std::ifstream in(args.positional[1], std::ios::binary);
        if (!in) return Fail(err, args.positional[1] + ": cannot read the file");
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        printer::SystemRenderer renderer;
        const printer::RenderedJob printed = renderer.Get().Render(bytes);
        if (printed.paper.Rows() == 0) return Fail(err, args.positional[1] + ": the stream prints nothing");
        const std::string error = printer::WritePaperFile(printed.paper, args.positional[2]);
        if (!error.empty()) return Fail(err, error);
        out << args.positional[2] << ": " << printer::kPictureDots << " x " << printed.paper.Rows() << " dots\n"
            << printed.log.Text();
        return printed.log.Problems() == 0 ? 0 : 1;
    }
    err << kUsage;
    return 2;
}

}  // namespace lt77::host
