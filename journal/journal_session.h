// The journal viewer's model: printer and folder from the command line, the
// journal list and its date search, the picture of the selected journal and
// its re-print. JnlViewer.exe and the Linux command carry out the outcomes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "journal/date_filter.h"
#include "preview/job_list.h"
#include "preview/mono_picture.h"
#include "preview/preview_session.h"

namespace lt77::journal {

inline constexpr std::string_view kJournalBitmapName = "PreviewJnl.bmp";
inline constexpr std::string_view kJournalDocumentName = "Journal Document";
inline constexpr std::string_view kJournalNoCommandLine =
    "Please execute this application through windows driver properties.";

struct JournalTarget {
    std::string printerName;    // the first ","-separated token
    uint32_t printWidthDots = 0;  // 576 for an LT-77, 512 for a name no model matches
    std::string journalFolder;    // Windows folder + "\" + the model's folder name
};

// Nothing for an empty command line.
std::optional<JournalTarget> JournalTargetFor(std::string_view commandLine, std::string_view windowsFolder);

// "Journal Viewer (<printer>)".
std::string JournalWindowTitle(std::string_view printerName);
std::vector<std::string> JournalHandOverTitles(std::string_view commandLine);

struct JournalShown {
    enum class Kind { Nothing, Message, Cleared, Picture };
    Kind kind = Kind::Nothing;
    std::string message;
    viewer::MonoPicture picture;
    std::string bitmapPath;
};

class JournalSession {
public:
    JournalSession(viewer::ViewerSystem system, JournalTarget target, const LocalTime& today);

    const JournalTarget& Target() const { return target_; }
    const std::vector<viewer::JobEntry>& Journals() const { return journals_; }
    const SearchRange& Range() const { return range_; }
    int Selected() const { return selected_; }

    // Every "*.jnl" of the journal folder; selects the first.
    void ListAll();
    // Keeps the range and lists only the journals written within it.
    void Search(const SearchRange& range);
    // Shows the entry when the selection moves to it.
    JournalShown Select(int index);
    // Sends the entry's journal without its preview blocks; a printer that
    // cannot be opened or started skips the job without a word. Returns the
    // message to show, empty for none.
    std::string Print(int index);

private:
    void Fill(const SearchRange* range);

    viewer::ViewerSystem system_;
    JournalTarget target_;
    SearchRange range_;
    std::vector<viewer::JobEntry> journals_;
    int selected_ = -1;
};

// The journal viewer's own reading of the raster records: nothing when the
// journal has no record or its rows do not fit the decode area; a journal
// whose records print nothing black still shows (a white picture).
std::optional<viewer::MonoPicture> DecodeJournalPicture(std::span<const uint8_t> journal, uint32_t printWidthDots);

}  // namespace lt77::journal
