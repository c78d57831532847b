#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "common/ascii_case.h"
#include "common/utf.h"
#include "platform/posix/posix_error.h"
#include "platform/posix/queue_store.h"
#include "platform/serial_port.h"

namespace lt77::posix {
namespace fs = std::filesystem;
namespace {

constexpr DWORD kMaxDword = 0xFFFFFFFFu;
constexpr std::u16string_view kDevicePrefix = u"\\\\.\\";
constexpr std::u16string_view kSpoolerPipe = u"\\Device\\NamedPipe\\Spooler\\";

fs::path DeviceTable() { return HostRoot() / "dosdevices"; }

// The table's entry for a device name: names are matched without regard to
// case, and the folder keeps them in lower case, as Wine's dosdevices does.
std::optional<std::string> EntryName(std::u16string_view device)
{
    std::string name = Utf16ToUtf8(device);
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\", 0) != std::string::npos ||
        name.find('\0') != std::string::npos)
        return std::nullopt;
    for (char& c : name) c = AsciiLower(c);
    return name;
}

bool Fail(DWORD error)
{
    SetLastSystemError(error);
    return false;
}

struct BaudSpeed {
    DWORD baud;
    speed_t speed;
};

// The rates a terminal can be given; a rate without a constant here is refused.
constexpr std::array<BaudSpeed, 30> kBaudSpeeds{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
}};

std::optional<speed_t> SpeedOf(DWORD baud)
{
    for (const auto& b : kBaudSpeeds)
        if (b.baud == baud) return b.speed;
    return std::nullopt;
}

DWORD BaudOf(speed_t speed)
{
    for (const auto& b : kBaudSpeeds)
        if (b.speed == speed) return b.baud;
    return 0;
}

// The modem lines in the bits GetCommModemStatus reports.
DWORD ModemBits(int lines)
{
    DWORD bits = 0;
    if ((lines & TIOCM_CTS) != 0) bits |= MS_CTS_ON;
    if ((lines & TIOCM_DSR) != 0) bits |= 0x20;  // MS_DSR_ON
    if ((lines & TIOCM_RI) != 0) bits |= 0x40;   // MS_RING_ON
    if ((lines & TIOCM_CD) != 0) bits |= 0x80;   // MS_RLSD_ON
    return bits;
}

using Clock = std::chrono::steady_clock;

// Milliseconds of a time-out product and sum as the system computes them,
// kept from wrapping.
uint64_t TotalMs(DWORD multiplierMs, DWORD count, DWORD constantMs)
{
    return static_cast<uint64_t>(multiplierMs) * count + constantMs;
}

// The time to wait until `deadline`, for poll: -1 without one, 0 when past.
int PollMs(std::optional<Clock::time_point> deadline)
{
    if (!deadline) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

std::optional<Clock::time_point> Earlier(std::optional<Clock::time_point> a, std::optional<Clock::time_point> b)
{
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

// Waits for the device to become ready for `events`. False on an error (set);
// true otherwise, also when the time ran out.
bool WaitFor(int fd, short events, int ms)
{
    pollfd p{fd, events, 0};
    while (::poll(&p, 1, ms) < 0) {
        if (errno != EINTR) {
            SetLastDeviceErrorFromErrno();
            return false;
        }
    }
    return true;
}

class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(int fd) : fd_(fd) {}
    ~PosixSerialPort() override
    {
        if (fd_ >= 0) ::close(fd_);
    }
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    bool Close() override
    {
        if (fd_ < 0) return Fail(syserr::kInvalidHandle);
        const int rc = ::close(std::exchange(fd_, -1));
        if (rc != 0) {
            SetLastDeviceErrorFromErrno();
            return false;
        }
        return true;
    }

    bool Truncate() override
    {
        if (fd_ < 0) return Fail(syserr::kInvalidHandle);
        // A serial device has no end to set: the system's serial driver
        // answers the request with success, and so does a terminal here.
        if (::isatty(fd_) == 1) return true;
        const off_t at = ::lseek(fd_, 0, SEEK_CUR);
        if (at < 0 || ::ftruncate(fd_, at) != 0) {
            SetLastDeviceErrorFromErrno();
            return false;
        }
        return true;
    }

    bool GetLine(SerialLine& out) override
    {
        termios t{};
        if (!Attributes(t)) return false;
        SerialLine line;
        line.baudRate = BaudOf(::cfgetospeed(&t));
        switch (t.c_cflag & CSIZE) {
        case CS5: line.byteSize = 5; break;
        case CS6: line.byteSize = 6; break;
        case CS7: line.byteSize = 7; break;
        default: line.byteSize = 8; break;
        }
        if ((t.c_cflag & PARENB) == 0)
            line.parity = 0;
        else if ((t.c_cflag & CMSPAR) != 0)
            line.parity = (t.c_cflag & PARODD) != 0 ? 3 : 4;
        else
            line.parity = (t.c_cflag & PARODD) != 0 ? 1 : 2;
        // A UART's second stop bit is half a bit long with five data bits.
        if ((t.c_cflag & CSTOPB) != 0) line.stopBits = line.byteSize == 5 ? 1 : 2;
        // Termios has one switch for both directions of hardware handshake.
        line.outxCtsFlow = line.rtsHandshake = (t.c_cflag & CRTSCTS) != 0;
        line.outX = (t.c_iflag & IXON) != 0;
        line.inX = (t.c_iflag & IXOFF) != 0;
        out = line;
        return true;
    }

    bool SetLine(const SerialLine& line) override
    {
        const auto speed = SpeedOf(line.baudRate);
        const bool sizeOk = line.byteSize >= 5 && line.byteSize <= 8;
        // One and a half stop bits exist only with five data bits, two only without.
        const bool stopOk = line.stopBits == 0 || (line.stopBits == 1 && line.byteSize == 5) ||
                            (line.stopBits == 2 && line.byteSize != 5);
        if (!speed || !sizeOk || line.parity > 4 || !stopOk) return Fail(syserr::kInvalidParameter);
        termios t{};
        if (!Attributes(t)) return false;
        ::cfsetispeed(&t, *speed);
        ::cfsetospeed(&t, *speed);
        static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
        t.c_cflag = (t.c_cflag & ~CSIZE) | kSizes[line.byteSize - 5];
        t.c_cflag &= ~(PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
        static constexpr tcflag_t kParity[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                               PARENB | CMSPAR};
        t.c_cflag |= kParity[line.parity];
        if (line.stopBits != 0) t.c_cflag |= CSTOPB;
        if (line.outxCtsFlow || line.rtsHandshake) t.c_cflag |= CRTSCTS;
        t.c_iflag &= ~(IXON | IXOFF);
        if (line.outX) t.c_iflag |= IXON;
        if (line.inX) t.c_iflag |= IXOFF;
        if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
            SetLastDeviceErrorFromErrno();
            return false;
        }
        return true;
    }

    bool GetTimeouts(SerialTimeouts& out) override
    {
        if (fd_ < 0) return Fail(syserr::kInvalidHandle);
        out = timeouts_;
        return true;
    }

    bool SetTimeouts(const SerialTimeouts& timeouts) override
    {
        if (fd_ < 0) return Fail(syserr::kInvalidHandle);
        timeouts_ = timeouts;
        return true;
    }

    std::optional<DWORD> QueuedInput() override
    {
        if (fd_ < 0) {
            Fail(syserr::kInvalidHandle);
            return std::nullopt;
        }
        int waiting = 0;
        if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
            SetLastDeviceErrorFromErrno();
            return std::nullopt;
        }
        return static_cast<DWORD>(waiting);
    }

    std::optional<DWORD> ModemStatus() override
    {
        if (fd_ < 0) {
            Fail(syserr::kInvalidHandle);
            return std::nullopt;
        }
        int lines = 0;
        // A pseudo-terminal has no modem lines and refuses the request.
        if (::ioctl(fd_, TIOCMGET, &lines) != 0) {
            SetLastDeviceErrorFromErrno();
            return std::nullopt;
        }
        return ModemBits(lines);
    }

    // The system's read time-outs: a total for the whole request
    // (multiplier per byte plus constant) and a longest gap between two bytes
    // once the first came; both 0 waits for every byte. An interval of
    // MAXDWORD with no total returns what is there at once; with a
    // multiplier of MAXDWORD as well, it waits up to the constant for the
    // first byte. Running out of time is no failure: the read completes with
    // the bytes that came.
    bool Read(std::span<uint8_t> out, DWORD& done) override
    {
        done = 0;
        if (fd_ < 0) return Fail(syserr::kInvalidHandle);
        if (out.empty()) return true;
        const auto& t = timeouts_;
        const auto start = Clock::now();
        std::optional<Clock::time_point> deadline;
        bool returnOnAny = false;
        DWORD intervalMs = 0;
        if (t.readIntervalMs == kMaxDword && t.readTotalMultiplierMs == 0 && t.readTotalConstantMs == 0) {
            deadline = start;
        } else if (t.readIntervalMs == kMaxDword && t.readTotalMultiplierMs == kMaxDword &&
                   t.readTotalConstantMs != 0 && t.readTotalConstantMs != kMaxDword) {
            deadline = start + std::chrono::milliseconds(t.readTotalConstantMs);
            returnOnAny = true;
        } else {
            const uint64_t totalMs =
                TotalMs(t.readTotalMultiplierMs, static_cast<DWORD>(out.size()), t.readTotalConstantMs);
            if (totalMs != 0) deadline = start + std::chrono::milliseconds(totalMs);
            intervalMs = t.readIntervalMs;
        }
        std::optional<Clock::time_point> gapEnd;
        for (;;) {
            const ssize_t n = ::read(fd_, out.data() + done, out.size() - done);
            if (n > 0) {
                done += static_cast<DWORD>(n);
                if (done == out.size() || returnOnAny) return true;
                if (intervalMs != 0) gapEnd = Clock::now() + std::chrono::milliseconds(intervalMs);
                continue;
            }
            // No writer on the other side: nothing more will come.
            if (n == 0) return true;
            if (errno == EINTR) continue;
            if (errno != EAGAIN) {
                SetLastDeviceErrorFromErrno();
                return false;
            }
            const int ms = PollMs(Earlier(deadline, gapEnd));
            if (ms == 0) return true;
            if (!WaitFor(fd_, POLLIN, ms)) return false;
        }
    }

    // WriteTotalTimeoutMultiplier per byte plus the constant bound the whole
    // write; both 0 waits until every byte is taken. A write that runs out of
    // time completes with the bytes taken.
    bool Write(std::span<const uint8_t> bytes, DWORD& done) override
    {
        done = 0;
        if (fd_ < 0) return Fail(syserr::kInvalidHandle);
        const uint64_t totalMs = TotalMs(timeouts_.writeTotalMultiplierMs, static_cast<DWORD>(bytes.size()),
                                         timeouts_.writeTotalConstantMs);
        std::optional<Clock::time_point> deadline;
        if (totalMs != 0) deadline = Clock::now() + std::chrono::milliseconds(totalMs);
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<DWORD>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) {
                SetLastDeviceErrorFromErrno();
                return false;
            }
            const int ms = PollMs(deadline);
            if (ms == 0) return true;
            if (!WaitFor(fd_, POLLOUT, ms)) return false;
        }
        return true;
    }

private:
    bool Attributes(termios& t)
    {
        if (fd_ < 0) return Fail(syserr::kInvalidHandle);
        if (::tcgetattr(fd_, &t) != 0) {
            SetLastDeviceErrorFromErrno();
            return false;
        }
        return true;
    }

    int fd_;
    SerialTimeouts timeouts_;
};

// Mode strings, read as the system's BuildCommDCB reads them: the rows the
// tests hold both targets to are Wine 8's answers.

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<DWORD> ParseNumber(std::string_view text)
{
    DWORD value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value == 0) return std::nullopt;
    return value;
}

// The positional form's two-digit abbreviations (Wine reads the keyword
// form's rate as written).
std::optional<DWORD> ParseAbbreviatedBaud(std::string_view text)
{
    const auto value = ParseNumber(text);
    if (!value) return std::nullopt;
    switch (*value) {
    case 11: return 110;
    case 15: return 150;
    case 30: return 300;
    case 60: return 600;
    case 12: return 1200;
    case 24: return 2400;
    case 48: return 4800;
    case 96: return 9600;
    case 19: return 19200;
    default: return value;
    }
}

std::optional<BYTE> ParseParity(std::string_view text)
{
    if (text.size() != 1) return std::nullopt;
    switch (AsciiLower(text[0])) {
    case 'n': return 0;
    case 'o': return 1;
    case 'e': return 2;
    case 'm': return 3;
    case 's': return 4;
    default: return std::nullopt;
    }
}

std::optional<BYTE> ParseDataBits(std::string_view text)
{
    if (text.size() != 1 || text[0] < '5' || text[0] > '8') return std::nullopt;
    return static_cast<BYTE>(text[0] - '0');
}

std::optional<BYTE> ParseStopBits(std::string_view text)
{
    if (text == "1") return 0;
    if (text == "1.5") return 1;
    if (text == "2") return 2;
    return std::nullopt;
}

std::optional<bool> ParseSwitch(std::string_view text)
{
    if (EqualsNoCase(text, "on")) return true;
    if (EqualsNoCase(text, "off")) return false;
    return std::nullopt;
}

// "baud,parity,data,stop[,x|p]": all four fields, then "x" for XON/XOFF or
// "p" for hardware handshake; flow control is off unless one is named.
bool ParsePositional(std::string_view text, SerialLine& line)
{
    std::array<std::string_view, 5> fields{};
    std::size_t count = 0;
    for (;;) {
        if (count == fields.size()) return false;
        const std::size_t comma = text.find(',');
        fields[count++] = TrimBlanks(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (count < 4) return false;
    const auto baud = ParseAbbreviatedBaud(fields[0]);
    const auto parity = ParseParity(fields[1]);
    const auto size = ParseDataBits(fields[2]);
    const auto stop = ParseStopBits(fields[3]);
    if (!baud || !parity || !size || !stop) return false;
    line.baudRate = *baud;
    line.parity = *parity;
    line.byteSize = *size;
    line.stopBits = *stop;
    line.outxCtsFlow = line.rtsHandshake = line.outX = line.inX = false;
    if (count == 5) {
        if (EqualsNoCase(fields[4], "x")) {
            line.outX = line.inX = true;
        } else if (EqualsNoCase(fields[4], "p")) {
            line.outxCtsFlow = line.rtsHandshake = true;
        } else {
            return false;
        }
    }
    return true;
}

// "baud=9600 parity=N data=8 stop=1" and the handshake switches: what the
// text names changes, the rest stays, except the stop bits, which fall back
// to the mode command's default (one, two at 110 baud). The switches of
// lines SerialLine does not keep (DSR, DTR, time-outs) are checked and have
// no effect. "rts=hs" and "dtr=hs" are the mode command's, though Wine 8
// refuses them.
bool ParseKeywords(std::string_view text, SerialLine& line)
{
    bool stopGiven = false;
    while (!(text = TrimBlanks(text)).empty()) {
        const std::size_t end = text.find_first_of(" \t");
        const std::string_view item = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) return false;
        const std::string_view key = item.substr(0, eq);
        const std::string_view value = item.substr(eq + 1);
        if (EqualsNoCase(key, "baud")) {
            const auto baud = ParseNumber(value);
            if (!baud) return false;
            line.baudRate = *baud;
        } else if (EqualsNoCase(key, "parity")) {
            const auto parity = ParseParity(value);
            if (!parity) return false;
            line.parity = *parity;
        } else if (EqualsNoCase(key, "data")) {
            const auto size = ParseDataBits(value);
            if (!size) return false;
            line.byteSize = *size;
        } else if (EqualsNoCase(key, "stop")) {
            const auto stop = ParseStopBits(value);
            if (!stop) return false;
            line.stopBits = *stop;
            stopGiven = true;
        } else if (EqualsNoCase(key, "xon")) {
            const auto on = ParseSwitch(value);
            if (!on) return false;
            line.outX = line.inX = *on;
        } else if (EqualsNoCase(key, "octs")) {
            const auto on = ParseSwitch(value);
            if (!on) return false;
            line.outxCtsFlow = *on;
        } else if (EqualsNoCase(key, "rts")) {
            if (EqualsNoCase(value, "hs")) {
                line.rtsHandshake = true;
            } else if (ParseSwitch(value).has_value() || EqualsNoCase(value, "tg")) {
                line.rtsHandshake = false;
            } else {
                return false;
            }
        } else if (EqualsNoCase(key, "dtr")) {
            if (!ParseSwitch(value).has_value() && !EqualsNoCase(value, "hs")) return false;
        } else if (EqualsNoCase(key, "to") || EqualsNoCase(key, "odsr") || EqualsNoCase(key, "idsr")) {
            if (!ParseSwitch(value).has_value()) return false;
        } else {
            return false;
        }
    }
    if (!stopGiven) line.stopBits = line.baudRate == 110 ? 2 : 0;
    return true;
}

// An empty text (which Wine takes for an empty keyword list) is refused.
bool ParseMode(std::string_view text, SerialLine& line)
{
    text = TrimBlanks(text);
    // The mode command's device name may lead: "COM1: 9600,n,8,1".
    if (text.size() > 3 && EqualsNoCase(text.substr(0, 3), "com") && text[3] >= '0' && text[3] <= '9') {
        std::size_t at = 3;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        if (at < text.size() && text[at] == ':') ++at;
        text = TrimBlanks(text.substr(at));
    }
    if (text.empty()) return false;
    return text.find('=') != std::string_view::npos ? ParseKeywords(text, line) : ParsePositional(text, line);
}

class PosixSerialDevices final : public SerialDevices {
public:
    std::optional<std::vector<std::u16string>> QueryTargets(std::u16string_view device) override
    {
        const auto name = EntryName(device);
        if (!name) {
            Fail(syserr::kInvalidParameter);
            return std::nullopt;
        }
        std::vector<std::u16string> targets;
        std::error_code ec;
        // The host's spooler leaves this mark while it holds the port, as the
        // spooler's redirection of a port shows first in the system's list.
        if (fs::exists(DeviceTable() / (*name + ".spooler"), ec))
            targets.push_back(std::u16string(kSpoolerPipe) + std::u16string(device));
        const fs::path link = fs::read_symlink(DeviceTable() / *name, ec);
        if (!ec) {
            targets.push_back(Utf8ToUtf16(link.string()));
        } else if (targets.empty()) {
            SetLastSystemError(ErrorFromErrno(ec.value()));
            return std::nullopt;
        }
        return targets;
    }

    // A new definition takes the place of the old one in one step (Windows
    // stacks them; the monitor removes the old one first anyway).
    bool DefineRawAlias(std::u16string_view alias, std::u16string_view target) override
    {
        const auto name = EntryName(alias);
        if (!name || target.empty()) return Fail(syserr::kInvalidParameter);
        std::error_code ec;
        fs::create_directories(DeviceTable(), ec);
        const fs::path final = DeviceTable() / *name;
        const fs::path temporary = DeviceTable() / ("." + *name + "." + std::to_string(::getpid()) + "." +
                                                   std::to_string(::gettid()));
        fs::remove(temporary, ec);
        fs::create_symlink(Utf16ToUtf8(target), temporary, ec);
        if (!ec) fs::rename(temporary, final, ec);
        if (ec) {
            const DWORD error = ErrorFromErrno(ec.value());
            fs::remove(temporary, ec);
            return Fail(error);
        }
        return true;
    }

    bool RemoveAlias(std::u16string_view alias) override
    {
        const auto name = EntryName(alias);
        if (!name) return Fail(syserr::kInvalidParameter);
        if (::unlink((DeviceTable() / *name).c_str()) != 0) {
            SetLastErrorFromErrno();
            return false;
        }
        return true;
    }

    std::unique_ptr<SerialPort> Open(std::u16string_view path, DWORD& error) override
    {
        if (!path.starts_with(kDevicePrefix)) {
            error = syserr::kPathNotFound;
            SetLastSystemError(error);
            return nullptr;
        }
        const auto name = EntryName(path.substr(kDevicePrefix.size()));
        if (!name) {
            error = syserr::kFileNotFound;
            SetLastSystemError(error);
            return nullptr;
        }
        const int fd = ::open((DeviceTable() / *name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = SetLastDeviceErrorFromErrno();
            return nullptr;
        }
        auto port = std::make_unique<PosixSerialPort>(fd);
        // Bytes pass as they are, as through a serial driver: no line editing,
        // echo or translation of the terminal's.
        termios t{};
        if (::isatty(fd) == 1 && ::tcgetattr(fd, &t) == 0) {
            ::cfmakeraw(&t);
            t.c_cflag |= CLOCAL | CREAD;
            t.c_cc[VMIN] = 0;
            t.c_cc[VTIME] = 0;
            if (::tcsetattr(fd, TCSANOW, &t) != 0) {
                error = SetLastDeviceErrorFromErrno();
                return nullptr;
            }
        }
        error = 0;
        return port;
    }

    bool BuildLine(std::u16string_view mode, SerialLine& line) override
    {
        SerialLine built = line;
        if (!ParseMode(Utf16ToUtf8(mode), built)) return Fail(syserr::kInvalidParameter);
        line = built;
        return true;
    }
};

}  // namespace
}  // namespace lt77::posix

namespace lt77 {

SerialDevices& SystemSerialDevices()
{
    static posix::PosixSerialDevices devices;
    return devices;
}

}  // namespace lt77
