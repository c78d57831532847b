// What a document leaves outside the spooler: its journal file (with the
// recorded copies), the preview copy and the preview program's start, and
// the settings text in the spooler's job record for the print processor.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "platform/oem/com.h"
#include "platform/platform.h"
#include "render/device_record.h"

namespace lt77 {

inline constexpr const char* kPreviewCopyName = "JobPreview.prn";
inline constexpr const char* kPreviewProgram = "JobPreview.exe";

// <Windows>\LT-77
std::string JournalFolder(Platform& platform);
// "20261207_043015.jnl" for that local time.
std::string JournalFileName(const LocalTime& t);

class JobOutputs {
public:
    explicit JobOutputs(Platform& platform) : platform_(platform) {}

    bool IsOpen() const { return m_hFileHandle != nullptr; }
    const std::string& Path() const { return m_szJournalPath; }

    // Creates (or opens and appends to) the document's journal file.
    bool GetFileHandle(const OemPDEV& pdev);
    // True when the open journal took all bytes; false without effect when none is open.
    bool WritePrintDataToFile(std::span<const uint8_t> bytes);
    // Appends copies 2 ... n, closes the journal, makes the preview copy and
    // deletes the journal unless it is kept.
    void SendMultipleCopies(const OemPDEV& pdev, const DEVMODEW* publicDm);
    void Close() { m_hFileHandle.reset(); }
    // Starts the preview program on the queue (the caller checks the setting).
    void StartPreview(const OemPDEV& pdev);

private:
    Platform& platform_;
    std::unique_ptr<File> m_hFileHandle;
    std::string m_szJournalPath;
};

// Writes the settings text, position 0 and the copy count into the job record.
bool SetPrintProcessorParam(PDEVOBJ pdevobj);
// The settings text: the 44 values, each "%d ".
std::string PrintProcessorParameters(const UIInfo& ui);
// Traces the public device mode and the queue's information.
void PrintDevModeInformation(Spooler& spooler, PDEVOBJ pdevobj);

}  // namespace lt77
