#pragma once
// The sound devices the application's views record and play through, one set
// per run, made by whoever starts the program and handed to the documents
// with their session: --audio=... (the choice), else VOXTREL_AUDIO, else the
// sound card, opened when first asked for. Tests install devices of their own.

#include <string>

#include "core/platform/wave_device.h"
#include "platform/audio_backend.h"

namespace vox {

class CMarbeckDoc;

class SoundDevices final : public WaveDevices {
public:
    // `choice` is an --audio value (empty: the environment, else the sound
    // card); nothing is opened until a device is asked for.
    explicit SoundDevices(std::string choice = std::string()) : choice_(std::move(choice)) {}
    SoundDevices(const SoundDevices&) = delete;
    SoundDevices& operator=(const SoundDevices&) = delete;

    // Chooses the devices now; false with `error` set when the choice is
    // unusable (the views then have no devices).
    bool choose(std::string* error = nullptr);
    // Devices owned by the caller (tests); nullptr for one of them leaves
    // "no device" in its place.
    void install(WaveOutDevice* out, WaveInDevice* in);

    WaveOutDevice& out() override;
    WaveInDevice& in() override;

private:
    void ensure();

    std::string choice_;
    bool chosen_ = false;
    AudioBackend backend_;
    WaveOutDevice* out_ = nullptr;
    WaveInDevice* in_ = nullptr;
    NoWaveOut no_out_;
    NoWaveIn no_in_;
};

// The devices a document's views play and record through: its session's, or
// none for a document without a session or devices.
WaveOutDevice& output_device(const CMarbeckDoc& doc);
WaveInDevice& input_device(const CMarbeckDoc& doc);

}  // namespace vox
