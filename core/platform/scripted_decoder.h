#pragma once
// An AudioDecoder that knows the files it was told about and delivers a
// computed signal for each, so that tests (and the fuzz driver) can make a
// decoder announce one length and deliver another, fail part of the way, or
// offer many channels, without any real codec.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/audio_decoder.h"

namespace vox {

struct ScriptedAudio {
    double rate = 16000.0;
    int channels = 1;
    std::uint64_t announced = 0;  // what frames() answers
    std::uint64_t delivered = 0;  // frames read() hands out before the end
    bool fails = false;           // after the delivered frames read() fails instead of ending
    std::string format = "Scripted audio";
};

class ScriptedDecoder : public AudioDecoder {
public:
    // The value of channel c in frame f: different in every channel and
    // every frame of a 25000-frame stretch, so that a wrong channel, a lost
    // or a repeated block shows.
    static std::int16_t sample(std::uint64_t frame, int channel);

    std::unique_ptr<DecodedAudio> open(const std::string& path) override;

    std::map<std::string, ScriptedAudio> files;  // by path
    std::optional<ScriptedAudio> any_file;       // for every path not in `files`
    std::vector<std::string> opened;             // every path asked about
};

}  // namespace vox
