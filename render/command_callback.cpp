#include <cstdio>

#include "render/job_commands.h"
#include "render/module_state.h"
#include "render/page_image.h"
#include "render/text_keys.h"
#include "render/trace.h"

namespace lt77 {
namespace {

void StartDoc(JobContext& job)
{
    TraceLog("CommandCallback : KLW_STARTDOC, START");
    SetPrintProcessorParam(job.pdevobj);
    PrintDevModeInformation(PlatformOf(job.pdev).spooler, job.pdevobj);
    for (int i = 0; i < static_cast<int>(kSettingsCount); ++i)
        TraceLog("CommandCallback : pUIInfo->byteValue[%d] : 0x%02x", i, job.pdev.m_UIInfo.byteValue[i]);
    job.pdev.bNoCutNoFeeds = 0;
    job.pdev.bNoCutNoFeeds2 = 0;
    // A document that never reached its end (an aborted job) leaves its
    // coupons behind on the same device context; they are not this one's.
    job.pdev.couponImgNames.clear();
    if (!job.outputs.IsOpen()) job.outputs.GetFileHandle(job.pdev);
    SendStartDocCmd(job);
    TraceLog("CommandCallback : KLW_STARTDOC, END");
}

void StartPage(JobContext& job)
{
    TraceLog("CommandCallback : KLW_STARTPAGE, START");
    TraceLog("CommandCallback : m_dwTotalBufSize = %u", job.buffer.m_dwTotalBufSize());
    AddStartPageCmd(job);
    TraceLog("CommandCallback : m_dwTotalBufSize = %u", job.buffer.m_dwTotalBufSize());
    TraceLog("CommandCallback : KLW_STARTPAGE, END");
}

void EndPage(JobContext& job)
{
    TraceLog("CommandCallback : KLW_ENDPAGE, START");
    TraceLog("CommandCallback : m_dwTotalBufSize = %u", job.buffer.m_dwTotalBufSize());
    SetPrintPageNumber(job);
    if (AddImageDataPerEachPage(job) != hr::kOk) {
        TraceLog("CommandCallback : KLW_ENDPAGE / AddImageDataPerEachPage is not S_OK");
        if (job.pdev.bNoCutNoFeeds || job.pdev.bNoCutNoFeeds2) SendOpenCashDrawerCmd(job);
    } else {
        AddEndPageCmd(job);
        AddCutCommand(job, KLW_ENDPAGE);
        if (job.pdev.bNoCutNoFeeds || job.pdev.bNoCutNoFeeds2)
            SendOpenCashDrawerCmd(job);
        else
            SendPrintDataToPrinter(job);
    }
    job.buffer.InitPrintCommandsBuffer();
    TraceLog("CommandCallback : m_dwTotalBufSize = %u", job.buffer.m_dwTotalBufSize());
    TraceLog("CommandCallback : KLW_ENDPAGE, END");
}

void EndDoc(JobContext& job)
{
    TraceLog("CommandCallback : KLW_ENDDOC, START");
    SendCouponImageData(job);
    SendEndDocCmd(job);
    if (!job.pdev.bNothingToPrint) SendCutCommand(job, KLW_ENDDOC);
    job.outputs.SendMultipleCopies(job.pdev, job.pdevobj->pPublicDM);
    job.outputs.Close();
    if (job.pdev.m_UIInfo.byteValue[IDX_PREVIEW_ON] != 0) job.outputs.StartPreview(job.pdev);
    TraceLog("CommandCallback : KLW_ENDDOC, END");
    FlushTrace(PlatformOf(job.pdev));
}

}  // namespace

void RunCommandCallback(JobContext& job, DWORD callbackId)
{
    switch (callbackId) {
    case KLW_STARTDOC: StartDoc(job); break;
    case KLW_STARTPAGE: StartPage(job); break;
    case KLW_ENDPAGE: EndPage(job); break;
    case KLW_ENDDOC: EndDoc(job); break;
    default: break;
    }
}

}  // namespace lt77
