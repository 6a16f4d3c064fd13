// voxtrel-cli measure: each file opened and analysed on its own worker, the
// rows gathered per file and written in the order the files were named.

#include "cli/measure_command.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include "cli/analysis_options.h"
#include "cli/audio_decoder.h"
#include "cli/run_setup.h"
#include "core/app/sha256.h"
#include "core/document/channel_analysis.h"
#include "core/document/marbeck_doc.h"
#include "core/dsp/fft_lpc_slice.h"
#include "core/dsp/intensity.h"
#include "core/dsp/pitch_tracker.h"
#include "core/formats/open_document.h"
#include "core/platform/scripted_prompts.h"

namespace vox::cli {

namespace {

struct Request {
    std::vector<std::string> files;
    std::string tier;
    std::vector<double> at{50.0};
    int jobs = 0;
    std::optional<std::string> config;     // --config, named in the table's provenance
    std::optional<OptionBlock> saved;      // its options, read once
    std::map<std::string, std::string> tuning;
};

int usage(const std::string& why) {
    std::fprintf(stderr, "measure: %s\nusage:\n%s", why.c_str(), kMeasureUsage);
    return 2;
}

// "20,50,80" as percentages from 0 to 100.
std::optional<std::vector<double>> percentages(const std::string& text) {
    std::vector<double> out;
    std::stringstream ss(text);
    for (std::string item; std::getline(ss, item, ',');) {
        char* end = nullptr;
        const double v = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || !(v >= 0.0 && v <= 100.0)) return std::nullopt;
        out.push_back(v);
    }
    if (out.empty()) return std::nullopt;
    return out;
}

// A number for a cell: empty when not measurable.
std::string cell(double v, const char* format, bool measurable) {
    if (!measurable || !std::isfinite(v)) return {};
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

// The options a file is measured with, one comment line.
std::string options_line(const OptionBlock& o, double fs) {
    const PitchOptions& p = o.pitch;
    const IntensityOptions& i = o.intensity;
    const FftLpcOptions& f = o.fft_lpc;
    char text[512];
    std::snprintf(text, sizeof text,
                  "#   rate_hz=%.10g pitch: method=%s window_ms=%.10g step_ms=%.10g f0_min_hz=%.10g f0_max_hz=%.10g "
                  "intensity: window_ms=%.10g step_ms=%.10g relative=%d fftlpc: fft_points=%d applied_window_ms=%d "
                  "lpc_order=%d max_freq_hz=%d",
                  fs, p.cepstral ? "cepstral" : "amdf", p.window_ms, p.step_ms, p.calc_low_hz, p.calc_high_hz,
                  i.window_ms, i.step_ms, i.relative, 1 << (std::clamp(f.window_list_index, 0, 7) + 5),
                  f.applied_window_ms, f.lpc_coefficients, f.frequency_range_hz);
    return text;
}

// The intensity the waveform window reads out at a time: the contour's
// entry at the time's share of the recording.
std::optional<double> intensity_at(const CChannels& ch, double ms) {
    const std::size_t n = std::min<std::size_t>(ch.intensity.size(), std::max<std::int64_t>(0, ch.intensity_count));
    if (!ch.intensity_valid || n == 0 || !(ch.duration_ms > 0.0)) return std::nullopt;
    const double idx = double(n) / ch.duration_ms * ms;
    if (!(idx >= 0.0) || idx >= double(n)) return std::nullopt;
    return ch.intensity[static_cast<std::size_t>(idx)];
}

// Measure reads recordings of one channel: the channel question ends the
// open (the readers after the one asking would only ask again).
class MeasurePrompts : public ScriptedPrompts {
public:
    int channels = 0;  // as the file's reader counted them, 0 when not asked
    std::optional<int> select_channel(int count, int preselected) override {
        ScriptedPrompts::select_channel(count, preselected);
        channels = count;
        throw DocumentCancelled();
    }
};

struct FileResult {
    std::string provenance;  // comment lines
    std::string rows;
    std::string error;       // empty when measured
};

FileResult measure_file(const std::string& file, const Request& rq, const std::string& temp_folder) {
    FileResult out;
    MeasurePrompts prompts;
    NullProgress progress;
    TempNames temp(temp_folder);
    OptionBlock options = rq.saved.value_or(OptionBlock{});
    DocServices services{prompts, progress, temp, &audio_decoder(), nullptr, stderr};
    services.samples_in_place = true;  // measured, never edited or saved
    CMarbeckDoc doc(services, options);
    auto failure = [&](const std::string& why) {
        out.error = file + ": " + why;
        return out;
    };
    if (!open_document(doc, file)) {
        const auto said = prompts.messages();
        if (!said.empty()) return failure(said.back());
        if (prompts.channels > 0)
            return failure("has " + std::to_string(prompts.channels) +
                           " channels; measure reads one-channel recordings (take one out first with "
                           "voxtrel-cli convert FILE OUT.wav --channel N)");
        if (prompts.count(ScriptedPrompts::Event::GenericFile) > 0)
            return failure("is not of any type this program recognises");
        return failure("could not be read");
    }
    CChannels& ch = doc.channels[0];
    if (ch.count() == 0 || !(ch.sample_rate > 0.0)) return failure("holds no audio samples");
    // The options given apply to the analyses they serve; the window and
    // step are the pitch track's (the intensity keeps the configuration's).
    for (const char* command : {"pitch", "fftlpc"}) {
        std::map<std::string, std::string> mine;
        for (const auto& [k, v] : rq.tuning)
            if (tuning_option_serves(k, command) && !(std::string(command) == "fftlpc" && k == "--window-ms"))
                mine[k] = v;
        // Messages of the checks go to standard error with the file's name.
        if (apply_tuning_options(command, mine, doc.options, ch.sample_rate) != 0)
            return failure(std::string("options refused for ") + command);
    }
    const Tier* tier = nullptr;
    for (const Tier& t : ch.tiers)
        if (t.name == rq.tier) tier = &t;
    if (tier == nullptr) return failure("has no tier \"" + rq.tier + "\"");

    PitchOptions po = doc.options.pitch;
    const PitchOutcome pitch = ComputePitch(doc, 0, 0, 0, po, progress, 1);
    ComputeChannelIntensity(doc, 0, doc.options.intensity, progress, 1);

    out.provenance = "# file=" + file + " sha256=" + Sha256OfFile(file) + "\n" + options_line(doc.options, ch.sample_rate) + "\n";
    std::vector<LABEL> labels = tier->labels;
    std::stable_sort(labels.begin(), labels.end(), [](const LABEL& a, const LABEL& b) { return a.time_ms < b.time_ms; });
    SampleSource src = channel_source(doc, 0);
    std::string rows;
    for (std::size_t k = 0; k < labels.size(); ++k) {
        const double start = labels[k].time_ms;
        const double end = k + 1 < labels.size() ? labels[k + 1].time_ms : ch.duration_ms;
        for (double pct : rq.at) {
            const double t = start + pct / 100.0 * (end - start);
            const double f0 = pitch.track ? pitch.track->value_at(t) : 0.0;
            const auto level = intensity_at(ch, t);
            SliceRequest sr;
            sr.fs = ch.sample_rate;
            sr.frame_start = static_cast<std::uint64_t>(
                std::clamp(std::floor(t * ch.sample_rate / 1000.0), 0.0, static_cast<double>(ch.count())));
            sr.out_points = 64;
            sr.options = doc.options.fft_lpc;
            ScriptedPrompts quiet;
            const auto slice = ComputeFftLpcSlice(src, sr, &quiet);
            std::string row = file + "\t" + rq.tier + "\t" + labels[k].text_string() + "\t" + cell(start, "%.3f", true) +
                              "\t" + cell(end, "%.3f", true) + "\t" + cell(pct, "%g", true) + "\t" + cell(t, "%.3f", true) +
                              "\t" + cell(f0, "%.2f", f0 > 0.0) + "\t" + cell(level.value_or(0.0), "%.2f", level.has_value());
            for (int j = 0; j < 3; ++j) {
                const bool found = slice && slice->F[j] > 0.0;
                row += "\t" + cell(found ? slice->F[j] : 0.0, "%.1f", found);
                row += "\t" + cell(found ? slice->B[j] : 0.0, "%.1f", found && slice->B[j] > 0.0);
            }
            rows += row + "\n";
        }
    }
    out.rows = std::move(rows);
    return out;
}

}  // namespace

int run_measure(const std::vector<std::string>& args) {
    Request rq;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--tier" || a == "--at" || a == "--jobs" || a == "--config" || is_tuning_option(a)) {
            if (!has_value) return usage(a + " needs a value");
            const std::string v = args[++i];
            if (a == "--tier") {
                rq.tier = v;
            } else if (a == "--at") {
                auto p = percentages(v);
                if (!p) return usage("--at needs percentages from 0 to 100, separated by commas");
                rq.at = *p;
            } else if (a == "--jobs") {
                char* end = nullptr;
                const long n = std::strtol(v.c_str(), &end, 10);
                if (*end != '\0' || n < 1 || n > 256) return usage("--jobs needs a number from 1 to 256");
                rq.jobs = static_cast<int>(n);
            } else if (a == "--config") {
                rq.saved = read_saved_options(v);
                if (!rq.saved) return usage(config_refusal(v));
                rq.config = v;
            } else {
                rq.tuning[a] = v;
            }
        } else if (a.rfind("--", 0) == 0) {
            return usage("unknown option " + a);
        } else {
            rq.files.push_back(a);
        }
    }
    if (rq.files.empty()) return usage("no files to measure");
    if (rq.tier.empty()) return usage("--tier NAME is needed");

    const auto private_temp = make_run_temp_folder();
    if (!private_temp) return 1;
    const int jobs = std::clamp(rq.jobs > 0 ? rq.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())),
                                1, static_cast<int>(rq.files.size()));
    std::vector<FileResult> results(rq.files.size());
    std::atomic<std::size_t> next{0}, done{0};
    auto worker = [&] {
        for (std::size_t k; (k = next.fetch_add(1)) < rq.files.size();) {
            try {
                results[k] = measure_file(rq.files[k], rq, private_temp->path());
            } catch (const std::exception& e) {
                results[k].error = rq.files[k] + ": " + e.what();
            }
            done.fetch_add(1);
        }
    };
    std::vector<std::thread> pool;
    for (int j = 1; j < jobs; ++j) pool.emplace_back(worker);
    // With a terminal on standard error, a line counts the files measured.
    const bool tty = isatty(STDERR_FILENO) != 0;
    std::thread progress;
    if (tty)
        progress = std::thread([&] {
            while (done.load() < rq.files.size()) {
                std::fprintf(stderr, "\rmeasured %zu of %zu files", done.load(), rq.files.size());
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
            std::fprintf(stderr, "\rmeasured %zu of %zu files\n", rq.files.size(), rq.files.size());
        });
    worker();
    for (auto& t : pool) t.join();
    if (progress.joinable()) progress.join();

    std::string provenance = "# voxtrel-cli measure " VOXTREL_VERSION_TEXT "\n# tier=" + rq.tier + " at_pct=";
    for (std::size_t k = 0; k < rq.at.size(); ++k) provenance += cell(rq.at[k], "%g", true) + (k + 1 < rq.at.size() ? "," : "");
    provenance += rq.config ? " config=" + *rq.config : std::string(" config=(built-in, fitted to each file's rate)");
    provenance += "\n";
    int status = 0;
    for (const FileResult& r : results) {
        if (!r.error.empty()) {
            std::fprintf(stderr, "%s\n", r.error.c_str());
            status = 1;
        }
        provenance += r.provenance;
    }
    std::fputs(provenance.c_str(), stdout);
    std::printf("%s\n", kMeasureHeader);
    for (const FileResult& r : results) std::fputs(r.rows.c_str(), stdout);
    return status;
}

}  // namespace vox::cli
