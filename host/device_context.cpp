#include "host/device_context.h"

#include <algorithm>

#include "common/utf.h"

namespace lt77::host {

DeviceContext::DeviceContext(IPrintOemUni* plugin, HostCore& core, DeviceSetup setup)
    : plugin_(plugin), core_(core), setup_(std::move(setup)), queue_(OpenCoreQueue(setup_.queue))
{
    devmode_.dmSize = sizeof(DEVMODEW);
    devmode_.dmSpecVersion = 0x0401;
    devmode_.dmCopies = setup_.copies;
    devmode_.dmOrientation = setup_.orientation;
    devmode_.dmScale = 100;
    devmode_.dmPrintQuality = 203;
    devmode_.dmYResolution = 203;
    devmode_.dmColor = 1;
    devmode_.dmDuplex = 1;
    devmode_.dmTTOption = 1;
    devmode_.dmLogPixels = 203;
    devmode_.dmBitsPerPel = setup_.bitsPerPixel;
    devmode_.dmPaperWidth = 800;
    devmode_.dmPaperLength = 2970;
    const auto n = std::min<std::size_t>(setup_.formName.size(), 31);
    std::copy_n(setup_.formName.begin(), n, devmode_.dmFormName);

    devobj_.dwSize = sizeof(DEVOBJ);
    devobj_.hPrinter = queue_->Handle();
    devobj_.pPublicDM = setup_.withPublicDevMode ? &devmode_ : nullptr;
    devobj_.pDrvProcs = &core_;

    surface_.dhpdev = &devobj_;
    surface_.iType = STYPE_BITMAP;
    surface_.iBitmapFormat = setup_.bitsPerPixel == 8 ? BMF_8BPP : BMF_1BPP;

    gdiInfo_.ulVersion = 0x5000;
    gdiInfo_.cBitsPixel = setup_.bitsPerPixel;
    if (setup_.bitsPerPixel == 8) devInfo_.hpalDefault = HostGreyPalette();
    coreEntries_ = CoreEntryPoints();
}

DeviceContext::~DeviceContext()
{
    if (enabled_) DisablePDEV();
}

HRESULT DeviceContext::PublishAndEnableDriver()
{
    const HRESULT published = plugin_->PublishDriverInterface(&core_);
    if (published != hr::kOk) return published;
    return plugin_->EnableDriver(PRINTER_OEMINTF_VERSION, sizeof(DRVENABLEDATA), &hooks_);
}

HRESULT DeviceContext::EnablePDEV()
{
    DRVENABLEDATA coreData{PRINTER_OEMINTF_VERSION, static_cast<ULONG>(coreEntries_.size()), coreEntries_.data()};
    std::u16string name = Utf8ToUtf16(setup_.queue);
    PVOID record = nullptr;
    const HRESULT result = plugin_->EnablePDEV(&devobj_, name.data(), 0, nullptr, sizeof(gdiInfo_), &gdiInfo_,
                                               sizeof(devInfo_), &devInfo_, &coreData, &record);
    if (result == hr::kOk) {
        devobj_.pdevOEM = record;
        enabled_ = true;
    }
    return result;
}

HRESULT DeviceContext::DisablePDEV()
{
    const HRESULT result = plugin_->DisablePDEV(&devobj_);
    devobj_.pdevOEM = nullptr;
    enabled_ = false;
    return result;
}

PFN DeviceContext::Hook(ULONG index) const
{
    for (ULONG i = 0; hooks_.pdrvfn != nullptr && i < hooks_.c; ++i)
        if (hooks_.pdrvfn[i].iFunc == index) return hooks_.pdrvfn[i].pfn;
    return nullptr;
}

BOOL DeviceContext::StartDoc(std::u16string_view document, DWORD jobId)
{
    auto hook = reinterpret_cast<PFN_DrvStartDoc>(Hook(INDEX_DrvStartDoc));
    if (hook == nullptr) return kBoolFalse;
    std::u16string name(document);
    return hook(&surface_, name.data(), jobId);
}

BOOL DeviceContext::EndDoc()
{
    auto hook = reinterpret_cast<PFN_DrvEndDoc>(Hook(INDEX_DrvEndDoc));
    return hook != nullptr ? hook(&surface_, 0) : kBoolFalse;
}

HRESULT DeviceContext::Command(DWORD callbackId)
{
    INT result = -12345;
    return plugin_->CommandCallback(&devobj_, callbackId, 0, nullptr, &result);
}

}  // namespace lt77::host
