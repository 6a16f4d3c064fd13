#pragma once
// The audio decoder seam over libsndfile: FLAC, Ogg Vorbis, Opus, MP3, RF64,
// W64, CAF and every other format the installed library opens.

#include "core/platform/audio_decoder.h"

namespace vox {

class SndfileDecoder : public AudioDecoder {
public:
    std::unique_ptr<DecodedAudio> open(const std::string& path) override;
};

}  // namespace vox
