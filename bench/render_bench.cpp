// Benchmarks of the rendering plug-in: long documents, big page buffers and
// the page image pipeline. Run the release build:
//   cmake --preset linux-release && cmake --build --preset linux-release --target render_bench
//   build/linux-release/bench/render_bench
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "host/job_runner.h"
#include "host/page_canvas.h"
#include "render/command_buffer.h"
#include "render/job_commands.h"
#include "render/page_image.h"
#include "render/raster_commands.h"

namespace lt77 {
namespace {

// A spooler that takes everything and keeps nothing.
class NullCore final : public IPrintOemDriverUni {
public:
    HRESULT QueryInterface(const GUID&, void**) override { return hr::kNoInterface; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT DrvGetDriverSetting(PVOID, const char*, PVOID out, DWORD size, DWORD* needed, DWORD* options) override
    {
        static const char kAnswer[] = "Option1";
        if (needed) *needed = sizeof(kAnswer) + 1;
        if (options) *options = 1;
        if (out == nullptr || size < sizeof(kAnswer) + 1) return hr::kFail;
        std::memcpy(out, kAnswer, sizeof(kAnswer));
        static_cast<char*>(out)[sizeof(kAnswer)] = 0;
        return hr::kOk;
    }
    HRESULT DrvWriteSpoolBuf(PDEVOBJ, PVOID, DWORD size, DWORD* written) override
    {
        taken += size;
        *written = size;
        return hr::kOk;
    }
    HRESULT DrvXMoveTo(PDEVOBJ, INT, DWORD, INT*) override { return hr::kNotImpl; }
    HRESULT DrvYMoveTo(PDEVOBJ, INT, DWORD, INT*) override { return hr::kNotImpl; }
    HRESULT DrvGetStandardVariable(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*) override { return hr::kNotImpl; }
    HRESULT DrvGetGPDData(PDEVOBJ, DWORD, PVOID, PVOID, DWORD, DWORD*) override { return hr::kNotImpl; }
    HRESULT DrvUniTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*, POINTL*,
                          MIX) override
    {
        return hr::kNotImpl;
    }
    HRESULT DrvWriteAbortBuf(PDEVOBJ, PVOID, DWORD, DWORD) override { return hr::kNotImpl; }
    uint64_t taken = 0;
};

void UseScratchRoot()
{
    static const std::string root = [] {
        const auto dir = std::filesystem::temp_directory_path() / "lt77-bench";
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
        host::JobSpec spec;
        spec.queue = "bench";
        spec.pages = static_cast<int>(state.range(0));
        const auto result = host::RunJob(*plugin, spec);
        benchmark::DoNotOptimize(result.spooled.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EmptyPagesDocument)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A page buffer built from many small appends and sent in 4096-byte chunks.
void BM_PageBuffer(benchmark::State& state)
{
    const std::size_t total = static_cast<std::size_t>(state.range(0)) << 20;
    const std::vector<uint8_t> piece(97, 0x5A);
    NullCore core;
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

}  // namespace
}  // namespace lt77

BENCHMARK_MAIN();
