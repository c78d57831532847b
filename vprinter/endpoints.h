// Opening the sockets and the pseudo-terminal the printer is reached
// through, and the client side of the control socket.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "vprinter/unique_fd.h"

namespace lt77::vprinter {

// Removes a file-system entry the printer made (a link, a socket) when it
// goes out of scope.
class OwnedPath {
public:
    OwnedPath() = default;
    explicit OwnedPath(std::string path) : path_(std::move(path)) {}
    OwnedPath(OwnedPath&& other) noexcept : path_(std::exchange(other.path_, {})) {}
    OwnedPath& operator=(OwnedPath&& other) noexcept;
    OwnedPath(const OwnedPath&) = delete;
    OwnedPath& operator=(const OwnedPath&) = delete;
    ~OwnedPath();

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

struct TcpListener {
    UniqueFd fd;
    uint16_t port = 0;  // the one bound, also when 0 was asked for
};

// Loopback only: the printer is a test device, not a network service.
std::variant<TcpListener, std::string> ListenTcpLoopback(uint16_t port);

// A non-blocking connection, or an empty one when none was waiting.
UniqueFd AcceptConnection(int listenFd, bool tcp);

struct PseudoTerminal {
    UniqueFd master;
    // The printer keeps the slave open itself, in raw mode: otherwise the
    // master reports a hang-up after each program that opened it is gone,
    // and the terminal's echo and line editing would garble the bytes.
    UniqueFd slaveHeld;
    std::string slavePath;
    OwnedPath link;
};

// linkPath may be empty; an existing symbolic link there is replaced.
std::variant<PseudoTerminal, std::string> OpenPseudoTerminal(const std::string& linkPath);

struct UnixListener {
    UniqueFd fd;
    OwnedPath socketPath;
};

// A socket left behind by a printer that is gone is replaced; one that still
// answers is an error.
std::variant<UnixListener, std::string> ListenUnix(const std::string& path);

// Discards what was written to the terminal and not yet read by the program
// at the slave side.
void DropTerminalOutput(int slaveFd);

struct ControlReply {
    bool delivered = false;
    std::string text;  // the printer's reply, or why it could not be asked
};

// Sends one command line to a printer's control socket and reads the reply
// until the printer closes the connection (at most 5 s).
ControlReply SendControlCommand(const std::string& socketPath, const std::string& command);

}  // namespace lt77::vprinter
