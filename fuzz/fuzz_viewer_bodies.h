// The bodies of the viewers' and the control-code editor's fuzz targets,
// shared by the libFuzzer programs and the tests that replay the corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lt77::fuzz {

// A job or journal file: both programs' decoding, the scratch bitmap and the
// removal of the preview-only blocks.
void ViewerJob(const uint8_t* data, std::size_t size);
// A control-code INI file loaded into the editor, then edited with the
// input's bytes as keys and written back to text.
void EditorIni(const uint8_t* data, std::size_t size);

}  // namespace lt77::fuzz
