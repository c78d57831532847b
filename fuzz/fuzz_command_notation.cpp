// libFuzzer entry: see fuzz/fuzz_reader_bodies.h.
#include "fuzz/fuzz_reader_bodies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lt77::fuzz::CommandNotation(data, size);
    return 0;
}
