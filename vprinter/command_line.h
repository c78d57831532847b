// The program's command line: serving as the printer, sending one control
// command to a running printer, or help.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "vprinter/virtual_printer.h"

namespace lt77::vprinter {

struct Invocation {
    enum class Mode { Serve, Control, Help };
    Mode mode = Mode::Serve;
    PrinterOptions options;    // Serve
    std::string scriptPath;    // Serve: empty for none
    std::string socketPath;    // Control
    std::string command;       // Control: the words after the socket, joined by blanks
};

const char* UsageText();

// An error text says what is wrong with the arguments (the program name is
// not among them).
std::variant<Invocation, std::string> ParseCommandLine(const std::vector<std::string>& args);

}  // namespace lt77::vprinter
