#pragma once
// The level of a recording in progress, drawn over the view while it
// records: every captured block fills one slot of a strip that a sweep of
// about ten seconds crosses (then it starts again from the left), so that a
// few seconds of speech are seen at a glance, each block a bar from its
// lowest to its highest sample (a full 16-bit swing fills the strip); a
// meter above the strip shows the last block's peak from −60 dB to 0 dB of
// full scale.

#include <vector>

class QPainter;
class QRect;

namespace vox {

class RecordingLevelPainter {
public:
    static constexpr double kSweepSeconds = 10.0;

    // Empty slots for blocks of `block_samples` at `rate` Hz (blocks of
    // 0.4 s when either is unknown), at least eight.
    void reset(int rate, int block_samples);
    // A block's lowest and highest sample fills the next slot.
    void add(int lo, int hi);

    int slot_count() const { return static_cast<int>(slots_.size()); }
    // The last block's peak magnitude; −1 before the first block.
    int peak() const { return peak_; }

    // The strip and the meter (client pixels); nothing before reset().
    void paint(QPainter& p, const QRect& strip, const QRect& meter) const;

private:
    struct Slot {
        bool set = false;
        int lo = 0, hi = 0;
    };
    std::vector<Slot> slots_;
    int next_ = 0;  // slot the next block fills
    int peak_ = -1;
};

}  // namespace vox
