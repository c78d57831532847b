// The control-code editor's model: the printer and INI file its command line
// names, the table of the 96 characters 0x20 ... 0x7F with the command bytes
// each one sends in the font "ZozaRurodirA", the row being edited, and the
// section written back on "OK".
//
// A row is one text line: the character, four spaces, its code "%02x", four
// spaces (the 11-character prefix), then the commands as digit pairs each
// followed by a space ("A    41    1b 4a 05 ").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fcaeditor/command_field.h"

namespace lt77 {
class FileSystem;
class Profile;
class ProfileWriter;
}  // namespace lt77

namespace lt77::fcaeditor {

inline constexpr std::string_view kSection = "ZozaRurodirA";
inline constexpr std::string_view kEditorCaption = "ZozaRurodirA Editor";
inline constexpr std::string_view kNoParameters = "Not valid parameters.";
inline constexpr std::string_view kNoIniFile = "The INI File does not exist.";
inline constexpr std::string_view kInvalidCommands = "Please enter valid commands";
inline constexpr std::size_t kRowPrefixChars = 11;
inline constexpr int kFirstCode = 0x20;
inline constexpr int kRowCount = 96;

// The arguments joined with " " and cut at the first ","; nothing without
// arguments.
std::optional<std::string> EditorPrinterName(const std::vector<std::string>& arguments);

// The print-processor folder and the INI file of the first model whose name
// occurs in the printer name ("LT-77": "\LT77.ini"); the bare folder when
// none does.
std::string ControlCodeIniPath(std::string_view printProcessorFolder, std::string_view printerName);

// The system compares file names without regard to case ("LT77.ini" is the
// file the rendering plug-in opens as "LT77.INI"); on a file system that does
// not, this finds the file under its own spelling. The path as given when no
// file matches.
std::string FindFileAnyCase(FileSystem& files, const std::string& path);

std::string EditorWindowTitle(std::string_view iniPath, std::string_view printerName);
// The titles a second start looks for, in order.
std::vector<std::string> EditorHandOverTitles(std::string_view iniPath, std::string_view printerName);

class ControlCodeEditor {
public:
    // Reads the key "%02x" of each character (at most 1023 characters of a
    // value) and selects row 0.
    void Load(Profile& profile, const std::string& iniPath);

    const std::vector<std::string>& Rows() const { return rows_; }
    int Current() const { return current_; }
    // The large displays: the character and its two-digit code.
    char CurrentChar() const;
    std::string CurrentCode() const;

    void Select(int index);
    CommandField& Field() { return field_; }
    const CommandField& Field() const { return field_; }
    bool ApplyEnabled() const { return applyEnabled_; }

    // Edits of the field through these keep "Apply" in step.
    void Type(char c);
    void Backspace();
    void Delete();

    // The row takes the field's commands; refused with the message when a
    // digit is left without its partner.
    std::optional<std::string> Apply();
    // Removes the current row's commands.
    void DeleteCommands();
    // Applies a pending edit, then writes the section anew. A refused edit
    // writes nothing and returns its message (the window stays open); a
    // failed write returns a message with the system error.
    std::optional<std::string> Ok(ProfileWriter& writer, const std::string& iniPath);

    // (key, value) for every row with commands, in row order.
    std::vector<std::pair<std::string, std::string>> SectionEntries() const;

private:
    std::vector<std::string> rows_;
    int current_ = 0;
    CommandField field_;
    bool applyEnabled_ = false;
};

}  // namespace lt77::fcaeditor
