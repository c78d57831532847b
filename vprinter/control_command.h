// The text commands that change the virtual printer at run time, from the
// control socket or a script file: one command a line, words separated by
// blanks, for example "cover open" or "garbage 16".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vprinter/status_block.h"

namespace lt77::vprinter {

enum class CommandVerb {
    CoverOpen, CoverClose,
    PaperNearEnd, PaperOut, PaperRefill,
    CutterError, CutterClear, MechanicalError, UnrecoverableError, Recover, Reset,
    DrawerOpen, DrawerClose,
    FeedButtonPress, FeedButtonRelease,
    SilenceOn, SilenceOff,
    Disconnect,
    Garbage,  // count: bytes
    Short,    // count: bytes of the next block, 1-3
    Slow,     // count: bytes per second a channel reads, 0 for no limit
    Status,
    Quit,
    StoreBitImage,  // count: the number 1-255; path: a PNG or BMP file
    StoreGraphic,   // key: two characters; path: a PNG or BMP file
};

struct ControlCommand {
    CommandVerb verb;
    uint32_t count = 0;
    std::string key;
    std::string path;
};

// Nothing for an unknown command or a count out of range.
std::optional<ControlCommand> ParseControlCommand(std::string_view line);

// Changes the sensors a state command speaks of; returns false (and leaves
// the state alone) for the commands that are not about the sensors.
bool ApplyToState(const ControlCommand& command, PrinterState& state);

// The commands with a line of help each, as --help shows them.
const char* ControlCommandList();

struct ScriptStep {
    uint32_t atMs;  // after the printer started
    ControlCommand command;
    std::string text;
};

// Lines "<ms> <command>"; blank lines and lines starting with '#' are
// skipped. Steps come back in time order (equal times keep file order). An
// error text names the first bad line.
std::variant<std::vector<ScriptStep>, std::string> ParseScript(std::string_view text);

}  // namespace lt77::vprinter
