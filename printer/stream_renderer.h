// The printer itself, as far as paper is concerned: it executes a job's
// command stream as the LT-77 does and returns the paper it printed and the
// job's log. Raster in both forms (through common/raster_decoder.h),
// greyscale planes, bit images, stored images, text in the resident fonts,
// barcodes and two-dimensional symbols, feeds, positions, cuts and page
// marks. Unknown and malformed commands are logged with their offsets and
// the rest of the job prints.
//
// The command interpretation is portable; the glyphs and symbols come from
// the sources it is given (FreeType and zint on Linux).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/codepage.h"
#include "printer/glyph_source.h"
#include "printer/job_log.h"
#include "printer/nv_images.h"
#include "printer/paper.h"
#include "printer/symbol_encoder.h"

namespace lt77::printer {

struct RenderOptions {
    // The double-byte font the printer was built with, for Kanji mode when
    // the job selects no code system: 949 Korean, 936 GB2312, 950 Big5, 932
    // Shift JIS.
    unsigned doubleByteCodePage = 949;
};

struct RenderedJob {
    Paper paper;
    JobLog log;
};

class StreamRenderer {
public:
    StreamRenderer(GlyphSource& glyphs, SymbolEncoder& symbols, CodePages& codePages, RenderOptions options = {});
    ~StreamRenderer();
    StreamRenderer(const StreamRenderer&) = delete;
    StreamRenderer& operator=(const StreamRenderer&) = delete;

    // Each job starts on fresh paper with the printer's power-on settings;
    // the stored images carry over from job to job.
    RenderedJob Render(std::span<const uint8_t> job);

    NvImages& StoredImages() { return nvImages_; }

    class CharacterDecoder;

private:
    GlyphSource& glyphs_;
    SymbolEncoder& symbols_;
    RenderOptions options_;
    NvImages nvImages_;
    std::unique_ptr<CharacterDecoder> decoder_;
};

// The machine's glyphs and symbol library with the system's code pages, as
// the virtual printer and the host use them; one per program, since finding
// the fonts takes a while.
class SystemRenderer {
public:
    explicit SystemRenderer(RenderOptions options = {});
    StreamRenderer& Get() { return renderer_; }
    // Empty, or what the machine lacks (the fonts drawn as boxes then).
    const std::string& FontError() const { return fontError_; }

private:
    std::string fontError_;
    std::unique_ptr<GlyphSource> glyphs_;
    std::unique_ptr<SymbolEncoder> symbols_;
    StreamRenderer renderer_;
};

}  // namespace lt77::printer
