#include <climits>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>
#include <winspool.h>

namespace lt77::win32 {
namespace {

class Win32File final : public File {
public:
    explicit Win32File(HANDLE file) : file_(file) {}
    ~Win32File() override { ::CloseHandle(file_); }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    DWORD Write(std::span<const uint8_t> bytes) override
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ::DWORD chunk = static_cast<::DWORD>(std::min<std::size_t>(bytes.size() - done, INT_MAX));
            ::DWORD written = 0;
            if (!::WriteFile(file_, bytes.data() + done, chunk, &written, nullptr) || written == 0) break;
            done += written;
        }
        return static_cast<DWORD>(done);
    }
    std::optional<DWORD> Read(std::span<uint8_t> out) override
    {
        std::size_t done = 0;
        while (done < out.size()) {
            const ::DWORD chunk = static_cast<::DWORD>(std::min<std::size_t>(out.size() - done, INT_MAX));
            ::DWORD read = 0;
            if (!::ReadFile(file_, out.data() + done, chunk, &read, nullptr)) return std::nullopt;
            if (read == 0) break;
            done += read;
        }
        return static_cast<DWORD>(done);
    }
    std::optional<uint64_t> SeekToEnd() override
    {
        LARGE_INTEGER position{};
        if (!::SetFilePointerEx(file_, LARGE_INTEGER{}, &position, FILE_END)) return std::nullopt;
        return static_cast<uint64_t>(position.QuadPart);
    }
    bool SeekToStart() override { return ::SetFilePointerEx(file_, LARGE_INTEGER{}, nullptr, FILE_BEGIN) != 0; }

private:
    HANDLE file_;
};

LocalTime LocalTimeOf(const FILETIME& utc)
{
    FILETIME local{};
    SYSTEMTIME t{};
    ::FileTimeToLocalFileTime(&utc, &local);
    ::FileTimeToSystemTime(&local, &t);
    return LocalTime{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

}  // namespace

std::string Win32FileSystem::WindowsFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return "C:\\Windows";
    return Utf8FromWide(std::wstring_view(folder, length));
}

std::string Win32FileSystem::PrintProcessorFolder()
{
    // Level 1, the environment of this build (null: the caller's own).
    wchar_t folder[MAX_PATH + 1] = {};
    ::DWORD needed = 0;
    if (!::GetPrintProcessorDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof(folder),
                                       &needed))
        return {};
    return Utf8FromWide(folder);
}

std::unique_ptr<File> Win32FileSystem::OpenOrCreate(std::string_view path, bool& existed, DWORD& error)
{
    // Share mode 0: while the file is open a second opener, in this process
    // or another, gets ERROR_SHARING_VIOLATION.
    const HANDLE file = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const ::DWORD last = ::GetLastError();
    if (file == INVALID_HANDLE_VALUE) {
        error = static_cast<DWORD>(last);
        return nullptr;
    }
    existed = last == ERROR_ALREADY_EXISTS;
    error = 0;
    return std::make_unique<Win32File>(file);
}

std::unique_ptr<File> Win32FileSystem::OpenForAppend(std::string_view path, DWORD& error)
{
    const HANDLE file = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = static_cast<DWORD>(::GetLastError());
        return nullptr;
    }
    ::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END);
    error = 0;
    return std::make_unique<Win32File>(file);
}

std::optional<std::vector<uint8_t>> Win32FileSystem::ReadWhole(std::string_view path)
{
    const HANDLE handle = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    Win32File file(handle);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size) || size.QuadPart < 0) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    const auto read = file.Read(bytes);
    if (!read) return std::nullopt;
    bytes.resize(*read);
    return bytes;
}

bool Win32FileSystem::MakeFolder(std::string_view path)
{
    const std::wstring wide = WideFromUtf8(path);
    if (::CreateDirectoryW(wide.c_str(), nullptr)) return true;
    const ::DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::RemoveFile(std::string_view path) { return ::DeleteFileW(WideFromUtf8(path).c_str()) != 0; }

bool Win32FileSystem::CopyOver(std::string_view from, std::string_view to, DWORD& error)
{
    if (!::CopyFileW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), FALSE)) {
        error = static_cast<DWORD>(::GetLastError());
        return false;
    }
    error = 0;
    return true;
}

bool Win32FileSystem::Exists(std::string_view path)
{
    return ::GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<FileEntry> Win32FileSystem::ListFolder(std::string_view folder)
{
    std::vector<FileEntry> entries;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(WideFromUtf8(JoinPath(folder, "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::wstring_view name(found.cFileName);
        if (name == L"." || name == L"..") continue;
        FileEntry e;
        e.name = Utf8FromWide(name);
        e.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.size = e.isFolder ? 0 : (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        e.lastWrite = LocalTimeOf(found.ftLastWriteTime);
        entries.push_back(std::move(e));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return entries;
}

}  // namespace lt77::win32

namespace lt77 {

FileSystem& SystemFileSystem()
{
    static win32::Win32FileSystem instance;
    return instance;
}

}  // namespace lt77
