// libFuzzer entry: see fuzz/fuzz_viewer_bodies.h.
#include "fuzz/fuzz_viewer_bodies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lt77::fuzz::ViewerJob(data, size);
    return 0;
}
