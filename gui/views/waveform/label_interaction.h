#pragma once
// The mouse in the label tier bands of the waveform view: a press in a band
// in use starts a label gesture; a hit label dragged follows the pointer as
// an outline (held in its band) and moves there on release; a click on a
// label opens "Label entry" to change or delete it, and a click elsewhere in
// the band (with no selection dragged) opens it to add a label at the
// cursor. Every change saves for undo first. The view routes its left-button
// events here and draws the outline this returns.

#include <functional>
#include <optional>

#include "core/annotation/label_gesture.h"

namespace vox {

class LabelInteraction {
public:
    // What a release did.
    enum class Outcome {
        NotALabelGesture,  // no band was pressed, or a selection was dragged in one
        Unchanged,         // a label gesture that changed nothing (dialog cancelled, undo copy failed)
        Changed,           // a label was moved, changed, deleted or added
    };
    // "Label entry" opened with a label: the person's answer.
    using EntryDialog = std::function<LabelEntryAnswer(const LABEL& seed)>;
    // Width (pixels) of a label's text in its own font.
    using TextWidth = std::function<int(const LABEL&)>;

    LabelInteraction(EntryDialog entry, CLabelGesture::UndoSaver save_for_undo, TextWidth text_width)
        : entry_(std::move(entry)), save_(std::move(save_for_undo)), width_(std::move(text_width)) {}

    // Client pixels; the channel's bands and label rectangles as laid out.
    void press(const CChannels& ch, int x, int y);
    // The outline to show for a hit label; nothing when the move is not a
    // label's (an ordinary selection goes on).
    std::optional<Rect> drag(const CChannels& ch, int x, int y);
    // `selection`: the press became a selection before the release.
    Outcome release(CChannels& ch, bool selection);

    // The label a new label's entry opens with (the last one added, changed
    // or deleted).
    const LABEL& label_template() const { return gesture_.label_template(); }

private:
    EntryDialog entry_;
    CLabelGesture::UndoSaver save_;
    TextWidth width_;
    CLabelGesture gesture_;
};

}  // namespace vox
