// The preview program's model: which printer and folder its command line
// names, the list of job files, what showing and printing a job does. The
// window (JobPreview.exe) and the Linux command only carry out the outcomes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "preview/job_list.h"
#include "preview/mono_picture.h"
#include "preview/view_state.h"

namespace lt77 {
class FileSystem;
class TemporaryFolder;
class Spooler;
class PrintDocuments;
}  // namespace lt77

namespace lt77::viewer {

// What a viewer takes from the system.
struct ViewerSystem {
    FileSystem& files;
    TemporaryFolder& temp;
    Spooler& spooler;
    PrintDocuments& documents;
};

inline constexpr std::string_view kPreviewTitle = "KELWYNT Preview Utility";
inline constexpr std::string_view kPreviewBitmapName = "KLWPreview.bmp";
inline constexpr std::string_view kPreviewDocumentName = "KELWYNT Preview";
inline constexpr std::string_view kPreviewNoCommandLine = "The application can not be launched directly.";

struct PreviewTarget {
    std::string printerName;  // the command line up to its first ","
    uint32_t printWidthDots = 0;  // 608 for an LT-77, 512 for any other name
    std::string dataFolder;       // Windows folder + "\LT-77", or the Windows folder
};

// Nothing for an empty command line.
std::optional<PreviewTarget> PreviewTargetFor(std::string_view commandLine, std::string_view windowsFolder);

// "KELWYNT Preview Utility (<printer>)".
std::string PreviewWindowTitle(std::string_view printerName);
// The titles a second start looks for, in order: the first with the command
// line (without its last character when it holds a ","), then the bare one.
std::vector<std::string> PreviewHandOverTitles(std::string_view commandLine);

struct PreviewShown {
    enum class Kind {
        Nothing,    // no such entry to show, or it is shown already
        Message,    // `message` in a box; the window stays
        Picture,    // `picture` (and its scratch bitmap at `bitmapPath`)
        PrintNow,   // nothing to show: print the job at once and end
    };
    Kind kind = Kind::Nothing;
    std::string message;
    MonoPicture picture;
    std::string bitmapPath;  // empty when neither folder took the file
};

struct PreviewPrinted {
    std::string message;  // empty when nothing is to be said; the program ends either way
    bool printed = false;
};

class PreviewSession {
public:
    PreviewSession(ViewerSystem system, PreviewTarget target);

    const PreviewTarget& Target() const { return target_; }
    const std::vector<JobEntry>& Jobs() const { return jobs_; }
    int ShownIndex() const { return shown_; }
    Zoom& ZoomState() { return zoom_; }

    // Lists "*.prn" of the data folder.
    void ListJobs();
    // Shows the entry when it is not the one shown (`again`: WM_USER + 1,
    // show it anyway).
    PreviewShown Show(int index, bool again = false);
    // Sends the entry's job without its preview blocks.
    PreviewPrinted Print(int index);

private:
    ViewerSystem system_;
    PreviewTarget target_;
    std::vector<JobEntry> jobs_;
    int shown_ = -1;
    Zoom zoom_;
};

}  // namespace lt77::viewer
