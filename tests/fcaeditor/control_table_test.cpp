#include "fcaeditor/control_table.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_writer.h"
#include "tests/platform/posix/temporary_root.h"

namespace lt77::fcaeditor {
namespace {
namespace fs = std::filesystem;

const std::string kIni = "C:\\Windows\\System32\\spool\\prtprocs\\x64\\LT77.ini";
const fs::path kIniFile = fs::path("drive_c") / "Windows" / "System32" / "spool" / "prtprocs" / "x64" / "LT77.ini";

class ControlTableTest : public lt77::testing::TemporaryRootTest {
protected:
    ControlCodeEditor Loaded(const std::string& ini)
    {
        WriteFile(kIniFile, ini);
        ControlCodeEditor editor;
        editor.Load(SystemProfile(), kIni);
        return editor;
    }
    std::string Written(ControlCodeEditor& editor)
    {
        EXPECT_EQ(editor.Ok(SystemProfileWriter(), kIni), std::nullopt);
        return ReadFile(kIniFile);
    }
};

TEST_F(ControlTableTest, StartUpNamesThePrinterAndItsIniFile)
{
    EXPECT_EQ(EditorPrinterName({"Front", "LT-77,", "more"}), "Front LT-77");
    EXPECT_EQ(EditorPrinterName({}), std::nullopt);
    EXPECT_EQ(ControlCodeIniPath("C:\\P", "Front LT-77"), "C:\\P\\LT77.ini");
    EXPECT_EQ(ControlCodeIniPath("C:\\P", "Office"), "C:\\P");
    EXPECT_EQ(EditorWindowTitle("C:\\P\\LT77.ini", "LT-77"), "ZozaRurodirA Editor - C:\\P\\LT77.ini (LT-77)");
    EXPECT_EQ(EditorHandOverTitles("C:\\P\\LT77.ini", "LT-77")[0], "ZozaRurodirA Editor - C:\\P\\LT77.ini");
    EXPECT_EQ(EditorHandOverTitles("C:\\P\\LT77.ini", "LT-77").size(), 5u);

    // The rendering plug-in's side writes the file as "LT77.INI".
    WriteFile(kIniFile.parent_path() / "LT77.INI", "[ZozaRurodirA]\r\n");
    EXPECT_EQ(FindFileAnyCase(SystemFileSystem(), kIni), "C:\\Windows\\System32\\spool\\prtprocs\\x64\\LT77.INI");
    EXPECT_EQ(FindFileAnyCase(SystemFileSystem(), "C:\\nowhere\\LT77.ini"), "C:\\nowhere\\LT77.ini");
}

TEST_F(ControlTableTest, RowsHaveTheirFixedLayoutAndWriteBackUnchanged)
{
    ControlCodeEditor editor = Loaded("[Other]\r\nx=1\r\n[ZozaRurodirA]\r\n41=1b4a05\r\n20=0A\r\n");
    ASSERT_EQ(editor.Rows().size(), 96u);
    EXPECT_EQ(editor.Rows()[0], "     20    0A ");
    EXPECT_EQ(editor.Rows()[0x21], "A    41    1b 4a 05 ");
    EXPECT_EQ(editor.Rows()[0x22], "B    42    ");
    EXPECT_EQ(editor.Rows()[95], "\x7f    7f    ");
    EXPECT_EQ(editor.Current(), 0);
    EXPECT_EQ(editor.Field().Text(), "0A ");
    editor.Select(0x21);
    EXPECT_EQ(editor.CurrentChar(), 'A');
    EXPECT_EQ(editor.CurrentCode(), "41");
    EXPECT_EQ(editor.Field().Text(), "1b 4a 05 ");
    EXPECT_FALSE(editor.ApplyEnabled());
    EXPECT_EQ(Written(editor), "[Other]\r\nx=1\r\n[ZozaRurodirA]\r\n20=0A\r\n41=1b4a05\r\n");
}

TEST_F(ControlTableTest, DeleteLeavesNoKeyAndApplyTakesTheEdit)
{
    ControlCodeEditor editor = Loaded("[ZozaRurodirA]\r\n41=1B40\r\n42=1D5600\r\n");
    editor.Select(0x21);
    editor.DeleteCommands();
    EXPECT_EQ(editor.Rows()[0x21], "A    41    ");
    EXPECT_EQ(editor.Field().Text(), "");
    editor.Select(0x22);
    editor.Backspace();
    editor.Backspace();
    EXPECT_TRUE(editor.ApplyEnabled());
    EXPECT_EQ(editor.Apply(), std::nullopt);
    EXPECT_EQ(editor.Rows()[0x22], "B    42    1D 56 ");
    EXPECT_FALSE(editor.ApplyEnabled());
    EXPECT_EQ(Written(editor), "[ZozaRurodirA]\r\n42=1D56\r\n");
}

TEST_F(ControlTableTest, AnUnpairedDigitIsRefusedAndTheRowKeepsItsCommands)
{
    ControlCodeEditor editor = Loaded("[ZozaRurodirA]\r\n43=1B45\r\n");
    editor.Select(0x23);
    while (!editor.Field().Text().empty()) editor.Backspace();
    for (char c : std::string("1B4")) editor.Type(c);
    EXPECT_EQ(editor.Field().Text(), "1B 4");
    EXPECT_EQ(editor.Apply(), std::string("Please enter valid commands"));
    EXPECT_EQ(editor.Rows()[0x23], "C    43    1B 45 ");
    // "OK" with the edit still pending writes nothing and stays.
    EXPECT_EQ(editor.Ok(SystemProfileWriter(), kIni), std::string("Please enter valid commands"));
    EXPECT_EQ(ReadFile(kIniFile), "[ZozaRurodirA]\r\n43=1B45\r\n");
    // A pending edit that is whole is applied by "OK", in upper case, which
    // is the only spelling the rendering plug-in sends.
    editor.Type('a');
    EXPECT_EQ(Written(editor), "[ZozaRurodirA]\r\n43=1B4A\r\n");
    EXPECT_EQ(editor.Rows()[0x23], "C    43    1B 4A ");
}

TEST_F(ControlTableTest, OddAndForeignValuesSurviveAndKeysOutsideTheTableAreDropped)
{
    const std::string longValue(2000, 'F');
    ControlCodeEditor editor =
        Loaded("[ZozaRurodirA]\r\n0a=1B40\r\n44=1b4\r\n45=zz9\r\n46=" + longValue + "\r\nff=00\r\n[Tail]\r\ny=2\r\n");
    EXPECT_EQ(editor.Rows()[0x24], "D    44    1b 4");
    EXPECT_EQ(editor.Rows()[0x25], "E    45    zz 9");
    // A value is read to 1023 characters, as the system's call with 1024 does.
    EXPECT_EQ(editor.SectionEntries()[2].second, std::string(1023, 'F'));
    editor.Select(0x25);
    EXPECT_EQ(editor.Field().Text(), "zz 9 ");
    // The first edit keeps only the digits.
    editor.Type('0');
    EXPECT_EQ(editor.Field().Text(), "90 ");
    EXPECT_EQ(Written(editor), "[Tail]\r\ny=2\r\n[ZozaRurodirA]\r\n44=1b4\r\n45=90\r\n46=" + std::string(1023, 'F') + "\r\n");
}

}  // namespace
}  // namespace lt77::fcaeditor
