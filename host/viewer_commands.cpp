#include "host/viewer_commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

#include "common/driver_paths.h"
#include "fcaeditor/control_table.h"
#include "host/queue_admin.h"
#include "host/picture_file.h"
#include "journal/journal_session.h"
#include "platform/files.h"
#include "platform/print_documents.h"
#include "platform/profile.h"
#include "platform/profile_writer.h"
#include "platform/spooler.h"
#include "platform/temporary_folder.h"
#include "preview/preview_session.h"

namespace lt77::host {

const char* const kViewerUsage =
    "  preview-job QUEUE [--png OUT] [--print]       the preview copy as the preview program shows and prints it\n"
    "  journal-list QUEUE [--from Y-M-D --to Y-M-D]  the journal files, all or written in the range\n"
    "  journal-show QUEUE INDEX OUT [--from .. --to ..]  an entry of that list as a picture\n"
    "  journal-print QUEUE INDEX [--from .. --to ..]     an entry of that list printed again\n"
    "  control-codes QUEUE                           the control-code editor's table\n"
    "  edit-control-code QUEUE CHAR DIGITS|--delete  one row of it edited and the table written\n"
    "  install-preview [--host LT77HOST]             a JobPreview.exe that runs preview-job when a document ends\n";

namespace {

struct Parsed {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
};

Parsed Parse(const std::vector<std::string>& args)
{
    static constexpr std::string_view kValued[] = {"--root", "--png", "--from", "--to", "--host"};
    Parsed out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            out.positional.push_back(a);
            continue;
        }
        const bool valued = std::find(std::begin(kValued), std::end(kValued), a) != std::end(kValued);
        out.options[a] = valued && i + 1 < args.size() ? args[++i] : "";
    }
    return out;
}

int Fail(std::ostream& err, const std::string& message)
{
    err << "lt77host: " << message << '\n';
    return 1;
}

viewer::ViewerSystem System()
{
    return viewer::ViewerSystem{SystemFileSystem(), SystemTemporaryFolder(), SystemSpooler(), SystemPrintDocuments()};
}

int WritePng(const viewer::MonoPicture& picture, const std::string& path, std::ostream& out, std::ostream& err)
{
    const std::string e = WritePicture(viewer::ToGreyPicture(picture), path);
    if (!e.empty()) return Fail(err, e);
    out << "picture " << path << ": " << picture.widthDots << " x " << picture.height << " dots\n";
    return 0;
}

int PreviewJob(const Parsed& p, std::ostream& out, std::ostream& err)
{
    // The rendering plug-in starts the program with the bare queue name.
    const auto target = viewer::PreviewTargetFor(p.positional[1], SystemFileSystem().WindowsFolder());
    if (!target) return Fail(err, std::string(viewer::kPreviewNoCommandLine));
    viewer::PreviewSession session(System(), *target);
    session.ListJobs();
    if (session.Jobs().empty()) return Fail(err, "no job file in " + target->dataFolder);
    const auto& job = session.Jobs()[0];
    out << "job " << job.path << "  " << job.date << ' ' << job.time << '\n';
    const viewer::PreviewShown shown = session.Show(0);
    bool print = p.options.count("--print") != 0;
    switch (shown.kind) {
    case viewer::PreviewShown::Kind::Nothing: break;
    case viewer::PreviewShown::Kind::Message: return Fail(err, shown.message);
    case viewer::PreviewShown::Kind::PrintNow:
        out << "nothing to show: printed at once\n";
        print = true;
        break;
    case viewer::PreviewShown::Kind::Picture:
        out << "bitmap " << (shown.bitmapPath.empty() ? std::string("(not written)") : shown.bitmapPath) << '\n';
        if (p.options.count("--png"))
            if (const int rc = WritePng(shown.picture, p.options.at("--png"), out, err)) return rc;
        break;
    }
    if (!print) return 0;
    const viewer::PreviewPrinted printed = session.Print(0);
    if (!printed.message.empty()) return Fail(err, printed.message);
    out << "printed on " << target->printerName << '\n';
    return 0;
}

std::optional<journal::SearchDate> ParseDate(const std::string& text, bool start, const LocalTime& today,
                                             std::ostream& err)
{
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3) {
        err << "lt77host: " << text << ": give the date as YEAR-MONTH-DAY\n";
        return std::nullopt;
    }
    using journal::SearchField;
    const std::pair<SearchField, int> fields[] = {
        {start ? SearchField::StartMonth : SearchField::EndMonth, m},
        {start ? SearchField::StartDay : SearchField::EndDay, d},
        {start ? SearchField::StartYear : SearchField::EndYear, y},
    };
    for (const auto& [field, value] : fields) {
        const journal::FieldCheck check = journal::CheckSearchField(field, std::to_string(value), today);
        if (check.message) {
            std::string message = *check.message;
            for (auto at = message.find("\r\n"); at != std::string::npos; at = message.find("\r\n")) message.replace(at, 2, " ");
            err << "lt77host: " << text << ": " << message << '\n';
            return std::nullopt;
        }
    }
    return journal::SearchDate{d, m, y};
}

// The journal session with its list as the command asks for it; nothing
// (after a message) when the dates are wrong.
std::optional<journal::JournalSession> JournalList(const Parsed& p, std::ostream& err)
{
    const auto target = journal::JournalTargetFor(p.positional[1], SystemFileSystem().WindowsFolder());
    if (!target) return std::nullopt;
    const LocalTime today = SystemClock().Now();
    journal::JournalSession session(System(), *target, today);
    const bool from = p.options.count("--from") != 0, to = p.options.count("--to") != 0;
    if (!from && !to) {
        session.ListAll();
        return session;
    }
    journal::SearchRange range = session.Range();
    if (from) {
        const auto d = ParseDate(p.options.at("--from"), true, today, err);
        if (!d) return std::nullopt;
        range.start = *d;
    }
    if (to) {
        const auto d = ParseDate(p.options.at("--to"), false, today, err);
        if (!d) return std::nullopt;
        range.end = *d;
    }
    session.Search(range);
    return session;
}

std::optional<int> Index(const std::string& text, std::ostream& err)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < 0 || v > 1000000) {
        err << "lt77host: " << text << ": give the entry's index (0 is the first)\n";
        return std::nullopt;
    }
    return static_cast<int>(v);
}

int JournalCommand(const std::string& command, const Parsed& p, std::ostream& out, std::ostream& err)
{
    auto session = JournalList(p, err);
    if (!session) return 1;
    if (command == "journal-list") {
        const auto& list = session->Journals();
        for (std::size_t i = 0; i < list.size(); ++i)
            out << i << "  " << list[i].date << "  " << list[i].time << "  " << list[i].path << '\n';
        out << list.size() << " journal file" << (list.size() == 1 ? "" : "s") << " in " << session->Target().journalFolder
            << '\n';
        return 0;
    }
    const auto index = Index(p.positional[2], err);
    if (!index) return 1;
    if (command == "journal-print") {
        const std::string message = session->Print(*index);
        if (!message.empty()) return Fail(err, message);
        out << "sent to " << session->Target().printerName << '\n';
        return 0;
    }
    const journal::JournalShown shown = session->Select(*index);
    if (shown.kind == journal::JournalShown::Kind::Message) return Fail(err, shown.message);
    if (shown.kind != journal::JournalShown::Kind::Picture) return Fail(err, "the journal holds no picture");
    out << "bitmap " << shown.bitmapPath << '\n';
    return WritePng(shown.picture, p.positional[3], out, err);
}

int ControlCodes(const std::string& command, const Parsed& p, std::ostream& out, std::ostream& err)
{
    const std::string printer = p.positional[1];
    std::string ini = fcaeditor::ControlCodeIniPath(SystemFileSystem().PrintProcessorFolder(), printer);
    ini = fcaeditor::FindFileAnyCase(SystemFileSystem(), ini);
    if (!SystemFileSystem().Exists(ini)) return Fail(err, std::string(fcaeditor::kNoIniFile) + " (" + ini + ")");
    fcaeditor::ControlCodeEditor editor;
    editor.Load(SystemProfile(), ini);
    if (command == "control-codes") {
        out << fcaeditor::EditorWindowTitle(ini, printer) << '\n';
        for (const std::string& row : editor.Rows()) out << row << '\n';
        return 0;
    }
    const std::string& character = p.positional[2];
    const int code = character.empty() ? 0 : static_cast<unsigned char>(character[0]);
    if (character.size() != 1 || code < fcaeditor::kFirstCode || code > 0x7F)
        return Fail(err, "give one character from space to DEL");
    editor.Select(code - fcaeditor::kFirstCode);
    if (p.options.count("--delete")) {
        editor.DeleteCommands();
    } else {
        if (p.positional.size() < 4) return Fail(err, "give the command digits or --delete");
        while (!editor.Field().Text().empty()) editor.Backspace();
        for (char c : p.positional[3]) editor.Type(c);
        if (const auto refused = editor.Apply()) return Fail(err, *refused);
    }
    if (const auto failed = editor.Ok(SystemProfileWriter(), ini)) return Fail(err, *failed);
    out << editor.Rows()[editor.Current()] << '\n';
    return 0;
}

// On the Linux host the shell runs a program file that may be executed
// (platform/posix/posix_shell.cpp); this one stands for JobPreview.exe and
// shows the preview copy as host/preview.png, its lines in host/preview.log.
int InstallPreview(const Parsed& p, std::ostream& out, std::ostream& err)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path self = p.options.count("--host") ? fs::path(p.options.at("--host")) : fs::read_symlink("/proc/self/exe", ec);
    if (ec) return Fail(err, "the preview program is played on the Linux host only");
    const fs::path root = fs::path(HostPathOf("C:\\Windows")).parent_path().parent_path();
    const fs::path script = HostPathOf(JoinPath(DriverDataFolder(SystemFileSystem().WindowsFolder()), "JobPreview.exe"));
    fs::create_directories(script.parent_path(), ec);
    fs::create_directories(root / "host", ec);
    const auto quoted = [](const fs::path& p) { return "'" + p.string() + "'"; };
    {
        std::ofstream file(script, std::ios::binary | std::ios::trunc);
        file << "#!/bin/sh\n# JobPreview.exe on the Linux host: started with the queue name.\n"
             << "exec " << quoted(self) << " --root " << quoted(root) << " preview-job \"$1\" --png "
             << quoted(root / "host" / "preview.png") << " >>" << quoted(root / "host" / "preview.log") << " 2>&1\n";
        if (!file) return Fail(err, script.string() + ": cannot write the file");
    }
    fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec, ec);
    if (ec) return Fail(err, script.string() + ": " + ec.message());
    out << "installed " << script.string() << '\n';
    return 0;
}

}  // namespace

bool IsViewerCommand(const std::string& command)
{
    return command == "preview-job" || command == "journal-list" || command == "journal-show" ||
           command == "journal-print" || command == "control-codes" || command == "edit-control-code" ||
           command == "install-preview";
}

int RunViewerCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Parsed p = Parse(args);
    const std::string& command = p.positional.at(0);
    if (command == "install-preview") return InstallPreview(p, out, err);
    const std::size_t need = command == "journal-show" ? 4 : command == "journal-print" ? 3
                             : command == "edit-control-code" ? 3 : 2;
    if (p.positional.size() < need) {
        err << "usage:\n" << kViewerUsage;
        return 2;
    }
    if (command == "preview-job") return PreviewJob(p, out, err);
    if (command.rfind("journal-", 0) == 0) return JournalCommand(command, p, out, err);
    return ControlCodes(command, p, out, err);
}

}  // namespace lt77::host
