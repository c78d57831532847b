// The receipt printer's job framing: initialisation, drawer pulses, buzzer,
// stored logos, the user's command strings, line feeds, cut or feed and page
// marks, and the way they reach the spooler and the journal.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/command_callback_ids.h"
#include "platform/oem/com.h"
#include "render/command_buffer.h"
#include "render/device_record.h"
#include "render/job_outputs.h"

namespace lt77 {

inline constexpr std::size_t kSpoolChunkBytes = 4096;

// Everything one command step works on.
struct JobContext {
    PDEVOBJ pdevobj;
    OemPDEV& pdev;
    IPrintOemDriverUni* core;
    CommandBuffer& buffer;
    JobOutputs& outputs;
};

// Command bytes as built from the settings (no side effects).
std::vector<uint8_t> BuildStartDocCmd(const UIInfo& ui);
std::vector<uint8_t> BuildStartPageCmd(const UIInfo& ui);
std::vector<uint8_t> BuildEndPageCmd(const UIInfo& ui);
std::vector<uint8_t> BuildEndDocCmd(const UIInfo& ui);
std::vector<uint8_t> BuildStoredImageCmd(uint8_t image, bool graphicsForm);
// Empty when the mode writes nothing for that callback; `supported` false for
// an unknown mode or callback.
std::vector<uint8_t> BuildCutCmd(const UIInfo& ui, DWORD callbackId, bool& supported);

// Offers bytes to the spooler until all are taken, in pieces of at most
// `maxChunk` bytes (0: no limit). Stops when a call fails or takes nothing.
// Returns the bytes taken.
std::size_t WriteToSpooler(IPrintOemDriverUni* core, PDEVOBJ pdevobj, std::span<const uint8_t> bytes,
                           std::size_t maxChunk);

bool SendPrintDataToPrinter(JobContext& job);
bool SendStartDocCmd(JobContext& job);
bool AddStartPageCmd(JobContext& job);
bool AddEndPageCmd(JobContext& job);
bool SendEndDocCmd(JobContext& job);
bool AddCutCommand(JobContext& job, DWORD callbackId);
bool SendCutCommand(JobContext& job, DWORD callbackId);
bool SendOpenCashDrawerCmd(JobContext& job);
HRESULT SetPrintPageNumber(JobContext& job);

}  // namespace lt77

namespace lt77 {

// The command callback's work for one callback identifier.
void RunCommandCallback(JobContext& job, DWORD callbackId);

}  // namespace lt77
