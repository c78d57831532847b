// Barcode pictures for the preview: the printer draws barcodes itself, so
// the preview program cannot know what one looks like. A stored picture
// travels behind the barcode commands in a block that the preview program
// and the journal viewer recognise and strip.
#include <algorithm>
#include <optional>

#include "common/ascii_case.h"
#include "render/barcode_detail.h"
#include "render/barcodes.h"
#include "render/module_state.h"
#include "render/trace.h"

namespace lt77 {
namespace {

constexpr uint8_t kBlockHeader[] = {0x00, 0x00, 0x00, 0x1B, 0x40};
constexpr char kBlockTag[] = "KELWYNT";
constexpr std::size_t kBlockOverheadBytes = sizeof(kBlockHeader) + 2 + sizeof(kBlockTag) - 1;
static_assert(kBlockOverheadBytes == 14);
constexpr std::size_t kMaxBlockBytes = 0xFFFF;  // sL sH

const char* PictureFileOf(const UIInfo& ui, std::string_view familyName, uint8_t code)
{
    if (code >= BARCODE_UPC_A && code <= BARCODE_USER_1D) return "1D_CODE.bin";
    CodeInfo2d info = kCodeInfo2dDefaults;
    Get1d2dCodeSetting(ui, familyName, code, nullptr, &info);
    switch (info[0]) {
    case CODE2D_PDF417: return "2D_PDF417.bin";
    case CODE2D_QRCODE: return "2D_QRCODE.bin";
    case CODE2D_DATAMATRIX: return "2D_DATAMATRIX.bin";
    case CODE2D_GS1_DATABAR:
    case CODE2D_COMPOSITE:
    case CODE2D_MAXICODE: return "2D_GS1DATABAR.bin";
    default: return nullptr;
    }
}

// The listed size of a file, when the folder lists it; lets an oversized
// picture be refused before it is read into memory.
std::optional<uint64_t> ListedSize(FileSystem& files, std::string_view folder, std::string_view name)
{
    for (const auto& entry : files.ListFolder(folder))
        if (!entry.isFolder && EqualsNoCase(entry.name, name)) return entry.size;
    return std::nullopt;
}

}  // namespace

bool AddBarCodePreviewData(FileSystem& files, const UIInfo& ui, std::string_view familyName, std::vector<uint8_t>& text,
                           uint8_t code)
{
    TraceLog("AddBarCodePreviewData : START");
    auto done = [](bool appended) {
        TraceLog("AddBarCodePreviewData : END");
        return appended;
    };
    const char* fileName = PictureFileOf(ui, familyName, code);
    if (fileName == nullptr) {
        TraceLog("AddBarCodePreviewData : NO PREVIEW PICTURE FOR THIS CODE. (%d)", code);
        return done(false);
    }

    const std::string windows = files.WindowsFolder();
    if (windows.empty()) {
        TraceLog("AddBarCodePreviewData : GetWindowsDirectory failed with (%d)", static_cast<int>(LastSystemError()));
        return done(false);
    }
    const std::string folder = JoinPath(DriverDataFolder(windows), "PreviewBin");
    const std::string path = JoinPath(folder, fileName);

    // The block length sL sH and slot 2's length are both 16 bits.
    const std::size_t room = barcode_detail::kMaxSlotBytes - std::min(text.size(), barcode_detail::kMaxSlotBytes);
    const std::size_t maxBlockBytes = std::min(kMaxBlockBytes, room);
    auto tooLarge = [&](uint64_t pictureBytes) {
        return pictureBytes > maxBlockBytes || pictureBytes + kBlockOverheadBytes > maxBlockBytes;
    };
    if (const auto listed = ListedSize(files, folder, fileName); listed.has_value() && tooLarge(*listed)) {
        TraceLog("AddBarCodePreviewData : PREVIEW FILE TOO LARGE. (%s, %llu)", path.c_str(),
                 static_cast<unsigned long long>(*listed));
        return done(false);
    }
    const auto picture = files.ReadWhole(path);
    if (!picture) {
        TraceLog("AddBarCodePreviewData : CreateFile returned NULL. (%d)", static_cast<int>(LastSystemError()));
        return done(false);
    }
    if (tooLarge(picture->size())) {
        TraceLog("AddBarCodePreviewData : PREVIEW FILE TOO LARGE. (%s, %llu)", path.c_str(),
                 static_cast<unsigned long long>(picture->size()));
        return done(false);
    }

    const std::size_t blockBytes = picture->size() + kBlockOverheadBytes;
    text.reserve(text.size() + blockBytes);
    text.insert(text.end(), std::begin(kBlockHeader), std::end(kBlockHeader));
    text.push_back(static_cast<uint8_t>(blockBytes & 0xFF));
    text.push_back(static_cast<uint8_t>(blockBytes >> 8));
    text.insert(text.end(), kBlockTag, kBlockTag + sizeof(kBlockTag) - 1);
    text.insert(text.end(), picture->begin(), picture->end());
    return done(true);
}

}  // namespace lt77
