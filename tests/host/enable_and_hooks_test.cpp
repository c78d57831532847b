// Enabling a device context and the drawing hooks, through the exports.
#include "common/command_callback_ids.h"
#include "host_fixture.h"

namespace lt77::host::testing {
namespace {

class EnableAndHooks : public HostTest {
protected:
    // The settings text the plug-in wrote into the job record at start of document.
    std::string ParametersAfterJob(JobRequest request = {})
    {
        const JobResult result = Run(std::move(request));
        EXPECT_TRUE(result.ok) << result.error;
        const auto job = ReadJob(queue_, 1);
        return job ? Utf16ToUtf8(job->parameters) : "";
    }
    static std::vector<int> Values(const std::string& parameters)
    {
        std::vector<int> values;
        std::istringstream in(parameters);
        for (int v; in >> v;) values.push_back(v);
        return values;
    }
};

TEST_F(EnableAndHooks, EnableRewritesLandscapeRotationAndPaperType)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    SetSettings({{IDX_ROTATION, 7}, {IDX_LANDSCAPE, 0}, {IDX_PAPER_TYPE, 0}});
    ASSERT_FALSE(SetQueueSetting(queue_, "Orientation", "LANDSCAPE_CC270").has_value());
    ASSERT_FALSE(SetQueueSetting(queue_, "InputBin", "Option2").has_value());
    JobRequest request;
    request.copies = 3;
    const auto v = Values(ParametersAfterJob(request));
    ASSERT_EQ(v.size(), 44u);
    EXPECT_EQ(v[IDX_LANDSCAPE], 1);
    EXPECT_EQ(v[IDX_ROTATION], 3) << "7 keeps its two low bits";
    EXPECT_EQ(v[IDX_PAPER_TYPE], 1) << "ticket paper";
    EXPECT_EQ(v[IDX_JOB_COPIES], 3) << "the device mode's copy count";
}

TEST_F(EnableAndHooks, ReceiptRollAndPortraitClearThoseSettings)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    SetSettings({{IDX_LANDSCAPE, 1}, {IDX_PAPER_TYPE, 1}});
    ASSERT_FALSE(SetQueueSetting(queue_, "InputBin", "Option1 Option2").has_value());
    const auto v = Values(ParametersAfterJob());
    ASSERT_EQ(v.size(), 44u);
    EXPECT_EQ(v[IDX_LANDSCAPE], 0);
    EXPECT_EQ(v[IDX_PAPER_TYPE], 0) << "an answer holding both options counts as the roll";
}

TEST_F(EnableAndHooks, UnreadableInputBinMeansTicketPaper)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    ASSERT_FALSE(SetQueueSetting(queue_, "InputBin", "").has_value());
    HostCore core;
    core.options.erase("InputBin");
    DeviceContext dc(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    ASSERT_EQ(dc.EnablePDEV(), hr::kOk);
    ASSERT_FALSE(CreateJob(queue_, 5, "doc", 1).has_value());
    dc.StartDoc(u"doc", 5);
    dc.Command(KLW_STARTDOC);
    const auto job = ReadJob(queue_, 5);
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(Values(Utf16ToUtf8(job->parameters))[IDX_PAPER_TYPE], 1);
    dc.Command(KLW_ENDDOC);
    dc.DisablePDEV();
    Plugin().Plugin()->DisableDriver();
}

TEST_F(EnableAndHooks, TwentyFourBitDevicesGetABgrPalette)
{
    HostCore core;
    DeviceSetup setup{queue_};
    setup.bitsPerPixel = 24;
    DeviceContext dc(Plugin().Plugin(), core, setup);
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    EXPECT_EQ(dc.DevInfo().hpalDefault, nullptr);
    ASSERT_EQ(dc.EnablePDEV(), hr::kOk);
    EXPECT_NE(dc.DevInfo().hpalDefault, nullptr);
    EXPECT_NE(dc.Record(), nullptr);
    EXPECT_EQ(dc.DisablePDEV(), hr::kOk);
    Plugin().Plugin()->DisableDriver();
}

TEST_F(EnableAndHooks, ResetPDEVCarriesNothingOver)
{
    HostCore core;
    DeviceContext first(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(first.PublishAndEnableDriver(), hr::kOk);
    ASSERT_EQ(first.EnablePDEV(), hr::kOk);
    DeviceContext second(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(second.EnablePDEV(), hr::kOk);
    EXPECT_EQ(Plugin().Plugin()->ResetPDEV(&first.DevObj(), &second.DevObj()), hr::kOk);
    EXPECT_NE(first.Record(), second.Record());
    first.DisablePDEV();
    second.DisablePDEV();
    Plugin().Plugin()->DisableDriver();
}

TEST_F(EnableAndHooks, HooksPassCallsToTheCoresEntryPoints)
{
    HostCore core;
    DeviceContext dc(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    ASSERT_EQ(dc.EnablePDEV(), hr::kOk);
    SURFOBJ* so = &dc.Surface();
    DHPDEV dh = &dc.DevObj();
    RECTL rect{1, 2, 3, 4};
    POINTL pt{0, 0};
    struct Case {
        const char* core;
        std::function<long()> call;
    };
    auto hook = [&](ULONG index) { return dc.Hook(index); };
    const Case cases[] = {
        {"AlphaBlend", [&] { return (long)reinterpret_cast<PFN_DrvAlphaBlend>(hook(INDEX_DrvAlphaBlend))(so, so, nullptr, nullptr, &rect, &rect, nullptr); }},
        {"BitBlt", [&] { return (long)reinterpret_cast<PFN_DrvBitBlt>(hook(INDEX_DrvBitBlt))(so, so, nullptr, nullptr, nullptr, &rect, &pt, &pt, nullptr, &pt, 0xCCCC); }},
        {"CopyBits", [&] { return (long)reinterpret_cast<PFN_DrvCopyBits>(hook(INDEX_DrvCopyBits))(so, so, nullptr, nullptr, &rect, &pt); }},
        {"DitherColor", [&] { return (long)reinterpret_cast<PFN_DrvDitherColor>(hook(INDEX_DrvDitherColor))(dh, 0, 0, nullptr); }},
        {"Escape", [&] { return (long)reinterpret_cast<PFN_DrvEscape>(hook(INDEX_DrvEscape))(so, 0, 0, nullptr, 0, nullptr); }},
        {"FillPath", [&] { return (long)reinterpret_cast<PFN_DrvFillPath>(hook(INDEX_DrvFillPath))(so, nullptr, nullptr, nullptr, &pt, 0, 0); }},
        {"FontManagement", [&] { return (long)reinterpret_cast<PFN_DrvFontManagement>(hook(INDEX_DrvFontManagement))(so, nullptr, 0, 0, nullptr, 0, nullptr); }},
        {"GetGlyphMode", [&] { return (long)reinterpret_cast<PFN_DrvGetGlyphMode>(hook(INDEX_DrvGetGlyphMode))(dh, nullptr); }},
        {"GradientFill", [&] { return (long)reinterpret_cast<PFN_DrvGradientFill>(hook(INDEX_DrvGradientFill))(so, nullptr, nullptr, nullptr, 0, nullptr, 0, &rect, &pt, 0); }},
        {"LineTo", [&] { return (long)reinterpret_cast<PFN_DrvLineTo>(hook(INDEX_DrvLineTo))(so, nullptr, nullptr, 0, 0, 5, 5, &rect, 0); }},
        {"NextBand", [&] { return (long)reinterpret_cast<PFN_DrvNextBand>(hook(INDEX_DrvNextBand))(so, &pt); }},
        {"Paint", [&] { return (long)reinterpret_cast<PFN_DrvPaint>(hook(INDEX_DrvPaint))(so, nullptr, nullptr, &pt, 0); }},
        {"PlgBlt", [&] { return (long)reinterpret_cast<PFN_DrvPlgBlt>(hook(INDEX_DrvPlgBlt))(so, so, nullptr, nullptr, nullptr, nullptr, &pt, nullptr, &rect, &pt, 0); }},
        {"QueryAdvanceWidths", [&] { return (long)reinterpret_cast<PFN_DrvQueryAdvanceWidths>(hook(INDEX_DrvQueryAdvanceWidths))(dh, nullptr, 0, nullptr, nullptr, 0); }},
        {"QueryFont", [&] { return (long)(reinterpret_cast<PFN_DrvQueryFont>(hook(INDEX_DrvQueryFont))(dh, 0, 0, nullptr) == nullptr); }},
        {"QueryFontData", [&] { return (long)reinterpret_cast<PFN_DrvQueryFontData>(hook(INDEX_DrvQueryFontData))(dh, nullptr, 0, 0, nullptr, nullptr, 0); }},
        {"QueryFontTree", [&] { return (long)(reinterpret_cast<PFN_DrvQueryFontTree>(hook(INDEX_DrvQueryFontTree))(dh, 0, 0, 0, nullptr) == nullptr); }},
        {"SendPage", [&] { return (long)reinterpret_cast<PFN_DrvSendPage>(hook(INDEX_DrvSendPage))(so); }},
        {"StartBanding", [&] { return (long)reinterpret_cast<PFN_DrvStartBanding>(hook(INDEX_DrvStartBanding))(so, &pt); }},
        {"StartPage", [&] { return (long)reinterpret_cast<PFN_DrvStartPage>(hook(INDEX_DrvStartPage))(so); }},
        {"StretchBlt", [&] { return (long)reinterpret_cast<PFN_DrvStretchBlt>(hook(INDEX_DrvStretchBlt))(so, so, nullptr, nullptr, nullptr, nullptr, &pt, &rect, &rect, &pt, 0); }},
        {"StretchBltROP", [&] { return (long)reinterpret_cast<PFN_DrvStretchBltROP>(hook(INDEX_DrvStretchBltROP))(so, so, nullptr, nullptr, nullptr, nullptr, &pt, &rect, &rect, &pt, 0, nullptr, 0xCCCC); }},
        {"StrokeAndFillPath", [&] { return (long)reinterpret_cast<PFN_DrvStrokeAndFillPath>(hook(INDEX_DrvStrokeAndFillPath))(so, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &pt, 0, 0); }},
        {"StrokePath", [&] { return (long)reinterpret_cast<PFN_DrvStrokePath>(hook(INDEX_DrvStrokePath))(so, nullptr, nullptr, nullptr, nullptr, &pt, nullptr, 0); }},
        {"TransparentBlt", [&] { return (long)reinterpret_cast<PFN_DrvTransparentBlt>(hook(INDEX_DrvTransparentBlt))(so, so, nullptr, nullptr, &rect, &rect, 0, 0); }},
        {"StartDoc", [&] { return (long)dc.StartDoc(u"doc", 0); }},
        {"EndDoc", [&] { return (long)dc.EndDoc(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.core);
        CoreCalls().clear();
        EXPECT_EQ(c.call(), 1) << "the core's answer comes back";
        EXPECT_EQ(CoreCalls(), std::vector<std::string>{c.core});
    }
    CoreCalls().clear();
    auto text = reinterpret_cast<PFN_DrvTextOut>(dc.Hook(INDEX_DrvTextOut));
    EXPECT_EQ(text(so, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &pt, 0), kBoolFalse);
    EXPECT_TRUE(CoreCalls().empty()) << "text output without string or font objects draws nothing";
    auto brush = reinterpret_cast<PFN_DrvRealizeBrush>(dc.Hook(INDEX_DrvRealizeBrush));
    EXPECT_EQ(brush(nullptr, so, nullptr, nullptr, nullptr, 0), kBoolTrue);
    EXPECT_TRUE(CoreCalls().empty()) << "brushes are not passed on";
    dc.DisablePDEV();
    Plugin().Plugin()->DisableDriver();
}

TEST_F(EnableAndHooks, HooksOnASurfaceWithoutRecordDoNothing)
{
    HostCore core;
    DeviceContext dc(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    SURFOBJ orphan{};
    DEVOBJ empty{};
    orphan.dhpdev = &empty;
    CoreCalls().clear();
    EXPECT_EQ(reinterpret_cast<PFN_DrvCopyBits>(dc.Hook(INDEX_DrvCopyBits))(&orphan, nullptr, nullptr, nullptr, nullptr, nullptr), kBoolFalse);
    EXPECT_EQ(reinterpret_cast<PFN_DrvStartPage>(dc.Hook(INDEX_DrvStartPage))(nullptr), kBoolFalse);
    EXPECT_TRUE(CoreCalls().empty());
    Plugin().Plugin()->DisableDriver();
}

TEST_F(EnableAndHooks, PageNumberGoesToTheQueueNamedInItsPrinterData)
{
    if (!HostQueuesArePlainFiles()) GTEST_SKIP() << "reads the POSIX host's queue files";
    ASSERT_FALSE(CreateQueue("Other").has_value());
    ASSERT_FALSE(SetPrinterData(queue_, "DsSpooler", "printerName",
                                PrinterDataValue{REG_SZ_TYPE, {'O', 0, 't', 0, 'h', 0, 'e', 0, 'r', 0, 0, 0}})
                     .has_value());
    JobRequest request;
    request.pages = 3;
    ASSERT_TRUE(Run(request).ok);
    const std::string other = ReadFileText(QueueFilePath("Other"));
    EXPECT_NE(other.find("PAGES = binary: 03 00"), std::string::npos) << other;
    EXPECT_EQ(ReadFileText(QueueFilePath(queue_)).find("PAGES"), std::string::npos);
}

TEST_F(EnableAndHooks, WithoutPrinterNameDataTheArgumentNamesTheQueue)
{
    if (!HostQueuesArePlainFiles()) GTEST_SKIP() << "reads the POSIX host's queue files";
    // A name outside ASCII reaches the plug-in as UTF-16, not byte by byte.
    for (const std::string& queue : {queue_, std::string("Kasse S\xC3\xBC" "d")}) {
        SCOPED_TRACE(queue);
        if (queue != queue_) {
            ASSERT_FALSE(CreateQueue(queue).has_value());
        }
        auto text = ReadFileText(QueueFilePath(queue));
        text.erase(text.find("[PrinterData\\DsSpooler]"));
        std::ofstream(QueueFilePath(queue), std::ios::binary | std::ios::trunc) << text;
        JobRequest request;
        request.queue = queue;
        ASSERT_TRUE(RunJob(Plugin(), request).ok);
        EXPECT_NE(ReadFileText(QueueFilePath(queue)).find("PAGES = binary: 01 00"), std::string::npos);
    }
}

}  // namespace
}  // namespace lt77::host::testing
