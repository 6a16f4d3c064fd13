#pragma once
// The virtual sound card: an output that consumes queued buffers at real
// speed (or a multiple of it) and can keep what it played in a WAV file, and
// an input that delivers a WAV file's samples as if they were spoken into a
// microphone, silence once the file has run out.

#include <string>
#include <vector>

#include "core/platform/memory_wave.h"

namespace vox {

// 16-bit PCM samples of a WAV file, mixed down to the first channel; false
// with `error` set when the file is missing or not 16-bit PCM.
bool read_wav_mono16(const std::string& path, std::vector<std::int16_t>& samples, std::uint32_t& rate,
                     std::string* error = nullptr);
bool write_wav_mono16(const std::string& path, const std::vector<std::int16_t>& samples, std::uint32_t rate);

class VirtualWaveOut final : public MemoryWaveOut {
public:
    // tee_path empty: nothing is written.
    VirtualWaveOut(double speed, std::string tee_path);
    // Every close rewrites the tee file with everything played so far.
    int close() override;

private:
    std::string tee_path_;
};

class VirtualWaveIn final : public MemoryWaveIn {
public:
    VirtualWaveIn(std::vector<std::int16_t> samples, double speed) : MemoryWaveIn(std::move(samples), speed) {}
};

}  // namespace vox
