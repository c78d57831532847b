// The three programs as built, under Wine on a virtual display: each is
// started with a queue name on a data folder holding the sample receipt's
// journal and preview copy, driven by window messages, checked by what it
// printed, wrote or drew, and photographed into the build tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/raster_decoder.h"
#include "host/queue_admin.h"

#include <windows.h>
#include <commctrl.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr char kQueue[] = "LT-77 Viewers";
constexpr UINT kPreviewPrint = 102, kPreviewZoomIn = 104, kJournalPrint = 104, kJournalSearch = 105;

Bytes ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                   static_cast<std::streamsize>(bytes.size()));
}

fs::path WindowsFolder()
{
    wchar_t folder[MAX_PATH] = {};
    ::GetWindowsDirectoryW(folder, MAX_PATH);
    return folder;
}

fs::path PrintProcessorFolder()
{
    wchar_t folder[MAX_PATH] = {};
    ::DWORD needed = 0;
    ::GetPrintProcessorDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof(folder), &needed);
    return folder;
}

// A started program, ended when the test is done with it.
class Program {
public:
    Program(const char* exe, const std::wstring& arguments)
    {
        std::wstring line = L"\"" + fs::path(exe).wstring() + L"\" " + arguments;
        STARTUPINFOW startup{sizeof(startup)};
        ok_ = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_);
    }
    ~Program()
    {
        if (!ok_) return;
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(info_.hProcess, 1);
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }
    bool Started() const { return ok_; }
    // Whether it ended within `ms`; its exit code in `code`.
    bool Ended(::DWORD ms, ::DWORD* code = nullptr) const
    {
        if (::WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return false;
        if (code) ::GetExitCodeProcess(info_.hProcess, code);
        return true;
    }
    // The program's top-level window of that title, once it is there.
    HWND Window(const std::wstring& title) const
    {
        for (int i = 0; i < 400; ++i) {
            if (const HWND w = ::FindWindowW(nullptr, title.c_str())) {
                ::DWORD pid = 0;
                ::GetWindowThreadProcessId(w, &pid);
                if (pid == info_.dwProcessId) return w;
            }
            if (Ended(50)) return nullptr;
        }
        return nullptr;
    }

private:
    PROCESS_INFORMATION info_{};
    BOOL ok_ = FALSE;
};

// The screen's pixels of a rectangle, 0x00RRGGBB, rows top first.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    bool Black(int x, int y) const
    {
        const uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
        return ((p >> 16 & 255) + (p >> 8 & 255) + (p & 255)) < 384;
    }
};

Shot Capture(const RECT& screenRect)
{
    Shot shot;
    shot.width = screenRect.right - screenRect.left;
    shot.height = screenRect.bottom - screenRect.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), shot.width, -shot.height, 1, 32, BI_RGB};
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, shot.width, shot.height, screen, screenRect.left, screenRect.top, SRCCOPY);
    ::GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    shot.pixels.assign(p, p + static_cast<std::size_t>(shot.width) * shot.height);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return shot;
}

// Photographs a window into the build tree as a 24-bit BMP.
void Photograph(HWND window, const char* name)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);
    RECT r{};
    ::GetWindowRect(window, &r);
    const Shot shot = Capture(r);
    const uint32_t stride = (static_cast<uint32_t>(shot.width) * 3 + 3) & ~3u;
    Bytes file(54 + stride * shot.height);
    const uint32_t size = static_cast<uint32_t>(file.size());
    auto put32 = [&](std::size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i)); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(shot.width));
    put32(22, static_cast<uint32_t>(shot.height));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t p = shot.pixels[static_cast<std::size_t>(shot.height - 1 - y) * shot.width + x];
            uint8_t* d = &file[54 + y * stride + x * 3];
            d[0] = p & 255;
            d[1] = p >> 8 & 255;
            d[2] = p >> 16 & 255;
        }
    WriteBytes(fs::path(LT77_SCREENSHOT_DIR) / (std::string(name) + ".bmp"), file);
}

// The receipt's compressed monochrome rows, read by the printer's own reader.
std::vector<std::vector<bool>> ReceiptRows(const Bytes& job)
{
    std::vector<std::vector<bool>> rows;
    for (std::size_t pos = 0; pos < job.size();) {
        const lt77::RasterRead read = lt77::ReadRasterCommand(job, pos);
        const auto* c = std::get_if<lt77::RasterCommand>(&read);
        if (!c) {
            ++pos;
            continue;
        }
        if (c->kind == lt77::RasterCommand::Kind::Plane && c->plane == 0)
            for (uint32_t y = 0; y < c->rows; ++y) {
                std::vector<bool> row(c->bytesPerRow * 8);
                for (uint32_t x = 0; x < row.size(); ++x) row[x] = (c->bits[y * c->bytesPerRow + x / 8] >> (7 - x % 8) & 1) != 0;
                rows.push_back(row);
            }
        pos += c->size;
    }
    return rows;
}

class ViewersWine : public ::testing::Test {
protected:
    void SetUp() override
    {
        receipt_ = ReadBytes(LT77_SAMPLE_RECEIPT);
        ASSERT_GT(receipt_.size(), 1000u);
        data_ = WindowsFolder() / "LT-77";
        fs::remove_all(data_);
        WriteBytes(data_ / "JobPreview.prn", receipt_);
        WriteBytes(data_ / "20261208_210819.jnl", receipt_);
        // Wine's local port takes a Unix path: the job lands in that file.
        const std::string port = "/tmp/lt77-viewers-" + std::to_string(::GetCurrentProcessId()) + ".prn";
        printed_ = fs::path("Z:\\") / port.substr(1);
        fs::remove(printed_);
        lt77::host::QueueSetup setup;
        setup.port = port;
        if (auto e = lt77::host::CreateQueue(kQueue, setup)) queueError_ = *e;
    }

    // What the queue's port received, once the spooler has written it.
    Bytes Printed() const
    {
        const fs::path& file = printed_;
        for (int i = 0; i < 100; ++i) {
            if (fs::exists(file) && fs::file_size(file) > 0) {
                ::Sleep(200);
                return ReadBytes(file);
            }
            ::Sleep(50);
        }
        return {};
    }

    Bytes receipt_;
    fs::path data_, printed_;
    std::string queueError_;
};

Bytes Reprinted(const Bytes& job)
{
    Bytes b = {'K', 'E', 'L', 'W', 'Y', 'N', 'T', ' ', 'P', 'r', 'e', 'v', 'i', 'e', 'w'};
    b.insert(b.end(), job.begin(), job.end());
    return b;
}

TEST_F(ViewersWine, JobPreviewShowsTheReceiptHandsOverAndPrintsIt)
{
    ASSERT_EQ(queueError_, "");
    Program preview(LT77_JOBPREVIEW_EXE, L"LT-77 Viewers,");
    ASSERT_TRUE(preview.Started());
    const HWND window = preview.Window(L"KELWYNT Preview Utility (LT-77 Viewers)");
    ASSERT_NE(window, nullptr);
    // The window takes messages from another process only once it has shown
    // its first job.
    ::SendMessageW(window, WM_NULL, 0, 0);
    EXPECT_TRUE(fs::exists(data_ / "KLWPreview.bmp"));
    Photograph(window, "job_preview");

    // At a factor of 1.0 the frame shows the picture dot for dot.
    ::SendMessageW(window, WM_COMMAND, kPreviewZoomIn, 0);
    const HWND frame = ::FindWindowExW(window, nullptr, L"LT77JobPreviewFrame", nullptr);
    ASSERT_NE(frame, nullptr);
    ::RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::Sleep(300);
    RECT client{};
    ::GetClientRect(frame, &client);
    POINT origin{0, 0};
    ::ClientToScreen(frame, &origin);
    const Shot shot = Capture(RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
    Photograph(window, "job_preview_zoom_1_0");
    const auto rows = ReceiptRows(receipt_);
    ASSERT_GT(rows.size(), static_cast<std::size_t>(shot.height));
    int matchedAt = -1;
    for (int dx = 0; dx + 608 <= shot.width && matchedAt < 0; ++dx) {
        bool same = true;
        for (int y = 0; y < shot.height && same; ++y)
            for (int x = 0; x < 608 && same; ++x)
                same = shot.Black(dx + x, y) == (static_cast<std::size_t>(x) < rows[y].size() && rows[y][x]);
        if (same) matchedAt = dx;
    }
    EXPECT_GE(matchedAt, 0) << "the frame does not show the receipt's rows";

    // A second start hands over to the first and ends; the first shows its
    // job again, which writes the scratch bitmap anew.
    fs::remove(data_ / "KLWPreview.bmp");
    Program second(LT77_JOBPREVIEW_EXE, L"LT-77 Viewers,");
    ::DWORD code = 99;
    EXPECT_TRUE(second.Ended(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(preview.Ended(0));
    // The posted message comes after any sent one: wait for the file.
    for (int i = 0; i < 100 && !fs::exists(data_ / "KLWPreview.bmp"); ++i) ::Sleep(50);
    EXPECT_TRUE(fs::exists(data_ / "KLWPreview.bmp"));

    ::PostMessageW(window, WM_COMMAND, kPreviewPrint, 0);
    EXPECT_TRUE(preview.Ended(10000));
    EXPECT_EQ(Printed(), Reprinted(receipt_));
}

TEST_F(ViewersWine, JobPreviewPrintsAJobWithNothingToShowAtOnce)
{
    ASSERT_EQ(queueError_, "");
    const Bytes text = {0x1B, 0x40, 'T', 'o', 't', 'a', 'l', 0x0A, 0x1D, 0x56, 0x41, 0x00};
    WriteBytes(data_ / "JobPreview.prn", text);
    Program preview(LT77_JOBPREVIEW_EXE, L"LT-77 Viewers,");
    ASSERT_TRUE(preview.Started());
    EXPECT_TRUE(preview.Ended(15000));
    EXPECT_EQ(Printed(), Reprinted(text));
}

TEST_F(ViewersWine, JnlViewerSearchesShowsAndReprints)
{
    ASSERT_EQ(queueError_, "");
    Program viewer(LT77_JNLVIEWER_EXE, L"LT-77 Viewers,");
    ASSERT_TRUE(viewer.Started());
    const HWND window = viewer.Window(L"Journal Viewer (LT-77 Viewers)");
    ASSERT_NE(window, nullptr);
    ::SendMessageW(window, WM_NULL, 0, 0);
    const HWND list = ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_TRUE(fs::exists(data_ / "PreviewJnl.bmp"));
    Photograph(window, "jnl_viewer");

    // A range that ends before today leaves the list empty.
    ::PostMessageW(window, WM_COMMAND, kJournalSearch, 0);
    HWND search = nullptr;
    for (int i = 0; i < 200 && !search; ++i, ::Sleep(50)) search = ::FindWindowW(L"LT77JnlSearch", nullptr);
    ASSERT_NE(search, nullptr);
    HWND fields[6] = {};
    for (int i = 0; i < 6; ++i) fields[i] = ::GetDlgItem(search, 200 + i);
    ::SendMessageW(fields[2], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2001"));
    ::SendMessageW(fields[5], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2002"));
    Photograph(search, "jnl_viewer_search");
    ::SendMessageW(search, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && ::IsWindow(search); ++i) ::Sleep(50);
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);

    // Back to all of this year: the journal is listed and printed again.
    ::PostMessageW(window, WM_COMMAND, kJournalSearch, 0);
    search = nullptr;
    for (int i = 0; i < 200 && !search; ++i, ::Sleep(50)) search = ::FindWindowW(L"LT77JnlSearch", nullptr);
    ASSERT_NE(search, nullptr);
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const std::wstring year = std::to_wstring(now.wYear);
    const wchar_t* texts[6] = {L"1", L"1", year.c_str(), L"12", L"31", year.c_str()};
    for (int i = 0; i < 6; ++i)
        ::SendMessageW(::GetDlgItem(search, 200 + i), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(texts[i]));
    ::SendMessageW(search, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && ::IsWindow(search); ++i) ::Sleep(50);
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);

    ::SendMessageW(window, WM_COMMAND, kJournalPrint, 0);
    EXPECT_EQ(Printed(), Reprinted(receipt_));

    // A second start hands over to the running viewer and ends; the first
    // stays.
    Program second(LT77_JNLVIEWER_EXE, L"LT-77 Viewers,");
    ::DWORD code = 99;
    EXPECT_TRUE(second.Ended(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(::IsWindow(window));

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(viewer.Ended(10000));
}

TEST_F(ViewersWine, ControlCodeEditorEditsAndWritesTheTable)
{
    const fs::path ini = PrintProcessorFolder() / "LT77.ini";
    WriteBytes(ini, Bytes{'[', 'Z', 'o', 'z', 'a', 'R', 'u', 'r', 'o', 'd', 'i', 'r', 'A', ']', '\r', '\n',
                          '4', '1', '=', '1', 'b', '4', 'a', '0', '5', '\r', '\n', '4', '2', '=', '1', 'B', '\r', '\n'});
    Program editor(LT77_FCAEDITOR_EXE, L"LT-77 Viewers");
    ASSERT_TRUE(editor.Started());
    const std::wstring title = L"ZozaRurodirA Editor - " + ini.wstring() + L" (LT-77 Viewers)";
    const HWND window = editor.Window(title);
    ASSERT_NE(window, nullptr) << fs::path(title).string();
    ::SendMessageW(window, WM_NULL, 0, 0);
    const HWND rows = ::GetDlgItem(window, 100);
    const HWND edit = ::GetDlgItem(window, 101);
    EXPECT_EQ(::SendMessageW(rows, LB_GETCOUNT, 0, 0), 96);

    // Row "A" shows its commands in pairs; "C" gets 1D 56 typed.
    ::SendMessageW(rows, LB_SETCURSEL, 0x21, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(100, LBN_SELCHANGE), reinterpret_cast<LPARAM>(rows));
    wchar_t text[64] = {};
    ::SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), L"1b 4a 05 ");
    ::SendMessageW(rows, LB_SETCURSEL, 0x23, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(100, LBN_SELCHANGE), reinterpret_cast<LPARAM>(rows));
    for (wchar_t c : std::wstring(L"1x D5 6")) ::SendMessageW(edit, WM_CHAR, c, 0);
    ::SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), L"1D 56 ");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window, 102)));
    ::SendMessageW(window, WM_COMMAND, 102, 0);
    // "B" loses its commands.
    ::SendMessageW(rows, LB_SETCURSEL, 0x22, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(100, LBN_SELCHANGE), reinterpret_cast<LPARAM>(rows));
    ::SendMessageW(window, WM_COMMAND, 103, 0);
    Photograph(window, "control_code_editor");

    // A second start hands over and ends.
    Program second(LT77_FCAEDITOR_EXE, L"LT-77 Viewers");
    ::DWORD code = 99;
    EXPECT_TRUE(second.Ended(10000, &code));
    EXPECT_EQ(code, 0u);

    ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(editor.Ended(10000));
    wchar_t value[64] = {};
    ::GetPrivateProfileStringW(L"ZozaRurodirA", L"41", L"", value, 64, ini.c_str());
    EXPECT_EQ(std::wstring(value), L"1b4a05");
    ::GetPrivateProfileStringW(L"ZozaRurodirA", L"43", L"", value, 64, ini.c_str());
    EXPECT_EQ(std::wstring(value), L"1D56");
    ::GetPrivateProfileStringW(L"ZozaRurodirA", L"42", L"missing", value, 64, ini.c_str());
    EXPECT_EQ(std::wstring(value), L"missing");
}

}  // namespace
