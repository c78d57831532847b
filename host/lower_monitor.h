// The system's port monitor as the test host plays it underneath monlt77:
// network ports reach the printer over TCP (address and port from the
// host's port table, answered through XcvData "GetConfigInfo" as the
// standard TCP/IP port monitor does), COM ports open their device for each
// document, FILE: writes each document to a file, and LPT and USB ports go
// to a device double that keeps the bytes and answers the parallel device
// queries from the host's port table. Every call is recorded.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/monitor/monitor_abi.h"
#include "platform/serial_port.h"
#include "platform/tcp_socket.h"

namespace lt77::host {

// What the host knows of a port besides its name.
struct PortSettings {
    std::u16string hostAddress;  // network ports
    DWORD portNumber = 9100;
    std::string outputFolder;    // FILE:, LPT and USB: a Windows path
    std::optional<uint8_t> parallelStatus = uint8_t{0};  // none: the query fails
    std::string deviceId = "MFG:LT;CMD:ESC/POS;MDL:LT-77;CLS:PRINTER;";
};

class LowerMonitor {
public:
    struct Parts {
        SocketLibrary& sockets;
        SerialDevices& serial;
        FileSystem& files;
    };
    // `settings` is asked at every open and every query, so that a test or
    // the host's table may change a port's answers while it is open.
    using SettingsOf = std::function<PortSettings(std::u16string_view port)>;

    LowerMonitor(Parts parts, SettingsOf settings);
    ~LowerMonitor();
    LowerMonitor(const LowerMonitor&) = delete;
    LowerMonitor& operator=(const LowerMonitor&) = delete;

    // The table and the monitor handle to give OpenPortEx.
    mon::MONITOR2* Table() { return &table_; }
    HANDLE Handle() { return this; }

    // The latest calls, one line each ("StartDocPort COM1: 12"): the last
    // kCallsKept, so that a spooler host running for days keeps its size.
    static constexpr size_t kCallsKept = 4096;
    std::vector<std::string> Calls();

    // For the C entries of the table.
    struct Port;
    Port* OpenPort(std::u16string_view name, DWORD& error);
    bool StartDoc(Port& port, DWORD jobId, DWORD& error);
    bool Write(Port& port, std::span<const uint8_t> bytes, DWORD& written, DWORD& error);
    bool Read(Port& port, std::span<uint8_t> out, DWORD& read, DWORD& error);
    void EndDoc(Port& port);
    void Close(Port* port);
    bool Query(Port& port, DWORD code, std::span<uint8_t> out, DWORD& returned, DWORD& error);
    DWORD ConfigInfo(std::u16string_view port, mon::PORT_DATA_1& out);
    void Record(std::string line);

private:
    Parts parts_;
    SettingsOf settings_;
    mon::MONITOR2 table_{};
    std::mutex mutex_;
    std::deque<std::string> calls_;
};

}  // namespace lt77::host
