#include "vprinter/command_line.h"

#include <charconv>
#include <optional>

namespace lt77::vprinter {
namespace {

template <typename T>
std::optional<T> Number(const std::string& text)
{
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::variant<Invocation, std::string> ParseControl(const std::vector<std::string>& args)
{
    if (args.size() < 3) return std::string("control needs a socket path and a command");
    Invocation call;
    call.mode = Invocation::Mode::Control;
    call.socketPath = args[1];
    for (std::size_t i = 2; i < args.size(); ++i) call.command += (i > 2 ? " " : "") + args[i];
    return call;
}

}  // namespace

const char* UsageText()
{
    return "usage: lt77printer [OPTIONS]                      serve as a virtual LT-77 printer\n"
           "       lt77printer control SOCKET COMMAND...      send one control command, print the reply\n"
           "options:\n"
           "  --tcp-port N      loopback TCP port (default 9100; 0 picks a free one)\n"
           "  --pty-link PATH   symbolic link to the pseudo-terminal's slave\n"
           "  --control PATH    Unix-domain socket that takes control commands\n"
           "  --jobs DIR        folder of the jobs, job-0001.prn and job-0001.png ... (default ./jobs)\n"
           "  --pty-idle-ms MS  a job on the pseudo-terminal ends after MS without job bytes (default 500)\n"
           "  --script FILE     lines \"<ms> <command>\": a command MS after the start; '#' starts a comment line\n"
           "  --log FILE        every read and write with its time, channel, direction and bytes\n"
           "  --help            this text\n"
           "The TCP port and the pseudo-terminal's path are printed once the printer listens.\n"
           "control commands:\n";
}

std::variant<Invocation, std::string> ParseCommandLine(const std::vector<std::string>& args)
{
    if (!args.empty() && args[0] == "control") return ParseControl(args);
    Invocation call;
    PrinterOptions& o = call.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            call.mode = Invocation::Mode::Help;
            return call;
        }
        if (i + 1 >= args.size()) return name + ": unknown option or missing value";
        const std::string& value = args[++i];
        if (name == "--tcp-port") {
            const auto port = Number<uint16_t>(value);
            if (!port) return "--tcp-port: not a port number: " + value;
            o.tcpPort = *port;
        } else if (name == "--pty-idle-ms") {
            const auto ms = Number<uint32_t>(value);
            if (!ms || *ms == 0) return "--pty-idle-ms: not a positive number: " + value;
            o.ptyIdleMs = *ms;
        } else if (name == "--pty-link") {
            o.ptyLinkPath = value;
        } else if (name == "--control") {
            o.controlPath = value;
        } else if (name == "--jobs") {
            o.jobsFolder = value;
        } else if (name == "--script") {
            call.scriptPath = value;
        } else if (name == "--log") {
            o.logPath = value;
        } else {
            return name + ": unknown option";
        }
    }
    return call;
}

}  // namespace lt77::vprinter
