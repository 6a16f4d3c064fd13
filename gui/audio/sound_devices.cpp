#include "gui/audio/sound_devices.h"

#include <cstdio>

#include "core/document/marbeck_doc.h"

namespace vox {

bool SoundDevices::choose(std::string* error) {
    chosen_ = true;
    AudioChoice choice;
    std::string why;
    const bool ok =
        parse_audio_choice(audio_backend_choice(choice_), choice, &why) && make_audio_backend(choice, backend_, &why);
    if (!ok) {
        backend_ = AudioBackend{};
        if (error) *error = why;
        std::fprintf(stderr, "sound devices: %s\n", why.c_str());
    }
    out_ = backend_.out ? backend_.out.get() : &no_out_;
    in_ = backend_.in ? backend_.in.get() : &no_in_;
    return ok;
}

void SoundDevices::install(WaveOutDevice* out, WaveInDevice* in) {
    chosen_ = true;
    out_ = out ? out : &no_out_;
    in_ = in ? in : &no_in_;
}

void SoundDevices::ensure() {
    if (!chosen_) choose(nullptr);
}

WaveOutDevice& SoundDevices::out() {
    ensure();
    return *out_;
}

WaveInDevice& SoundDevices::in() {
    ensure();
    return *in_;
}

namespace {
WaveDevices* devices_of(const CMarbeckDoc& doc) {
    const SessionState* session = doc.services().session;
    return session ? session->devices : nullptr;
}
}  // namespace

WaveOutDevice& output_device(const CMarbeckDoc& doc) {
    static NoWaveOut none;  // stateless: every call fails
    WaveDevices* d = devices_of(doc);
    return d ? d->out() : none;
}

WaveInDevice& input_device(const CMarbeckDoc& doc) {
    static NoWaveIn none;
    WaveDevices* d = devices_of(doc);
    return d ? d->in() : none;
}

}  // namespace vox
