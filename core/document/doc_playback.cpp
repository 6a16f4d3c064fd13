#include "core/document/doc_playback.h"

#include <algorithm>

#include "core/audio/sound_abort.h"
#include "core/audio/sound_out.h"
#include "core/document/raw_file_access.h"

namespace vox {

bool prepare_playback(const CMarbeckDoc& doc, CSoundOut& out, int first, int count, std::uint32_t rate) {
    const CChannels& ch = doc.channels[0];
    if (ch.has_samples()) {
        out.PrepareFromMemory(ch.samples.data(), std::min(ch.samples.size(), ch.count()), first, count, rate);
        return out.prepared();
    }
    // Plays a plain raw file only: samples read in place from a recording
    // (a document of the command line's analyses) are not played.
    const std::string& raw = RawFileAccess::raw_path(doc);
    if (raw.empty()) return false;
    out.PrepareFromFile(raw, first, count, rate);
    return true;
}

bool start_playback(const CMarbeckDoc& doc, CSoundOut& out, int first, int count, std::uint32_t rate) {
    try {
        if (!prepare_playback(doc, out, first, count, rate)) return false;
    } catch (const SoundAbort&) {
        return false;
    }
    out.Start();
    out.Restart();
    return true;
}

void end_playback(CSoundOut& out) {
    out.Pause();
    out.Stop();
}

}  // namespace vox
