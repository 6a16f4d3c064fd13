// The reader of decoded files over a decoder whose answers come from the
// input: its rate, channel count, announced and delivered frames and whether
// it breaks part of the way, then the whole open (channel question, memory
// or raw file, cancel) as the shared driver steers it.
#include <cstring>

#include "core/platform/scripted_decoder.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 12) return 0;
    vox::ScriptedAudio a;
    std::uint32_t rate_bits = 0;
    std::memcpy(&rate_bits, data, 4);
    // Rates from below 1 Hz to above 1 MHz, the usable ones most often.
    a.rate = (data[11] & 1) ? static_cast<double>(rate_bits) / 1000.0 : static_cast<double>(rate_bits % 200000);
    a.channels = static_cast<int>(static_cast<std::int8_t>(data[4]));
    std::uint32_t announced = 0;
    std::memcpy(&announced, data + 5, 4);
    a.announced = (data[11] & 2) ? announced : announced % 300000;
    a.delivered = static_cast<std::uint64_t>(data[9]) << 8 | data[10];  // at most 65535 frames
    a.fails = (data[11] & 4) != 0;
    vox::ScriptedDecoder decoder;
    decoder.any_file = a;
    vox::fuzz::open_bytes(data, size, nullptr, nullptr, &decoder);
    return 0;
}
