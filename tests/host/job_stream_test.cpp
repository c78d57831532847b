// Whole spool streams of documents, byte for byte.
#include "host_fixture.h"

namespace lt77::host::testing {
namespace {

const std::vector<uint8_t> kInit = Bytes({0x1B, 0x40, 0x1B, 0x3D, 0x01});
const std::vector<uint8_t> kCut = Bytes({0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1D, 0x56, 0x42, 0x00, 0x1B, 0x32});
const std::vector<uint8_t> kFeed = Bytes({0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1B, 0x4A, 0x00, 0x1B, 0x32, 0x0C});

// A 576-dot page whose rows 0-3 are black: one compressed division of 4 rows
// of 72 bytes FF (288 = 255 + 33).
const std::vector<uint8_t> kBarImage = Bytes({0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00,
                                              0x40, 0x02, 0x04, 0x00, 0xFF, 0xFF, 0xFF, 0x21, 0x08, 0x43, 0x52,
                                              0xFF, 0x00, 0x00});

std::vector<uint8_t> Mark(int page) { return Bytes({0x00, 0x08, page & 0xFF, page >> 8}); }

class JobStream : public HostTest {
protected:
    JobResult RunBars(int pages, SpoolPolicy policy = {})
    {
        JobRequest request;
        request.pages = pages;
        request.policy = policy;
        request.drawPage = BarPage(64, 0, 4);
        JobResult result = Run(request);
        EXPECT_TRUE(result.ok) << result.error;
        return result;
    }
};

TEST_F(JobStream, DefaultsFeedEveryPageAndCutAtTheEnd)
{
    const auto expected = Concat({kInit, kBarImage, kFeed, Mark(1), kBarImage, kFeed, Mark(2), kCut});
    EXPECT_EQ(RunBars(2).spooled, expected);
}

TEST_F(JobStream, CutModesDecideWhatEndsPagesAndDocument)
{
    const struct {
        uint8_t mode;
        std::vector<uint8_t> expected;
    } cases[] = {
        {0, Concat({kInit, kBarImage, kFeed, Mark(1), kFeed})},
        {1, Concat({kInit, kBarImage, kFeed, Mark(1), kCut})},
        {2, Concat({kInit, kBarImage, kCut, Mark(1), kCut})},
        {3, Concat({kInit, kBarImage})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        SetSettings({{IDX_CUT_MODE, c.mode}});
        EXPECT_EQ(RunBars(1).spooled, c.expected);
    }
}

TEST_F(JobStream, DrawersBuzzerLogosAndLineFeedsFrameTheDocument)
{
    SetSettings({{IDX_DRAWER1_BEFORE, 1},
                 {IDX_DRAWER1_BEFORE_PULSE, 0x20},
                 {IDX_DRAWER2_BEFORE, 1},
                 {IDX_BUZZER_START, 1},
                 {IDX_BUZZER_START_VALUE, 3},
                 {IDX_STORED_IMAGE_START_DOC, 1},
                 {IDX_STORED_IMAGE_FORM, 0},
                 {IDX_STORED_IMAGE_START_PAGE, 2},
                 {IDX_STORED_IMAGE_END_DOC, 4},
                 {IDX_DRAWER1_AFTER, 1},
                 {IDX_DRAWER2_AFTER, 1},
                 {IDX_DRAWER2_AFTER_PULSE, 0x30},
                 {IDX_BUZZER_END, 1},
                 {IDX_LINE_FEEDS, 3}});
    const auto expected = Concat({
        kInit,
        Bytes({0x1B, 0x70, 0x00, 0x20, 0xFF}),  // drawer 1 before
        Bytes({0x1B, 0x70, 0x01, 0x19, 0xFF}),  // drawer 2 before
        Bytes({0x1B, 0x42, 0x00, 0x03}),        // buzzer
        Bytes({0x1C, 0x70, 0x01, 0x00}),        // stored image 1, bit-image form
        Bytes({0x1B, 0x4A, 0x00, 0x1C, 0x70, 0x02, 0x00}),  // start of page: image 2
        kBarImage, kFeed, Mark(1),
        Bytes({0x1C, 0x70, 0x04, 0x00}),        // end of document: image 4
        Bytes({0x1B, 0x70, 0x00, 0x19, 0xFF}),  // drawer 1 after
        Bytes({0x1B, 0x70, 0x01, 0x30, 0xFF}),  // drawer 2 after
        Bytes({0x1B, 0x42, 0x00, 0x19}),        // buzzer at the end
        Bytes({0x0A, 0x0A, 0x0A}),
        kCut,
    });
    EXPECT_EQ(RunBars(1).spooled, expected);
}

TEST_F(JobStream, GraphicsFormOfStoredImages)
{
    SetSettings({{IDX_STORED_IMAGE_START_PAGE, 2}, {IDX_STORED_IMAGE_END_PAGE, 3}});
    SetValue("EndPage", Bytes({'E'}));
    const auto expected = Concat({
        kInit,
        Bytes({0x1B, 0x4A, 0x00, 0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, 0x30, 0x31, 0x01, 0x01}),
        kBarImage,
        Bytes({'E', 0x1B, 0x4A, 0x00, 0x1B, 0x4A, 0x00, 0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, 0x30, 0x32, 0x01,
               0x01}),
        kFeed, Mark(1), kCut});
    EXPECT_EQ(RunBars(1).spooled, expected);
}

TEST_F(JobStream, PageWithoutBandsSendsNothingAtAll)
{
    SetValue("StartPage", Bytes({'S'}));
    JobRequest request;
    request.pages = 3;
    request.drawPage = [](DeviceContext& dc, int page) {
        if (page == 1) return;  // the core produced no raster for this page
        PageCanvas canvas(576, 64, 1);
        canvas.FillRect(0, 0, 576, 4, 0);
        canvas.SendBands(dc, 64);
    };
    const JobResult result = Run(request);
    const auto page = [&](int n) { return Concat({Bytes({'S', 0x1B, 0x4A, 0x00}), kBarImage, kFeed, Mark(n)}); };
    EXPECT_EQ(result.spooled, Concat({kInit, page(1), page(3), kCut}));
}

TEST_F(JobStream, PageTwoHundredFiftySixCarriesItsNumberInTheMark)
{
    JobRequest request;
    request.pages = 256;
    request.drawPage = [](DeviceContext& dc, int page) {
        if (page != 255) return;
        PageCanvas canvas(576, 64, 1);
        canvas.FillRect(0, 0, 576, 4, 0);
        canvas.SendBands(dc, 64);
    };
    const JobResult result = Run(request);
    EXPECT_EQ(result.spooled, Concat({kInit, kBarImage, kFeed, Bytes({0x00, 0x08, 0x00, 0x01}), kCut}));
}

TEST_F(JobStream, BlankPageSendsOneZeroByteAndSkipsTheFinalCut)
{
    JobRequest request;
    request.pages = 1;
    request.drawPage = [](DeviceContext& dc, int) { PageCanvas(576, 200, 1).SendBands(dc, 64); };
    EXPECT_EQ(Run(request).spooled, Concat({kInit, Bytes({0x00}), kFeed, Mark(1)}));
}

TEST_F(JobStream, BlankBottomIsNotPrinted)
{
    JobRequest request;
    request.drawPage = BarPage(1000, 0, 4);  // 15 blank bands below the bar
    EXPECT_EQ(Run(request).spooled, Concat({kInit, kBarImage, kFeed, Mark(1), kCut}));
}

TEST_F(JobStream, ShortSpoolerWritesLoseNothing)
{
    const auto whole = RunBars(2).spooled;
    SpoolPolicy trickle;
    trickle.maxPerCall = 7;
    const JobResult result = RunBars(2, trickle);
    EXPECT_EQ(result.spooled, whole);
}

TEST_F(JobStream, StuckSpoolerDoesNotHangTheDocument)
{
    SpoolPolicy stuck;
    stuck.stallAfter = 10;
    const JobResult result = RunBars(3, stuck);
    const auto whole = Concat({kInit, kBarImage});
    EXPECT_EQ(result.spooled, std::vector<uint8_t>(whole.begin(), whole.begin() + 10));
}

}  // namespace
}  // namespace lt77::host::testing
