// BMP files drawn 1:1 onto the page, read through a read-only mapping and
// checked against their own headers first.
#include "possdk/bitmap_file.h"
#include "possdk/print_library.h"
#include "platform/mapped_file.h"

namespace lt77::possdk {

int32_t PrintLibrary::PrintBitmap(int32_t x, int32_t y, std::u16string_view path, TextForm form)
{
    // Reading is all a picture needs: a read-only file prints too.
    const MapResult mapped = MapFileForReading(path);
    if (!mapped.opened) {
        Show(FormatMessage(form == TextForm::kNarrow ? "CreateFile failed with %d" : "CreateFileW failed with %d",
                           static_cast<long>(mapped.openError)),
             u"ERROR", MB_OK_BUTTON);
        return 0;
    }
    if (!mapped.file) return 0;
    const BitmapRead read = ReadBitmapFile(mapped.file->Bytes());
    if (!read.view || !dc_) return 0;
    const BitmapFileView& bmp = *read.view;
    dc_->SetStretchMode(COLORONCOLOR_MODE);
    const StretchRect dest{x, y, bmp.widthPixels, bmp.heightPixels};
    const StretchRect source{0, 0, bmp.widthPixels, bmp.heightPixels};
    const int rows = dc_->StretchBitmap(dest, source, DeviceBitmap{bmp.info, bmp.pixels}, DIB_RGB_COLORS_USAGE,
                                        SRCCOPY_ROP);
    return rows > 0 ? bmp.heightPixels : 0;
}

}  // namespace lt77::possdk
