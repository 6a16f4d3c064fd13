#pragma once
// Application-wide record and play settings: where audio comes from, which
// input, the sample rate, and for the external acquisition unit one record
// per unit input. A plain value type; the record/play options form edits
// the one instance the application holds, recording and the scope read it.

#include <cstdint>
#include <string>
#include <vector>

namespace vox {

// Texts of the source and input choices, as the options grid shows them.
inline constexpr const char* kRecordSourceComputer = "Computer";
inline constexpr const char* kRecordSourceExternal = "External Hardware";
inline constexpr const char* kRecordInputMic = "Mic";
inline constexpr const char* kRecordInputLine = "Line";

// One input of the external unit. Input 0 is the audio channel, always on.
struct RecordChannelSettings {
    std::int32_t enabled = 0;          // 1 = sampled
    std::int32_t sample_rate_hz = 0;   // Hz
    std::int32_t filter_cutoff_hz = 0; // anti-alias filter cut-off, Hz
    std::int32_t gain = 0;             // audio: gain value; others: gain step 0..16

    bool operator==(const RecordChannelSettings&) const = default;
};

struct RecordSettings {
    std::string source = kRecordSourceComputer;  // "Computer" or "External Hardware"
    std::string input = kRecordInputMic;         // "Mic" or "Line"
    std::int32_t sample_rate_hz = 22050;         // Hz; sound card offers 44100, 22050, 11025
    std::int32_t unit_model = 5;                 // number of unit inputs: 5 or 9
    std::vector<RecordChannelSettings> channels = default_channels(5);

    bool uses_external_unit() const { return source == kRecordSourceExternal; }

    // Channel records of a unit with `inputs` inputs: the audio channel on at
    // 22000 Hz, the others off at 11000 Hz, filters below half the rate.
    static std::vector<RecordChannelSettings> default_channels(int inputs) {
        std::vector<RecordChannelSettings> out(inputs > 0 ? static_cast<std::size_t>(inputs) : 0);
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (i == 0) {
                out[i] = {1, 22000, 10000, 10};
            } else {
                out[i] = {0, 11000, 5000, 0};
            }
        }
        return out;
    }

    bool operator==(const RecordSettings&) const = default;
};

}  // namespace vox
