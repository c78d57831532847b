#include "vprinter/control_command.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace lt77::vprinter {
namespace {

struct VerbName {
    std::string_view words;
    CommandVerb verb;
    bool takesCount = false;
    uint32_t minCount = 0;
    uint32_t maxCount = 0;
};

// A garbage burst beyond this is no longer a line fault but a flood.
constexpr uint32_t kMaxGarbageBytes = 1u << 20;

constexpr std::array kVerbs = {
    VerbName{"cover open", CommandVerb::CoverOpen},
    VerbName{"cover close", CommandVerb::CoverClose},
    VerbName{"paper near-end", CommandVerb::PaperNearEnd},
    VerbName{"paper out", CommandVerb::PaperOut},
    VerbName{"paper refill", CommandVerb::PaperRefill},
    VerbName{"cutter error", CommandVerb::CutterError},
    VerbName{"cutter clear", CommandVerb::CutterClear},
    VerbName{"mechanical error", CommandVerb::MechanicalError},
    VerbName{"unrecoverable error", CommandVerb::UnrecoverableError},
    VerbName{"recover", CommandVerb::Recover},
    VerbName{"reset", CommandVerb::Reset},
    VerbName{"drawer open", CommandVerb::DrawerOpen},
    VerbName{"drawer close", CommandVerb::DrawerClose},
    VerbName{"feed button press", CommandVerb::FeedButtonPress},
    VerbName{"feed button release", CommandVerb::FeedButtonRelease},
    VerbName{"silence on", CommandVerb::SilenceOn},
    VerbName{"silence off", CommandVerb::SilenceOff},
    VerbName{"disconnect", CommandVerb::Disconnect},
    VerbName{"garbage", CommandVerb::Garbage, true, 1, kMaxGarbageBytes},
    VerbName{"short", CommandVerb::Short, true, 1, 3},
    VerbName{"slow", CommandVerb::Slow, true, 0, UINT32_MAX},
    VerbName{"status", CommandVerb::Status},
    VerbName{"quit", CommandVerb::Quit},
};

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r\n", pos);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(line.find_first_of(" \t\r\n", start), line.size());
        words.push_back(line.substr(start, end - start));
        pos = end;
    }
    return words;
}

std::string Join(std::span<const std::string_view> words)
{
    std::string text;
    for (std::string_view w : words) {
        if (!text.empty()) text += ' ';
        text += w;
    }
    return text;
}

std::optional<uint32_t> Number(std::string_view text)
{
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "nv image N PATH" and "nv graphic KEY PATH": the printer's own stored
// images, as its definition commands would leave them.
std::optional<ControlCommand> ParseStoredImage(std::span<const std::string_view> words)
{
    if (words.size() < 4 || words[0] != "nv") return std::nullopt;
    ControlCommand command{};
    command.path = Join(words.subspan(3));
    if (words[1] == "image") {
        const std::optional<uint32_t> number = Number(words[2]);
        if (!number || *number < 1 || *number > 255) return std::nullopt;
        command.verb = CommandVerb::StoreBitImage;
        command.count = *number;
        return command;
    }
    if (words[1] == "graphic" && words[2].size() == 2) {
        command.verb = CommandVerb::StoreGraphic;
        command.key = std::string(words[2]);
        return command;
    }
    return std::nullopt;
}

}  // namespace

std::optional<ControlCommand> ParseControlCommand(std::string_view line)
{
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) return std::nullopt;
    if (words[0] == "nv") return ParseStoredImage(words);
    const std::string all = Join(words);
    const std::string allButLast = Join(std::span(words).first(words.size() - 1));
    for (const VerbName& v : kVerbs) {
        if (!v.takesCount) {
            if (all == v.words) return ControlCommand{v.verb};
            continue;
        }
        if (allButLast != v.words) continue;
        const std::optional<uint32_t> count = Number(words.back());
        if (!count || *count < v.minCount || *count > v.maxCount) return std::nullopt;
        return ControlCommand{v.verb, *count};
    }
    return std::nullopt;
}

bool ApplyToState(const ControlCommand& command, PrinterState& s)
{
    switch (command.verb) {
    case CommandVerb::CoverOpen: s.coverOpen = true; return true;
    case CommandVerb::CoverClose: s.coverOpen = false; return true;
    case CommandVerb::PaperNearEnd: s.paperNearEnd = true; return true;
    case CommandVerb::PaperOut: s.paperOut = true; return true;
    case CommandVerb::PaperRefill: s.paperNearEnd = s.paperOut = false; return true;
    case CommandVerb::CutterError: s.cutterError = true; return true;
    case CommandVerb::CutterClear: s.cutterError = false; return true;
    case CommandVerb::MechanicalError: s.mechanicalError = true; return true;
    case CommandVerb::UnrecoverableError: s.unrecoverableError = true; return true;
    // The errors the printer can leave once their cause is gone; an
    // unrecoverable one needs a reset.
    case CommandVerb::Recover: s.cutterError = s.mechanicalError = false; return true;
    case CommandVerb::Reset: s = PrinterState{}; return true;
    case CommandVerb::DrawerOpen: s.drawerOpen = true; return true;
    case CommandVerb::DrawerClose: s.drawerOpen = false; return true;
    case CommandVerb::FeedButtonPress: s.feedButtonPressed = true; return true;
    case CommandVerb::FeedButtonRelease: s.feedButtonPressed = false; return true;
    default: return false;
    }
}

const char* ControlCommandList()
{
    return "  cover open | cover close\n"
           "  paper near-end | paper out | paper refill\n"
           "  cutter error | cutter clear | mechanical error | unrecoverable error\n"
           "  recover                 clears cutter and mechanical errors\n"
           "  reset                   every sensor and error back to its power-on state\n"
           "  drawer open | drawer close\n"
           "  feed button press | feed button release\n"
           "  silence on | silence off   stop and resume sending status blocks\n"
           "  disconnect              close every TCP connection, drop pending pty output\n"
           "  garbage N               send N random bytes (1-1048576) on each status channel\n"
           "  short N                 send only the first N (1-3) bytes of the next block\n"
           "  slow N                  read at most N bytes per second on each channel (0: no limit)\n"
           "  status                  the current block and the counters\n"
           "  nv image N FILE         a PNG or BMP as stored bit image N (1-255)\n"
           "  nv graphic KEY FILE     a PNG or BMP as the stored graphic of the two-character KEY\n"
           "  quit                    stop the printer\n";
}

std::variant<std::vector<ScriptStep>, std::string> ParseScript(std::string_view text)
{
    std::vector<ScriptStep> steps;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words.front().front() == '#') continue;
        const std::string bad = "line " + std::to_string(lineNumber) + ": ";
        const std::optional<uint32_t> atMs = Number(words.front());
        if (!atMs) return bad + "a time in milliseconds comes first";
        const std::string commandText = Join(std::span(words).subspan(1));
        const std::optional<ControlCommand> command = ParseControlCommand(commandText);
        if (!command) return bad + "unknown command \"" + commandText + "\"";
        steps.push_back({*atMs, *command, commandText});
    }
    std::stable_sort(steps.begin(), steps.end(),
                     [](const ScriptStep& a, const ScriptStep& b) { return a.atMs < b.atMs; });
    return steps;
}

}  // namespace lt77::vprinter
