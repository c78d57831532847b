// The plug-in's exports, class factory and interface slots, called across
// the shared-library boundary as the driver core calls them.
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "common/command_callback_ids.h"
#include "host_fixture.h"
#include "platform/oem/export_guard.h"
#include "render/devmode.h"
#include "tests/support/failing_allocator.h"

namespace lt77::host::testing {
namespace {

constexpr GUID kOtherGuid = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

class PluginEntry : public HostTest {};

TEST_F(PluginEntry, ServesOnlyTheRenderingPluginClass)
{
    auto get = Plugin().GetClassObject();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(get(kOtherGuid, IID_IClassFactory, &out), hr::kClassNotAvailable);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(get(CLSID_OEMRENDER, kOtherGuid, &out), hr::kNoInterface);
    EXPECT_EQ(out, nullptr);
    ASSERT_EQ(get(CLSID_OEMRENDER, IID_IUnknown, &out), hr::kOk);
    ASSERT_NE(out, nullptr);
    static_cast<IUnknown*>(out)->Release();
}

TEST_F(PluginEntry, FactoryRefusesAggregationAndUnknownInterfaces)
{
    void* out = nullptr;
    ASSERT_EQ(Plugin().GetClassObject()(CLSID_OEMRENDER, IID_IClassFactory, &out), hr::kOk);
    auto* factory = static_cast<IClassFactory*>(out);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(IID_IPrintOemUni, &object), hr::kNoInterface);
    EXPECT_EQ(object, nullptr);
    IUnknown* outer = Plugin().Plugin();
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), hr::kNoAggregation);
    EXPECT_EQ(factory->CreateInstance(nullptr, kOtherGuid, &object), hr::kNoInterface);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUni, &object), hr::kOk);
    auto* plugin = static_cast<IPrintOemUni*>(object);
    void* again = nullptr;
    EXPECT_EQ(plugin->QueryInterface(IID_IUnknown, &again), hr::kOk);
    EXPECT_EQ(static_cast<IUnknown*>(again)->Release(), 1u);
    EXPECT_EQ(plugin->QueryInterface(IID_IClassFactory, &again), hr::kNoInterface);
    EXPECT_EQ(plugin->Release(), 0u);
    EXPECT_EQ(factory->Release(), 0u);
}

TEST_F(PluginEntry, CannotUnloadWhileLockedOrWhileObjectsLive)
{
    LoadedPlugin& loaded = Plugin();
    // The fixture's plug-in object is alive.
    EXPECT_EQ(loaded.CanUnloadNow()(), hr::kFalse);
    loaded.ReleasePlugin();
    EXPECT_EQ(loaded.CanUnloadNow()(), hr::kOk);

    void* out = nullptr;
    ASSERT_EQ(loaded.GetClassObject()(CLSID_OEMRENDER, IID_IClassFactory, &out), hr::kOk);
    auto* factory = static_cast<IClassFactory*>(out);
    EXPECT_EQ(factory->LockServer(kBoolTrue), hr::kOk);
    factory->Release();
    EXPECT_EQ(loaded.CanUnloadNow()(), hr::kFalse) << "a server lock keeps the library";
    ASSERT_EQ(loaded.GetClassObject()(CLSID_OEMRENDER, IID_IClassFactory, &out), hr::kOk);
    factory = static_cast<IClassFactory*>(out);
    EXPECT_EQ(factory->LockServer(kBoolFalse), hr::kOk);
    EXPECT_EQ(loaded.CanUnloadNow()(), hr::kFalse) << "the factory itself is a live object";
    factory->Release();
    EXPECT_EQ(loaded.CanUnloadNow()(), hr::kOk);
}

TEST_F(PluginEntry, GetInfoAnswersSignatureAndVersion)
{
    IPrintOemUni* p = Plugin().Plugin();
    DWORD needed = 0;
    uint8_t small[3] = {};
    SetLastSystemError(0);
    EXPECT_EQ(p->GetInfo(OEMGI_GETSIGNATURE, small, sizeof(small), &needed), hr::kFail);
    EXPECT_EQ(needed, 4u);
    EXPECT_EQ(LastSystemError(), 122u) << "the thread's last error is ERROR_INSUFFICIENT_BUFFER";

    DWORD value = 0;
    EXPECT_EQ(p->GetInfo(OEMGI_GETSIGNATURE, &value, sizeof(value), &needed), hr::kOk);
    EXPECT_EQ(value, 0x4D534654u);
    EXPECT_EQ(p->GetInfo(OEMGI_GETVERSION, &value, sizeof(value), &needed), hr::kOk);
    EXPECT_EQ(value, 1u);

    uint8_t publisher[16] = {};
    needed = 0;
    EXPECT_EQ(p->GetInfo(OEMGI_GETPUBLISHERINFO, publisher, sizeof(publisher), &needed), hr::kFail);
    EXPECT_EQ(needed, 8u);

    SetLastSystemError(0);
    EXPECT_EQ(p->GetInfo(OEMGI_GETINTERFACEVERSION, &value, sizeof(value), &needed), hr::kFail);
    EXPECT_EQ(LastSystemError(), 87u);
    SetLastSystemError(0);
    EXPECT_EQ(p->GetInfo(OEMGI_GETSIGNATURE, &value, sizeof(value), nullptr), hr::kFail);
    EXPECT_EQ(LastSystemError(), 87u);
}

struct DevModeBlock {
    OemDevMode dm;
    uint8_t guard[16];
};

OEMDMPARAM Param(DevModeBlock* in, DevModeBlock* out)
{
    OEMDMPARAM p{};
    p.cbSize = sizeof(p);
    p.pOEMDMIn = in != nullptr ? &in->dm : nullptr;
    p.pOEMDMOut = out != nullptr ? &out->dm : nullptr;
    p.cbBufSize = sizeof(OemDevMode);
    return p;
}

TEST_F(PluginEntry, DevModeSizeDefaultConvertAndMerge)
{
    IPrintOemUni* p = Plugin().Plugin();
    OEMDMPARAM size{};
    EXPECT_EQ(p->DevMode(OEMDM_SIZE, &size), hr::kOk);
    EXPECT_EQ(size.cbBufSize, 24u);

    DevModeBlock out{};
    std::memset(&out, 0xAB, sizeof(out));
    OEMDMPARAM def = Param(nullptr, &out);
    ASSERT_EQ(p->DevMode(OEMDM_DEFAULT, &def), hr::kOk);
    EXPECT_EQ(out.dm.dmExtraHdr.dwSize, 24u);
    EXPECT_EQ(out.dm.dmExtraHdr.dwSignature, 0x4D534654u);
    EXPECT_EQ(out.dm.dmExtraHdr.dwVersion, 1u);
    EXPECT_EQ(out.dm.dwValue1, 0u);
    EXPECT_EQ(out.dm.dwValue2, 0u);
    EXPECT_EQ(out.guard[0], 0xAB) << "nothing written past the 24 bytes";

    // Same signature: the values are copied; merge then resets those above 100.
    DevModeBlock in{};
    in.dm.dmExtraHdr = {24, 0x4D534654, 7};
    in.dm.dwValue1 = 100;
    in.dm.dwValue2 = 101;
    OEMDMPARAM convert = Param(&in, &out);
    ASSERT_EQ(p->DevMode(OEMDM_CONVERT, &convert), hr::kOk);
    EXPECT_EQ(out.dm.dwValue1, 100u);
    EXPECT_EQ(out.dm.dwValue2, 101u);
    EXPECT_EQ(out.dm.dmExtraHdr.dwVersion, 1u);
    ASSERT_EQ(p->DevMode(OEMDM_MERGE, &convert), hr::kOk);
    EXPECT_EQ(out.dm.dwValue1, 100u);
    EXPECT_EQ(out.dm.dwValue2, 0u);

    // Another signature: defaults, both values 0.
    in.dm.dmExtraHdr.dwSignature = 0x11111111;
    in.dm.dwValue1 = 5;
    ASSERT_EQ(p->DevMode(OEMDM_MERGE, &convert), hr::kOk);
    EXPECT_EQ(out.dm.dmExtraHdr.dwSignature, 0x4D534654u);
    EXPECT_EQ(out.dm.dmExtraHdr.dwVersion, 1u);
    EXPECT_EQ(out.dm.dmExtraHdr.dwSize, 24u);
    EXPECT_EQ(out.dm.dwValue1, 0u);
    EXPECT_EQ(out.dm.dwValue2, 0u);
}

TEST_F(PluginEntry, DevModeNeverCopiesMoreThanItsOwnSize)
{
    IPrintOemUni* p = Plugin().Plugin();
    DevModeBlock in{};
    in.dm.dmExtraHdr = {0xFFFF, 0x4D534654, 1};
    std::memset(in.guard, 0x5A, sizeof(in.guard));
    DevModeBlock out{};
    out.dm.dmExtraHdr = {0xFFFF, 0x4D534654, 1};
    std::memset(out.guard, 0xC3, sizeof(out.guard));
    OEMDMPARAM param = Param(&in, &out);
    ASSERT_EQ(p->DevMode(OEMDM_CONVERT, &param), hr::kOk);
    for (uint8_t g : out.guard) EXPECT_EQ(g, 0xC3);
    EXPECT_EQ(out.dm.dmExtraHdr.dwSize, 24u);
}

TEST_F(PluginEntry, DevModeRefusesBadModesAndMissingParameters)
{
    IPrintOemUni* p = Plugin().Plugin();
    OEMDMPARAM param{};
    SetLastSystemError(0);
    EXPECT_EQ(p->DevMode(0, &param), hr::kFail);
    EXPECT_EQ(LastSystemError(), 87u);
    SetLastSystemError(0);
    EXPECT_EQ(p->DevMode(5, &param), hr::kFail);
    EXPECT_EQ(LastSystemError(), 87u);
    SetLastSystemError(0);
    EXPECT_EQ(p->DevMode(OEMDM_SIZE, nullptr), hr::kFail);
    EXPECT_EQ(LastSystemError(), 87u);
    EXPECT_EQ(p->DevMode(OEMDM_DEFAULT, &param), hr::kFail) << "no output part to write";
}

TEST_F(PluginEntry, GetImplementedMethodAnswersExactNames)
{
    IPrintOemUni* p = Plugin().Plugin();
    const struct {
        const char* name;
        HRESULT expected;
    } cases[] = {
        {"CommandCallback", hr::kOk},      {"Compression", hr::kOk},       {"DownloadFontHeader", hr::kOk},
        {"DownloadCharGlyph", hr::kOk},    {"FilterGraphics", hr::kOk},    {"HalftonePattern", hr::kOk},
        {"ImageProcessing", hr::kOk},      {"MemoryUsage", hr::kOk},       {"OutputCharStr", hr::kOk},
        {"SendFontCmd", hr::kOk},          {"TextOutAsBitmap", hr::kOk},   {"TTDownloadMethod", hr::kOk},
        {"TTYGetInfo", hr::kOk},           {"WritePrinter", hr::kOk},      {"imageprocessing", hr::kFalse},
        {"ImageProcessing ", hr::kFalse},  {"DriverDMS", hr::kFalse},      {"", hr::kFalse},
        {"GetInfo", hr::kFalse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name = c.name;
        EXPECT_EQ(p->GetImplementedMethod(name.data()), c.expected);
    }
    EXPECT_EQ(p->GetImplementedMethod(nullptr), hr::kFalse);
}

TEST_F(PluginEntry, SlotsWithoutWorkAnswerAsTheCoreExpects)
{
    IPrintOemUni* p = Plugin().Plugin();
    DWORD result = 77;
    EXPECT_EQ(p->DriverDMS(nullptr, nullptr, 0, nullptr), hr::kNotImpl);
    EXPECT_EQ(p->Compression(nullptr, nullptr, nullptr, 0, 0, nullptr), hr::kNotImpl);
    EXPECT_EQ(p->HalftonePattern(nullptr, nullptr, 0, 0, 0, 0, nullptr, 0), hr::kNotImpl);
    EXPECT_EQ(p->MemoryUsage(nullptr, nullptr), hr::kNotImpl);
    EXPECT_EQ(p->TTYGetInfo(nullptr, 0, nullptr, 0, nullptr), hr::kNotImpl);
    EXPECT_EQ(p->DownloadFontHeader(nullptr, nullptr, &result), hr::kNotImpl);
    EXPECT_EQ(p->DownloadCharGlyph(nullptr, nullptr, 0, nullptr, &result), hr::kNotImpl);
    EXPECT_EQ(p->TTDownloadMethod(nullptr, nullptr, &result), hr::kOk);
    EXPECT_EQ(result, 77u) << "the result is not written";
    EXPECT_EQ(p->OutputCharStr(nullptr, nullptr, 0, 0, nullptr), hr::kNotImpl);
    EXPECT_EQ(p->SendFontCmd(nullptr, nullptr, nullptr), hr::kNotImpl);
    EXPECT_EQ(p->TextOutAsBitmap(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0),
              hr::kNotImpl);
}

TEST_F(PluginEntry, PublishDriverInterfaceKeepsTheServicesUntilDisableDriver)
{
    IPrintOemUni* p = Plugin().Plugin();
    HostCore refusing;
    refusing.refuseServicesQuery = true;
    EXPECT_EQ(p->PublishDriverInterface(&refusing), hr::kFail);
    EXPECT_EQ(p->PublishDriverInterface(nullptr), hr::kFail);

    HostCore core;
    EXPECT_EQ(p->PublishDriverInterface(&core), hr::kOk);
    EXPECT_EQ(core.References(), 2);
    HostCore second;
    EXPECT_EQ(p->PublishDriverInterface(&second), hr::kOk) << "the first services stay";
    EXPECT_EQ(second.References(), 1);
    EXPECT_EQ(p->DisableDriver(), hr::kOk);
    EXPECT_EQ(core.References(), 1);
}

TEST_F(PluginEntry, EnableDriverHandsOverTheTwentyNineHooks)
{
    HostCore core;
    DeviceContext dc(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    const DRVENABLEDATA& table = dc.HookTable();
    EXPECT_EQ(table.iDriverVersion, 0x00010000u);
    ASSERT_EQ(table.c, 29u);
    std::vector<ULONG> indices;
    for (ULONG i = 0; i < table.c; ++i) {
        indices.push_back(table.pdrvfn[i].iFunc);
        EXPECT_NE(table.pdrvfn[i].pfn, nullptr);
    }
    std::sort(indices.begin(), indices.end());
    const std::vector<ULONG> expected = {12, 13, 14, 15, 16, 17, 18, 19, 20, 23, 24, 26, 27, 28, 31,
                                         32, 33, 34, 35, 37, 47, 53, 57, 58, 68, 69, 70, 71, 74};
    EXPECT_EQ(indices, expected);
    Plugin().Plugin()->DisableDriver();
}

TEST_F(PluginEntry, FilterGraphicsSucceedsOnlyWhenTheSpoolerTookEverything)
{
    HostCore core;
    DeviceContext dc(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    std::vector<uint8_t> data = Bytes({1, 2, 3, 4, 5});
    EXPECT_EQ(Plugin().Plugin()->FilterGraphics(&dc.DevObj(), data.data(), 5), hr::kOk);
    EXPECT_EQ(core.spooled, data);
    core.policy.maxPerCall = 2;
    EXPECT_EQ(Plugin().Plugin()->FilterGraphics(&dc.DevObj(), data.data(), 5), hr::kFail);
    Plugin().Plugin()->DisableDriver();
}

std::string g_guardLine;
void RecordGuardLine(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    g_guardLine = line;
}

TEST(ExportGuard, AnExceptionBecomesFalseAndOneTraceLine)
{
    const struct {
        std::function<BOOL()> body;
        DWORD lastError;
        const char* line;
    } cases[] = {
        {[]() -> BOOL { throw std::bad_alloc(); }, 8, "OEMTextOut : EXCEPTION, std::bad_alloc"},
        {[]() -> BOOL { throw std::runtime_error("bad table"); }, 1234, "OEMTextOut : EXCEPTION, bad table"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        SetLastSystemError(1234);
        EXPECT_EQ(GuardedBool(&RecordGuardLine, "OEMTextOut", c.body), kBoolFalse);
        EXPECT_EQ(LastSystemError(), c.lastError);
        EXPECT_EQ(g_guardLine, c.line);
    }
}

TEST_F(PluginEntry, OutOfMemoryAtAnEntryAnswersItsFailureAndTheNextCallWorks)
{
    LoadedPlugin& loaded = Plugin();
    void* factory = nullptr;
    const std::size_t before = test::AllocationsOnThisThread();
    ASSERT_EQ(loaded.GetClassObject()(CLSID_OEMRENDER, IID_IClassFactory, &factory), hr::kOk);
    static_cast<IUnknown*>(factory)->Release();
    if (test::AllocationsOnThisThread() == before)
        GTEST_SKIP() << "the plug-in has a C++ runtime of its own (a Windows DLL): this program's operator new "
                        "does not reach it";

    // Nothing on the host's side may allocate while memory is out: a queue
    // name short enough to stay inside its string, a band made beforehand.
    ASSERT_FALSE(CreateQueue("Q").has_value());
    HostCore core;
    DeviceContext dc(loaded.Plugin(), core, DeviceSetup{"Q"});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    std::vector<uint8_t> band(72 * 8, 0x00);
    std::vector<uint8_t> colors = {0, 0, 0, 0, 255, 255, 255, 0};
    BITMAPINFOHEADER header{.biSize = sizeof(BITMAPINFOHEADER), .biWidth = 576, .biHeight = 8, .biPlanes = 1,
                            .biBitCount = 1};
    IPPARAMS params{.dwSize = sizeof(IPPARAMS)};
    BYTE* bandResult = nullptr;
    const struct {
        const char* entry;
        std::function<long()> call;
        long failure;
        long success;
    } cases[] = {
        {"EnablePDEV", [&] { return static_cast<long>(dc.EnablePDEV()); }, hr::kFail, hr::kOk},
        {"OEMStartDoc", [&] { return static_cast<long>(dc.StartDoc(u"doc", 9)); }, kBoolFalse, kBoolTrue},
        {"start of document", [&] { return static_cast<long>(dc.Command(KLW_STARTDOC)); }, hr::kFail, hr::kOk},
        {"ImageProcessing", [&] {
             return static_cast<long>(dc.Plugin()->ImageProcessing(&dc.DevObj(), band.data(), &header, colors.data(),
                                                                   1, &params, &bandResult));
         }, hr::kFail, hr::kOk},
        {"end of page", [&] { return static_cast<long>(dc.Command(KLW_ENDPAGE)); }, hr::kFail, hr::kOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        SetLastSystemError(0);
        test::FailEveryAllocation(true);
        const long failed = c.call();
        const DWORD lastError = LastSystemError();
        test::FailEveryAllocation(false);
        EXPECT_EQ(failed, c.failure);
        if (c.failure == kBoolFalse) {
            EXPECT_EQ(lastError, 8u) << "ERROR_NOT_ENOUGH_MEMORY";
        }
        EXPECT_EQ(c.call(), c.success) << "the same call once memory is back";
    }
    EXPECT_EQ(dc.Command(KLW_ENDDOC), hr::kOk);
    EXPECT_FALSE(core.spooled.empty()) << "the document still reached the spooler";
    dc.DisablePDEV();
    loaded.Plugin()->DisableDriver();
}

}  // namespace
}  // namespace lt77::host::testing
