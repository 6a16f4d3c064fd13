// The whole open: every reader in chain order, then the generic-file readers.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vox::fuzz::open_bytes(data, size, nullptr);
    return 0;
}
