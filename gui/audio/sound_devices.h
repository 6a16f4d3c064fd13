#pragma once
// The sound devices the application's views record and play through, chosen
// once per process: --audio=... (configure), else VOXTREL_AUDIO, else the
// sound card. Tests install devices of their own.

#include <memory>
#include <string>

#include "core/platform/wave_device.h"

namespace vox {

class SoundDevices {
public:
    // Chooses the devices from an --audio value (empty: the environment or
    // the sound card). An unusable choice leaves a machine without devices
    // and returns false with `error` set.
    static bool configure(const std::string& choice, std::string* error = nullptr);
    // Devices owned by the caller (tests); nullptr for one of them leaves
    // "no device" in its place.
    static void install(WaveOutDevice* out, WaveInDevice* in);
    static WaveOutDevice& out();
    static WaveInDevice& in();
};

}  // namespace vox
