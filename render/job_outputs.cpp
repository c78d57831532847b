#include "render/job_outputs.h"

#include <cstdio>

#include "render/module_state.h"
#include "render/trace.h"

namespace lt77 {

std::string JournalFolder(Platform& platform) { return DriverDataFolder(platform.files.WindowsFolder()); }

std::string JournalFileName(const LocalTime& t)
{
    char name[48];
    std::snprintf(name, sizeof(name), "%02u%02u%02u_%02u%02u%02u.jnl", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return name;
}

bool JobOutputs::GetFileHandle(const OemPDEV& pdev)
{
    TraceLog("GetFileHandle : START");
    const uint8_t* v = pdev.m_UIInfo.byteValue;
    TraceLog("GetFileHandle : byteValue[19] = %d, byteValue[29] = %d, byteValue[30] = %d", v[IDX_JOURNAL_COPIES],
             v[IDX_PREVIEW_ON], v[IDX_JOURNAL_ON]);
    const std::string folder = JournalFolder(platform_);
    // An installation that never made the folder would otherwise lose the
    // journal, the copies and the preview copy without a word.
    if (!platform_.files.Exists(folder) && !platform_.files.MakeFolder(folder))
        TraceLog("GetFileHandle : CreateDirectory failed. (%d)", static_cast<int>(LastSystemError()));
    const std::string path = JoinPath(folder, JournalFileName(platform_.clock.Now()));
    bool existed = false;
    DWORD error = 0;
    auto file = platform_.files.OpenOrCreate(path, existed, error);
    if (!file) {
        TraceLog("GetFileHandle : CreateFile failed.");
        TraceLog("GetFileHandle : END");
        return false;
    }
    // Two documents started in the same second share the name; the second
    // one's bytes follow the first's.
    if (existed) file->SeekToEnd();
    m_hFileHandle = std::move(file);
    m_szJournalPath = path;
    TraceLog("GetFileHandle : END");
    return true;
}

bool JobOutputs::WritePrintDataToFile(std::span<const uint8_t> bytes)
{
    if (!m_hFileHandle) return false;
    TraceLog("WritePrintDataToFile : dwNumberOfBytes : %u", static_cast<unsigned>(bytes.size()));
    const DWORD written = m_hFileHandle->Write(bytes);
    TraceLog("WritePrintDataToFile : dwWritten : %u", written);
    return written == bytes.size();
}

void JobOutputs::SendMultipleCopies(const OemPDEV& pdev, const DEVMODEW* publicDm)
{
    TraceLog("SendMultipleCopies : START");
    const uint8_t* v = pdev.m_UIInfo.byteValue;
    int copies = v[IDX_JOURNAL_COPIES];
    if (publicDm != nullptr && publicDm->dmCopies > 1) copies = publicDm->dmCopies;
    if (copies > 1) TraceLog("SendMultipleCopies : nCopies : %d", copies);
    if (!m_hFileHandle) {
        TraceLog("SendMultipleCopies : m_hFileHandle is NULL.");
        TraceLog("SendMultipleCopies : END");
        return;
    }
    if (publicDm == nullptr) {
        TraceLog("SendMultipleCopies : pDevObj->pPublicDM is NULL.");
        TraceLog("SendMultipleCopies : END");
        return;
    }
    bool stop = false;
    if (copies > 1) {
        const auto size = m_hFileHandle->SeekToEnd();
        if (!size || !m_hFileHandle->SeekToStart()) {
            TraceLog("SendMultipleCopies : INVALID_FILE_SIZE || INVALID_SET_FILE_POINTER");
            stop = true;
        } else {
            std::vector<uint8_t> content(static_cast<std::size_t>(*size));
            const auto read = m_hFileHandle->Read(content);
            if (!read || *read != content.size()) {
                TraceLog("SendMultipleCopies : ReadFile failed with (%d)", static_cast<int>(LastSystemError()));
                stop = true;
            } else {
                m_hFileHandle->SeekToEnd();
                for (int i = 1; i < copies; ++i) WritePrintDataToFile(content);
            }
        }
    }
    if (!stop) {
        m_hFileHandle.reset();
        if (v[IDX_PREVIEW_ON] != 0) {
            DWORD error = 0;
            if (!platform_.files.CopyOver(m_szJournalPath, JoinPath(JournalFolder(platform_), kPreviewCopyName), error))
                TraceLog("SendMultipleCopies : CopyFile failed. (%d)", static_cast<int>(error));
        }
        if (v[IDX_JOURNAL_ON] == 0) platform_.files.RemoveFile(m_szJournalPath);
    }
    TraceLog("SendMultipleCopies : END");
}

void JobOutputs::StartPreview(const OemPDEV& pdev)
{
    DWORD error = 0;
    const std::string folder = JournalFolder(platform_) + "\\";
    const intptr_t result = platform_.shell.Open(kPreviewProgram, pdev.szPrinterName, folder, error);
    if (result > 32)
        TraceLog("CommandCallback : KLW_ENDDOC / ShellExecute succeeded. (%d)", static_cast<int>(result));
    else
        TraceLog("CommandCallback : KLW_ENDDOC / ShellExecute failed. (ErrCode : %d), (%d)", static_cast<int>(error),
                 static_cast<int>(result));
}

std::string PrintProcessorParameters(const UIInfo& ui)
{
    std::string text;
    char item[8];
    for (std::size_t i = 0; i < kSettingsCount; ++i) {
        std::snprintf(item, sizeof(item), "%d ", ui.byteValue[i]);
        text += item;
    }
    return text.substr(0, 176);
}

bool SetPrintProcessorParam(PDEVOBJ pdevobj)
{
    TraceLog("SetPrintProcessorParam : START");
    if (pdevobj == nullptr) {
        TraceLog("SetPrintProcessorParam : pdevobj is NULL");
        return false;
    }
    OemPDEV* pdev = RecordOf(pdevobj);
    if (pdev == nullptr) {
        TraceLog("SetPrintProcessorParam : pUIInfo is NULL");
        return false;
    }
    Spooler& spooler = PlatformOf(*pdev).spooler;
    JobRecord job;
    DWORD error = spooler.ReadJob(pdevobj->hPrinter, pdev->dwJobId, job);
    if (error != 0) {
        TraceLog("SetPrintProcessorParam : (1) GetJob failed with (%d)", static_cast<int>(error));
        pdev->dwJobId = g_dwJobId;
        error = spooler.ReadJob(pdevobj->hPrinter, pdev->dwJobId, job);
    }
    bool ok = false;
    if (error == 0) {
        job.parameters = Utf8ToUtf16(PrintProcessorParameters(pdev->m_UIInfo));
        job.position = 0;
        job.copies = pdev->m_UIInfo.byteValue[IDX_JOB_COPIES];
        error = spooler.WriteJob(pdevobj->hPrinter, job);
        if (error == 0) {
            TraceLog("SetPrintProcessorParam : SetJob succeeded.");
            ok = true;
        } else {
            TraceLog("SetPrintProcessorParam : SetJob failed with (%d)", static_cast<int>(error));
        }
    } else {
        TraceLog("SetPrintProcessorParam : (2) GetJob failed with (%d)", static_cast<int>(error));
    }
    TraceLog("SetPrintProcessorParam : END");
    return ok;
}

void PrintDevModeInformation(Spooler& spooler, PDEVOBJ pdevobj)
{
    TraceLog("PrintDevModeInformation : START");
    if (pdevobj == nullptr) return;
    if (const DEVMODEW* dm = pdevobj->pPublicDM) {
        std::u16string form;
        for (int i = 0; i < 32 && dm->dmFormName[i] != 0; ++i) form.push_back(dm->dmFormName[i]);
        TraceLog("PrintDevModeInformation : dmFormName = %s", Utf16ToUtf8(form).c_str());
        TraceLog("PrintDevModeInformation : dmPaperWidth = %d, dmPaperLength = %d", dm->dmPaperWidth,
                 dm->dmPaperLength);
        TraceLog("PrintDevModeInformation : dmOrientation = %d, dmCopies = %d, dmScale = %d", dm->dmOrientation,
                 dm->dmCopies, dm->dmScale);
        TraceLog("PrintDevModeInformation : dmDefaultSource = %d, dmPrintQuality = %d, dmYResolution = %d",
                 dm->dmDefaultSource, dm->dmPrintQuality, dm->dmYResolution);
    }
    PrinterInfo info;
    if (spooler.ReadPrinterInfo(pdevobj->hPrinter, info) == 0) {
        auto s = [](const std::u16string& v) { return Utf16ToUtf8(v); };
        TraceLog("PrintDevModeInformation : pServerName = %s", s(info.serverName).c_str());
        TraceLog("PrintDevModeInformation : pPrinterName = %s", s(info.printerName).c_str());
        TraceLog("PrintDevModeInformation : pShareName = %s", s(info.shareName).c_str());
        TraceLog("PrintDevModeInformation : pPortName = %s", s(info.portName).c_str());
        TraceLog("PrintDevModeInformation : pDriverName = %s", s(info.driverName).c_str());
        TraceLog("PrintDevModeInformation : pLocation = %s", s(info.location).c_str());
        TraceLog("PrintDevModeInformation : pSepFile = %s", s(info.sepFile).c_str());
        TraceLog("PrintDevModeInformation : pPrintProcessor = %s", s(info.printProcessor).c_str());
        TraceLog("PrintDevModeInformation : pDatatype = %s", s(info.dataType).c_str());
        TraceLog("PrintDevModeInformation : pParameters = %s", s(info.parameters).c_str());
        TraceLog("PrintDevModeInformation : Attributes = 0x%x, Priority = %u, DefaultPriority = %u", info.attributes,
                 info.priority, info.defaultPriority);
        TraceLog("PrintDevModeInformation : StartTime = %u, UntilTime = %u, Status = 0x%x", info.startTime,
                 info.untilTime, info.status);
        TraceLog("PrintDevModeInformation : cJobs = %u, AveragePPM = %u", info.jobs, info.averagePpm);
    }
    TraceLog("PrintDevModeInformation : END");
}

}  // namespace lt77
