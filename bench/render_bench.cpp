// Benchmarks of the rendering plug-in: long documents, big page buffers and
// the page image pipeline. Run the release build:
//   cmake --preset linux-release && cmake --build --preset linux-release --target render_bench
//   build/linux-release/bench/render_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <atomic>
#include <cstring>
#include <new>
#include <filesystem>

#include "host/driver_data.h"
#include "host/job_runner.h"
#include "host/page_canvas.h"
#include "host/queue_admin.h"
#include "render/command_buffer.h"
#include "render/job_commands.h"
#include "host/host_core.h"
#include "render/page_image.h"
#include "render/page_merge.h"
#include "render/raster_commands.h"
#include "render/text_capture.h"

namespace lt77 {
namespace {

// A spooler that takes everything and keeps nothing.
host::HostCore NullCore()
{
    host::HostCore core;
    core.keepBytes = false;
    return core;
}

void UseScratchRoot()
{
    static const std::string root = [] {
        // Memory-backed when the machine has it, so that the host's own store
        // writes (one per page, as the registry would take) do not dominate.
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        const auto dir = base / "lt77-bench";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        return dir.string();
    }();
    ::setenv("LT77_HOST_ROOT", root.c_str(), 1);
}

// A document of N empty pages through the plug-in's exports: the cost per
// page must stay flat as N grows.
void BM_EmptyPagesDocument(benchmark::State& state)
{
    UseScratchRoot();
    host::CreateQueue("bench");
    std::string error;
    auto plugin = host::LoadedPlugin::Load(host::DefaultPluginPath(), error);
    if (!plugin) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        host::JobRequest request;
        request.queue = "bench";
        request.pages = static_cast<int>(state.range(0));
        // A blank page as the core hands it: one white band.
        request.drawPage = [](host::DeviceContext& dc, int) { host::PageCanvas(576, 8, 1).SendBands(dc, 8); };
        const auto result = host::RunJob(*plugin, request);
        benchmark::DoNotOptimize(result.spooled.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EmptyPagesDocument)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One receipt line of N text-key markers, each printed as a stored image:
// the line is captured (N device records on one row), read back and merged
// into the page's printer data. The cost per marker must stay flat as N grows.
void BM_MarkersOnOneLine(benchmark::State& state)
{
    UseScratchRoot();
    const std::string queue = "bench-markers";
    host::CreateQueue(queue);
    host::SetTextKey(queue, 0, "{I}", "mark", "", "");
    host::InstallImageFile("mark", {0x5A, 0x5B});
    const auto coreQueue = host::OpenCoreQueue(queue);
    StringDetails str;
    for (int64_t i = 0; i < state.range(0); ++i) str.text += u"{I}";
    str.glyphs = static_cast<ULONG>(str.text.size());
    str.hasText = true;
    str.background = RECTL{0, 10, 576, 34};
    FontDetails font;
    font.flFontType = FO_TYPE_DEVICE;
    font.familyName = u"FontA1x1";
    font.unitsPerEm = 2048;
    font.m22 = 24.0f / 2048;
    host::HostCore core = NullCore();
    for (auto _ : state) {
        OemPDEV pdev;
        std::memcpy(pdev.m_UIInfo.byteValue, DefaultSettings().data(), kSettingsCount);
        pdev.m_UIInfo.byteValue[IDX_TEXT_KEY_ON] = 1;
        pdev.hPrinter = coreQueue->Handle();
        DEVOBJ devobj{};
        devobj.pdevOEM = &pdev;
        CommandBuffer buffer;
        JobOutputs outputs(SystemPlatform());
        JobContext job{&devobj, pdev, &core, buffer, outputs};
        AddFontsInfoToBuf(pdev, str, font);
        CxImage image;
        image.Create(576, 34, 1);
        DrawResizedText(pdev, image, 1.0f, 34);
        benchmark::DoNotOptimize(AddImageAndDevFontData(job, image, 1.0f));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MarkersOnOneLine)->Arg(1000)->Arg(8000)->Arg(64000)->Unit(benchmark::kMillisecond);

// A page buffer built from many small appends and sent in 4096-byte chunks.
void BM_PageBuffer(benchmark::State& state)
{
    const std::size_t total = static_cast<std::size_t>(state.range(0)) << 20;
    const std::vector<uint8_t> piece(97, 0x5A);
    host::HostCore core = NullCore();
    OemPDEV pdev;
    DEVOBJ devobj{};
    devobj.pdevOEM = &pdev;
    for (auto _ : state) {
        CommandBuffer buffer;
        for (std::size_t n = 0; n < total; n += piece.size()) buffer.AddPrintDataTobeSent(piece);
        JobOutputs outputs(SystemPlatform());
        JobContext job{&devobj, pdev, &core, buffer, outputs};
        benchmark::DoNotOptimize(SendPrintDataToPrinter(job));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(total));
}
BENCHMARK(BM_PageBuffer)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);

// Pages through the whole image pipeline, from bands to raster commands.
struct PipelineCase {
    int32_t rows;
    int bits;
    uint8_t halftone;
    bool mostlyBlank;
};

std::vector<uint8_t> MakeBand(const PipelineCase& c, int32_t top, int32_t rows, uint32_t stride, bool& blank)
{
    std::vector<uint8_t> band(static_cast<std::size_t>(stride) * static_cast<std::size_t>(rows), 0xFF);
    blank = c.mostlyBlank && top >= 600;
    if (blank) return band;
    for (int32_t y = 0; y < rows; ++y)
        for (uint32_t x = 0; x < stride; ++x) {
            const int32_t row = top + y;
            // A photo-like gradient with text-like stripes.
            const auto v = static_cast<uint8_t>((x * 7 + static_cast<uint32_t>(row) * 3) & 0xFF);
            band[static_cast<std::size_t>(y) * stride + x] = c.bits == 8 ? v : static_cast<uint8_t>(row % 24 < 12 ? v : 0xFF);
        }
    return band;
}

std::atomic<std::size_t> g_heapNow{0};
std::atomic<std::size_t> g_heapPeak{0};

void BM_PagePipeline(benchmark::State& state, PipelineCase c)
{
    const int32_t width = 576;
    const uint32_t stride = ((static_cast<uint32_t>(width) * static_cast<uint32_t>(c.bits) + 31) >> 5) * 4;
    const int32_t bandRows = 128;
    host::HostCore core = NullCore();
    std::size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        OemPDEV pdev;
        std::memcpy(pdev.m_UIInfo.byteValue, DefaultSettings().data(), kSettingsCount);
        pdev.m_UIInfo.byteValue[IDX_HALFTONE] = c.halftone;
        pdev.hPalette = host::HostGreyPalette();
        DEVOBJ devobj{};
        devobj.pdevOEM = &pdev;
        CommandBuffer buffer;
        JobOutputs outputs(SystemPlatform());
        JobContext job{&devobj, pdev, &core, buffer, outputs};
        std::vector<std::vector<uint8_t>> bands;
        std::vector<bool> blanks;
        for (int32_t top = 0; top < c.rows; top += bandRows) {
            bool blank = false;
            bands.push_back(MakeBand(c, top, std::min(bandRows, c.rows - top), stride, blank));
            blanks.push_back(blank);
        }
        const std::size_t baseline = g_heapNow.load();
        g_heapPeak = baseline;
        state.ResumeTiming();
        for (std::size_t i = 0; i < bands.size(); ++i) {
            BITMAPINFOHEADER h{};
            h.biSize = 40;
            h.biWidth = width;
            h.biHeight = std::min(bandRows, c.rows - static_cast<int32_t>(i) * bandRows);
            h.biPlanes = 1;
            h.biBitCount = static_cast<WORD>(c.bits);
            h.biSizeImage = static_cast<DWORD>(bands[i].size());
            IPPARAMS params{};
            params.bBlankBand = blanks[i] ? 1 : 0;
            BYTE* result = nullptr;
            ProcessBand(&devobj, bands[i].data(), &h, nullptr, c.bits == 8 ? 3 : 1, &params, &result);
        }
        benchmark::DoNotOptimize(AddImageDataPerEachPage(job));
        state.PauseTiming();
        peak = std::max(peak, g_heapPeak.load() - baseline);
        state.ResumeTiming();
    }
    const double pixels = static_cast<double>(width) * c.rows;
    state.counters["Mpx/s"] = benchmark::Counter(pixels * static_cast<double>(state.iterations()) / 1e6,
                                                 benchmark::Counter::kIsRate);
    state.counters["peak_heap_MB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.counters["raster_MB"] = static_cast<double>(stride) * c.rows / (1024.0 * 1024.0);
}
BENCHMARK_CAPTURE(BM_PagePipeline, page8bit_3000_diffusion, PipelineCase{3000, 8, 1, false})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PagePipeline, page1bit_3000_plain, PipelineCase{3000, 1, 0, false})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PagePipeline, receipt1bit_30000_mostly_blank, PipelineCase{30000, 1, 0, true})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lt77

// Heap accounting for the peak-memory figures: every allocation of the
// process goes through these.
void* operator new(std::size_t size)
{
    auto* p = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (p == nullptr) throw std::bad_alloc();
    *p = size;
    const std::size_t now = lt77::g_heapNow += size;
    std::size_t peak = lt77::g_heapPeak.load();
    while (now > peak && !lt77::g_heapPeak.compare_exchange_weak(peak, now)) {
    }
    return reinterpret_cast<char*>(p) + sizeof(std::max_align_t);
}
void operator delete(void* ptr) noexcept
{
    if (ptr == nullptr) return;
    auto* p = reinterpret_cast<std::size_t*>(static_cast<char*>(ptr) - sizeof(std::max_align_t));
    lt77::g_heapNow -= *p;
    std::free(p);
}
void operator delete(void* ptr, std::size_t) noexcept { operator delete(ptr); }

BENCHMARK_MAIN();
