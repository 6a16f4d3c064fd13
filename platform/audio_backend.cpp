// The --audio=... / VOXTREL_AUDIO choice of sound devices.
#include "platform/audio_backend.h"

#include <cstdlib>
#include <sstream>

#include "platform/portaudio_wave.h"
#include "platform/virtual_wave.h"

namespace vox {

std::string audio_backend_choice(const std::string& option_value) {
    if (!option_value.empty()) return option_value;
    if (const char* env = std::getenv("VOXTREL_AUDIO"); env && *env) return env;
    return "portaudio";
}

bool parse_audio_choice(const std::string& text, AudioChoice& choice, std::string* error) {
    choice = AudioChoice{};
    // The settings follow the kind after ':' or, with no microphone file,
    // straight after ',' ("virtual,out=played.wav").
    const auto colon = text.find_first_of(":,");
    choice.kind = text.substr(0, colon);
    if (choice.kind != "portaudio" && choice.kind != "virtual" && choice.kind != "none") {
        if (error) *error = "unknown audio choice \"" + text + "\" (portaudio, virtual[:FILE], none)";
        return false;
    }
    if (colon == std::string::npos) return true;
    if (choice.kind != "virtual") {
        if (error) *error = "only the virtual audio devices take settings";
        return false;
    }
    std::stringstream ss(text.substr(colon + 1));
    std::string item;
    while (std::getline(ss, item, ',')) {
        if (item.rfind("out=", 0) == 0) {
            choice.out_file = item.substr(4);
        } else if (item.rfind("speed=", 0) == 0) {
            char* end = nullptr;
            choice.speed = std::strtod(item.c_str() + 6, &end);
            if (*end != '\0' || !(choice.speed > 0.0) || choice.speed > 1000.0) {
                if (error) *error = "speed= needs a factor above 0 and up to 1000";
                return false;
            }
        } else if (!item.empty()) {
            choice.file = item;
        }
    }
    return true;
}

bool make_audio_backend(const AudioChoice& choice, AudioBackend& backend, std::string* error) {
    backend = AudioBackend{};
    backend.name = choice.kind;
    if (choice.kind == "none") {
        backend.out = std::make_unique<NoWaveOut>();
        backend.in = std::make_unique<NoWaveIn>();
        return true;
    }
    if (choice.kind == "virtual") {
        std::vector<std::int16_t> mic;
        if (!choice.file.empty()) {
            std::uint32_t rate = 0;
            if (!read_wav_mono16(choice.file, mic, rate, error)) return false;
        }
        backend.speed = choice.speed;
        backend.out = std::make_unique<VirtualWaveOut>(choice.speed, choice.out_file);
        backend.in = std::make_unique<VirtualWaveIn>(std::move(mic), choice.speed);
        return true;
    }
    backend.out = std::make_unique<PortAudioWaveOut>();
    backend.in = std::make_unique<PortAudioWaveIn>();
    return true;
}

}  // namespace vox
