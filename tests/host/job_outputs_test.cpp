// What a document leaves beside the spool stream: journal, copies, preview
// copy, the preview program's start and the job record.
#include "common/command_callback_ids.h"
#include "host_fixture.h"

namespace lt77::host::testing {
namespace {

class JobOutputs : public HostTest {
protected:
    JobResult RunBar(int16_t copies = 1, DWORD jobId = 1)
    {
        JobRequest request;
        request.jobId = jobId;
        request.copies = copies;
        request.drawPage = BarPage(64, 0, 4);
        JobResult result = Run(request);
        EXPECT_TRUE(result.ok) << result.error;
        return result;
    }
    static std::vector<uint8_t> Times(const std::vector<uint8_t>& bytes, int n)
    {
        std::vector<uint8_t> out;
        for (int i = 0; i < n; ++i) out.insert(out.end(), bytes.begin(), bytes.end());
        return out;
    }
};

TEST_F(JobOutputs, JournalOffAndPreviewOffLeaveNoFile)
{
    RunBar();
    EXPECT_TRUE(FilesIn(DataFolder(), "").empty());
    EXPECT_TRUE(ShellStarts().empty());
}

TEST_F(JobOutputs, KeptJournalHoldsExactlyTheBytesSent)
{
    SetSettings({{IDX_JOURNAL_ON, 1}});
    const JobResult result = RunBar();
    const auto journals = FilesIn(DataFolder(), ".jnl");
    ASSERT_EQ(journals.size(), 1u);
    EXPECT_EQ(ReadFileBytes(journals[0]), result.spooled);
    EXPECT_EQ(journals[0].filename().string().size(), std::string("20261207_043015.jnl").size());
}

TEST_F(JobOutputs, JournalFolderIsCreatedWhenTheInstallerDidNot)
{
    std::filesystem::remove_all(DataFolder());
    SetSettings({{IDX_JOURNAL_ON, 1}});
    RunBar();
    EXPECT_EQ(FilesIn(DataFolder(), ".jnl").size(), 1u);
}

TEST_F(JobOutputs, PreviewCopyAndProgramStartWithTheJournalOff)
{
    if (!HostRecordsShellStarts()) GTEST_SKIP() << "only the POSIX host records shell starts";
    SetSettings({{IDX_PREVIEW_ON, 1}});
    const JobResult result = RunBar();
    EXPECT_TRUE(FilesIn(DataFolder(), ".jnl").empty());
    EXPECT_EQ(ReadFileBytes(DataFolder() / "JobPreview.prn"), result.spooled);
    const auto starts = ShellStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], "program=JobPreview.exe\tparameters=" + queue_ + "\tfolder=C:\\Windows\\LT-77\\\tfound=no");
}

TEST_F(JobOutputs, JournalRecordsTheSettingsCopiesWhenOneIsAskedFor)
{
    SetSettings({{IDX_JOURNAL_ON, 1}, {IDX_JOURNAL_COPIES, 3}});
    const JobResult result = RunBar(1);
    const auto journals = FilesIn(DataFolder(), ".jnl");
    ASSERT_EQ(journals.size(), 1u);
    EXPECT_EQ(ReadFileBytes(journals[0]), Times(result.spooled, 3));
}

TEST_F(JobOutputs, ApplicationsCopyCountWinsAndCopiesReachOnlyTheJournal)
{
    SetSettings({{IDX_JOURNAL_ON, 1}, {IDX_JOURNAL_COPIES, 5}, {IDX_PREVIEW_ON, 1}});
    const JobResult once = RunBar(1);
    for (const auto& f : FilesIn(DataFolder(), ".jnl")) std::filesystem::remove(f);
    const JobResult twice = RunBar(2, 2);
    EXPECT_EQ(twice.spooled, once.spooled) << "the spooler gets one copy";
    const auto journals = FilesIn(DataFolder(), ".jnl");
    ASSERT_EQ(journals.size(), 1u);
    EXPECT_EQ(ReadFileBytes(journals[0]), Times(once.spooled, 2));
    EXPECT_EQ(ReadFileBytes(DataFolder() / "JobPreview.prn"), Times(once.spooled, 2));
}

TEST_F(JobOutputs, JobRecordGetsTheSettingsTextPositionAndCopies)
{
    if (!HostSpoolerKeepsJobRecords()) GTEST_SKIP() << "this spooler (Wine's) drops job records written back";
    SetSettings({{IDX_LINE_FEEDS, 255}, {IDX_TRACE_ON, 7}});
    RunBar(4);
    const auto job = ReadJob(queue_, 1);
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(Utf16ToUtf8(job->parameters),
              "255 0 25 0 25 1 0 25 0 25 0 25 0 25 0 0 0 0 0 1 1 0 4 0 0 0 0 0 0 0 0 0 0 0 0 10 1 0 0 0 0 0 0 7 ");
    EXPECT_EQ(job->position, 0u);
    EXPECT_EQ(job->copies, 4);
}

TEST_F(JobOutputs, MissingJobRecordLeavesPrintingAlone)
{
    JobRequest request;
    request.drawPage = BarPage(64, 0, 4);
    const JobResult withRecord = Run(request);
    // The same document for a job the spooler has no record of.
    HostCore core;
    DeviceContext dc(Plugin().Plugin(), core, DeviceSetup{queue_});
    ASSERT_EQ(dc.PublishAndEnableDriver(), hr::kOk);
    ASSERT_EQ(dc.EnablePDEV(), hr::kOk);
    dc.StartDoc(u"doc", 99);
    dc.Command(KLW_STARTDOC);
    dc.Command(KLW_STARTPAGE);
    request.drawPage(dc, 0);
    dc.Command(KLW_ENDPAGE);
    dc.Command(KLW_ENDDOC);
    dc.DisablePDEV();
    Plugin().Plugin()->DisableDriver();
    EXPECT_EQ(core.spooled, withRecord.spooled);
}

}  // namespace
}  // namespace lt77::host::testing
