#pragma once
// The integer AMDF tracker fed piece by piece: the 8-bit copy of the
// samples (sample/256 + 128) is asked for in pieces and only the smoothed
// signal, a byte per sample, is kept, so a long recording is tracked from
// its raw file without a copy of it in memory.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vox {

// Writes bytes [first, first + n) of the 8-bit copy into out; false stops
// the track.
using AmdfByteReader = std::function<bool(std::uint64_t first, std::size_t n, std::uint8_t* out)>;

// CMathFunc::TrackPitchAmdfBytes over count bytes given by `read` in pieces
// of about `piece` bytes, frames spread over `threads` threads. False when
// read stopped it, or as TrackPitchAmdfBytes.
bool TrackPitchAmdfFromReader(const AmdfByteReader& read, std::size_t count, int fs, int fLow, int fHigh,
                              int continuityPct, int voicingLevel, int threads, std::vector<double>& out,
                              std::size_t piece = std::size_t{1} << 20);

}  // namespace vox
