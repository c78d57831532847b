// Serial devices as a port monitor reaches them beside the spooler: the
// device name table (QueryDosDevice, DefineDosDevice), the device opened for
// overlapped I/O, its line settings built from the system's mode strings,
// its time-outs, input queue and modem lines. Windows: the real calls. POSIX:
// the test host's device table is a folder of symbolic links below the host
// root ("dosdevices/com1" -> "/dev/pts/3"), and devices are terminals.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/oem/abi_types.h"

namespace lt77 {

// The fields of a line state (DCB) that a mode string sets.
struct SerialLine {
    DWORD baudRate = 0;
    BYTE byteSize = 8;
    BYTE parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    BYTE stopBits = 0;  // 0 one, 1 one and a half, 2 two
    bool outxCtsFlow = false;
    bool rtsHandshake = false;  // RTS_CONTROL_HANDSHAKE
    bool outX = false;          // XON/XOFF
    bool inX = false;
};

struct SerialTimeouts {
    DWORD readIntervalMs = 0;
    DWORD readTotalMultiplierMs = 0;
    DWORD readTotalConstantMs = 0;
    DWORD writeTotalMultiplierMs = 0;
    DWORD writeTotalConstantMs = 0;
};

inline constexpr DWORD MS_CTS_ON = 0x10;

// An open device; closed when destroyed (or by Close, which reports failure).
class SerialPort {
public:
    virtual ~SerialPort() = default;
    virtual bool Close() = 0;
    virtual bool Truncate() = 0;  // SetEndOfFile
    virtual bool GetLine(SerialLine& out) = 0;
    virtual bool SetLine(const SerialLine& line) = 0;
    virtual bool GetTimeouts(SerialTimeouts& out) = 0;
    virtual bool SetTimeouts(const SerialTimeouts& timeouts) = 0;
    // Bytes waiting in the input queue (ClearCommError), or none.
    virtual std::optional<DWORD> QueuedInput() = 0;
    // The modem lines (GetCommModemStatus), or none.
    virtual std::optional<DWORD> ModemStatus() = 0;
    // Overlapped read and write, waited for until they complete under the
    // device's time-outs. False with the system error set on failure;
    // `done` holds the bytes moved either way. Running out of time is no
    // failure: the operation completes with the bytes moved by then, maybe
    // none, as on Windows (where Wine reports ERROR_TIMEOUT, the Windows
    // implementation turns it into the same).
    virtual bool Read(std::span<uint8_t> out, DWORD& done) = 0;
    virtual bool Write(std::span<const uint8_t> bytes, DWORD& done) = 0;
};

class SerialDevices {
public:
    virtual ~SerialDevices() = default;
    // QueryDosDevice: the targets of a device name ("COM1"), or none with the
    // system error set.
    virtual std::optional<std::vector<std::u16string>> QueryTargets(std::u16string_view device) = 0;
    // DefineDosDevice with a raw target path, and its removal.
    virtual bool DefineRawAlias(std::u16string_view alias, std::u16string_view target) = 0;
    virtual bool RemoveAlias(std::u16string_view alias) = 0;
    // Opens "\\.\NAME" for overlapped reading and writing, shared, open-always.
    virtual std::unique_ptr<SerialPort> Open(std::u16string_view path, DWORD& error) = 0;
    // BuildCommDCB: applies a mode string ("9600,n,8,1") to a line state.
    virtual bool BuildLine(std::u16string_view mode, SerialLine& line) = 0;
};

SerialDevices& SystemSerialDevices();

}  // namespace lt77
