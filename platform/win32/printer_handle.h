// A spooler printer handle, closed when its owner goes: the one wrapper of
// OpenPrinter and AddPrinter handles for the platform layer, the host's
// queue setup and the Windows tests. Include after <windows.h> and
// <winspool.h>.
#pragma once

#include <string_view>
#include <utility>

namespace lt77::win32 {

class PrinterHandle {
public:
    PrinterHandle() = default;
    explicit PrinterHandle(HANDLE handle) : handle_(handle) {}
    ~PrinterHandle() { reset(); }
    PrinterHandle(PrinterHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    PrinterHandle& operator=(PrinterHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset()
    {
        if (handle_ != nullptr) ::ClosePrinter(handle_);
        handle_ = nullptr;
    }

    // Opens a queue by name; an empty handle on failure, with the system's
    // last error set.
    static PrinterHandle Open(const wchar_t* name, ACCESS_MASK access, ::DEVMODEW* devmode = nullptr)
    {
        PRINTER_DEFAULTSW defaults{nullptr, devmode, access};
        HANDLE handle = nullptr;
        if (!::OpenPrinterW(const_cast<wchar_t*>(name), &handle, &defaults)) return PrinterHandle();
        return PrinterHandle(handle);
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace lt77::win32
