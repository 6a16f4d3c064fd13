// record: capture S seconds into a new document and save it; play: play a
// file or a stretch of it. Both time themselves as the window's timers do.
#include "cli/sound_commands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

#include "cli/audio_decoder.h"
#include "cli/run_setup.h"
#include "core/audio/sound_abort.h"
#include "core/audio/sound_in.h"
#include "core/audio/sound_out.h"
#include "core/audio/sound_texts.h"
#include "core/document/doc_playback.h"
#include "core/document/marbeck_doc.h"
#include "core/formats/open_document.h"
#include "core/platform/scripted_prompts.h"
#include "platform/audio_backend.h"

namespace vox::cli {

const char* const kSoundUsage =
    "  record OUT.vxl --seconds S [--rate R]\n"
    "                             record S seconds (default rate 11025 Hz) into a native file\n"
    "  play FILE [--from MS] [--to MS]\n"
    "                             play the file, or the stretch from MS to MS\n"
    "  --audio=portaudio|virtual[:MIC.wav][,out=PLAYED.wav][,speed=N]|none\n"
    "                             sound devices (default: VOXTREL_AUDIO, else portaudio);\n"
    "                             for play, virtual:FILE keeps what is played in FILE\n";

namespace {

void wait_device_ms(double ms, double speed) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long long>(ms * 1000.0 / speed)));
}

bool parse_number(const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return *end == '\0' && out == out;
}

struct SoundArgs {
    std::string command, file, audio;
    std::optional<double> seconds, rate, from_ms, to_ms;
};

int usage(const std::string& why) {
    std::fprintf(stderr, "%s\nusage:\n%s", why.c_str(), kSoundUsage);
    return 2;
}

int record(const SoundArgs& a, AudioBackend& dev, ScriptedPrompts& prompts) {
    if (!a.seconds || *a.seconds <= 0) return usage("record needs --seconds S (above 0)");
    const int rate = static_cast<int>(a.rate.value_or(11025.0));
    NullProgress progress;
    const auto folder = make_run_temp_folder();
    if (!folder) return 1;
    TempNames temp(folder->path());
    CMarbeckDoc doc(DocServices{prompts, progress, temp});
    doc.channels[0].sample_rate = rate;
    CSoundIn in(*dev.in, prompts);
    const std::string path = temp.next();
    try {
        in.PrepareRecording(path, rate, 16, nullptr);
    } catch (const SoundAbort&) {
        return 1;
    }
    if (in.Start() != 0) {
        prompts.message(sound_text::kMicError);
        in.CloseDevice();
        std::remove(path.c_str());
        return 1;
    }
    in.StartCapture();
    wait_device_ms(*a.seconds * 1000.0, dev.speed);
    // As the left-button press of the window: halt, close, hand over.
    in.Halt();
    in.CloseDevice();
    const std::string taken = in.TakeRecordingPath();
    if (!doc.accept_recording(taken)) {
        std::remove(taken.c_str());
        std::fprintf(stderr, "nothing was recorded: the recording is shorter than one block\n");
        return 1;
    }
    doc.selection_active = 0;
    if (!doc.write_native(a.file)) {
        std::fprintf(stderr, "%s\n", doc_text::kSaveError);
        return 1;
    }
    std::printf("Recorded %.0f samples at %d Hz (%.3f s) into %s\n", doc.channels[0].sample_count, rate,
                doc.channels[0].duration_ms / 1000.0, a.file.c_str());
    return 0;
}

int play(const SoundArgs& a, AudioBackend& dev, ScriptedPrompts& prompts) {
    NullProgress progress;
    const auto folder = make_run_temp_folder();
    if (!folder) return 1;
    TempNames temp(folder->path());
    CMarbeckDoc doc(DocServices{prompts, progress, temp, &audio_decoder(), nullptr, stderr});
    if (!open_document(doc, a.file)) {
        std::fprintf(stderr, "%s could not be read\n", a.file.c_str());
        return 1;
    }
    const CChannels& ch = doc.channels[0];
    const double n = ch.sample_count, dur = ch.duration_ms;
    const double from = a.from_ms.value_or(0.0), to = a.to_ms.value_or(dur);
    if (from < 0 || to > dur + 1e-9 || to <= from) return usage("--from and --to must give a stretch inside the file");
    const double per_ms = dur > 0 ? n / dur : 0.0;
    const int first = static_cast<int>(from * per_ms);
    const int last = static_cast<int>(to * per_ms);
    const auto rate = static_cast<std::uint32_t>(ch.sample_rate);
    CSoundOut out(*dev.out, prompts);
    bool prepared = false;
    try {
        prepared = prepare_playback(doc, out, first, last - first, rate);
    } catch (const SoundAbort&) {
        return 1;
    }
    if (prepared) {
        out.Start();
        out.Restart();
    }
    // The play cursor's time plus the 500 ms after its last step.
    wait_device_ms(to - from + 500.0, dev.speed);
    end_playback(out);
    std::printf("Played %d samples at %u Hz (%.3f ms to %.3f ms)\n", last - first, rate, from, to);
    return 0;
}

}  // namespace

bool is_sound_command(const std::string& command) { return command == "record" || command == "play"; }

int run_sound_command(int argc, char** argv) {
    SoundArgs a;
    a.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string s = argv[i];
        auto value = [&](std::optional<double>& dst) -> bool {
            double v = 0;
            if (i + 1 >= argc || !parse_number(argv[i + 1], v)) return false;
            dst = v;
            ++i;
            return true;
        };
        if (s.rfind("--audio=", 0) == 0) {
            a.audio = s.substr(8);
        } else if (s == "--seconds") {
            if (!value(a.seconds)) return usage("--seconds needs a number");
        } else if (s == "--rate") {
            if (!value(a.rate)) return usage("--rate needs a number of Hz");
        } else if (s == "--from") {
            if (!value(a.from_ms)) return usage("--from needs a time in ms");
        } else if (s == "--to") {
            if (!value(a.to_ms)) return usage("--to needs a time in ms");
        } else if (s.rfind("--", 0) == 0) {
            return usage("unknown option " + s);
        } else if (a.file.empty()) {
            a.file = s;
        } else {
            return usage("one file only");
        }
    }
    if (a.file.empty()) return usage(a.command + " needs a file");

    AudioChoice choice;
    std::string error;
    if (!parse_audio_choice(audio_backend_choice(a.audio), choice, &error)) return usage(error);
    // For play, the virtual device's file is where the played sound goes.
    if (a.command == "play" && choice.kind == "virtual" && choice.out_file.empty()) {
        choice.out_file = choice.file;
        choice.file.clear();
    }
    AudioBackend dev;
    if (!make_audio_backend(choice, dev, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    ScriptedPrompts prompts;
    prompts.echo_to_stderr = true;
    return a.command == "record" ? record(a, dev, prompts) : play(a, dev, prompts);
}

}  // namespace vox::cli
