#include "core/document/channels.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace vox {

namespace {
constexpr const char* kDefaultTierNames[kTierCount] = {"tones", "words", "breaks", "misc", "", "", "", "", "", ""};
constexpr const char* kCopyFailed = "Error in '=' operator in CChannel class.";

double clampd(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }
}  // namespace

const char* ChannelCopyFailed::what() const noexcept { return kCopyFailed; }

CChannels::CChannels() {
    for (int i = 0; i < kTierCount; ++i) tiers[i].name = kDefaultTierNames[i];
}

CChannels::CChannels(const CChannels& other) : CChannels() { *this = other; }

CChannels& CChannels::operator=(const CChannels& o) {
    if (this == &o) return *this;
    try {
        channel_type = o.channel_type;
        duration_ms = o.duration_ms;
        sample_rate = o.sample_rate;
        sample_count = o.sample_count;
        bits = o.bits;
        aux_mode = o.aux_mode;
        plot_rect = o.plot_rect;
        gain_percent = o.gain_percent;
        name = o.name;
        number = o.number;
        shown = o.shown;
        view_flag = o.view_flag;
        carried_1 = o.carried_1;
        carried_2 = o.carried_2;
        carried_3 = o.carried_3;
        units = o.units;
        unit_factor = o.unit_factor;
        bandwidth_hz = o.bandwidth_hz;
        reference = o.reference;
        carried_4 = o.carried_4;
        param_a = o.param_a;
        param_b = o.param_b;
        carried_d1 = o.carried_d1;
        carried_d2 = o.carried_d2;
        carried_d3 = o.carried_d3;
        carried_d4 = o.carried_d4;
        window_first = o.window_first;
        window_last = o.window_last;
        window_start_ms = o.window_start_ms;
        window_end_ms = o.window_end_ms;
        prev_window_first = o.prev_window_first;
        prev_window_last = o.prev_window_last;
        marker_px = o.marker_px;
        sel_anchor_px = o.sel_anchor_px;
        sel_moving_px = o.sel_moving_px;
        tracking_px = o.tracking_px;
        marker_sample = o.marker_sample;
        marker_ms = o.marker_ms;
        marker_value = o.marker_value;
        sel_start_sample = o.sel_start_sample;
        sel_end_sample = o.sel_end_sample;
        sel_start_ms = o.sel_start_ms;
        sel_end_ms = o.sel_end_ms;
        sel_lo_sample = o.sel_lo_sample;
        sel_hi_sample = o.sel_hi_sample;
        sel_lo_ms = o.sel_lo_ms;
        sel_hi_ms = o.sel_hi_ms;
        sel_length_ms = o.sel_length_ms;
        sel_length_samples = o.sel_length_samples;
        marks = o.marks;
        intensity_count = o.intensity_count;
        intensity_window_ms = o.intensity_window_ms;
        intensity_step_ms = o.intensity_step_ms;
        intensity_min = o.intensity_min;
        intensity_max = o.intensity_max;
        intensity_valid = o.intensity_valid;
        intensity_relative = o.intensity_relative;
        smooth_points = o.smooth_points;
        smooth_on = o.smooth_on;
        second_count = o.second_count;
        std::copy(std::begin(o.analysis_d), std::end(o.analysis_d), std::begin(analysis_d));
        std::copy(std::begin(o.analysis_colors), std::end(o.analysis_colors), std::begin(analysis_colors));
        analysis_arrays = o.analysis_arrays;
        tiers = o.tiers;
        trail_i1 = o.trail_i1;
        trail_d1 = o.trail_d1;
        trail_d2 = o.trail_d2;
        trail_i2 = o.trail_i2;
        trail_i3 = o.trail_i3;
        trail_i4 = o.trail_i4;

        // The owned blocks: the samples block holds exactly sample_count
        // samples (never more than the source has).
        if (o.samples.valid()) {
            const std::size_t n = std::min(o.count(), o.samples.size());
            samples.assign(o.samples.data(), n);
        } else {
            samples.reset();
        }
        if (o.second_samples.valid())
            second_samples = o.second_samples;
        else
            second_samples.reset();
        if (o.intensity.valid())
            intensity = o.intensity;
        else
            intensity.reset();
        analysis_block_1 = o.analysis_block_1;
        analysis_block_2 = o.analysis_block_2;
    } catch (const std::bad_alloc&) {
        throw ChannelCopyFailed();
    }
    return *this;
}

std::size_t CChannels::count() const {
    if (!(sample_count > 0.0) || !std::isfinite(sample_count)) return 0;
    // Beyond 2^53 a double no longer holds whole numbers exactly, and beyond
    // 2^64 the conversion would be undefined: such counts saturate there (no
    // file or memory holds that many samples, so every use of the bound fails
    // cleanly against the data actually present).
    if (sample_count >= kMaxSampleCount) return static_cast<std::size_t>(kMaxSampleCount);
    return static_cast<std::size_t>(sample_count);
}

void CChannels::allocate_samples(std::size_t n) { samples.allocate(n + 10); }

void CChannels::set_foreign_audio(double rate, double frames) {
    sample_rate = rate;
    sample_count = frames;
    duration_ms = rate > 0.0 ? frames * 1000.0 / rate : 0.0;
    name.clear();
    shown = 1;
    channel_type = 1;
    number = 1;
    bits = 16;
    aux_mode = 0;
    reference = 0.0;
    units = "bits";
    unit_factor = 1.0;
    bandwidth_hz = rate / 2.0;
    reset_window();
}

void CChannels::reset_window() {
    window_first = 0.0;
    window_last = sample_count;
    window_start_ms = 0.0;
    window_end_ms = duration_ms;
    prev_window_first = 0.0;
    prev_window_last = sample_count;
}

double CChannels::pixel_to_sample(double x) const {
    const double width = static_cast<double>(plot_rect.right) - plot_rect.left;
    double pos = window_first;
    if (width != 0.0) pos = window_first + (window_last - window_first) / width * x;
    return clampd(pos, 0.0, sample_count);
}

double CChannels::sample_to_ms(double position) const {
    if (!(sample_count > 0.0)) return 0.0;
    return clampd(position * duration_ms / sample_count, 0.0, duration_ms);
}

double CChannels::ms_to_sample(double ms) const {
    if (!(duration_ms > 0.0)) return 0.0;
    return clampd(ms * sample_count / duration_ms, 0.0, sample_count);
}

double CChannels::window_start_in_ms() const {
    return sample_count > 0.0 ? window_first * duration_ms / sample_count : 0.0;
}

double CChannels::window_end_in_ms() const {
    return sample_count > 0.0 ? window_last * duration_ms / sample_count : 0.0;
}

Rect CChannels::ms_to_pixel(double ms) const {
    Rect r{-1, plot_rect.top, -1, plot_rect.bottom};
    const double start = window_start_in_ms();
    const double end = window_end_in_ms();
    if (!(ms > start && ms < end) || end <= start) return r;
    const double width = static_cast<double>(plot_rect.right) - plot_rect.left;
    const int x = plot_rect.left + static_cast<int>(std::fabs(width / (end - start) * (ms - start)));
    r.left = x;
    r.right = x + 1;
    return r;
}

double CChannels::value_at_ms(double ms) const {
    if (!samples.valid() || !(duration_ms > 0.0)) return 0.0 - reference;
    double pos = ms * sample_count / duration_ms;
    if (!(pos >= 0.0)) pos = 0.0;
    std::size_t i = static_cast<std::size_t>(pos);
    const std::size_t n = std::min(count(), samples.size());
    if (n == 0) return 0.0 - reference;
    if (i >= n) i = n - 1;
    return samples[i] - reference;
}

void CChannels::set_marker_from_pixel(int x) {
    marker_sample = pixel_to_sample(x);
    marker_ms = sample_to_ms(marker_sample);
    marker_px = x;
    marker_value = value_at_ms(marker_ms);
    sel_anchor_px = sel_moving_px = x;
    sel_start_sample = sel_end_sample = marker_sample;
    sel_start_ms = sel_end_ms = marker_ms;
    apply_selection_bounds();
}

void CChannels::set_marker_from_ms(double ms) {
    marker_ms = clampd(ms, 0.0, duration_ms);
    marker_sample = ms_to_sample(marker_ms);
    const Rect px = ms_to_pixel(marker_ms);
    marker_px = px.left;
    marker_value = value_at_ms(marker_ms);
    sel_anchor_px = sel_moving_px = marker_px;
    sel_start_sample = sel_end_sample = marker_sample;
    sel_start_ms = sel_end_ms = marker_ms;
    apply_selection_bounds();
}

void CChannels::extend_selection_to_pixel(int x) {
    sel_moving_px = x;
    sel_end_sample = pixel_to_sample(x);
    sel_end_ms = sample_to_ms(sel_end_sample);
    apply_selection_bounds();
}

void CChannels::extend_selection_to_ms(double ms) {
    sel_end_ms = clampd(ms, 0.0, duration_ms);
    sel_end_sample = ms_to_sample(sel_end_ms);
    sel_moving_px = ms_to_pixel(sel_end_ms).left;
    apply_selection_bounds();
}

void CChannels::apply_selection_bounds() {
    sel_lo_sample = std::min(sel_start_sample, sel_end_sample);
    sel_hi_sample = std::max(sel_start_sample, sel_end_sample);
    sel_lo_ms = std::min(sel_start_ms, sel_end_ms);
    sel_hi_ms = std::max(sel_start_ms, sel_end_ms);
    sel_length_ms = sel_hi_ms - sel_lo_ms;
    sel_length_samples = sel_hi_sample - sel_lo_sample;
}

// --- tiers -------------------------------------------------------------------

bool CChannels::get_label(int tier, int index, LABEL& out) const {
    if (tier < 0 || tier >= kTierCount) return false;
    const auto& labels = tiers[tier].labels;
    if (index < 0 || index >= static_cast<int>(labels.size())) return false;
    out = labels[index];
    return true;
}

bool CChannels::get_label_in_range(int tier, int index, double after_ms, double before_ms, LABEL& out) const {
    LABEL l;
    if (!get_label(tier, index, l)) return false;
    if (!(l.time_ms > after_ms && l.time_ms < before_ms)) return false;
    out = l;
    return true;
}

std::optional<std::size_t> CChannels::find_label(int tier, const LABEL& probe) const {
    if (tier < 0 || tier >= kTierCount) return std::nullopt;
    const auto& labels = tiers[tier].labels;
    const int n = static_cast<int>(labels.size());
    int first = -1;
    for (int i = 0; i < n; ++i) {
        if (std::abs(labels[i].rect.left - probe.rect.left) < 2 && std::abs(labels[i].rect.right - probe.rect.right) < 2) {
            first = i;
            break;
        }
    }
    if (first < 0) return std::nullopt;
    for (int i = first; i < n; ++i) {
        const LABEL& l = labels[i];
        if (std::strncmp(l.text, probe.text, sizeof l.text) == 0 && l.rect.top == probe.rect.top &&
            l.rect.bottom == probe.rect.bottom)
            return static_cast<std::size_t>(i);
    }
    return std::nullopt;
}

int CChannels::append_label(int tier, const LABEL& label) {
    if (tier < 0 || tier >= kTierCount) return 0;
    tiers[tier].labels.push_back(label);
    return tiers[tier].label_count();
}

bool CChannels::remove_label(int tier, const LABEL& probe) {
    const std::optional<std::size_t> i = find_label(tier, probe);
    if (!i) return false;
    tiers[tier].labels.erase(tiers[tier].labels.begin() + static_cast<std::ptrdiff_t>(*i));
    return true;
}

void CChannels::clear_tier(int tier) {
    if (tier < 0 || tier >= kTierCount) return;
    tiers[tier].labels.clear();
}

bool CChannels::move_label(int tier, const LABEL& probe, int new_left_px, int new_right_px) {
    const std::optional<std::size_t> i = find_label(tier, probe);
    if (!i) return false;
    LABEL& l = tiers[tier].labels[*i];
    l.placement = 0.7;
    const double old_ms = sample_to_ms(pixel_to_sample(l.rect.left));
    const double new_ms = sample_to_ms(pixel_to_sample(new_left_px));
    l.time_ms += new_ms - old_ms;
    l.rect.left = new_left_px;
    l.rect.right = new_right_px;
    l.rect.top = tiers[tier].band.top;
    l.rect.bottom = tiers[tier].band.bottom;
    return true;
}

bool CChannels::shift_label(int tier, const LABEL& probe, double delta_ms) {
    const std::optional<std::size_t> i = find_label(tier, probe);
    if (!i) return false;
    LABEL& l = tiers[tier].labels[*i];
    const int width = l.rect.right - l.rect.left;
    l.time_ms += delta_ms;
    layout_label_rect(tier, l, width);
    return true;
}

void CChannels::layout_label_rect(int tier, LABEL& label, int text_width_px) const {
    const Rect at = ms_to_pixel(label.time_ms);
    int left = at.left;
    if (left >= 0) {
        if (label.align == 1)
            left -= text_width_px / 2;
        else if (label.align == 2)
            left -= text_width_px;
    }
    label.rect.left = left;
    label.rect.right = left < 0 && at.left < 0 ? -1 : left + text_width_px;
    label.rect.top = tiers[tier].band.top;
    label.rect.bottom = tiers[tier].band.bottom;
}

int CChannels::add_label_at_marker(int tier, LABEL label, int text_width_px) {
    if (tier < 0 || tier >= kTierCount) return 0;
    label.time_ms = marker_ms;
    label.placement = 0.7;
    layout_label_rect(tier, label, text_width_px);
    return append_label(tier, label);
}

int CChannels::readd_label_at_marker(int tier, const LABEL& existing, int text_width_px) {
    if (tier < 0 || tier >= kTierCount) return 0;
    remove_label(tier, existing);
    return add_label_at_marker(tier, existing, text_width_px);
}

// --- algorithms ----------------------------------------------------------------

void CChannels::smooth() {
    if (!smooth_on || !samples.valid()) return;
    const long long w = static_cast<long long>(smooth_points);
    const long long n = static_cast<long long>(std::min(count(), samples.size()));
    if (w <= 0) return;
    std::int16_t* s = samples.data();
    for (long long i = 0; i < n - w; ++i) {
        long long sum = 0;
        for (long long k = 0; k < w; ++k) sum += s[i + k];
        s[i] = static_cast<std::int16_t>(sum / w);
    }
}

}  // namespace vox
