#include <utility>

#include "platform/serial_port.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77::win32 {
namespace {

// A kernel handle closed once, by Close or at the end.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle()
    {
        if (handle_ != nullptr) ::CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Close()
    {
        if (handle_ == nullptr) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        return ::CloseHandle(std::exchange(handle_, nullptr)) != FALSE;
    }

private:
    HANDLE handle_;
};

void PutLine(const SerialLine& line, ::DCB& dcb)
{
    dcb.BaudRate = line.baudRate;
    dcb.ByteSize = line.byteSize;
    dcb.Parity = line.parity;
    dcb.StopBits = line.stopBits;
    dcb.fOutxCtsFlow = line.outxCtsFlow ? 1 : 0;
    if (line.rtsHandshake)
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    else if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = line.outX ? 1 : 0;
    dcb.fInX = line.inX ? 1 : 0;
}

SerialLine LineOf(const ::DCB& dcb)
{
    SerialLine line;
    line.baudRate = static_cast<DWORD>(dcb.BaudRate);
    line.byteSize = dcb.ByteSize;
    line.parity = dcb.Parity;
    line.stopBits = dcb.StopBits;
    line.outxCtsFlow = dcb.fOutxCtsFlow != 0;
    line.rtsHandshake = dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
    line.outX = dcb.fOutX != 0;
    line.inX = dcb.fInX != 0;
    return line;
}

class Win32SerialPort final : public SerialPort {
public:
    explicit Win32SerialPort(HANDLE handle) : handle_(handle) {}

    bool Close() override { return handle_.Close(); }
    bool Truncate() override { return ::SetEndOfFile(handle_.Get()) != FALSE; }

    bool GetLine(SerialLine& out) override
    {
        ::DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        if (!::GetCommState(handle_.Get(), &dcb)) return false;
        out = LineOf(dcb);
        return true;
    }

    bool SetLine(const SerialLine& line) override
    {
        ::DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        if (!::GetCommState(handle_.Get(), &dcb)) return false;
        PutLine(line, dcb);
        return ::SetCommState(handle_.Get(), &dcb) != FALSE;
    }

    bool GetTimeouts(SerialTimeouts& out) override
    {
        ::COMMTIMEOUTS t{};
        if (!::GetCommTimeouts(handle_.Get(), &t)) return false;
        out = SerialTimeouts{static_cast<DWORD>(t.ReadIntervalTimeout), static_cast<DWORD>(t.ReadTotalTimeoutMultiplier),
                             static_cast<DWORD>(t.ReadTotalTimeoutConstant),
                             static_cast<DWORD>(t.WriteTotalTimeoutMultiplier),
                             static_cast<DWORD>(t.WriteTotalTimeoutConstant)};
        return true;
    }

    bool SetTimeouts(const SerialTimeouts& timeouts) override
    {
        ::COMMTIMEOUTS t{timeouts.readIntervalMs, timeouts.readTotalMultiplierMs, timeouts.readTotalConstantMs,
                         timeouts.writeTotalMultiplierMs, timeouts.writeTotalConstantMs};
        return ::SetCommTimeouts(handle_.Get(), &t) != FALSE;
    }

    std::optional<DWORD> QueuedInput() override
    {
        ::DWORD errors = 0;
        ::COMSTAT state{};
        if (!::ClearCommError(handle_.Get(), &errors, &state)) return std::nullopt;
        return static_cast<DWORD>(state.cbInQue);
    }

    std::optional<DWORD> ModemStatus() override
    {
        ::DWORD lines = 0;
        if (!::GetCommModemStatus(handle_.Get(), &lines)) return std::nullopt;
        return static_cast<DWORD>(lines);
    }

    bool Read(std::span<uint8_t> out, DWORD& done) override { return Transfer(true, out.data(), out.size(), done); }

    bool Write(std::span<const uint8_t> bytes, DWORD& done) override
    {
        return Transfer(false, const_cast<uint8_t*>(bytes.data()), bytes.size(), done);
    }

private:
    // One overlapped operation with an event of its own, waited for.
    bool Transfer(bool reading, uint8_t* data, std::size_t size, DWORD& done)
    {
        done = 0;
        OwnedHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (event.Get() == nullptr) return false;
        ::OVERLAPPED overlapped{};
        overlapped.hEvent = event.Get();
        ::DWORD moved = 0;
        const auto count = static_cast<::DWORD>(size);
        const BOOL started = reading ? ::ReadFile(handle_.Get(), data, count, nullptr, &overlapped)
                                     : ::WriteFile(handle_.Get(), data, count, nullptr, &overlapped);
        if (!started && ::GetLastError() != ERROR_IO_PENDING) return false;
        const BOOL finished = ::GetOverlappedResult(handle_.Get(), &overlapped, &moved, TRUE);
        done = static_cast<DWORD>(moved);
        // Windows completes an operation that ran out of time with the bytes
        // moved by then; Wine's serial driver fails it with ERROR_TIMEOUT
        // instead. Both are a completed operation here.
        if (!finished && ::GetLastError() == ERROR_TIMEOUT) return true;
        return finished != FALSE;
    }

    OwnedHandle handle_;
};

class Win32SerialDevices final : public SerialDevices {
public:
    std::optional<std::vector<std::u16string>> QueryTargets(std::u16string_view device) override
    {
        if (device.empty()) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return std::nullopt;
        }
        const std::wstring name = WideFromU16(device);
        std::vector<wchar_t> buffer(1024);
        ::DWORD length = 0;
        while ((length = ::QueryDosDeviceW(name.c_str(), buffer.data(), static_cast<::DWORD>(buffer.size()))) == 0) {
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= 65536) return std::nullopt;
            buffer.resize(buffer.size() * 4);
        }
        // A list of strings, each with its terminator, and one more at the end.
        std::vector<std::u16string> targets;
        for (std::size_t at = 0; at < length && buffer[at] != L'\0';) {
            const std::wstring_view entry(buffer.data() + at);
            targets.emplace_back(entry.begin(), entry.end());
            at += entry.size() + 1;
        }
        return targets;
    }

    bool DefineRawAlias(std::u16string_view alias, std::u16string_view target) override
    {
        return ::DefineDosDeviceW(DDD_RAW_TARGET_PATH, WideFromU16(alias).c_str(), WideFromU16(target).c_str()) !=
               FALSE;
    }

    bool RemoveAlias(std::u16string_view alias) override
    {
        return ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, WideFromU16(alias).c_str(), nullptr) != FALSE;
    }

    std::unique_ptr<SerialPort> Open(std::u16string_view path, DWORD& error) override
    {
        HANDLE handle = ::CreateFileW(WideFromU16(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_FLAG_OVERLAPPED | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = static_cast<DWORD>(::GetLastError());
            return nullptr;
        }
        error = 0;
        return std::make_unique<Win32SerialPort>(handle);
    }

    bool BuildLine(std::u16string_view mode, SerialLine& line) override
    {
        ::DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        dcb.fBinary = 1;
        PutLine(line, dcb);
        if (!::BuildCommDCBW(WideFromU16(mode).c_str(), &dcb)) {
            if (::GetLastError() == 0) ::SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        line = LineOf(dcb);
        return true;
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

SerialDevices& SystemSerialDevices()
{
    static win32::Win32SerialDevices devices;
    return devices;
}

}  // namespace lt77
