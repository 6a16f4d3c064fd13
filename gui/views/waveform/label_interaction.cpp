#include "gui/views/waveform/label_interaction.h"

namespace vox {

void LabelInteraction::press(const CChannels& ch, int x, int y) { gesture_.press(ch, x, y); }

std::optional<Rect> LabelInteraction::drag(const CChannels& ch, int x, int y) { return gesture_.drag(ch, x, y); }

LabelInteraction::Outcome LabelInteraction::release(CChannels& ch, bool selection) {
    CLabelGesture& g = gesture_;
    if (!g.label_mode()) return Outcome::NotALabelGesture;
    bool changed = false;
    if (g.hit() && g.dragged()) {
        changed = g.commit_move(ch, save_);
    } else if (g.hit() || !selection) {
        // A click on a label edits it; a click elsewhere in the band adds one
        // at the cursor.
        changed = g.commit_entry(ch, entry_(g.entry_seed()), save_, width_);
    } else {
        g.finish();
        return Outcome::NotALabelGesture;  // a selection dragged inside a band
    }
    g.finish();
    return changed ? Outcome::Changed : Outcome::Unchanged;
}

}  // namespace vox
