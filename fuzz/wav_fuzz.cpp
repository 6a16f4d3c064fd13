// The WAV reader over arbitrary bytes.
#include "core/formats/wav.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vox::fuzz::open_bytes(data, size, &vox::read_wav);
    return 0;
}
