// The printer's stream renderer on receipts of about 3,000 rows (the goal:
// under 50 ms each). Run the release build:
//   cmake --preset linux-release && cmake --build --preset linux-release --target printer_bench
//   build/linux-release/bench/printer_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/main_job.h"
#include "host/queue_admin.h"
#include "printer/paper_file.h"
#include "printer/stream_renderer.h"

namespace lt77 {
namespace {

std::filesystem::path ScratchRoot()
{
    static const std::filesystem::path root = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        const auto dir = base / "lt77-printer-bench";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ::setenv("LT77_HOST_ROOT", dir.string().c_str(), 1);
        return dir;
    }();
    return root;
}

// The sample receipt as the plug-in spools it (logo, photo, resident-font
// lines, Korean, a text-key stamp, Code128, QR code, coupon), three times in
// one job: 3,120 rows of paper.
const std::vector<uint8_t>& SampleReceipts()
{
    static const std::vector<uint8_t> job = [] {
        const auto root = ScratchRoot();
        std::ostringstream out, err;
        host::CreateQueue("bench");
        if (host::PrintSampleReceipt("bench", 1, out, err) != 0) return std::vector<uint8_t>{};
        std::ifstream in(root / "queues" / "bench" / "spool" / "1.prn", std::ios::binary);
        const std::vector<uint8_t> one((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<uint8_t> three;
        for (int i = 0; i < 3; ++i) three.insert(three.end(), one.begin(), one.end());
        return three;
    }();
    return job;
}

// A receipt of text alone: 88 lines of 40 characters in font A, emphasis
// now and then, a Code128 and a QR code at the end: 3,305 rows.
std::vector<uint8_t> TextReceipt()
{
    std::vector<uint8_t> job = {0x1B, 0x40};
    for (int line = 0; line < 88; ++line) {
        if (line % 10 == 0) job.insert(job.end(), {0x1B, 0x45, 0x01});
        std::string text = "Item " + std::to_string(line) + " ........................ 12.50";
        text.resize(40, ' ');
        job.insert(job.end(), text.begin(), text.end());
        job.push_back(0x0A);
        if (line % 10 == 0) job.insert(job.end(), {0x1B, 0x45, 0x00});
    }
    job.insert(job.end(), {0x1D, 0x6B, 0x49, 0x0A, '{', 'B', 'L', 'T', '-', '7', '7', ' ', '8', '8'});
    const std::string url = "https://lt77.example/receipt/000000001";
    job.insert(job.end(), {0x1D, 0x28, 0x6B, static_cast<uint8_t>(url.size() + 3), 0x00, 0x31, 0x50, 0x30});
    job.insert(job.end(), url.begin(), url.end());
    job.insert(job.end(), {0x1D, 0x28, 0x6B, 0x03, 0x00, 0x31, 0x51, 0x30, 0x1B, 0x4A, 0x40, 0x1D, 0x56, 0x42, 0x00});
    return job;
}

printer::StreamRenderer& Printer()
{
    static printer::SystemRenderer printer;
    return printer.Get();
}

void Render(benchmark::State& state, const std::vector<uint8_t>& job, bool writePng)
{
    if (job.empty()) {
        state.SkipWithError("the sample receipt could not be printed");
        return;
    }
    const std::string png = (ScratchRoot() / "paper.png").string();
    printer::StreamRenderer& printer = Printer();
    printer.Render(job);  // the glyphs in the cache, as in a printer that has run a while
    uint32_t rows = 0;
    for (auto _ : state) {
        const printer::RenderedJob printed = printer.Render(job);
        rows = printed.paper.Rows();
        if (writePng) printer::WritePaperFile(printed.paper, png);
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}

void BM_SampleReceiptsOf3000Rows(benchmark::State& state) { Render(state, SampleReceipts(), false); }
void BM_SampleReceiptsOf3000RowsWithPng(benchmark::State& state) { Render(state, SampleReceipts(), true); }
void BM_TextReceiptOf3000Rows(benchmark::State& state) { Render(state, TextReceipt(), false); }

BENCHMARK(BM_SampleReceiptsOf3000Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleReceiptsOf3000RowsWithPng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextReceiptOf3000Rows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lt77

BENCHMARK_MAIN();
