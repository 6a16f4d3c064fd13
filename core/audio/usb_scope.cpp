#include "core/audio/usb_scope.h"

#include <algorithm>
#include <string_view>

#include "core/audio/usb_texts.h"

namespace vox {

namespace {
constexpr int kBandHeight = 100;  // pixels
constexpr int kBandGap = 5;       // pixels between bands and at the right edge
constexpr int kFirstBandTop = 20;
constexpr int kBandLeft = 20;
}  // namespace

std::vector<ScopeRect> scope_default_bands(int client_width) {
    std::vector<ScopeRect> out;
    for (int i = 0; i < 5; ++i) out.push_back({5, 100 * i + 5, client_width - 5, 100 * i + 100});
    return out;
}

std::vector<ScopeBand> scope_bands(const vox::RecordSettings& settings, int client_width) {
    std::vector<ScopeBand> out;
    int top = kFirstBandTop;
    const int inputs = std::min<int>(settings.unit_model, static_cast<int>(settings.channels.size()));
    for (int input = 0; input < inputs; ++input) {
        if (input != 0 && !settings.channels[static_cast<std::size_t>(input)].enabled) continue;
        ScopeBand band;
        band.input = input;
        band.rect = {kBandLeft, top, client_width - kBandGap, top + kBandHeight};
        band.caption = input == 0 ? scope_text::kAudioCaption : std::to_string(input);
        out.push_back(band);
        top += kBandHeight + kBandGap;
    }
    return out;
}

int scope_scroll_height(const std::vector<ScopeBand>& bands) {
    if (bands.empty()) return kFirstBandTop + kBandGap;
    return bands.back().rect.bottom + kBandGap;
}

std::vector<ScopePoint> scope_trace(const ScopeRect& band, const std::vector<std::int16_t>& samples) {
    std::vector<ScopePoint> out;
    const long long count = static_cast<long long>(samples.size());
    if (count == 0) return out;
    out.reserve(samples.size());
    const long long w = band.width(), h = band.height();
    const int centre = band.centre_y();
    for (long long k = 0; k < count; ++k) {
        const long long v = samples[static_cast<std::size_t>(k)];
        // Integer division truncates toward zero like the drawing rule asks.
        out.push_back({band.left + static_cast<int>(k * w / count), centre - static_cast<int>(v * h / 65536)});
    }
    return out;
}

ScopeAcquisition::Outcome ScopeAcquisition::run(const vox::RecordSettings& settings, UsbTransport& transport,
                                                UserPrompts& prompts) {
    const UsbBlockSettings block_settings = usb_block_settings(settings);
    UsbConfigBlock block{};
    try {
        block = build_usb_config_block(block_settings);
    } catch (const UsbSettingsError& e) {
        prompts.beep();
        prompts.message(e.what(), MessageIcon::Error);
        // An unknown multiplex is the unit's own refusal and ends the scope
        // like a failed run; a wrong input only ends this cycle.
        return std::string_view(e.what()) == usb_text::kWrongInput ? Outcome::SettingsRefused : Outcome::Failed;
    }
    channels_.clear();
    try {
        CUSBHardware hw(transport, prompts);
        const auto stream = hw.acquire(block, kScopeChunkBytes, kScopeChunkCount);
        channels_ = usb_demultiplex(stream, *usb_slot_table(block_settings.model, block_settings.mode),
                                    block_settings.model);
    } catch (const UsbFailure&) {
        return Outcome::Failed;
    }
    acquired_ = true;
    ++runs_;
    return Outcome::Acquired;
}

}  // namespace vox
