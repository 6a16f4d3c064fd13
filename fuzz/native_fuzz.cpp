// The three native-file readers over arbitrary bytes.
#include "core/formats/native_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the byte order; the rest is the file.
    static constexpr vox::fuzz::Reader readers[] = {&vox::read_native_pc, &vox::read_native_mac,
                                                    &vox::read_native_macx};
    vox::fuzz::open_bytes(data + 1, size - 1, readers[data[0] % 3]);
    return 0;
}
