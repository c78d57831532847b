// The virtual LT-77: listens on loopback TCP and on a pseudo-terminal,
// keeps each job it receives, answers the automatic status back enable
// command with the status block and sends a new block whenever the state
// changes, and takes control commands from a Unix-domain socket and a
// script. One thread runs everything in Run(); any thread (or a signal
// handler) may call RequestStop().
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "vprinter/byte_log.h"
#include "vprinter/channel.h"
#include "vprinter/control_command.h"
#include "vprinter/endpoints.h"
#include "vprinter/job_store.h"
#include "vprinter/status_block.h"

namespace lt77::vprinter {

struct PrinterOptions {
    uint16_t tcpPort = 9100;     // 0 picks a free port
    std::string ptyLinkPath;     // empty: no link to the terminal's slave
    std::string controlPath;     // empty: no control socket
    std::filesystem::path jobsFolder = "jobs";
    std::string logPath;         // empty: no log
    uint32_t ptyIdleMs = 500;    // a terminal job ends after this long without job bytes
    std::vector<ScriptStep> script;
};

class VirtualPrinter {
public:
    explicit VirtualPrinter(PrinterOptions options);
    ~VirtualPrinter();
    VirtualPrinter(const VirtualPrinter&) = delete;
    VirtualPrinter& operator=(const VirtualPrinter&) = delete;

    // Opens the log, the job folder and every endpoint; an error text names
    // the one that failed, empty on success.
    std::string Open();
    uint16_t TcpPort() const { return tcp_.port; }
    const std::string& PtyPath() const { return pty_.slavePath; }

    // Serves until RequestStop() or the command "quit"; jobs still under way
    // are kept as they are.
    void Run();
    // Only writes to a descriptor, so a signal handler may call it.
    void RequestStop();

private:
    struct ControlClient {
        UniqueFd fd;
        std::string input;
        std::string output;
        bool inputEnded = false;
        bool closing = false;
    };
    class PollSet;

    void RunDueSteps(Clock::time_point now);
    void EndIdleTerminalJob(Clock::time_point now);
    void PollOnce();
    void AddChannel(PollSet& set, Channel& channel, Clock::time_point now,
                    std::optional<Clock::time_point>& deadline);
    void AddControlClient(PollSet& set, ControlClient& client);
    void AcceptTcp();
    void AcceptControl();
    void ServiceChannel(Channel& channel, short revents);
    void ReadChannel(Channel& channel);
    void Flush(Channel& channel);
    void ServiceControl(ControlClient& client, short revents);
    void FlushControl(ControlClient& client);
    void CloseFinished();
    void Shutdown();
    void SaveJob(Channel& channel);

    std::string Execute(const std::string& line, const char* source);
    std::string ExecuteCommand(const ControlCommand& command);
    std::string StatusText() const;
    std::string BlockText() const;
    void SendBlock(Channel& channel);
    void PublishStatus();
    void SendGarbage(uint32_t count);
    uint32_t Disconnect();
    template <typename F>
    void ForEachChannel(F&& f)
    {
        if (terminal_) f(*terminal_);
        for (auto& connection : connections_) f(*connection);
    }

    PrinterOptions options_;
    ByteLog log_;
    JobStore jobs_;
    UniqueFd wake_;
    TcpListener tcp_;
    PseudoTerminal pty_;  // its master belongs to terminal_
    UnixListener control_;
    std::unique_ptr<Channel> terminal_;
    std::vector<std::unique_ptr<Channel>> connections_;
    std::vector<std::unique_ptr<ControlClient>> controlClients_;
    uint32_t nextConnectionNumber_ = 1;

    PrinterState state_;
    bool silence_ = false;
    uint32_t shortBlockBytes_ = 0;  // 0: the next block goes whole
    uint32_t slowBytesPerSecond_ = 0;
    std::mt19937 random_{std::random_device{}()};

    Clock::time_point start_{};
    std::size_t nextStep_ = 0;
    bool stopping_ = false;

    uint64_t bytesIn_ = 0;
    uint64_t bytesOut_ = 0;
    uint64_t blocksOut_ = 0;
};

}  // namespace lt77::vprinter
