#include "journal/journal_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "host/queue_admin.h"
#include "platform/files.h"
#include "platform/print_documents.h"
#include "platform/spooler.h"
#include "platform/temporary_folder.h"
#include "tests/platform/posix/temporary_root.h"
#include "tests/preview/viewer_bytes.h"

namespace lt77::journal {
namespace {
using testing::Bytes;
namespace fs = std::filesystem;

LocalTime Today()
{
    LocalTime t;
    t.year = 2024;
    t.month = 6;
    t.day = 20;
    return t;
}

class JournalSessionTest : public lt77::testing::TemporaryRootTest {
protected:
    fs::path Folder() const { return root_ / "drive_c" / "Windows" / "LT-77"; }
    void PutJournal(const std::string& name, const Bytes& bytes, int y = 0, int m = 0, int d = 0) const
    {
        WriteFile(fs::path("drive_c") / "Windows" / "LT-77" / name, std::string(bytes.begin(), bytes.end()));
        if (y == 0) return;
        std::tm when{};
        when.tm_year = y - 1900;
        when.tm_mon = m - 1;
        when.tm_mday = d;
        when.tm_hour = 12;
        when.tm_isdst = -1;
        const auto shift = std::chrono::system_clock::from_time_t(std::mktime(&when)) - std::chrono::system_clock::now();
        fs::last_write_time(Folder() / name, fs::file_time_type::clock::now() + shift);
    }
    JournalSession Session() const
    {
        return JournalSession(
            viewer::ViewerSystem{SystemFileSystem(), SystemTemporaryFolder(), SystemSpooler(), SystemPrintDocuments()},
            *JournalTargetFor("LT-77,x", "C:\\Windows"), Today());
    }
};

TEST_F(JournalSessionTest, CommandLineNamesPrinterWidthAndFolder)
{
    const auto target = JournalTargetFor("Counter LT-77,extra", "C:\\Windows");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->printerName, "Counter LT-77");
    EXPECT_EQ(target->printWidthDots, 576u);
    EXPECT_EQ(target->journalFolder, "C:\\Windows\\LT-77");
    EXPECT_EQ(JournalTargetFor("Office", "C:\\Windows")->printWidthDots, 512u);
    EXPECT_FALSE(JournalTargetFor("", "C:\\Windows"));
    EXPECT_EQ(JournalHandOverTitles("LT-77,"), (std::vector<std::string>{"Journal Viewer (LT-77)", "Journal Viewer"}));
}

TEST_F(JournalSessionTest, MissingFolderListsNothingAndAFullOneListsEveryJournal)
{
    JournalSession empty = Session();
    empty.ListAll();
    EXPECT_TRUE(empty.Journals().empty());
    EXPECT_EQ(empty.Select(0).message, "Failed to read the info-list.");
    EXPECT_EQ(empty.Print(0), "Error : Failed to read info-list.");

    fs::create_directories(Folder());
    for (int i = 0; i < 3000; ++i) std::ofstream(Folder() / ("j" + std::to_string(i) + ".jnl"));
    std::ofstream(Folder() / "JobPreview.prn");
    JournalSession full = Session();
    full.ListAll();
    EXPECT_EQ(full.Journals().size(), 3000u);
}

TEST_F(JournalSessionTest, SearchKeepsTheJournalsWrittenInTheRange)
{
    PutJournal("a.jnl", {}, 2023, 12, 1);
    PutJournal("b.jnl", {}, 2024, 6, 15);
    PutJournal("c.jnl", {}, 2023, 11, 14);
    PutJournal("d.jnl", {}, 2024, 2, 10);
    JournalSession session = Session();
    EXPECT_EQ(session.Range().start.year, 2024);
    EXPECT_EQ(session.Range().end.day, 20);
    session.Search({{15, 11, 2023}, {10, 2, 2024}});
    std::vector<std::string> listed;
    for (const auto& e : session.Journals()) listed.push_back(e.path.substr(e.path.rfind('\\') + 1));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"a.jnl", "d.jnl"}));
    EXPECT_EQ(session.Range().start.month, 11);
}

TEST_F(JournalSessionTest, SelectingShowsTheRecordsOneUnderTheOther)
{
    PutJournal("r.jnl", testing::Join({testing::Text("\x1b@"), testing::RasterRecord(16, 100, testing::Runs(0xFF, 200)),
                                       testing::RasterRecord(8, 50, testing::Join({{0x01}, testing::Runs(0x00, 49)}))}));
    JournalSession session = Session();
    session.ListAll();
    const JournalShown shown = session.Select(0);
    ASSERT_EQ(shown.kind, JournalShown::Kind::Picture);
    EXPECT_EQ(shown.picture.widthDots, 576u);
    EXPECT_EQ(shown.picture.height, 150u);
    EXPECT_EQ(shown.picture.strideBytes, 72u);
    EXPECT_TRUE(shown.picture.Black(15, 99));
    EXPECT_FALSE(shown.picture.Black(16, 99));
    EXPECT_TRUE(shown.picture.Black(7, 100));
    EXPECT_FALSE(shown.picture.Black(6, 100));
    EXPECT_EQ(shown.bitmapPath, "C:\\Windows\\LT-77\\PreviewJnl.bmp");
    EXPECT_EQ(fs::file_size(Folder() / "PreviewJnl.bmp"), 62u + 150u * 72u);
    EXPECT_EQ(session.Select(0).kind, JournalShown::Kind::Nothing);
}

TEST_F(JournalSessionTest, JournalsWithoutAPictureClearTheFrameWithoutAWord)
{
    const struct {
        const char* name;
        Bytes journal;
        JournalShown::Kind kind;
    } cases[] = {
        {"no record", testing::Text("\x1b@Thank you\n"), JournalShown::Kind::Cleared},
        {"rows past the decode area", testing::RasterRecord(16, 1, testing::Runs(0xFF, 10)), JournalShown::Kind::Cleared},
        // Unlike the preview program, a white receipt is still a picture.
        {"white rows", testing::RasterRecord(16, 2, {0x00, 4}), JournalShown::Kind::Picture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PutJournal("x.jnl", c.journal);
        JournalSession session = Session();
        session.ListAll();
        const JournalShown shown = session.Select(0);
        EXPECT_EQ(shown.kind, c.kind);
        EXPECT_EQ(shown.message, "");
    }
}

TEST_F(JournalSessionTest, PrintSendsTheJournalWithoutItsPreviewBlocks)
{
    ASSERT_FALSE(host::CreateQueue("LT-77"));
    const Bytes body = testing::RasterRecord(16, 1, {0xFF, 2});
    PutJournal("p.jnl", testing::Join({body, testing::PreviewBlock(15, {5}), testing::PreviewBlock(14, {}), body,
                                       testing::PreviewBlock(20, {1, 2, 3, 4, 5, 6}), body}));
    JournalSession session = Session();
    session.ListAll();
    EXPECT_EQ(session.Print(0), "");
    std::ifstream in(root_ / "queues" / "LT-77" / "spool" / "1.prn", std::ios::binary);
    const Bytes sent((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(sent, testing::Join({testing::Text("KELWYNT Preview"), body, body, body}));

    fs::remove(Folder() / "p.jnl");
    EXPECT_EQ(session.Print(0), "File Open Error");
    EXPECT_EQ(session.Select(0).message, "Failed to Open the file");
}

TEST_F(JournalSessionTest, APrinterThatCannotBeOpenedSkipsTheJobSilently)
{
    PutJournal("p.jnl", testing::RasterRecord(16, 1, {0xFF, 2}));
    JournalSession session = Session();
    session.ListAll();
    EXPECT_EQ(session.Print(0), "");
    EXPECT_FALSE(fs::exists(root_ / "queues" / "LT-77"));
}

}  // namespace
}  // namespace lt77::journal
