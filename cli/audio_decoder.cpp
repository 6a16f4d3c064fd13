#include "cli/audio_decoder.h"

#include "platform/sndfile_decoder.h"

namespace vox::cli {

AudioDecoder& audio_decoder() {
    static SndfileDecoder decoder;
    return decoder;
}

}  // namespace vox::cli
