#include <signal.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "vprinter/command_line.h"
#include "vprinter/endpoints.h"
#include "vprinter/virtual_printer.h"

namespace {

using namespace lt77::vprinter;

VirtualPrinter* g_printer = nullptr;

void OnStopSignal(int) { g_printer->RequestStop(); }

int Fail(const std::string& message, int code)
{
    std::cerr << "lt77printer: " << message << '\n';
    return code;
}

// Exit code 0 when every reply line is "ok ...", 1 when the printer refused
// the command, 2 when it could not be asked.
int SendControl(const Invocation& call)
{
    const ControlReply reply = SendControlCommand(call.socketPath, call.command);
    if (!reply.delivered) return Fail(reply.text, 2);
    std::cout << reply.text << std::flush;
    return reply.text.rfind("ok", 0) == 0 ? 0 : 1;
}

std::string LoadScript(const std::string& path, PrinterOptions& options)
{
    if (path.empty()) return {};
    std::ifstream in(path);
    if (!in) return path + ": cannot read the file";
    std::ostringstream text;
    text << in.rdbuf();
    auto steps = ParseScript(text.str());
    if (auto* error = std::get_if<std::string>(&steps)) return path + ": " + *error;
    options.script = std::move(std::get<std::vector<ScriptStep>>(steps));
    return {};
}

int Serve(Invocation& call)
{
    if (std::string e = LoadScript(call.scriptPath, call.options); !e.empty()) return Fail(e, 2);
    VirtualPrinter printer(call.options);
    if (std::string e = printer.Open(); !e.empty()) return Fail(e, 1);
    std::cout << "tcp-port " << printer.TcpPort() << "\npty " << printer.PtyPath() << '\n';
    if (!call.options.ptyLinkPath.empty()) std::cout << "pty-link " << call.options.ptyLinkPath << '\n';
    if (!call.options.controlPath.empty()) std::cout << "control " << call.options.controlPath << '\n';
    std::cout << "jobs " << call.options.jobsFolder.string() << std::endl;

    g_printer = &printer;
    struct sigaction action {};
    action.sa_handler = &OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    printer.Run();
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    g_printer = nullptr;
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    auto parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (auto* error = std::get_if<std::string>(&parsed))
        return Fail(*error + "\n" + UsageText() + ControlCommandList(), 2);
    Invocation& call = std::get<Invocation>(parsed);
    switch (call.mode) {
    case Invocation::Mode::Help:
        std::cout << UsageText() << ControlCommandList();
        return 0;
    case Invocation::Mode::Control:
        return SendControl(call);
    case Invocation::Mode::Serve:
        return Serve(call);
    }
    return 2;
}
