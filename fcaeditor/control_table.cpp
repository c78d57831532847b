#include "fcaeditor/control_table.h"

#include <cctype>
#include <cstdio>

#include "common/ascii_case.h"
#include "common/driver_paths.h"
#include "common/utf.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_writer.h"

namespace lt77::fcaeditor {
namespace {

struct Model {
    std::string_view name;
    std::string_view iniFile;
};
// The maker's models in the order they are tested.
constexpr Model kModels[] = {{"LT-77", "\\LT77.ini"}};

std::string CodeText(int code)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%02x", static_cast<unsigned>(code));
    return text;
}

// One space after every second character of the stored value.
std::string SpacedPairs(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        out.push_back(value[i]);
        if (i % 2 == 1) out.push_back(' ');
    }
    return out;
}

std::string WithoutSpaces(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (c != ' ') out.push_back(c);
    return out;
}

}  // namespace

std::optional<std::string> EditorPrinterName(const std::vector<std::string>& arguments)
{
    if (arguments.empty()) return std::nullopt;
    std::string joined;
    for (std::size_t i = 0; i < arguments.size(); ++i) joined += (i ? " " : "") + arguments[i];
    return joined.substr(0, joined.find(','));
}

std::string ControlCodeIniPath(std::string_view printProcessorFolder, std::string_view printerName)
{
    for (const Model& m : kModels)
        if (printerName.find(m.name) != std::string_view::npos)
            return std::string(printProcessorFolder) + std::string(m.iniFile);
    return std::string(printProcessorFolder);
}

std::string FindFileAnyCase(FileSystem& files, const std::string& path)
{
    if (files.Exists(path)) return path;
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return path;
    const std::string folder = path.substr(0, slash);
    const std::string_view name = std::string_view(path).substr(slash + 1);
    for (const FileEntry& e : files.ListFolder(folder))
        if (!e.isFolder && EqualsNoCase(e.name, name)) return folder + "\\" + e.name;
    return path;
}

std::string EditorWindowTitle(std::string_view iniPath, std::string_view printerName)
{
    return std::string(kEditorCaption) + " - " + std::string(iniPath) + " (" + std::string(printerName) + ")";
}

std::vector<std::string> EditorHandOverTitles(std::string_view iniPath, std::string_view printerName)
{
    const std::string withPath = std::string(kEditorCaption) + " - " + std::string(iniPath);
    return {withPath, EditorWindowTitle(iniPath, printerName), "KLWFcaEditor", std::string(kEditorCaption),
            "FcaEditor"};
}

void ControlCodeEditor::Load(Profile& profile, const std::string& iniPath)
{
    rows_.clear();
    for (int code = kFirstCode; code < kFirstCode + kRowCount; ++code) {
        const std::string key = CodeText(code);
        std::string row(1, static_cast<char>(code));
        row += "    " + key + "    ";
        DWORD error = 0;
        if (const auto value = profile.ReadString(iniPath, kSection, key, 1024, error))
            row += SpacedPairs(Utf16ToUtf8(*value));
        rows_.push_back(std::move(row));
    }
    Select(0);
}

char ControlCodeEditor::CurrentChar() const { return rows_[current_][0]; }

std::string ControlCodeEditor::CurrentCode() const { return rows_[current_].substr(5, 2); }

void ControlCodeEditor::Select(int index)
{
    if (index < 0 || index >= static_cast<int>(rows_.size())) return;
    current_ = index;
    std::string rest = rows_[index].substr(kRowPrefixChars);
    if (!rest.empty() && rest.back() != ' ') rest += ' ';
    field_.SetText(std::move(rest));
    applyEnabled_ = false;
}

void ControlCodeEditor::Type(char c)
{
    if (field_.Type(c)) applyEnabled_ = true;
}

void ControlCodeEditor::Backspace()
{
    field_.Backspace();
    applyEnabled_ = true;
}

void ControlCodeEditor::Delete()
{
    if (field_.Delete()) applyEnabled_ = true;
}

std::optional<std::string> ControlCodeEditor::Apply()
{
    if (rows_.empty()) return std::nullopt;
    const std::string& text = field_.Text();
    if (text.size() % 3 == 1) return std::string(kInvalidCommands);
    // The rendering plug-in drops a value with lower-case digits as a whole,
    // so digits typed in lower case would print nothing: an applied row is
    // stored in upper case. Rows the operator does not apply keep their
    // file's spelling.
    std::string commands = text;
    for (char& c : commands) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    field_.SetText(commands);
    rows_[current_] = rows_[current_].substr(0, kRowPrefixChars) + commands;
    applyEnabled_ = false;
    return std::nullopt;
}

void ControlCodeEditor::DeleteCommands()
{
    if (rows_.empty() || rows_[current_].size() <= kRowPrefixChars) return;
    rows_[current_].resize(kRowPrefixChars);
    field_.SetText({});
}

std::vector<std::pair<std::string, std::string>> ControlCodeEditor::SectionEntries() const
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& row : rows_) {
        const std::string value = WithoutSpaces(std::string_view(row).substr(kRowPrefixChars));
        if (!value.empty()) entries.emplace_back(row.substr(5, 2), value);
    }
    return entries;
}

std::optional<std::string> ControlCodeEditor::Ok(ProfileWriter& writer, const std::string& iniPath)
{
    if (applyEnabled_) {
        if (auto refused = Apply()) return refused;
    }
    if (const DWORD error = writer.ReplaceSection(iniPath, kSection, SectionEntries())) {
        char text[96];
        std::snprintf(text, sizeof(text), "The INI file could not be written. (%lu)", static_cast<unsigned long>(error));
        return std::string(text);
    }
    return std::nullopt;
}

}  // namespace lt77::fcaeditor
