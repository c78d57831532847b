#include "preview/preview_session.h"

#include <algorithm>
#include <cstdio>

#include "common/driver_paths.h"
#include "common/utf.h"
#include "platform/files.h"
#include "platform/system_error.h"
#include "preview/preview_blocks.h"
#include "preview/raster_records.h"
#include "preview/raw_reprint.h"
#include "preview/scratch_bitmap.h"

namespace lt77::viewer {
namespace {

constexpr std::string_view kModelName = "LT-77";
constexpr uint32_t kModelWidthDots = 608;
constexpr uint32_t kOtherWidthDots = 512;

std::string Formatted(const char* format, unsigned long value)
{
    char text[96];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

}  // namespace

std::optional<PreviewTarget> PreviewTargetFor(std::string_view commandLine, std::string_view windowsFolder)
{
    if (commandLine.empty()) return std::nullopt;
    PreviewTarget target;
    target.printerName = std::string(commandLine.substr(0, commandLine.find(',')));
    const bool model = target.printerName.find(kModelName) != std::string::npos;
    target.printWidthDots = model ? kModelWidthDots : kOtherWidthDots;
    target.dataFolder = model ? DriverDataFolder(windowsFolder) : std::string(windowsFolder);
    return target;
}

std::string PreviewWindowTitle(std::string_view printerName)
{
    return std::string(kPreviewTitle) + " (" + std::string(printerName) + ")";
}

std::vector<std::string> PreviewHandOverTitles(std::string_view commandLine)
{
    std::string_view name = commandLine;
    if (name.find(',') != std::string_view::npos) name.remove_suffix(1);
    return {PreviewWindowTitle(name), std::string(kPreviewTitle)};
}

PreviewSession::PreviewSession(ViewerSystem system, PreviewTarget target)
    : system_(system), target_(std::move(target))
{
}

void PreviewSession::ListJobs() { jobs_ = ListJobFiles(system_.files, target_.dataFolder, "prn"); }

PreviewShown PreviewSession::Show(int index, bool again)
{
    PreviewShown out;
    if (jobs_.empty() || (index == shown_ && !again)) return out;
    if (index < 0 || static_cast<std::size_t>(index) >= jobs_.size()) {
        out.kind = PreviewShown::Kind::Message;
        out.message = "Failed to read the info-list.";
        return out;
    }
    // Read only: the data folder is the spooler's, and an operator who may
    // only read it must still see and print the job.
    const auto job = system_.files.ReadWhole(jobs_[index].path);
    if (!job) {
        out.kind = PreviewShown::Kind::Message;
        out.message = Formatted("fopen failed with (%lu)", LastSystemError());
        return out;
    }
    shown_ = index;
    out.kind = PreviewShown::Kind::PrintNow;
    const uint32_t rows = CountRasterRows(*job);
    if (rows == 0) return out;
    const uint32_t stride = StrideBytesFor(target_.printWidthDots);
    DecodedRows decoded = DecodeRasterRecords(*job, stride, rows);
    if (decoded.overflow || !decoded.anyBlack) return out;
    decoded.bits.resize(static_cast<std::size_t>(stride) * rows);
    out.kind = PreviewShown::Kind::Picture;
    out.picture = MonoPicture{target_.printWidthDots, rows, stride, std::move(decoded.bits)};
    const auto bitmap = EncodeScratchBitmap(out.picture);
    out.bitmapPath = WriteScratchBitmap(system_.files, system_.temp, target_.dataFolder, kPreviewBitmapName, bitmap)
                         .value_or(std::string());
    return out;
}

PreviewPrinted PreviewSession::Print(int index)
{
    PreviewPrinted out;
    if (jobs_.empty()) return out;
    if (index < 0 || static_cast<std::size_t>(index) >= jobs_.size()) {
        out.message = "Error : Read_Info function failed.";
        return out;
    }
    auto job = system_.files.ReadWhole(jobs_[index].path);
    if (!job) {
        out.message = "fopen function failed.";
        return out;
    }
    RemovePreviewBlocks(*job);
    const ReprintResult result = ReprintRaw(system_.spooler, system_.documents, Utf8ToUtf16(target_.printerName),
                                            Utf8ToUtf16(kPreviewDocumentName), *job);
    if (result.stage == ReprintResult::Stage::OpenPrinter)
        out.message = Formatted("OpenPrinter failed. (%lu)", result.error);
    out.printed = result.stage == ReprintResult::Stage::Done;
    return out;
}

}  // namespace lt77::viewer
