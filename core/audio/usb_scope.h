#pragma once
// The scope's model, free of any window: one acquisition cycle from the
// record settings (configuration block, run, demultiplexing into the unit's
// inputs) and the geometry of its drawing (one 100-pixel band per enabled
// input, the trace of an input's samples in its band). CScopeView draws what
// this computes.

#include <cstdint>
#include <string>
#include <vector>

#include "core/audio/record_settings.h"
#include "core/audio/usb_hardware.h"

namespace vox {

namespace scope_text {
inline constexpr const char* kTitle = "Scope Window";
inline constexpr const char* kHeading = "***Use this window along with Options->Record/Play window, to adjust the settings of the hardware***";
inline constexpr const char* kAudioCaption = "Audio";
}  // namespace scope_text

struct ScopeRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    int centre_y() const { return top + height() / 2; }
    bool operator==(const ScopeRect&) const = default;
};

struct ScopePoint {
    int x = 0, y = 0;
    bool operator==(const ScopePoint&) const = default;
};

struct ScopeBand {
    int input = 0;
    ScopeRect rect;
    std::string caption;  // "Audio" for input 0, else the input number
};

// The five bands laid out when the view first appears, before any settings
// are read: x 5 .. width - 5, y 100 i + 5 .. 100 i + 100.
std::vector<ScopeRect> scope_default_bands(int client_width);
// One band per enabled input (the audio input always), in input order: the
// first at y 20..120, each next one 5 pixels below the previous, x 20 ..
// width - 5.
std::vector<ScopeBand> scope_bands(const vox::RecordSettings& settings, int client_width);
// Height of the scrolled area: bottom of the last band plus the 5-pixel margin.
int scope_scroll_height(const std::vector<ScopeBand>& bands);
// The polyline of an input's samples in its band: point k at
// x = left + trunc(k * width / count), y = centre - trunc(sample * height / 65536).
std::vector<ScopePoint> scope_trace(const ScopeRect& band, const std::vector<std::int16_t>& samples);

// The acquisition half of a scope cycle.
class ScopeAcquisition {
public:
    enum class Outcome {
        Acquired,         // new channel buffers
        SettingsRefused,  // the settings could not be turned into a block (message shown)
        Failed,           // the run failed (message shown); the scope closes
    };

    // Builds the block, runs one acquisition of 2 chunks of 44032 bytes and
    // splits the samples into the unit's inputs.
    Outcome run(const vox::RecordSettings& settings, UsbTransport& transport, UserPrompts& prompts);

    bool has_acquired() const { return acquired_; }
    // Samples of each unit input from the last completed run.
    const std::vector<std::vector<std::int16_t>>& channels() const { return channels_; }
    int runs() const { return runs_; }

private:
    std::vector<std::vector<std::int16_t>> channels_;
    bool acquired_ = false;
    int runs_ = 0;
};

}  // namespace vox
