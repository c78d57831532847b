#include "render/job_commands.h"

#include "render/core_services.h"
#include "render/settings_loader.h"
#include "render/trace.h"

namespace lt77 {
namespace {

constexpr uint8_t kInitialise[] = {0x1B, 0x40, 0x1B, 0x3D, 0x01};
constexpr uint8_t kStringTerminator[] = {0x1B, 0x4A, 0x00};
constexpr uint8_t kCutSequence[] = {0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1D, 0x56, 0x42, 0x00, 0x1B, 0x32};
constexpr uint8_t kFeedSequence[] = {0x00, 0x1B, 0x33, 0x00, 0x00, 0x0A, 0x1B, 0x4A, 0x00, 0x1B, 0x32, 0x0C};
constexpr uint8_t kFixedDrawerPulse = 0x19;

void Append(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

void AppendDrawerPulse(std::vector<uint8_t>& out, uint8_t drawer, uint8_t pulse)
{
    Append(out, std::vector<uint8_t>{0x1B, 0x70, drawer, pulse, 0xFF});
}

void AppendBuzzer(std::vector<uint8_t>& out, uint8_t value) { Append(out, std::vector<uint8_t>{0x1B, 0x42, 0x00, value}); }

void AppendUserString(std::vector<uint8_t>& out, const uint8_t* bytes, uint32_t length)
{
    if (length == 0) return;
    Append(out, std::span(bytes, std::min<std::size_t>(length, kUserCommandMax)));
    Append(out, kStringTerminator);
}

std::vector<uint8_t> BuildPageCmd(const uint8_t* userBytes, uint32_t userLength, uint8_t storedImage, bool graphics)
{
    std::vector<uint8_t> out;
    AppendUserString(out, userBytes, userLength);
    if (storedImage != 0) {
        Append(out, kStringTerminator);
        Append(out, BuildStoredImageCmd(storedImage, graphics));
    }
    return out;
}

void AppendPageMark(std::vector<uint8_t>& out, const UIInfo& ui)
{
    Append(out, std::vector<uint8_t>{0x00, 0x08, ui.byPage[0], ui.byPage[1]});
}

// A direct write: the whole command to the spooler, then the journal.
bool SendDirect(JobContext& job, const std::vector<uint8_t>& bytes, bool journal)
{
    const std::size_t taken = WriteToSpooler(job.core, job.pdevobj, bytes, 0);
    if (journal) job.outputs.WritePrintDataToFile(bytes);
    return taken == bytes.size();
}

}  // namespace

std::vector<uint8_t> BuildStoredImageCmd(uint8_t image, bool graphicsForm)
{
    if (graphicsForm)
        return {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, 0x30, static_cast<uint8_t>(image + 0x2F), 0x01, 0x01};
    return {0x1C, 0x70, image, 0x00};
}

std::vector<uint8_t> BuildStartDocCmd(const UIInfo& ui)
{
    const uint8_t* v = ui.byteValue;
    std::vector<uint8_t> out(std::begin(kInitialise), std::end(kInitialise));
    if (v[IDX_DRAWER1_BEFORE]) AppendDrawerPulse(out, 0, v[IDX_DRAWER1_BEFORE_PULSE]);
    if (v[IDX_DRAWER2_BEFORE]) AppendDrawerPulse(out, 1, v[IDX_DRAWER2_BEFORE_PULSE]);
    if (v[IDX_BUZZER_START]) AppendBuzzer(out, v[IDX_BUZZER_START_VALUE]);
    AppendUserString(out, ui.byStartDoc, ui.dwStartDoc);
    if (v[IDX_STORED_IMAGE_START_DOC])
        Append(out, BuildStoredImageCmd(v[IDX_STORED_IMAGE_START_DOC], v[IDX_STORED_IMAGE_FORM] != 0));
    return out;
}

std::vector<uint8_t> BuildStartPageCmd(const UIInfo& ui)
{
    return BuildPageCmd(ui.byStartPage, ui.dwStartPage, ui.byteValue[IDX_STORED_IMAGE_START_PAGE],
                        ui.byteValue[IDX_STORED_IMAGE_FORM] != 0);
}

std::vector<uint8_t> BuildEndPageCmd(const UIInfo& ui)
{
    return BuildPageCmd(ui.byEndPage, ui.dwEndPage, ui.byteValue[IDX_STORED_IMAGE_END_PAGE],
                        ui.byteValue[IDX_STORED_IMAGE_FORM] != 0);
}

std::vector<uint8_t> BuildEndDocCmd(const UIInfo& ui)
{
    const uint8_t* v = ui.byteValue;
    std::vector<uint8_t> out;
    AppendUserString(out, ui.byEndDoc, ui.dwEndDoc);
    if (v[IDX_STORED_IMAGE_END_DOC])
        Append(out, BuildStoredImageCmd(v[IDX_STORED_IMAGE_END_DOC], v[IDX_STORED_IMAGE_FORM] != 0));
    if (v[IDX_DRAWER1_AFTER]) AppendDrawerPulse(out, 0, v[IDX_DRAWER1_AFTER_PULSE]);
    if (v[IDX_DRAWER2_AFTER]) AppendDrawerPulse(out, 1, v[IDX_DRAWER2_AFTER_PULSE]);
    if (v[IDX_BUZZER_END]) AppendBuzzer(out, v[IDX_BUZZER_END_VALUE]);
    out.insert(out.end(), v[IDX_LINE_FEEDS], 0x0A);
    return out;
}

std::vector<uint8_t> BuildCutCmd(const UIInfo& ui, DWORD callbackId, bool& supported)
{
    std::vector<uint8_t> out;
    supported = callbackId == KLW_ENDPAGE || callbackId == KLW_ENDDOC;
    const uint8_t mode = ui.byteValue[IDX_CUT_MODE];
    if (!supported || mode > 2) {
        supported = false;
        return out;
    }
    if (callbackId == KLW_ENDPAGE) {
        Append(out, mode == 2 ? std::span<const uint8_t>(kCutSequence) : std::span<const uint8_t>(kFeedSequence));
        AppendPageMark(out, ui);
    } else {
        Append(out, mode == 0 ? std::span<const uint8_t>(kFeedSequence) : std::span<const uint8_t>(kCutSequence));
    }
    return out;
}

std::size_t WriteToSpooler(IPrintOemDriverUni* core, PDEVOBJ pdevobj, std::span<const uint8_t> bytes,
                           std::size_t maxChunk)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::size_t chunk = bytes.size() - done;
        if (maxChunk != 0 && chunk > maxChunk) chunk = maxChunk;
        DWORD written = 0;
        if (!WriteSpoolBufOnce(core, pdevobj, bytes.subspan(done, chunk), written)) {
            done += written;  // what a failing call still took did reach the spooler
            break;
        }
        // A spooler that reports success but takes nothing would keep this
        // loop going for ever.
        if (written == 0) {
            TraceLog("DrvWriteSpoolBuf : no bytes taken; giving up with %u of %u bytes written.",
                     static_cast<unsigned>(done), static_cast<unsigned>(bytes.size()));
            break;
        }
        done += written;
    }
    return done;
}

bool SendPrintDataToPrinter(JobContext& job)
{
    TraceLog("SendPrintDataToPrinter : START");
    bool ok = true;
    const auto bytes = job.buffer.Bytes();
    if (!bytes.empty()) {
        const std::size_t written = WriteToSpooler(job.core, job.pdevobj, bytes, kSpoolChunkBytes);
        if (written != bytes.size()) {
            TraceLog("SendPrintDataToPrinter : DrvWriteSpoolBuf failed. (%u of %u)", static_cast<unsigned>(written),
                     static_cast<unsigned>(bytes.size()));
            ok = false;
        }
        // The journal keeps the whole page, even when the spooler took less.
        if (job.outputs.IsOpen()) job.outputs.WritePrintDataToFile(bytes);
    }
    TraceLog("SendPrintDataToPrinter : END");
    return ok;
}

bool SendStartDocCmd(JobContext& job)
{
    TraceLog("SendStartDocCmd : START");
    const auto cmd = BuildStartDocCmd(job.pdev.m_UIInfo);
    TraceLog("SendStartDocCmd : dwCmdLength : %u", static_cast<unsigned>(cmd.size()));
    const std::size_t taken = WriteToSpooler(job.core, job.pdevobj, cmd, 0);
    TraceLog("SendStartDocCmd : dwResult : %u", static_cast<unsigned>(taken));
    job.outputs.WritePrintDataToFile(cmd);
    TraceLog("SendStartDocCmd : END");
    return taken == cmd.size();
}

bool AddStartPageCmd(JobContext& job)
{
    TraceLog("AddStartPageCmd : START");
    const auto cmd = BuildStartPageCmd(job.pdev.m_UIInfo);
    const bool ok = cmd.empty() || job.buffer.AddPrintDataTobeSent(cmd);
    TraceLog("AddStartPageCmd : END");
    return ok;
}

bool AddEndPageCmd(JobContext& job)
{
    TraceLog("AddEndPageCmd : START");
    const auto cmd = BuildEndPageCmd(job.pdev.m_UIInfo);
    const bool ok = cmd.empty() || job.buffer.AddPrintDataTobeSent(cmd);
    TraceLog("AddEndPageCmd : END");
    return ok;
}

bool SendEndDocCmd(JobContext& job)
{
    TraceLog("SendEndDocCmd : START");
    const auto cmd = BuildEndDocCmd(job.pdev.m_UIInfo);
    const bool ok = cmd.empty() || SendDirect(job, cmd, true);
    TraceLog("SendEndDocCmd : END");
    return ok;
}

bool AddCutCommand(JobContext& job, DWORD callbackId)
{
    if (job.pdev.bNoCutNoFeeds || job.pdev.bNoCutNoFeeds2) {
        TraceLog("AddCutCommand : NO CUT & NO FEEDS.");
        return true;
    }
    bool supported = false;
    const auto cmd = BuildCutCmd(job.pdev.m_UIInfo, callbackId, supported);
    if (!supported) return true;
    return job.buffer.AddPrintDataTobeSent(cmd);
}

bool SendCutCommand(JobContext& job, DWORD callbackId)
{
    if (job.pdev.bNoCutNoFeeds || job.pdev.bNoCutNoFeeds2) {
        TraceLog("SendCutCommand : NO CUT & NO FEEDS.");
        return true;
    }
    bool supported = false;
    const auto cmd = BuildCutCmd(job.pdev.m_UIInfo, callbackId, supported);
    if (!supported) return false;
    return SendDirect(job, cmd, true);
}

bool SendOpenCashDrawerCmd(JobContext& job)
{
    bool anyWhole = false;
    if (job.pdev.bNoCutNoFeeds) {
        std::vector<uint8_t> pulse;
        AppendDrawerPulse(pulse, 0, kFixedDrawerPulse);
        anyWhole = SendDirect(job, pulse, false) || anyWhole;
    }
    if (job.pdev.bNoCutNoFeeds2) {
        std::vector<uint8_t> pulse;
        AppendDrawerPulse(pulse, 1, kFixedDrawerPulse);
        anyWhole = SendDirect(job, pulse, false) || anyWhole;
    }
    return anyWhole;
}

HRESULT SetPrintPageNumber(JobContext& job)
{
    uint8_t* page = job.pdev.m_UIInfo.byPage;
    const uint16_t next = static_cast<uint16_t>((page[0] | (page[1] << 8)) + 1);
    page[0] = static_cast<uint8_t>(next & 0xFF);
    page[1] = static_cast<uint8_t>(next >> 8);
    TraceLog("SetPrintPageNumber : pUIInfo->byPage[0] : %x", page[0]);
    TraceLog("SetPrintPageNumber : pUIInfo->byPage[1] : %x", page[1]);
    return SetPrinterDataToReg(job.pdev, kPagesValue, REG_BINARY_TYPE, std::span<const uint8_t>(page, 2));
}

}  // namespace lt77
