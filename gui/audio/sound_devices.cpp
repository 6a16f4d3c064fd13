#include "gui/audio/sound_devices.h"

#include <cstdio>
#include <mutex>

#include "platform/audio_backend.h"

namespace vox {

namespace {

struct Holder {
    std::once_flag chosen;
    AudioBackend backend;
    WaveOutDevice* out = nullptr;
    WaveInDevice* in = nullptr;
    NoWaveOut no_out;
    NoWaveIn no_in;
};

Holder& holder() {
    static Holder h;
    return h;
}

bool choose(const std::string& text, std::string* error) {
    Holder& h = holder();
    AudioChoice choice;
    std::string why;
    bool ok = parse_audio_choice(audio_backend_choice(text), choice, &why) && make_audio_backend(choice, h.backend, &why);
    if (!ok) {
        h.backend = AudioBackend{};
        if (error) *error = why;
        std::fprintf(stderr, "sound devices: %s\n", why.c_str());
    }
    h.out = h.backend.out ? h.backend.out.get() : &h.no_out;
    h.in = h.backend.in ? h.backend.in.get() : &h.no_in;
    return ok;
}

void ensure() {
    Holder& h = holder();
    std::call_once(h.chosen, [] {
        if (!holder().out) choose(std::string(), nullptr);
    });
}

}  // namespace

bool SoundDevices::configure(const std::string& text, std::string* error) {
    bool ok = true;
    std::call_once(holder().chosen, [&] { ok = choose(text, error); });
    return ok;
}

void SoundDevices::install(WaveOutDevice* out, WaveInDevice* in) {
    Holder& h = holder();
    std::call_once(h.chosen, [] {});
    h.out = out ? out : &h.no_out;
    h.in = in ? in : &h.no_in;
}

WaveOutDevice& SoundDevices::out() {
    ensure();
    return *holder().out;
}

WaveInDevice& SoundDevices::in() {
    ensure();
    return *holder().in;
}

}  // namespace vox
