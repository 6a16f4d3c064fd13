#pragma once
// Labels placed, moved, edited and deleted with the mouse in the tier bands
// of the waveform view, as plain logic over a channel: band and label hit
// tests, the outline of a dragged label, the label layout rule, and the
// changes a finished gesture makes (each after a successful save for undo).
//
// Pixels are client pixels of the view; the channel's plot_rect is the
// display rectangle (its left edge is where time maps from). Text widths are
// measured by the caller with the label's own font.

#include <functional>
#include <optional>

#include "core/document/channels.h"

namespace vox {

// Height (pixels) of a label font: the logical font's height, absolute, with
// the screen default of 14 when it is 0.
int LabelFontHeight(const LogFont& font);
// The band height a font needs: h + h/3 (integer).
int RequiredBandHeight(const LogFont& font);
// Grows the tier's band height to what the font needs; true when it grew.
bool GrowBandForFont(Tier& tier, const LogFont& font);

// A label is visible when its time lies strictly inside the window (ms).
bool LabelVisible(const CChannels& ch, double time_ms);
// Anchor x of a time: plot left + display width / window span × (t − start),
// truncated; nothing when the time is not strictly inside the window.
std::optional<int> LabelAnchorX(const CChannels& ch, double time_ms);
// The rectangle a label of this width takes in its band by its justification
// (0 from the anchor, 1 centred, 2 ending there); left and right −1 when the
// label is not visible.
Rect LabelRectAt(const CChannels& ch, const Rect& band, const LABEL& label, int text_width_px);
// Lays out every label of every tier (band rectangles as they stand).
void LayoutTierLabels(CChannels& ch, const std::function<int(const LABEL&)>& text_width);

// The first tier in use whose band contains the point; none when none does.
std::optional<int> TierAt(const CChannels& ch, int x, int y);
// The first label of the tier, in array order, whose rectangle contains the
// point (right and bottom exclusive); none when none does. Invisible labels
// (left −1) are never hit.
std::optional<std::size_t> LabelAt(const CChannels& ch, int tier, int x, int y);
// The outline of a hit label moved by (dx, dy), held vertically in the band.
Rect DragOutline(const Rect& hit, const Rect& band, int dx, int dy);
// Time (ms) at a client x by the pixel-to-time rule of the view.
double TimeAtClientX(const CChannels& ch, int client_x);

// The label entry dialog's answer.
struct LabelEntryAnswer {
    bool accepted = false;
    LABEL label;  // text, justification, line flag, font and colour
};

// The state of one mouse gesture in the tier bands and the label template.
class CLabelGesture {
public:
    // Saves the document for undo; false when that failed (the saver has
    // shown its message) and the label change must not happen.
    using UndoSaver = std::function<bool()>;

    // Button down at a client point: label mode when the point lies in a
    // band in use, then the hit test. Returns the label mode.
    bool press(const CChannels& ch, int x, int y);
    // A move with the button held: for a hit label, the outline at the
    // pointer (marking the label dragged when it moved); nothing otherwise.
    std::optional<Rect> drag(const CChannels& ch, int x, int y);

    // The release of a dragged label: moves it to the outline. The time
    // changes by the time difference of the outline's left and the old left,
    // kept inside the recording. False when the save for undo failed or the
    // label is gone.
    bool commit_move(CChannels& ch, const UndoSaver& save_for_undo);
    // The label the entry dialog opens with: the hit label, or the template
    // for a new one.
    LABEL entry_seed() const;
    // What the dialog's answer does: change (non-empty text) or delete (empty
    // text) the hit label, or add a label at the cursor time (non-empty text
    // only). Each change saves for undo first; the changed label becomes the
    // template and the band grows for its font. True when a label changed.
    bool commit_entry(CChannels& ch, const LabelEntryAnswer& answer, const UndoSaver& save_for_undo,
                      const std::function<int(const LABEL&)>& text_width);
    // Clears label mode and the hit and dragged flags.
    void finish();

    bool label_mode() const { return label_mode_; }
    int tier() const { return tier_; }
    bool hit() const { return hit_; }
    bool dragged() const { return dragged_; }
    const LABEL& hit_label() const { return hit_label_; }
    const Rect& hit_rect() const { return hit_rect_; }
    const Rect& dragged_rect() const { return dragged_rect_; }
    LABEL& label_template() { return template_; }
    const LABEL& label_template() const { return template_; }

private:
    bool label_mode_ = false;
    int tier_ = -1;
    bool hit_ = false;
    bool dragged_ = false;
    int press_x_ = 0, press_y_ = 0;
    LABEL hit_label_;
    Rect hit_rect_;
    Rect dragged_rect_;
    LABEL template_;  // all zero at first: empty, left, no line, default font, black
};

}  // namespace vox
