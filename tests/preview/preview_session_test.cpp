#include "preview/preview_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <sstream>

#include "common/raster_decoder.h"
#include "host/main_job.h"
#include "host/queue_admin.h"
#include "platform/files.h"
#include "platform/print_documents.h"
#include "platform/spooler.h"
#include "platform/temporary_folder.h"
#include "preview/scratch_bitmap.h"
#include "tests/platform/posix/temporary_root.h"
#include "tests/preview/viewer_bytes.h"

namespace lt77::viewer {
namespace {
using testing::Bytes;
namespace fs = std::filesystem;

ViewerSystem System()
{
    return ViewerSystem{SystemFileSystem(), SystemTemporaryFolder(), SystemSpooler(), SystemPrintDocuments()};
}

class PreviewSessionTest : public lt77::testing::TemporaryRootTest {
protected:
    fs::path DataFolder() const { return root_ / "drive_c" / "Windows" / "LT-77"; }
    void PutJob(const std::string& name, const Bytes& bytes) const
    {
        WriteFile(fs::path("drive_c") / "Windows" / "LT-77" / name, std::string(bytes.begin(), bytes.end()));
    }
    PreviewSession Session() const { return PreviewSession(System(), *PreviewTargetFor("LT-77,", "C:\\Windows")); }
    // The bytes of every raw job the queue received, in job order.
    std::vector<Bytes> Spooled(const std::string& queue) const
    {
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(root_ / "queues" / queue / "spool")) files.push_back(e.path());
        std::sort(files.begin(), files.end());
        std::vector<Bytes> out;
        for (const auto& f : files) {
            std::ifstream in(f, std::ios::binary);
            out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return out;
    }
};

TEST_F(PreviewSessionTest, CommandLineNamesPrinterWidthAndFolder)
{
    const auto lt77 = PreviewTargetFor("Front LT-77,whatever", "C:\\Windows");
    ASSERT_TRUE(lt77);
    EXPECT_EQ(lt77->printerName, "Front LT-77");
    EXPECT_EQ(lt77->printWidthDots, 608u);
    EXPECT_EQ(lt77->dataFolder, "C:\\Windows\\LT-77");
    const auto other = PreviewTargetFor("Office", "C:\\Windows");
    EXPECT_EQ(other->printWidthDots, 512u);
    EXPECT_EQ(other->dataFolder, "C:\\Windows");
    EXPECT_FALSE(PreviewTargetFor("", "C:\\Windows"));
    EXPECT_EQ(PreviewHandOverTitles("LT-77,"),
              (std::vector<std::string>{"KELWYNT Preview Utility (LT-77)", "KELWYNT Preview Utility"}));
}

TEST_F(PreviewSessionTest, ListsThePrnFilesWithTheirDateAndTime)
{
    PutJob("JobPreview.prn", {});
    PutJob("OLD.PRN", {});
    PutJob("20261207_043015.jnl", {});
    fs::create_directories(DataFolder() / "folder.prn");
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 7;
    when.tm_hour = 4;
    when.tm_min = 30;
    when.tm_sec = 15;
    when.tm_isdst = -1;
    const auto stamp = fs::file_time_type::clock::now() +
                       (std::chrono::system_clock::from_time_t(std::mktime(&when)) - std::chrono::system_clock::now());
    fs::last_write_time(DataFolder() / "JobPreview.prn", stamp);

    PreviewSession session = Session();
    session.ListJobs();
    ASSERT_EQ(session.Jobs().size(), 2u);
    const auto it = std::find_if(session.Jobs().begin(), session.Jobs().end(),
                                 [](const JobEntry& e) { return e.path == "C:\\Windows\\LT-77\\JobPreview.prn"; });
    ASSERT_NE(it, session.Jobs().end());
    EXPECT_EQ(it->date, "2026/12/07");
    EXPECT_EQ(it->time, "04:30:15");
}

TEST_F(PreviewSessionTest, AJobWithNothingBlackToShowPrintsAtOnce)
{
    const struct {
        const char* name;
        Bytes job;
    } cases[] = {
        {"empty file", {}},
        {"device text only", testing::Text("\x1b@Total 12.00\n\x1dV\x41")},
        {"greyscale planes only", {0x08, 0x43, 0x52, 0x04, 0, 0, 0, 0, 16, 0, 1, 0, 0xFF, 2, 0x08, 0x43, 0x52, 0xFF, 0}},
        {"a record of white rows", testing::RasterRecord(384, 3, {0x00, 144})},
        {"rows past the decode area", testing::RasterRecord(16, 1, {0xFF, 200})},
        {"a truncated header", {0x08, 0x43, 0x52, 0x00, 0, 0, 0, 0, 16}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PutJob("JobPreview.prn", c.job);
        PreviewSession session = Session();
        session.ListJobs();
        EXPECT_EQ(session.Show(0).kind, PreviewShown::Kind::PrintNow);
    }
}

TEST_F(PreviewSessionTest, AReceiptIsShownThroughItsScratchBitmap)
{
    // Ten black rows and 90 white ones 384 dots wide, then 50 rows of 16
    // dots whose first dot is black.
    PutJob("JobPreview.prn",
           testing::Join({testing::RasterRecord(384, 100, testing::Join({testing::Runs(0xFF, 480), testing::Runs(0x00, 4320)})),
                          testing::RasterRecord(16, 50, {0x80, 0x00, 99})}));
    PreviewSession session = Session();
    session.ListJobs();
    const PreviewShown shown = session.Show(0);
    ASSERT_EQ(shown.kind, PreviewShown::Kind::Picture);
    EXPECT_EQ(shown.picture.height, 150u);
    EXPECT_EQ(shown.bitmapPath, "C:\\Windows\\LT-77\\KLWPreview.bmp");
    EXPECT_TRUE(shown.picture.Black(0, 0));
    EXPECT_TRUE(shown.picture.Black(383, 9));
    EXPECT_FALSE(shown.picture.Black(384, 0));
    EXPECT_FALSE(shown.picture.Black(0, 20));
    EXPECT_TRUE(shown.picture.Black(0, 100));
    EXPECT_FALSE(shown.picture.Black(1, 100));

    std::ifstream in(DataFolder() / "KLWPreview.bmp", std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // 150 rows of 76 bytes after 62 bytes of headers and palette.
    ASSERT_EQ(file.size(), 62u + 150u * 76u);
    const Bytes head = {'B', 'M', 0xC6, 0x2C, 0x00, 0x00, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0, 0x60, 0x02, 0, 0,
                        150, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0x88, 0x2C, 0, 0};
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 38), head);
    EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 62), (Bytes{0, 0, 0, 0, 255, 255, 255, 0}));
    // Bottom-up and inverted: picture row 100 (80 00) is file row 49.
    EXPECT_EQ(file[62], 0xFF);
    EXPECT_EQ(file[62 + 49 * 76], 0x7F);
    EXPECT_EQ(file[62 + 49 * 76 + 1], 0xFF);
    EXPECT_EQ(file[62 + 149 * 76], 0x00);

    // The same entry again only on WM_USER + 1.
    EXPECT_EQ(session.Show(0).kind, PreviewShown::Kind::Nothing);
    EXPECT_EQ(session.Show(0, true).kind, PreviewShown::Kind::Picture);
}

TEST_F(PreviewSessionTest, AScratchBitmapTheDataFolderRefusesGoesToTheUsersTemporaryFolder)
{
    PutJob("JobPreview.prn", testing::RasterRecord(16, 1, {0xFF, 2}));
    // A folder in the bitmap's place refuses the file even to root.
    fs::create_directories(DataFolder() / "KLWPreview.bmp");
    PreviewSession session = Session();
    session.ListJobs();
    const PreviewShown shown = session.Show(0);
    ASSERT_EQ(shown.kind, PreviewShown::Kind::Picture);
    EXPECT_EQ(shown.bitmapPath, SystemTemporaryFolder().UserTempFolder() + "\\KLWPreview.bmp");
    EXPECT_TRUE(SystemFileSystem().Exists(shown.bitmapPath));
}

// An operator who may only read the spooler's data folder: the job is read
// without asking for write access, the scratch bitmap goes to the user's
// temporary folder and the job still prints. Run as another user (root may
// write anything), in a child process when the test runs as root.
TEST_F(PreviewSessionTest, AnOperatorWhoMayOnlyReadTheDataFolderSeesAndPrintsTheJob)
{
    ASSERT_FALSE(host::CreateQueue("LT-77"));
    const Bytes job = testing::RasterRecord(16, 1, {0xFF, 2});
    PutJob("JobPreview.prn", job);
    const std::string temp = SystemTemporaryFolder().UserTempFolder();
    ASSERT_FALSE(temp.empty());
    for (const auto& e : fs::recursive_directory_iterator(root_))
        if (e.is_directory()) fs::permissions(e.path(), fs::perms::all);
    fs::permissions(root_, fs::perms::all);
    fs::permissions(DataFolder() / "JobPreview.prn", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(DataFolder(), fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write));

    const auto run = [this, &temp]() -> int {
        PreviewSession session = Session();
        session.ListJobs();
        const PreviewShown shown = session.Show(0);
        if (shown.kind != PreviewShown::Kind::Picture) return 1;
        if (shown.bitmapPath != temp + "\\KLWPreview.bmp") return 2;
        return session.Print(0).printed ? 0 : 3;
    };
    int result = 0;
    if (::geteuid() == 0) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(4);
            ::_exit(run());
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        result = WEXITSTATUS(status);
    } else {
        result = run();
    }
    fs::permissions(DataFolder(), fs::perms::owner_all);
    EXPECT_EQ(result, 0) << "1: not shown, 2: bitmap not in the temporary folder, 3: not printed, 4: no other user";
    EXPECT_FALSE(fs::exists(DataFolder() / "KLWPreview.bmp"));
    EXPECT_EQ(Spooled("LT-77"), (std::vector<Bytes>{testing::Join({testing::Text("KELWYNT Preview"), job})}));
}

TEST_F(PreviewSessionTest, PrintSendsTheJobWithoutItsPreviewBlocksAfterTheMark)
{
    ASSERT_FALSE(host::CreateQueue("LT-77"));
    const Bytes body = testing::RasterRecord(16, 1, {0xFF, 2});
    PutJob("JobPreview.prn", testing::Join({{0x1B, 0x40}, testing::PreviewBlock(16, {1, 2}),
                                            testing::PreviewBlock(14, {}), body, {0x1D, 0x56, 0x41, 0x00}}));
    PreviewSession session = Session();
    session.ListJobs();
    const PreviewPrinted printed = session.Print(0);
    EXPECT_TRUE(printed.printed);
    EXPECT_EQ(printed.message, "");
    const auto jobs = Spooled("LT-77");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0], testing::Join({testing::Text("KELWYNT Preview"), {0x1B, 0x40}, body, {0x1D, 0x56, 0x41, 0x00}}));
}

TEST_F(PreviewSessionTest, FailuresAreReportedWithTheirTexts)
{
    PreviewSession session = Session();
    session.ListJobs();
    EXPECT_EQ(session.Show(0).kind, PreviewShown::Kind::Nothing);
    EXPECT_EQ(session.Print(0).message, "");

    PutJob("JobPreview.prn", testing::RasterRecord(16, 1, {0xFF, 2}));
    session.ListJobs();
    EXPECT_EQ(session.Show(3).message, "Failed to read the info-list.");
    EXPECT_EQ(session.Print(3).message, "Error : Read_Info function failed.");
    // No queue of that name: the spooler's ERROR_INVALID_PRINTER_NAME.
    EXPECT_EQ(session.Print(0).message, "OpenPrinter failed. (1801)");
    fs::remove(DataFolder() / "JobPreview.prn");
    EXPECT_EQ(session.Show(0).message, "fopen failed with (2)");
    EXPECT_EQ(session.Print(0).message, "fopen function failed.");
}

// The rendering plug-in's journal of the sample receipt, which is also what
// the preview copy holds: the picture shown is, dot for dot at the left of
// the 608-dot page, what the printer's own reader of raster commands
// (common/raster_decoder.h) finds in the stream's compressed monochrome
// planes; the stored pictures sent as bit images are the printer's and are
// not part of the preview.
TEST_F(PreviewSessionTest, TheSampleReceiptIsShownAsPrinted)
{
    ASSERT_FALSE(host::CreateQueue("LT-77"));
    std::ostringstream out, err;
    ASSERT_EQ(host::PrintSampleReceipt("LT-77", 7, out, err), 0) << err.str();
    fs::path journal;
    for (const auto& e : fs::directory_iterator(DataFolder()))
        if (e.path().extension() == ".jnl") journal = e.path();
    ASSERT_FALSE(journal.empty());
    fs::copy_file(journal, DataFolder() / "JobPreview.prn");
    std::ifstream in(journal, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::vector<bool>> rows;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const RasterRead read = ReadRasterCommand(bytes, pos);
        const auto* command = std::get_if<RasterCommand>(&read);
        if (!command) {
            ASSERT_FALSE(std::holds_alternative<RasterError>(read)) << pos;
            ++pos;
            continue;
        }
        if (command->kind == RasterCommand::Kind::Plane && command->plane == 0)
            for (uint32_t y = 0; y < command->rows; ++y) {
                std::vector<bool> row(command->bytesPerRow * 8);
                for (uint32_t x = 0; x < row.size(); ++x)
                    row[x] = (command->bits[y * command->bytesPerRow + x / 8] >> (7 - x % 8) & 1) != 0;
                rows.push_back(row);
            }
        pos += command->size;
    }
    ASSERT_GT(rows.size(), 500u);

    PreviewSession session = Session();
    session.ListJobs();
    ASSERT_EQ(session.Jobs().size(), 1u);
    const PreviewShown shown = session.Show(0);
    ASSERT_EQ(shown.kind, PreviewShown::Kind::Picture);
    ASSERT_EQ(shown.picture.height, rows.size());
    std::size_t black = 0, wrong = 0;
    for (uint32_t y = 0; y < shown.picture.height; ++y)
        for (uint32_t x = 0; x < shown.picture.widthDots; ++x) {
            const bool expected = x < rows[y].size() && rows[y][x];
            black += expected;
            wrong += shown.picture.Black(x, y) != expected;
        }
    EXPECT_GT(black, 10000u);
    EXPECT_EQ(wrong, 0u);
}

}  // namespace
}  // namespace lt77::viewer
