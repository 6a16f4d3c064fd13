#include "core/annotation/label_gesture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vox {

namespace {

constexpr double kPlacedInView = 0.7;  // placement of labels placed or moved in the view
constexpr int kDefaultFontHeight = 14;  // pixels, a logical font of height 0

bool contains(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

bool valid_tier(int tier) { return tier >= 0 && tier < kTierCount; }

}  // namespace

int LabelFontHeight(const LogFont& font) {
    if (font.height == 0) return kDefaultFontHeight;
    // |INT_MIN| does not exist; such a font is absurd anyway.
    return font.height == INT32_MIN ? INT32_MAX : std::abs(font.height);
}

int RequiredBandHeight(const LogFont& font) {
    const long long h = LabelFontHeight(font);
    return static_cast<int>(std::min<long long>(h + h / 3, INT32_MAX));
}

bool GrowBandForFont(Tier& tier, const LogFont& font) {
    const int need = RequiredBandHeight(font);
    if (tier.height >= need) return false;
    tier.height = need;
    return true;
}

bool LabelVisible(const CChannels& ch, double time_ms) {
    const double ws = ch.window_start_in_ms(), we = ch.window_end_in_ms();
    return we > ws && time_ms > ws && time_ms < we;
}

std::optional<int> LabelAnchorX(const CChannels& ch, double time_ms) {
    if (!LabelVisible(ch, time_ms)) return std::nullopt;
    const double ws = ch.window_start_in_ms(), we = ch.window_end_in_ms();
    const double width = double(ch.plot_rect.right) - ch.plot_rect.left;
    return ch.plot_rect.left + static_cast<int>(width / (we - ws) * (time_ms - ws));
}

Rect LabelRectAt(const CChannels& ch, const Rect& band, const LABEL& label, int text_width_px) {
    const std::optional<int> x = LabelAnchorX(ch, label.time_ms);
    if (!x) return Rect{-1, band.top, -1, band.bottom};
    int left = *x;
    if (label.align == 1) left -= text_width_px / 2;
    else if (label.align == 2) left -= text_width_px;
    return Rect{left, band.top, left + text_width_px, band.bottom};
}

void LayoutTierLabels(CChannels& ch, const std::function<int(const LABEL&)>& text_width) {
    for (Tier& tier : ch.tiers)
        for (LABEL& l : tier.labels) l.rect = LabelRectAt(ch, tier.band, l, text_width(l));
}

std::optional<int> TierAt(const CChannels& ch, int x, int y) {
    for (int t = 0; t < kTierCount; ++t) {
        const Tier& tier = ch.tiers[t];
        if (tier.in_use && contains(tier.band, x, y)) return t;
    }
    return std::nullopt;
}

std::optional<std::size_t> LabelAt(const CChannels& ch, int tier, int x, int y) {
    if (!valid_tier(tier)) return std::nullopt;
    const auto& labels = ch.tiers[tier].labels;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const LABEL& l = labels[i];
        // A label outside the window keeps left = right = −1 and no width.
        if (l.rect.left < 0 && l.rect.right < 0) continue;
        if (!LabelVisible(ch, l.time_ms)) continue;
        if (contains(l.rect, x, y)) return i;
    }
    return std::nullopt;
}

Rect DragOutline(const Rect& hit, const Rect& band, int dx, int dy) {
    Rect r{hit.left + dx, hit.top + dy, hit.right + dx, hit.bottom + dy};
    const int h = hit.bottom - hit.top;
    if (r.top < band.top) {
        r.top = band.top;
        r.bottom = band.top + h;
    }
    if (r.bottom > band.bottom) {
        r.bottom = band.bottom;
        r.top = std::max(band.top, band.bottom - h);
    }
    return r;
}

double TimeAtClientX(const CChannels& ch, int client_x) {
    return ch.sample_to_ms(ch.pixel_to_sample(double(client_x) - ch.plot_rect.left));
}

// --- the gesture -------------------------------------------------------------------

bool CLabelGesture::press(const CChannels& ch, int x, int y) {
    finish();
    press_x_ = x;
    press_y_ = y;
    const std::optional<int> tier = TierAt(ch, x, y);
    label_mode_ = tier.has_value();
    tier_ = tier.value_or(-1);
    if (!label_mode_) return false;
    if (const std::optional<std::size_t> i = LabelAt(ch, tier_, x, y)) {
        hit_ = true;
        hit_label_ = ch.tiers[tier_].labels[*i];
        hit_rect_ = hit_label_.rect;
        dragged_rect_ = hit_rect_;
    }
    return true;
}

std::optional<Rect> CLabelGesture::drag(const CChannels& ch, int x, int y) {
    if (!label_mode_ || !hit_ || !valid_tier(tier_)) return std::nullopt;
    dragged_rect_ = DragOutline(hit_rect_, ch.tiers[tier_].band, x - press_x_, y - press_y_);
    if (x != press_x_ || y != press_y_) dragged_ = true;
    return dragged_rect_;
}

bool CLabelGesture::commit_move(CChannels& ch, const UndoSaver& save_for_undo) {
    if (!label_mode_ || !hit_ || !dragged_ || !valid_tier(tier_)) return false;
    if (!ch.find_label(tier_, hit_label_)) return false;
    if (save_for_undo && !save_for_undo()) return false;
    // The undo step reads the channel only; the label is still where it was.
    const std::optional<std::size_t> i = ch.find_label(tier_, hit_label_);
    if (!i) return false;
    Tier& tier = ch.tiers[tier_];
    LABEL& l = tier.labels[*i];
    const double delta = TimeAtClientX(ch, dragged_rect_.left) - TimeAtClientX(ch, hit_rect_.left);
    // A centred or right-justified label dragged to the end would otherwise
    // pass the end of the recording, and the native reader drops such labels.
    l.time_ms = std::clamp(l.time_ms + delta, 0.0, std::max(0.0, ch.duration_ms));
    l.placement = kPlacedInView;
    l.rect.left = dragged_rect_.left;
    l.rect.right = dragged_rect_.right;
    l.rect.top = tier.band.top;
    l.rect.bottom = tier.band.bottom;
    return true;
}

LABEL CLabelGesture::entry_seed() const { return hit_ ? hit_label_ : template_; }

bool CLabelGesture::commit_entry(CChannels& ch, const LabelEntryAnswer& answer, const UndoSaver& save_for_undo,
                                 const std::function<int(const LABEL&)>& text_width) {
    if (!label_mode_ || !valid_tier(tier_) || !answer.accepted) return false;
    const bool empty = answer.label.text[0] == '\0';
    Tier& tier = ch.tiers[tier_];
    LABEL entered = answer.label;
    if (hit_) {
        if (!ch.find_label(tier_, hit_label_)) return false;
        if (save_for_undo && !save_for_undo()) return false;
        const std::optional<std::size_t> i = ch.find_label(tier_, hit_label_);
        if (!i) return false;
        if (empty) {
            tier.labels.erase(tier.labels.begin() + static_cast<std::ptrdiff_t>(*i));
            entered = hit_label_;  // the deleted label's look stays the template
        } else {
            LABEL& l = tier.labels[*i];
            l.set_text(entered.text_string());
            l.align = entered.align;
            l.add_line = entered.add_line;
            l.font = entered.font;
            l.color = entered.color;
            l.rect = LabelRectAt(ch, tier.band, l, text_width ? text_width(l) : 0);
            entered = l;
        }
    } else {
        if (empty) return false;
        if (save_for_undo && !save_for_undo()) return false;
        entered.time_ms = ch.marker_ms;
        entered.placement = kPlacedInView;
        entered.rect = LabelRectAt(ch, tier.band, entered, text_width ? text_width(entered) : 0);
        ch.append_label(tier_, entered);
    }
    template_ = entered;
    GrowBandForFont(tier, entered.font);
    return true;
}

void CLabelGesture::finish() {
    label_mode_ = false;
    tier_ = -1;
    hit_ = false;
    dragged_ = false;
    hit_label_ = LABEL{};
    hit_rect_ = dragged_rect_ = Rect{};
}

}  // namespace vox
