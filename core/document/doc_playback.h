#pragma once
// Playing the document's audio channel: the sound engine is prepared from
// wherever the samples are held (its block, or the raw file of a long
// recording, streamed by the engine's refill thread).

#include <cstdint>

namespace vox {

class CMarbeckDoc;
class CSoundOut;

// Prepares `out` to play samples [first, first + count) of channel 0 at
// `rate` Hz. True when the engine is prepared; false when the channel holds
// no samples or the copy could not be allocated. Throws SoundAbort when the
// raw file cannot be opened (the engine has said so).
bool prepare_playback(const CMarbeckDoc& doc, CSoundOut& out, int first, int count, std::uint32_t rate);

// Prepares as above and starts the engine: true when it plays. A raw file
// that cannot be opened gives false (the engine has said so).
bool start_playback(const CMarbeckDoc& doc, CSoundOut& out, int first, int count, std::uint32_t rate);

// Ends playback: pauses the engine, then stops it (its refill thread ended,
// the device closed). The engine may then be released.
void end_playback(CSoundOut& out);

}  // namespace vox
