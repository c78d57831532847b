// Barcode fonts, control-code fonts and text keys, through the text hook.
#include "host/driver_data.h"
#include "host/text_output.h"
#include "common/command_callback_ids.h"
#include "host_fixture.h"

namespace lt77::host::testing {
namespace {

const std::vector<uint8_t> kInit = Bytes({0x1B, 0x40, 0x1B, 0x3D, 0x01});

TextFont Font(const char16_t* family)
{
    TextFont f;
    f.family = family;
    f.device = true;
    f.heightDots = 24;
    return f;
}

bool Contains(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

std::size_t Count(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle)
{
    std::size_t n = 0;
    for (auto it = haystack.begin(); (it = std::search(it, haystack.end(), needle.begin(), needle.end())) != haystack.end();
         ++it)
        ++n;
    return n;
}

class DriverText : public HostTest {
protected:
    struct Line {
        int32_t y;
        std::u16string text;
        const char16_t* family;
    };
    JobResult Print(const std::vector<std::vector<Line>>& pages)
    {
        JobRequest request;
        request.pages = static_cast<int>(pages.size());
        request.drawPage = [pages](DeviceContext& dc, int page) {
            PageCanvas canvas(576, 400, 1);
            for (const auto& l : pages[static_cast<std::size_t>(page)]) OutputText(dc, canvas, 16, l.y, l.text, Font(l.family));
            canvas.SendBands(dc, 64);
        };
        JobResult r = Run(request);
        EXPECT_TRUE(r.ok) << r.error;
        return r;
    }
};

TEST_F(DriverText, BarcodeFontsPrintBarcodeCommands)
{
    const JobResult r = Print({{{20, u"{C123456", u"Code128"}, {120, u"LT-77", u"QR Code"}}});
    EXPECT_TRUE(Contains(r.spooled, Bytes({0x1D, 0x6B, 0x49, 0x05, 0x7B, 0x43, 0x0C, 0x22, 0x38})));
    EXPECT_TRUE(Contains(r.spooled, Bytes({0x1B, 0x24, 0x10, 0x00, 0x1D, 0x28, 0x6B, 0x04, 0x00, 0x31, 0x41, 0x32, 0x00,
                                           0x1D, 0x28, 0x6B, 0x03, 0x00, 0x31, 0x43, 0x03, 0x1D, 0x28, 0x6B, 0x03, 0x00,
                                           0x31, 0x45, 0x30})));
    EXPECT_TRUE(Contains(r.spooled, Bytes({0x1D, 0x28, 0x6B, 0x08, 0x00, 0x31, 0x50, 0x30, 'L', 'T', '-', '7', '7'})));
}

TEST_F(DriverText, UserBarcodeSlotComesFromTheQueue)
{
    ASSERT_FALSE(SetBarcodeSlot(queue_, false, 3, Bytes({8, 3, 80, 2, 0})).has_value());
    const JobResult r = Print({{{20, u"12345", u"Barcode3"}}});
    EXPECT_TRUE(Contains(r.spooled, Bytes({0x1D, 0x77, 0x03, 0x1D, 0x68, 0x50, 0x1D, 0x48, 0x02, 0x1D, 0x66, 0x00, 0x1B,
                                           0x24, 0x10, 0x00, 0x1D, 0x6B, 0x49, 0x05, '1', '2', '3', '4', '5', 0x00})));
}

TEST_F(DriverText, ControlCodeFontSendsItsTable)
{
    const JobResult r = Print({{{30, u"(AB)", u"FontControl"}}});
    EXPECT_TRUE(Contains(r.spooled, Bytes({0x1B, 0x45, 0x00, 0x1B, 0x70, 0x00, 0x19, 0xFF, 0x1B, 0x70, 0x00, 0x32, 0xFF,
                                           0x1B, 0x45, 0x01, 0x00})));
}

TEST_F(DriverText, DrawerOnlyDocumentOpensTheDrawerAndNothingElse)
{
    const JobResult r = Print({{{0, u"F", u"FontControl"}}});
    EXPECT_EQ(r.spooled, Concat({kInit, Bytes({0x1B, 0x70, 0x00, 0x19, 0xFF})}));
}

TEST_F(DriverText, OperatorsControlCodeTableIsRead)
{
    ASSERT_FALSE(SetControlCode('A', Bytes({0x1B, 0x40})).has_value());
    const JobResult r = Print({{{0, u"AA\u00E9", u"ZozaRurodirA"}}});
    EXPECT_TRUE(Contains(r.spooled, Bytes({0x1B, 0x40, 0x1B, 0x40, 0x00})));
}

TEST_F(DriverText, CouponIsCollectedOnceAndPrintedAtTheEnd)
{
    SetSettings({{IDX_TEXT_KEY_ON, 1}});
    ASSERT_FALSE(SetTextKey(queue_, 0, "[LOGO]", "", "", "COUPON1").has_value());
    ASSERT_FALSE(InstallImageFile("COUPON1", Bytes({0xC0, 0xFF, 0xEE})).has_value());
    const JobResult r = Print({{{10, u"[LOGO] and [LOGO]", u"FontA1x1"}}, {{10, u"again [LOGO]", u"FontA1x1"}}});
    EXPECT_EQ(Count(r.spooled, Bytes({0xC0, 0xFF, 0xEE})), 1u);
    const auto cut = Bytes({0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1D, 0x56, 0x42, 0x00, 0x1B, 0x32});
    ASSERT_GE(r.spooled.size(), 15u);
    EXPECT_EQ(std::vector<uint8_t>(r.spooled.end() - 15, r.spooled.end()), Concat({Bytes({0xC0, 0xFF, 0xEE}), cut}));
}

TEST_F(DriverText, CouponsOfAnAbandonedDocumentAreNotPrintedWithTheNext)
{
    SetSettings({{IDX_TEXT_KEY_ON, 1}});
    ASSERT_FALSE(SetTextKey(queue_, 0, "[LOGO]", "", "", "COUPON1").has_value());
    ASSERT_FALSE(InstallImageFile("COUPON1", Bytes({0xC0, 0xFF, 0xEE})).has_value());
    HostCore core;
    DeviceContext dc(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    ASSERT_EQ(dc.EnablePDEV(), hr::kOk);
    const auto document = [&](DWORD jobId, std::u16string_view text, bool finished) {
        ASSERT_FALSE(CreateJob(queue_, jobId, "doc", 1).has_value());
        dc.StartDoc(u"doc", jobId);
        dc.Command(KLW_STARTDOC);
        dc.Command(KLW_STARTPAGE);
        PageCanvas canvas(576, 400, 1);
        OutputText(dc, canvas, 16, 10, text, Font(u"FontA1x1"));
        canvas.SendBands(dc, 64);
        dc.Command(KLW_ENDPAGE);
        // An aborted job ends without the end-of-document callback.
        if (finished) dc.Command(KLW_ENDDOC);
        dc.EndDoc();
    };
    document(1, u"[LOGO]", false);
    document(2, u"plain", true);
    dc.DisablePDEV();
    Plugin().Plugin()->DisableDriver();
    EXPECT_TRUE(Contains(core.spooled, Bytes({'p', 'l', 'a', 'i', 'n', 0x1B, 0x4A, 0x18, 0x00})));
    EXPECT_FALSE(Contains(core.spooled, Bytes({0xC0, 0xFF, 0xEE})));
}

TEST_F(DriverText, CouponNamesMatchOnlyWhole)
{
    SetSettings({{IDX_TEXT_KEY_ON, 1}});
    ASSERT_FALSE(SetTextKey(queue_, 0, "#A#", "", "", "C12").has_value());
    ASSERT_FALSE(SetTextKey(queue_, 1, "#B#", "", "", "C1").has_value());
    ASSERT_FALSE(InstallImageFile("C12", Bytes({0xA1})).has_value());
    ASSERT_FALSE(InstallImageFile("C1", Bytes({0xB2})).has_value());
    const JobResult r = Print({{{10, u"#A# #B#", u"FontA1x1"}}});
    EXPECT_TRUE(Contains(r.spooled, Bytes({0xA1, 0xB2})));
}

TEST_F(DriverText, AlternateTextReplacesTheMarker)
{
    SetSettings({{IDX_TEXT_KEY_ON, 1}});
    ASSERT_FALSE(SetTextKey(queue_, 0, "#T#", "", "TOTAL:", "").has_value());
    const JobResult r = Print({{{10, u"#T# 5.00", u"FontA1x1"}}});
    EXPECT_TRUE(Contains(r.spooled, Bytes({'T', 'O', 'T', 'A', 'L', ':', ' ', '5', '.', '0', '0', 0x1B, 0x4A, 0x18})));
}

TEST_F(DriverText, ImageMarkerSplitsTheLineInThree)
{
    SetSettings({{IDX_TEXT_KEY_ON, 1}});
    ASSERT_FALSE(SetTextKey(queue_, 0, "{IMG}", "shop", "", "").has_value());
    ASSERT_FALSE(InstallImageFile("shop", Bytes({0x5A, 0x5B})).has_value());
    const JobResult r = Print({{{10, u"AB{IMG}CD", u"FontA1x1"}}});
    const auto select = Bytes({0x1B, 0x74, 0x10, 0x08, 0x4D, 0x00, 0x41, 0x1D, 0x21, 0x00, 0x1B, 0x24, 0x10, 0x00});
    EXPECT_TRUE(Contains(r.spooled, Concat({select, Bytes({'A', 'B', 0x1B, 0x4A, 0x18, 0x00}), Bytes({0x5A, 0x5B, 0x00}),
                                            select, Bytes({'C', 'D', 0x1B, 0x4A, 0x18, 0x00})})));
}

TEST_F(DriverText, MissingOrEscapingImageIsDropped)
{
    SetSettings({{IDX_TEXT_KEY_ON, 1}});
    ASSERT_FALSE(SetTextKey(queue_, 0, "{X}", "..\\..\\secret", "", "").has_value());
    ASSERT_FALSE(SetTextKey(queue_, 1, "{Y}", "absent", "", "").has_value());
    const std::filesystem::path outside = HostPathOf("C:\\secret.bin");
    std::ofstream(outside, std::ios::binary) << "SECRET";
    const JobResult r = Print({{{10, u"A{X}B{Y}C", u"FontA1x1"}}});
    EXPECT_FALSE(Contains(r.spooled, Bytes({'S', 'E', 'C', 'R', 'E', 'T'})));
    for (const char* segment : {"A", "B", "C"})
        EXPECT_TRUE(Contains(r.spooled, Bytes({segment[0], 0x1B, 0x4A, 0x18, 0x00}))) << segment;
}

TEST_F(DriverText, ReplacementsThatKeepGrowingStopAtTheRecordsSize)
{
    SetSettings({{IDX_TEXT_KEY_ON, 1}});
    // Each definition doubles every "a": thirty of them would make 2^30 of each.
    for (int i = 0; i < 30; ++i) ASSERT_FALSE(SetTextKey(queue_, i, "a", "", "aa", "").has_value());
    const JobResult r = Print({{{10, u"aaaa", u"FontA1x1"}}});
    ASSERT_TRUE(r.ok);
    EXPECT_GT(r.spooled.size(), 0x8000u) << "replacements went on while they fitted";
    EXPECT_LT(r.spooled.size(), 0x10000u + 256u) << "and stopped before the record's limit";
}

TEST_F(DriverText, WithoutDefinitionsTextPrintsAsIs)
{
    SetSettings({{IDX_TEXT_KEY_ON, 1}});
    const JobResult r = Print({{{10, u"[LOGO]", u"FontA1x1"}}});
    EXPECT_TRUE(Contains(r.spooled, Bytes({'[', 'L', 'O', 'G', 'O', ']', 0x1B, 0x4A, 0x18, 0x00})));
}

}  // namespace
}  // namespace lt77::host::testing
