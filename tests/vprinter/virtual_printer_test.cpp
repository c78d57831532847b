#include "vprinter/virtual_printer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "host/picture_file.h"
#include "printer/paper.h"

namespace lt77::vprinter {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kEnable = {0x1D, 0x61, 0xFF, 0x00};

// ESC @ and one compressed raster division, 16 dots by 2 rows: row 0 is
// F0 00, row 1 is FF FF; an enable command sits inside the row data, where
// it would garble the picture if it were drawn.
const Bytes kJobWithEnable = {0x1B, 0x40, 0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10,
                              0x00, 0x02, 0x00, 0x1D, 0x61, 0xFF, 0x00, 0xF0, 0x00, 0x01, 0xFF, 0x02,
                              0x08, 0x43, 0x52, 0xFF, 0x00, 0x00};
const Bytes kJob = {0x1B, 0x40, 0x00, 0x00, 0x00, 0x08, 0x43, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10,
                    0x00, 0x02, 0x00, 0xF0, 0x00, 0x01, 0xFF, 0x02, 0x08, 0x43, 0x52, 0xFF, 0x00, 0x00};

constexpr auto kPatience = std::chrono::seconds(5);

void WriteAll(int fd, const Bytes& bytes)
{
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// Up to `count` bytes, fewer when the peer closes or nothing comes for 5 s.
Bytes ReadBytes(int fd, std::size_t count)
{
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (got.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        uint8_t buffer[64];
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

bool PeerClosed(int fd)
{
    pollfd p{fd, POLLIN, 0};
    uint8_t byte;
    return ::poll(&p, 1, 5000) == 1 && ::read(fd, &byte, 1) == 0;
}

template <typename Condition>
bool WaitFor(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

Bytes FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void ExpectTheJobsPicture(const std::filesystem::path& png)
{
    auto read = host::ReadPicture(png.string());
    ASSERT_TRUE(std::holds_alternative<RasterPicture>(read)) << std::get<std::string>(read);
    const auto& picture = std::get<RasterPicture>(read);
    ASSERT_EQ(picture.width, printer::kPictureDots);
    ASSERT_EQ(picture.height, 2u);
    for (uint32_t x = 0; x < printer::kPaperDots; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(picture.At(x, 0), x < 4 ? 0 : 255);
        EXPECT_EQ(picture.At(x, 1), x < 16 ? 0 : 255);
    }
}

class VirtualPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/lt77vp-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }

    void TearDown() override
    {
        if (thread_.joinable()) {
            printer_->RequestStop();
            thread_.join();
        }
        printer_.reset();
        std::filesystem::remove_all(folder_);
    }

    void StartPrinter(std::vector<ScriptStep> script = {})
    {
        PrinterOptions options;
        options.tcpPort = 0;
        options.controlPath = (folder_ / "control").string();
        options.jobsFolder = folder_ / "jobs";
        options.logPath = (folder_ / "log").string();
        options.ptyIdleMs = 100;
        options.script = std::move(script);
        printer_ = std::make_unique<VirtualPrinter>(options);
        ASSERT_EQ(printer_->Open(), "");
        thread_ = std::thread([this] { printer_->Run(); });
    }

    UniqueFd Connect()
    {
        UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(printer_->TcpPort());
        EXPECT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        return fd;
    }

    std::string Control(const std::string& command)
    {
        const ControlReply reply = SendControlCommand((folder_ / "control").string(), command);
        EXPECT_TRUE(reply.delivered) << reply.text;
        return reply.text;
    }

    std::filesystem::path Job(const char* name) const { return folder_ / "jobs" / name; }

    std::filesystem::path folder_;
    std::unique_ptr<VirtualPrinter> printer_;
    std::thread thread_;
};

TEST_F(VirtualPrinterTest, TcpStatusFollowsTheCoverAndEachConnectionIsAJob)
{
    StartPrinter();
    const UniqueFd status = Connect();
    WriteAll(status.Get(), kEnable);
    EXPECT_EQ(ReadBytes(status.Get(), 4), Bytes({0x10, 0x00, 0x00, 0x0F}));
    EXPECT_EQ(Control("cover open"), "ok block 38 00 00 0F\n");
    EXPECT_EQ(ReadBytes(status.Get(), 4), Bytes({0x38, 0x00, 0x00, 0x0F}));

    UniqueFd job = Connect();
    WriteAll(job.Get(), kJobWithEnable);
    // Answered on the connection that asked, while the job goes on.
    EXPECT_EQ(ReadBytes(job.Get(), 4), Bytes({0x38, 0x00, 0x00, 0x0F}));
    job.Reset();

    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(Job("job-0001.png")); }));
    EXPECT_EQ(FileBytes(Job("job-0001.prn")), kJobWithEnable);
    ExpectTheJobsPicture(Job("job-0001.png"));
    // The status connection sent nothing but enable commands: no job of its own.
    EXPECT_FALSE(std::filesystem::exists(Job("job-0002.prn")));
}

TEST_F(VirtualPrinterTest, PseudoTerminalAnswersTheEnableAndEndsAJobAfterTheIdleGap)
{
    StartPrinter({{0, *ParseControlCommand("paper near-end"), "paper near-end"}});
    const UniqueFd terminal(::open(printer_->PtyPath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(terminal) << printer_->PtyPath();
    WriteAll(terminal.Get(), kEnable);
    EXPECT_EQ(ReadBytes(terminal.Get(), 4), Bytes({0x10, 0x00, 0x03, 0x0F}));
    EXPECT_EQ(Control("paper out"), "ok block 10 00 0F 0F\n");
    EXPECT_EQ(ReadBytes(terminal.Get(), 4), Bytes({0x10, 0x00, 0x0F, 0x0F}));

    WriteAll(terminal.Get(), kJob);
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(Job("job-0001.png")); }));
    EXPECT_EQ(FileBytes(Job("job-0001.prn")), kJob);
    ExpectTheJobsPicture(Job("job-0001.png"));
}

TEST_F(VirtualPrinterTest, StoredImagesOutliveJobsAndTheLogCountsTheBytesAsReceived)
{
    StartPrinter();
    RasterPicture logo;
    logo.width = 16;
    logo.height = 8;
    logo.pixels.assign(16 * 8, 0);
    const std::string logoPath = (folder_ / "logo.png").string();
    ASSERT_EQ(host::WritePicture(logo, logoPath), "");
    EXPECT_EQ(Control("nv image 1 " + logoPath), "ok stored bit image 1, 16 x 8 dots\n");
    EXPECT_EQ(Control("nv image 256 " + logoPath), "error unknown command: nv image 256 " + logoPath + "\n");

    // ESC @, an enable command, stored image 1, a drawer pulse, stored image 2.
    const Bytes job = {0x1B, 0x40, 0x1D, 0x61, 0xFF, 0x00, 0x1C, 0x70, 0x01, 0x00,
                       0x1B, 0x70, 0x00, 0x19, 0xFA, 0x1C, 0x70, 0x02, 0x00};
    UniqueFd connection = Connect();
    WriteAll(connection.Get(), job);
    connection.Reset();
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(Job("job-0001.log")); }));
    std::ifstream log(Job("job-0001.log"));
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "  offset 0000000A: drawer 1 (connector pin 2) pulse: on 50 ms, off 500 ms\n"
                    "! offset 0000000F: stored bit image 2 is not defined\n");
    const auto read = host::ReadPicture(Job("job-0001.png").string());
    ASSERT_TRUE(std::holds_alternative<RasterPicture>(read)) << std::get<std::string>(read);
    const auto& paper = std::get<RasterPicture>(read);
    ASSERT_GE(paper.height, 8u);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 24; ++x) ASSERT_EQ(paper.At(x, y), x < 16 ? 0 : 255) << x << ", " << y;
}

TEST_F(VirtualPrinterTest, ShortBlocksGarbageSilenceAndDisconnectReachTheStatusConnection)
{
    StartPrinter();
    const UniqueFd status = Connect();
    WriteAll(status.Get(), kEnable);
    EXPECT_EQ(ReadBytes(status.Get(), 4), Bytes({0x10, 0x00, 0x00, 0x0F}));

    EXPECT_EQ(Control("short 2"), "ok short 2\n");
    Control("drawer open");
    Control("drawer close");
    // Only the first block after the command is cut.
    EXPECT_EQ(ReadBytes(status.Get(), 6), Bytes({0x14, 0x00, 0x10, 0x00, 0x00, 0x0F}));

    EXPECT_EQ(Control("garbage 5"), "ok garbage 5\n");
    EXPECT_EQ(ReadBytes(status.Get(), 5).size(), 5u);
    Control("cover open");
    EXPECT_EQ(ReadBytes(status.Get(), 4), Bytes({0x38, 0x00, 0x00, 0x0F}));

    // Silent: neither the change nor the enable is answered, but the enable
    // is read. Once it speaks again the printer sends the block its peer has
    // not seen yet, and nothing else.
    Control("silence on");
    Control("cover close");
    WriteAll(status.Get(), kEnable);
    ASSERT_TRUE(WaitFor([&] { return Control("status").find(" bytes-in 8 ") != std::string::npos; }));
    Control("silence off");
    Control("paper out");
    EXPECT_EQ(ReadBytes(status.Get(), 8), Bytes({0x10, 0x00, 0x00, 0x0F, 0x10, 0x00, 0x0C, 0x0F}));

    EXPECT_EQ(Control("disconnect"), "ok closed 1 connections\n");
    EXPECT_TRUE(PeerClosed(status.Get()));
}

}  // namespace
}  // namespace lt77::vprinter
