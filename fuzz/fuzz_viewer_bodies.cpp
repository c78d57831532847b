#include "fuzz/fuzz_viewer_bodies.h"

#include <span>
#include <vector>

#include "common/ini_file.h"
#include "common/utf.h"
#include "fcaeditor/control_table.h"
#include "journal/journal_session.h"
#include "platform/profile.h"
#include "preview/preview_blocks.h"
#include "preview/raster_records.h"
#include "preview/scratch_bitmap.h"

namespace lt77::fuzz {
namespace {

// The profile functions over one INI text held in memory.
class TextProfile final : public Profile {
public:
    explicit TextProfile(IniDocument doc) : doc_(std::move(doc)) {}
    std::optional<std::u16string> ReadString(std::string_view, std::string_view section, std::string_view key,
                                             DWORD maxChars, DWORD& error) override
    {
        auto value = doc_.Value(Utf8ToUtf16(section), Utf8ToUtf16(key));
        error = value ? 0 : 2;
        if (value && maxChars > 0 && value->size() > maxChars - 1) value->resize(maxChars - 1);
        return value;
    }

private:
    IniDocument doc_;
};

}  // namespace

void ViewerJob(const uint8_t* data, std::size_t size)
{
    const std::span<const uint8_t> job(data, size);
    for (const uint32_t width : {608u, 576u, 8u}) {
        if (auto picture = journal::DecodeJournalPicture(job, width)) {
            const auto bitmap = viewer::EncodeScratchBitmap(*picture);
            if (bitmap.size() != viewer::kScratchBitmapBitsOffset + picture->strideBytes * picture->height) __builtin_trap();
        }
    }
    std::vector<uint8_t> copy(job.begin(), job.end());
    viewer::RemovePreviewBlocks(copy);
    if (copy.size() > size) __builtin_trap();
}

void EditorIni(const uint8_t* data, std::size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    TextProfile profile(IniDocument::FromBytes(bytes, [](std::string_view s) {
        return std::u16string(s.begin(), s.end());
    }));
    fcaeditor::ControlCodeEditor editor;
    editor.Load(profile, "LT77.ini");
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        switch (data[i] % 7) {
        case 0: editor.Select(data[i] % fcaeditor::kRowCount); break;
        case 1: editor.Backspace(); break;
        case 2: editor.Delete(); break;
        case 3: editor.Apply(); break;
        case 4: editor.DeleteCommands(); break;
        case 5: editor.Field().SetCaret(data[i] % 16); break;
        default: editor.Type(c); break;
        }
    }
    for (const auto& [key, value] : editor.SectionEntries())
        if (key.size() != 2 || value.empty()) __builtin_trap();
}

}  // namespace lt77::fuzz
