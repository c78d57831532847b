// The process-wide state of possdk (the device context of the last
// connect, the queue's device and driver names) and what it takes from the
// system. The exports run on the one instance of the loaded library; tests
// run instances on parts of their own.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/port_spooler.h"
#include "platform/print_documents.h"
#include "platform/printer_dc.h"
#include "platform/spooler.h"

namespace lt77::possdk {

struct SdkSystem {
    Spooler& spooler;           // OpenPrinter, GetPrinter level 2
    PortSpooler& ports;         // the queue's attributes (SetPrinter level 2)
    PrintDocuments& documents;  // the raw job
    PrinterDevices& devices;    // device contexts
    MessageBoxes& messages;
    CodePages& codePages;
};

SdkSystem& SystemSdkSystem();

inline constexpr DWORD PRINTER_ATTRIBUTE_WORK_OFFLINE_FLAG = 0x400;
inline constexpr DWORD PRINTER_ACCESS_USE_RIGHT = 0x8;
inline constexpr uint32_t kWriteRefused = 0xFFFFFFFF;
// What the engine's end-of-document and end-of-page calls give without a
// device context.
inline constexpr int32_t SP_ERROR_RESULT = -1;

// The narrow and wide forms share one body and pass in what differs.
enum class TextForm { kNarrow, kWide };

struct TextStyle {
    bool bold = false;
    int32_t rotation = 0;
    bool italic = false;
    bool underline = false;
};

class PrintLibrary {
public:
    explicit PrintLibrary(SdkSystem& system);
    ~PrintLibrary();
    PrintLibrary(const PrintLibrary&) = delete;
    PrintLibrary& operator=(const PrintLibrary&) = delete;

    int32_t ConnectPrinter(std::u16string_view name, TextForm form);
    void DisconnectPrinter();
    int32_t Start_Doc(std::u16string_view documentName);
    int32_t End_Doc();
    int32_t Start_Page();
    int32_t End_Page();
    // Narrow text: bytes in the code page of the face's character set.
    int32_t PrintText(int32_t x, int32_t y, std::u16string_view face, int32_t sizePoints, std::u16string_view text,
                      const TextStyle& style);
    int32_t PrintTextNarrow(int32_t x, int32_t y, std::string_view face, int32_t sizePoints, std::string_view text,
                            const TextStyle& style);
    int32_t PrintBitmap(int32_t x, int32_t y, std::u16string_view path, TextForm form);
    uint32_t WritePrintData(std::u16string_view name, const void* data, int32_t length, TextForm form);

    struct LoadedFont {
        FontHandle font = nullptr;
        FontHandle previous = nullptr;
    };
    // Makes the font of a face and size with its style, selects it and hands
    // back the font and the font it replaced; no font when it cannot be made.
    std::optional<LoadedFont> LoadFontW(std::u16string_view face, int32_t sizePoints, const TextStyle& style);
    // The logical font the text functions ask the engine for.
    FontDescription DescribeFont(std::u16string_view face, int32_t sizePoints, const TextStyle& style);

    // Narrow text of the system's code page as the engine reads it.
    std::u16string Widen(std::string_view text, unsigned codePage = CP_SYSTEM_ANSI);

    bool ConnectedForTesting() const { return dc_ != nullptr; }
    const std::u16string& DeviceNameForTesting() const { return deviceName_; }
    const std::u16string& DriverNameForTesting() const { return driverName_; }

private:
    void Show(const std::u16string& text, const char16_t* caption, DWORD style);
    void ClearWorkOffline(HANDLE printer);

    SdkSystem& sys_;
    std::unique_ptr<PrinterDC> dc_;
    std::unique_ptr<QueueHandle> printer_;  // held only during a connect
    std::u16string deviceName_;
    std::u16string driverName_;
};

// printf-style text for a message box.
std::u16string FormatMessage(const char* format, long value);

}  // namespace lt77::possdk
