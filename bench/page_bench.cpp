// One page through the rendering plug-in's exports as the driver core drives
// a job: enable, start of document, the page's bands, end of page, end of
// document, disable. Prints the median and minimum time of the whole job over
// 20 runs after 3 warm-ups, the time of the end-of-page call alone, the bytes
// the spooler took with their checksum, the peak heap the job used and the
// page faults it took, for error diffusion and for no halftoning.
//
//   cmake --preset linux-release && cmake --build --preset linux-release --target page_bench
//   build/linux-release/bench/page_bench [--runs N] [--band ROWS] [--files-only] [page.png ...]
//
// A PNG page is read as 8-bit grey. Without files only the built-in pages run;
// with them the built-in pages run first, unless --files-only.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <variant>
#include <vector>

#include <sys/resource.h>

#include "common/command_callback_ids.h"
#include "common/settings.h"
#include "host/device_context.h"
#include "host/picture_file.h"
#include "host/plugin_host.h"
#include "host/queue_admin.h"

namespace lt77 {

// Heap accounting: every operator new of the process (the plug-in's too, as
// the executable's definitions take its calls) adds to these.
std::atomic<std::size_t> g_heapNow{0};
std::atomic<std::size_t> g_heapPeak{0};

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kQueue = "page-bench";
constexpr DWORD kJobId = 7;

struct Page {
    std::string name;
    int32_t width = 0;
    int32_t height = 0;
    int bits = 8;
    std::vector<uint8_t> rows;  // stride-padded, top row first, as the core's bands

    std::size_t Stride() const { return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) >> 5) * 4; }
};

// A photo-like gradient with text-like stripes and a white foot, so that the
// bottom crop has work and every byte value reaches the encoder.
Page SyntheticPage(std::string name, int32_t width, int32_t height, int bits)
{
    Page page{std::move(name), width, height, bits, {}};
    const std::size_t stride = page.Stride();
    page.rows.assign(stride * static_cast<std::size_t>(height), 0xFF);
    const int32_t inked = height - height / 20;
    for (int32_t y = 0; y < inked; ++y) {
        uint8_t* row = page.rows.data() + stride * static_cast<std::size_t>(y);
        for (int32_t x = 0; x < width; ++x) {
            const auto v = static_cast<uint8_t>((x * 7 + y * 3) & 0xFF);
            const bool stripe = y % 24 < 12;
            if (bits == 8) {
                row[x] = stripe ? v : static_cast<uint8_t>(255 - (x % 64 < 8 ? 255 : 0));
            } else if ((stripe ? v : 255) < 128) {
                row[x >> 3] = static_cast<uint8_t>(row[x >> 3] & ~(0x80 >> (x & 7)));
            }
        }
    }
    return page;
}

bool PngPage(const std::string& path, Page& page)
{
    auto read = host::ReadPicture(path);
    if (const auto* error = std::get_if<std::string>(&read)) {
        std::fprintf(stderr, "page_bench: %s\n", error->c_str());
        return false;
    }
    const RasterPicture& picture = std::get<RasterPicture>(read);
    page = Page{std::filesystem::path(path).filename().string(), static_cast<int32_t>(picture.width),
                static_cast<int32_t>(picture.height), 8, {}};
    const std::size_t stride = page.Stride();
    page.rows.assign(stride * picture.height, 0xFF);
    for (uint32_t y = 0; y < picture.height; ++y)
        std::memcpy(page.rows.data() + stride * y, picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                    picture.width);
    return true;
}

// The core's bands of a page, made before the clock starts: they are the
// core's memory, not the plug-in's.
struct Band {
    std::vector<uint8_t> bits;
    BITMAPINFOHEADER header{};
    IPPARAMS params{};
};

std::vector<Band> MakeBands(const Page& page, int32_t bandRows)
{
    std::vector<Band> bands;
    const std::size_t stride = page.Stride();
    for (int32_t top = 0; top < page.height; top += bandRows) {
        const int32_t rows = std::min(bandRows, page.height - top);
        Band band;
        const uint8_t* first = page.rows.data() + stride * static_cast<std::size_t>(top);
        band.bits.assign(first, first + stride * static_cast<std::size_t>(rows));
        band.header.biSize = sizeof(BITMAPINFOHEADER);
        band.header.biWidth = page.width;
        band.header.biHeight = rows;
        band.header.biPlanes = 1;
        band.header.biBitCount = static_cast<WORD>(page.bits);
        band.header.biSizeImage = static_cast<DWORD>(band.bits.size());
        band.header.biXPelsPerMeter = 7992;  // 203 dots per inch
        band.header.biYPelsPerMeter = 7992;
        band.params.dwSize = sizeof(IPPARAMS);
        band.params.ptOffset = POINTL{0, top};
        band.params.bBanding = kBoolTrue;
        const bool blank = std::all_of(band.bits.begin(), band.bits.end(), [](uint8_t b) { return b == 0xFF; });
        band.params.bBlankBand = blank ? kBoolTrue : kBoolFalse;
        bands.push_back(std::move(band));
    }
    return bands;
}

std::vector<uint8_t> ColorTable(int bits)
{
    std::vector<uint8_t> table(bits == 8 ? 256 * 4 : 2 * 4, 0);
    for (std::size_t i = 0; i < table.size() / 4; ++i)
        for (std::size_t c = 0; c < 3; ++c)
            table[i * 4 + c] = static_cast<uint8_t>(bits == 8 ? i : (i == 0 ? 0 : 255));
    return table;
}

struct RunResult {
    bool ok = false;
    double jobMs = 0;
    double endPageMs = 0;
    std::size_t bytes = 0;
    uint64_t checksum = 0;
    std::size_t peakHeap = 0;
    long pageFaults = 0;
};

// Fresh pages the process touched so far: a page the job's memory takes
// from the system costs a fault, which on some machines is a large part of
// a job's time.
long MinorFaults()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes)
{
    uint64_t h = 14695981039346656037ull;
    for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

RunResult RunOnePage(host::LoadedPlugin& plugin, const Page& page, std::vector<Band>& bands,
                     std::vector<uint8_t>& colorTable)
{
    RunResult r;
    if (host::CreateJob(kQueue, kJobId, "page", 1)) return r;
    host::HostCore core;
    // The spooler's memory, not the plug-in's: more than any page's commands.
    core.spooled.reserve(page.rows.size() + (std::size_t{1} << 20));
    host::DeviceSetup setup;
    setup.queue = kQueue;
    setup.bitsPerPixel = static_cast<ULONG>(page.bits);
    const std::size_t baseline = g_heapNow.load();
    g_heapPeak = baseline;
    const long faultsBefore = MinorFaults();
    const auto start = Clock::now();
    Clock::duration endPage{};
    {
        host::DeviceContext dc(plugin.Plugin(), core, setup);
        if (dc.PublishAndEnableDriver() != hr::kOk || dc.EnablePDEV() != hr::kOk) return r;
        dc.StartDoc(u"page", kJobId);
        dc.Command(KLW_STARTDOC);
        dc.Command(KLW_STARTPAGE);
        const auto nextBand = reinterpret_cast<PFN_DrvNextBand>(dc.Hook(INDEX_DrvNextBand));
        for (auto& band : bands) {
            if (nextBand != nullptr && band.params.ptOffset.y > 0) {
                POINTL origin = band.params.ptOffset;
                nextBand(&dc.Surface(), &origin);
            }
            BYTE* result = nullptr;
            if (dc.Plugin()->ImageProcessing(&dc.DevObj(), band.bits.data(), &band.header, colorTable.data(),
                                             page.bits == 8 ? 3 : 1, &band.params, &result) != hr::kOk)
                return r;
        }
        const auto endPageStart = Clock::now();
        dc.Command(KLW_ENDPAGE);
        endPage = Clock::now() - endPageStart;
        dc.Command(KLW_ENDDOC);
        dc.EndDoc();
        dc.DisablePDEV();
        plugin.Plugin()->DisableDriver();
    }
    r.jobMs = Ms(Clock::now() - start);
    r.pageFaults = MinorFaults() - faultsBefore;
    r.endPageMs = Ms(endPage);
    r.peakHeap = g_heapPeak.load() - baseline;
    r.bytes = core.spooled.size();
    r.checksum = Fnv1a(core.spooled);
    r.ok = true;
    return r;
}

bool UseSettings(uint8_t halftone)
{
    const auto& d = DefaultSettings();
    std::vector<uint8_t> misc(d.begin(), d.end());
    misc[IDX_HALFTONE] = halftone;
    return !host::SetPrinterData(kQueue, "PrinterDriverData\\Properties", "MISC",
                                 PrinterDataValue{REG_BINARY_TYPE, misc})
                .has_value();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool BenchPage(host::LoadedPlugin& plugin, const Page& page, int runs, int32_t bandRows)
{
    auto bands = MakeBands(page, bandRows);
    auto colorTable = ColorTable(page.bits);
    const std::size_t raster = page.Stride() * static_cast<std::size_t>(page.height);
    std::printf("%s: %d x %d, %d-bit, raster %zu bytes, bands of %d rows; peak heap limit %zu bytes\n",
                page.name.c_str(), page.width, page.height, page.bits, raster, bandRows,
                2 * raster + (std::size_t{1} << 20));
    struct Mode {
        const char* name;
        uint8_t halftone;
    };
    for (const Mode mode : {Mode{"error diffusion", 1}, Mode{"no halftoning", 0}}) {
        if (!UseSettings(mode.halftone)) {
            std::fprintf(stderr, "page_bench: cannot write the queue's settings\n");
            return false;
        }
        std::vector<double> job, endPage, faults;
        RunResult last;
        std::size_t peak = 0;
        for (int i = 0; i < 3 + runs; ++i) {
            const RunResult r = RunOnePage(plugin, page, bands, colorTable);
            if (!r.ok) {
                std::fprintf(stderr, "page_bench: the job failed\n");
                return false;
            }
            if (i > 0 && (r.bytes != last.bytes || r.checksum != last.checksum)) {
                std::fprintf(stderr, "page_bench: the bytes sent changed between runs\n");
                return false;
            }
            last = r;
            if (i < 3) continue;
            job.push_back(r.jobMs);
            endPage.push_back(r.endPageMs);
            faults.push_back(static_cast<double>(r.pageFaults));
            peak = std::max(peak, r.peakHeap);
        }
        std::printf("  %-16s job median %7.3f ms, min %7.3f ms; end of page median %7.3f ms; "
                    "%zu bytes sent (FNV-1a %016llx); peak heap %zu bytes (%.2f x raster); "
                    "median %.0f page faults\n",
                    mode.name, Median(job), *std::min_element(job.begin(), job.end()), Median(endPage), last.bytes,
                    static_cast<unsigned long long>(last.checksum), peak,
                    static_cast<double>(peak) / static_cast<double>(raster), Median(faults));
    }
    return true;
}

void UseScratchRoot()
{
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    const auto dir = base / "lt77-page-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ::setenv("LT77_HOST_ROOT", dir.c_str(), 1);
}

}  // namespace
}  // namespace lt77

int main(int argc, char** argv)
{
    using namespace lt77;
    int runs = 20;
    int32_t bandRows = 128;
    std::vector<std::string> files;
    bool builtIn = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--band" && i + 1 < argc) {
            bandRows = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--files-only") {
            builtIn = false;
        } else if (arg.starts_with("--")) {
            std::fprintf(stderr, "usage: page_bench [--runs N] [--band ROWS] [--files-only] [page.png ...]\n");
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    UseScratchRoot();
    if (auto error = host::CreateQueue(kQueue)) {
        std::fprintf(stderr, "page_bench: %s\n", error->c_str());
        return 1;
    }
    std::string error;
    auto plugin = host::LoadedPlugin::Load(host::DefaultPluginPath(), error);
    if (!plugin) {
        std::fprintf(stderr, "page_bench: %s\n", error.c_str());
        return 1;
    }
    std::vector<Page> pages;
    if (builtIn) {
        pages.push_back(SyntheticPage("synthetic 8-bit", 576, 3000, 8));
        pages.push_back(SyntheticPage("synthetic 1-bit", 576, 3000, 1));
        pages.push_back(SyntheticPage("synthetic 8-bit, odd width", 573, 3000, 8));
    }
    for (const auto& file : files) {
        Page page;
        if (!PngPage(file, page)) return 1;
        pages.push_back(std::move(page));
    }
    for (const auto& page : pages)
        if (!BenchPage(*plugin, page, runs, bandRows)) return 1;
    return 0;
}

// The counting allocator. Sizes sit in a header of max_align_t's size, so the
// blocks keep the alignment operator new promises.
namespace {

constexpr std::size_t kHeader = alignof(std::max_align_t) > sizeof(std::size_t) ? alignof(std::max_align_t)
                                                                                  : sizeof(std::size_t);

// Out of line, so that the compiler does not pair an inlined malloc with a
// delete expression and warn of a mismatch that is not one.
[[gnu::noinline]] void* CountedAlloc(std::size_t size) noexcept
{
    auto* block = static_cast<char*>(std::malloc(size + kHeader));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &size, sizeof(size));
    const std::size_t now = lt77::g_heapNow += size;
    std::size_t peak = lt77::g_heapPeak.load();
    while (now > peak && !lt77::g_heapPeak.compare_exchange_weak(peak, now)) {
    }
    return block + kHeader;
}

[[gnu::noinline]] void CountedFree(void* ptr) noexcept
{
    if (ptr == nullptr) return;
    char* block = static_cast<char*>(ptr) - kHeader;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof(size));
    lt77::g_heapNow -= size;
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size)
{
    if (void* p = CountedAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    if (void* p = CountedAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAlloc(size); }
void operator delete(void* ptr) noexcept { CountedFree(ptr); }
void operator delete[](void* ptr) noexcept { CountedFree(ptr); }
void operator delete(void* ptr, std::size_t) noexcept { CountedFree(ptr); }
void operator delete[](void* ptr, std::size_t) noexcept { CountedFree(ptr); }
void operator delete(void* ptr, const std::nothrow_t&) noexcept { CountedFree(ptr); }
void operator delete[](void* ptr, const std::nothrow_t&) noexcept { CountedFree(ptr); }
