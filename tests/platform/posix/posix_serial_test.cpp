// The test host's serial devices: a pseudo-terminal stands for the printer's
// line, reached through the device table as the monitor reaches a port, and
// the mode strings of the system's BuildCommDCB.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/serial_port.h"
#include "platform/system_error.h"
#include "temporary_root.h"
#include "tests/platform/serial_mode_table.h"

namespace lt77::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
constexpr DWORD kMaxDword = 0xFFFFFFFFu;

// The printer's end of the line: the master side of a pseudo-terminal, whose
// other side the port opens.
class PrinterEnd {
public:
    PrinterEnd()
    {
        fd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (fd_ < 0 || ::grantpt(fd_) != 0 || ::unlockpt(fd_) != 0 || ::ptsname_r(fd_, name, sizeof(name)) != 0)
            return;
        device_ = name;
    }
    ~PrinterEnd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    const std::string& Device() const { return device_; }

    void Send(const Bytes& bytes) const { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // What the port sent, waiting for `count` bytes (or giving up after a
    // generous limit, which fails the comparison rather than the run).
    Bytes Receive(std::size_t count) const
    {
        Bytes got;
        while (got.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5000) != 1) break;
            uint8_t chunk[64];
            const ssize_t n = ::read(fd_, chunk, std::min(sizeof(chunk), count - got.size()));
            if (n <= 0) break;
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

private:
    int fd_ = -1;
    std::string device_;
};

// The pseudo-terminal passes bytes on asynchronously: wait until the port's
// input queue holds what was sent before reading it.
bool WaitForQueuedInput(SerialPort& port, DWORD count)
{
    for (int i = 0; i < 5000; ++i) {
        const auto queued = port.QueuedInput();
        if (queued && *queued >= count) return *queued == count;
        ::usleep(1000);
    }
    return false;
}

class PosixSerial : public TemporaryRootTest {
protected:
    void SetUp() override
    {
        TemporaryRootTest::SetUp();
        if (printer_.Device().empty()) GTEST_SKIP() << "no pseudo-terminal to stand for the line";
        fs::create_directories(root_ / "dosdevices");
        fs::create_symlink(printer_.Device(), root_ / "dosdevices" / "com1");
    }

    PrinterEnd printer_;
    SerialDevices& devices_ = SystemSerialDevices();
};

TEST_F(PosixSerial, PortOpensBesideTheSpoolerAndMovesBytesBothWays)
{
    // The host's spooler holds the port: its redirection shows first.
    WriteFile("dosdevices/com1.spooler", "");
    const auto targets = devices_.QueryTargets(u"COM1");
    ASSERT_TRUE(targets.has_value());
    const std::u16string device(printer_.Device().begin(), printer_.Device().end());
    EXPECT_EQ(*targets, (std::vector<std::u16string>{u"\\Device\\NamedPipe\\Spooler\\COM1", device}));

    ASSERT_TRUE(devices_.DefineRawAlias(u"NONSPOOLED_COM1", targets->back()));
    EXPECT_EQ(fs::read_symlink(root_ / "dosdevices" / "nonspooled_com1"), printer_.Device());
    DWORD error = 1;
    auto port = devices_.Open(u"\\\\.\\NONSPOOLED_COM1", error);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(port->Truncate());

    SerialLine line{};
    ASSERT_TRUE(devices_.BuildLine(u"115200,n,8,1,p", line));
    ASSERT_TRUE(port->SetLine(line));
    SerialLine back{};
    ASSERT_TRUE(port->GetLine(back));
    EXPECT_TRUE(SameLine(back, SerialLine{115200, 8, 0, 0, true, true, false, false}));
    ASSERT_TRUE(port->SetTimeouts(SerialTimeouts{200, 0, 5000, 0, 200}));

    const Bytes enable{0x1D, 0x61, 0xFF, 0x00};
    DWORD done = 0;
    ASSERT_TRUE(port->Write(enable, done));
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(printer_.Receive(4), enable);

    const Bytes status{0x10, 0x00, 0x00, 0x0F};
    printer_.Send(status);
    ASSERT_TRUE(WaitForQueuedInput(*port, 4));
    // Four bytes of eight: the gap after the last one ends the read.
    Bytes got(8, 0xEE);
    ASSERT_TRUE(port->Read(got, done));
    ASSERT_EQ(done, 4u);
    got.resize(done);
    EXPECT_EQ(got, status);
    EXPECT_EQ(port->QueuedInput(), 0u);

    // A pseudo-terminal has no modem lines, as Wine reports for one.
    SetLastSystemError(0);
    EXPECT_FALSE(port->ModemStatus().has_value());
    EXPECT_EQ(LastSystemError(), syserr::kNotSupported);

    EXPECT_TRUE(port->Close());
    EXPECT_FALSE(port->Close());
    ASSERT_TRUE(devices_.RemoveAlias(u"NONSPOOLED_COM1"));
    EXPECT_EQ(devices_.Open(u"\\\\.\\NONSPOOLED_COM1", error), nullptr);
    EXPECT_EQ(error, syserr::kFileNotFound);
    EXPECT_FALSE(devices_.RemoveAlias(u"NONSPOOLED_COM1"));
    EXPECT_EQ(LastSystemError(), syserr::kFileNotFound);
}

TEST_F(PosixSerial, UnknownDeviceHasNoTargets)
{
    SetLastSystemError(0);
    EXPECT_FALSE(devices_.QueryTargets(u"COM7").has_value());
    EXPECT_EQ(LastSystemError(), syserr::kFileNotFound);
    const auto plain = devices_.QueryTargets(u"com1");
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->size(), 1u);
}

TEST_F(PosixSerial, ReadWithNothingSentEndsEmptyAtItsTimeout)
{
    DWORD error = 0;
    auto port = devices_.Open(u"\\\\.\\COM1", error);
    ASSERT_NE(port, nullptr);
    const struct {
        const char* name;
        SerialTimeouts timeouts;
    } rows[] = {
        {"total constant", {0, 0, 50, 0, 0}},
        {"total per byte", {0, 10, 0, 0, 0}},
        {"at once", {kMaxDword, 0, 0, 0, 0}},
        {"first byte awaited", {kMaxDword, kMaxDword, 50, 0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(port->SetTimeouts(row.timeouts));
        Bytes got(4);
        DWORD done = 99;
        EXPECT_TRUE(port->Read(got, done));
        EXPECT_EQ(done, 0u);
    }
}

TEST(PosixSerialModes, BuildLineReadsBothFormsOfTheModeString)
{
    for (const auto& row : kSerialModeRows) {
        SCOPED_TRACE(std::string(row.mode, row.mode + std::char_traits<char16_t>::length(row.mode)));
        SerialLine line = kSerialModeStart;
        SetLastSystemError(0);
        const bool built = SystemSerialDevices().BuildLine(row.mode, line);
        EXPECT_EQ(built, row.expected.has_value());
        if (row.expected) {
            EXPECT_TRUE(SameLine(line, *row.expected));
        } else {
            EXPECT_EQ(LastSystemError(), syserr::kInvalidParameter);
            EXPECT_TRUE(SameLine(line, kSerialModeStart));
        }
    }
    // Wine takes an empty text for an empty list of keywords; the host refuses it.
    SerialLine line = kSerialModeStart;
    EXPECT_FALSE(SystemSerialDevices().BuildLine(u" ", line));
    EXPECT_FALSE(SystemSerialDevices().BuildLine(u"", line));
}

}  // namespace
}  // namespace lt77::testing
