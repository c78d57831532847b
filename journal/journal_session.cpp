#include "journal/journal_session.h"

#include "common/driver_paths.h"
#include "common/utf.h"
#include "platform/files.h"
#include "preview/preview_blocks.h"
#include "preview/raster_records.h"
#include "preview/raw_reprint.h"
#include "preview/scratch_bitmap.h"

namespace lt77::journal {
namespace {

struct Model {
    std::string_view name;  // found in the printer name; also the folder's name
    uint32_t widthDots;
};
// The maker's models in the order they are tested; the first whose name
// occurs in the printer name wins.
constexpr Model kModels[] = {{"LT-77", 576}};
constexpr uint32_t kUnknownWidthDots = 512;

}  // namespace

std::optional<JournalTarget> JournalTargetFor(std::string_view commandLine, std::string_view windowsFolder)
{
    if (commandLine.empty()) return std::nullopt;
    JournalTarget target;
    target.printerName = std::string(commandLine.substr(0, commandLine.find(',')));
    target.printWidthDots = kUnknownWidthDots;
    std::string_view folderName;
    for (const Model& m : kModels) {
        if (target.printerName.find(m.name) != std::string::npos) {
            target.printWidthDots = m.widthDots;
            folderName = m.name;
            break;
        }
    }
    target.journalFolder = folderName.empty() ? std::string(windowsFolder) : JoinPath(windowsFolder, folderName);
    return target;
}

std::string JournalWindowTitle(std::string_view printerName)
{
    return std::string(kJournalCaption) + " (" + std::string(printerName) + ")";
}

std::vector<std::string> JournalHandOverTitles(std::string_view commandLine)
{
    std::string_view name = commandLine;
    if (name.find(',') != std::string_view::npos) name.remove_suffix(1);
    return {JournalWindowTitle(name), std::string(kJournalCaption)};
}

std::optional<viewer::MonoPicture> DecodeJournalPicture(std::span<const uint8_t> journal, uint32_t printWidthDots)
{
    const uint32_t rows = viewer::CountRasterRows(journal);
    if (rows == 0) return std::nullopt;
    const uint32_t stride = viewer::StrideBytesFor(printWidthDots);
    viewer::DecodedRows decoded = viewer::DecodeRasterRecords(journal, stride, rows);
    if (decoded.overflow) return std::nullopt;
    decoded.bits.resize(static_cast<std::size_t>(stride) * rows);
    return viewer::MonoPicture{printWidthDots, rows, stride, std::move(decoded.bits)};
}

JournalSession::JournalSession(viewer::ViewerSystem system, JournalTarget target, const LocalTime& today)
    : system_(system), target_(std::move(target)), range_(TodayRange(today))
{
}

void JournalSession::Fill(const SearchRange* range)
{
    journals_ = viewer::ListJobFiles(system_.files, target_.journalFolder, "jnl");
    if (range) std::erase_if(journals_, [&](const viewer::JobEntry& e) { return !InDateRange(e.lastWrite, *range); });
    selected_ = -1;
}

void JournalSession::ListAll() { Fill(nullptr); }

void JournalSession::Search(const SearchRange& range)
{
    range_ = range;
    Fill(&range_);
}

JournalShown JournalSession::Select(int index)
{
    JournalShown out;
    if (index == selected_) return out;
    selected_ = index;
    if (index < 0 || static_cast<std::size_t>(index) >= journals_.size()) {
        out.kind = JournalShown::Kind::Message;
        out.message = "Failed to read the info-list.";
        return out;
    }
    const auto journal = system_.files.ReadWhole(journals_[index].path);
    if (!journal) {
        out.kind = JournalShown::Kind::Message;
        out.message = "Failed to Open the file";
        return out;
    }
    out.kind = JournalShown::Kind::Cleared;
    auto picture = DecodeJournalPicture(*journal, target_.printWidthDots);
    if (!picture) return out;
    const auto bitmap = viewer::EncodeScratchBitmap(*picture);
    const auto path =
        viewer::WriteScratchBitmap(system_.files, system_.temp, target_.journalFolder, kJournalBitmapName, bitmap);
    if (!path) return out;
    out.kind = JournalShown::Kind::Picture;
    out.picture = std::move(*picture);
    out.bitmapPath = *path;
    return out;
}

std::string JournalSession::Print(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= journals_.size()) return "Error : Failed to read info-list.";
    auto journal = system_.files.ReadWhole(journals_[index].path);
    if (!journal) return "File Open Error";
    viewer::RemovePreviewBlocks(*journal);
    viewer::ReprintRaw(system_.spooler, system_.documents, Utf8ToUtf16(target_.printerName),
                       Utf8ToUtf16(kJournalDocumentName), *journal);
    return {};
}

}  // namespace lt77::journal
