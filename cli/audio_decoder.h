#pragma once
// The decoder every document of the command line is given: the formats the
// program's own readers do not know (FLAC, Ogg Vorbis, Opus, MP3, W64, CAF,
// ...) are read through it. It keeps no state, so documents of parallel
// measurements share it.

#include "core/platform/audio_decoder.h"

namespace vox::cli {

AudioDecoder& audio_decoder();

}  // namespace vox::cli
