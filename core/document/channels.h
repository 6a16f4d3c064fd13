#pragma once
// One signal channel: 16-bit samples with their rate, scale and units, the
// view window, cursor and selection, per-channel analysis results and ten
// label tiers. A document owns twenty of these; channel 0 is the audio
// channel.

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/dsp/intensity_contour.h"
#include "core/document/label.h"
#include "core/document/sample_block.h"

namespace vox {

// One tier of labels.
struct Tier {
    std::string name;
    std::vector<LABEL> labels;
    Rect band;           // the tier's strip in the view, pixels
    std::int32_t height = 20;  // pixels; readers set the label font height + 4
    std::int32_t in_use = 0;   // 1 when the tier holds labels read from a file

    std::int32_t label_count() const { return static_cast<std::int32_t>(labels.size()); }
};

// A 24-byte record of further analysis state; no operation fills these.
struct ArrayData {
    double a = 0.0;
    double b = 0.0;
    std::int32_t c = 0;
    std::int32_t d = 0;
};

constexpr int kTierCount = 10;
constexpr int kMaxChannels = 20;

// A channel copy that ran out of memory; what() is the message shown to the
// person by whoever catches it.
class ChannelCopyFailed : public std::bad_alloc {
public:
    const char* what() const noexcept override;
};

class CChannels {
public:
    CChannels();
    CChannels(const CChannels& other);
    // Copies every field; the target gets its own copies of the sample,
    // second-sample and intensity blocks. On allocation failure
    // ChannelCopyFailed (a std::bad_alloc whose what() is the message to
    // show) propagates; the target keeps the fields copied so far.
    CChannels& operator=(const CChannels& other);
    CChannels(CChannels&&) noexcept = default;
    CChannels& operator=(CChannels&&) noexcept = default;
    ~CChannels() = default;

    // --- persisted and descriptive fields -------------------------------
    std::int32_t channel_type = 0;  // 1 audio, 0 acquisition data
    SampleBlock samples;            // null when the samples live in the raw file
    double duration_ms = 0.0;       // sample_count × 1000 / sample_rate
    double sample_rate = 11025.0;   // Hz
    double sample_count = 0.0;      // whole number held as a double
    std::int32_t bits = 16;
    std::int32_t aux_mode = 0;
    Rect plot_rect;                 // drawing area in the waveform view, pixels
    std::int32_t gain_percent = 100;
    std::string name;
    std::int32_t number = 0;        // 1-based
    std::int32_t shown = 0;
    std::int32_t view_flag = 1;
    std::int32_t carried_1 = 0, carried_2 = 0, carried_3 = 0;
    std::string units = "mv";
    double unit_factor = 8.0;
    double bandwidth_hz = 5500.0;
    double reference = 0.0;         // subtracted from samples when shown or measured
    std::int32_t carried_4 = 1;
    double param_a = 2500.0, param_b = 32768.0;  // view/analysis parameters, memory only
    double carried_d1 = 0.0, carried_d2 = 0.0, carried_d3 = 1.0, carried_d4 = 0.0;

    // --- view window (sample positions and milliseconds) ----------------
    double window_first = 0.0;      // first displayed sample
    double window_last = 0.0;       // last displayed sample
    double window_start_ms = 0.0;
    double window_end_ms = 0.0;
    double prev_window_first = 0.0; // the window before the last zoom ("UnZoom")
    double prev_window_last = 0.0;

    // --- cursor and selection ------------------------------------------
    std::int32_t marker_px = 0;
    std::int32_t sel_anchor_px = 0;
    std::int32_t sel_moving_px = 0;
    std::int32_t tracking_px = 0;
    double marker_sample = 0.0;
    double marker_ms = 0.0;
    double marker_value = 0.0;      // sample value at the marker minus reference
    double sel_start_sample = 0.0, sel_end_sample = 0.0;  // as set (anchor, moving end)
    double sel_start_ms = 0.0, sel_end_ms = 0.0;
    double sel_lo_sample = 0.0, sel_hi_sample = 0.0;      // ordered, lower first
    double sel_lo_ms = 0.0, sel_hi_ms = 0.0;
    double sel_length_ms = 0.0, sel_length_samples = 0.0;

    // --- channel-level marks ---------------------------------------------
    std::vector<LABEL> marks;
    std::int32_t mark_count() const { return static_cast<std::int32_t>(marks.size()); }

    // --- intensity contour (kept per frame, read per sample; computed elsewhere) ---
    IntensityContour intensity;
    std::int64_t intensity_count = 0;  // samples the contour covers
    double intensity_window_ms = 30.0;
    double intensity_step_ms = 10.0;
    double intensity_min = -0.0;
    double intensity_max = 0.0;
    std::int32_t intensity_valid = 0;
    std::int32_t intensity_relative = 0;

    // --- smoothing -------------------------------------------------------
    double smooth_points = 5.0;
    std::int32_t smooth_on = 0;

    // --- second sample block used by the analysis views -----------------
    SampleBlock second_samples;
    std::int32_t second_count = 0;

    // --- further analysis state -----------------------------------------
    double analysis_d[5] = {10.0, 20.0, 20.0, 20.0, 66000.0};
    std::uint32_t analysis_colors[2] = {0xFFFF, 0xFFFF};
    RealBlock analysis_block_1, analysis_block_2;
    std::array<std::vector<ArrayData>, 6> analysis_arrays;

    std::array<Tier, kTierCount> tiers;

    // --- trailing view state --------------------------------------------
    std::int32_t trail_i1 = 0;
    double trail_d1 = 0.0, trail_d2 = 0.0;
    std::int32_t trail_i2 = 1, trail_i3 = 0, trail_i4 = 0;

    // --- helpers ---------------------------------------------------------
    bool has_samples() const { return samples.valid(); }
    // sample_count as an index bound: 0 for NaN or negative counts, at most
    // kMaxSampleCount.
    std::size_t count() const;
    static constexpr double kMaxSampleCount = 9007199254740992.0;  // 2^53
    // Allocates sample_count + 10 samples (the readers' 20 spare bytes).
    void allocate_samples(std::size_t n);
    // Sets the channel's parameters as every reader of a sound file does:
    // rate, frame count, duration, whole-file window, audio type, "bits".
    void set_foreign_audio(double rate, double frames);
    // Resets the window to the whole channel and the view times with it.
    void reset_window();

    // --- coordinate conversions (all clamp) ------------------------------
    double pixel_to_sample(double x) const;
    double sample_to_ms(double position) const;
    double ms_to_sample(double ms) const;
    double window_start_in_ms() const;
    double window_end_in_ms() const;
    // A one-pixel-wide rectangle at ms spanning the plot's height, strictly
    // inside the window only; outside it left and right are −1.
    Rect ms_to_pixel(double ms) const;
    double value_at_ms(double ms) const;

    // --- marker and selection --------------------------------------------
    void set_marker_from_pixel(int x);
    void set_marker_from_ms(double ms);
    void extend_selection_to_pixel(int x);
    void extend_selection_to_ms(double ms);
    bool has_selection() const { return sel_length_samples > 0.0; }

    // --- tier operations (tier index above 9: nothing happens) ----------
    bool get_label(int tier, int index, LABEL& out) const;
    bool get_label_in_range(int tier, int index, double after_ms, double before_ms, LABEL& out) const;
    // Index of the label of the tier drawn where the probe is (its rectangle
    // within 1 px) with the probe's text; none when there is no such label.
    std::optional<std::size_t> find_label(int tier, const LABEL& probe) const;
    int append_label(int tier, const LABEL& label);
    bool remove_label(int tier, const LABEL& probe);
    void clear_tier(int tier);
    bool move_label(int tier, const LABEL& probe, int new_left_px, int new_right_px);
    bool shift_label(int tier, const LABEL& probe, double delta_ms);
    // Adds a label at the marker; text_width_px is its drawn width with its
    // font (measured by the view), used to place it by its alignment.
    int add_label_at_marker(int tier, LABEL label, int text_width_px);
    int readd_label_at_marker(int tier, const LABEL& existing, int text_width_px);

    void append_mark(const LABEL& label) { marks.push_back(label); }
    void clear_marks() { marks.clear(); }

    // --- algorithms ---------------------------------------------------------
    // Moving-average smoothing in place, when smooth_on is set.
    void smooth();

private:
    void apply_selection_bounds();
    void layout_label_rect(int tier, LABEL& label, int text_width_px) const;
};

}  // namespace vox
