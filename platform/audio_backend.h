#pragma once
// Choosing the sound devices: "portaudio" (the sound card), "virtual"
// (optionally "virtual:MIC.wav" for what the virtual microphone hears,
// ",out=PLAYED.wav" to keep what is played, ",speed=N" to run N times faster
// than real time) or "none" (a machine without sound devices). The choice
// comes from the --audio=... option, else the VOXTREL_AUDIO variable, else
// "portaudio".

#include <memory>
#include <string>

#include "core/platform/wave_device.h"

namespace vox {

struct AudioBackend {
    std::unique_ptr<WaveOutDevice> out;
    std::unique_ptr<WaveInDevice> in;
    double speed = 1.0;  // device seconds per wall-clock second
    std::string name;
};

struct AudioChoice {
    std::string kind;      // portaudio, virtual, none
    std::string file;      // virtual microphone (WAV)
    std::string out_file;  // virtual output tee (WAV)
    double speed = 1.0;
};

std::string audio_backend_choice(const std::string& option_value);
// False with `error` set for a choice that cannot be understood.
bool parse_audio_choice(const std::string& text, AudioChoice& choice, std::string* error = nullptr);
// Builds the devices; false with `error` set when they cannot be made.
bool make_audio_backend(const AudioChoice& choice, AudioBackend& backend, std::string* error = nullptr);

}  // namespace vox
