// voxtrel-cli analysis commands. Options default to the document's option
// block: the configuration's defaults with the analysis values fitted to the
// file's rate, as the application has them for a new document.

#include "cli/analysis_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>

#include "cli/analysis_options.h"
#include "core/app/text_lines.h"
#include "core/document/channel_analysis.h"
#include "core/document/marbeck_doc.h"
#include "core/dsp/fft_lpc_slice.h"
#include "core/dsp/intensity.h"
#include "core/dsp/pitch_tracker.h"
#include "core/dsp/spectrogram.h"
#include "core/io/binary_file.h"

namespace vox::cli {

const char* const kAnalysisUsage =
    "  pitch FILE [--method cepstral|amdf] [--from MS --to MS]\n"
    "                             time (ms) and F0 (Hz) per frame, tab-separated\n"
    "  intensity FILE             time (ms) and level (dB) at each frame start\n"
    "  fftlpc FILE --at MS [--width W]\n"
    "                             formant slots, then frequency, FFT and LPC curves\n"
    "  formants FILE --width W    the spectrogram's formant slots per column\n"
    "  spectrogram FILE --width W --height H --out FILE.pgm\n";

namespace {

using Options = std::map<std::string, std::string>;

std::optional<double> number(const Options& o, const std::string& key) {
    auto it = o.find(key);
    if (it == o.end()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(it->second.c_str(), &end);
    if (end == it->second.c_str() || *end != '\0' || !std::isfinite(v)) return std::nullopt;
    return v;
}

int usage(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    return 2;
}

std::uint64_t ms_to_sample(const CChannels& ch, double ms) {
    const double s = std::floor(ms * ch.sample_rate / 1000.0);
    return static_cast<std::uint64_t>(std::clamp(s, 0.0, static_cast<double>(ch.count())));
}

int cmd_pitch(CMarbeckDoc& doc, const Options& o) {
    PitchOptions po = doc.options.pitch;
    if (auto it = o.find("--method"); it != o.end()) {
        if (it->second == "cepstral")
            po.cepstral = 1;
        else if (it->second == "amdf")
            po.cepstral = 0;
        else
            return usage("--method must be cepstral or amdf");
    }
    const CChannels& ch = doc.channels[0];
    std::uint64_t start = 0, count = ch.count();
    if (o.count("--from") || o.count("--to")) {
        auto from = number(o, "--from"), to = number(o, "--to");
        if (!from || !to || *to <= *from) return usage("--from and --to need times in ms, --to after --from");
        start = ms_to_sample(ch, *from);
        count = ms_to_sample(ch, *to) - start;
        if (count == 0) return usage("the range holds no samples");
    }
    NullProgress progress;
    const PitchOutcome out = ComputePitch(doc, 0, start, count, po, progress);
    if (!out.track) {
        std::fprintf(stderr, "pitch: %s\n",
                     out.failure == PitchFailure::TooShort ? "the range is too short for this method"
                     : out.failure == PitchFailure::ReadFailed ? "the samples could not be read"
                                                               : "no track");
        return 1;
    }
    TextLines lines(stdout);
    for (std::size_t i = 0; i < out.track->size(); ++i)
        lines.fixed(out.track->time_ms(i), 3).put('\t').fixed(out.track->f0[i], 2).put('\n');
    return lines.flush() ? 0 : 1;
}

int cmd_intensity(CMarbeckDoc& doc, const Options&) {
    NullProgress progress;
    const IntensityOptions io = doc.options.intensity;
    if (!ComputeChannelIntensity(doc, 0, io, progress)) {
        std::fprintf(stderr, "intensity: no contour\n");
        return 1;
    }
    const CChannels& ch = doc.channels[0];
    const auto sz = intensity_frame_sizes(io.window_ms, io.step_ms, ch.sample_rate);
    if (sz.step <= 0.0) return 1;
    TextLines lines(stdout);
    for (double pos = 0; pos < static_cast<double>(ch.intensity_count); pos += sz.step) {
        const std::size_t t = static_cast<std::size_t>(pos);
        lines.fixed(ch.intensity.time_ms(t), 3).put('\t').fixed(ch.intensity[t], 2).put('\n');
    }
    return lines.flush() ? 0 : 1;
}

int cmd_fftlpc(CMarbeckDoc& doc, const Options& o) {
    auto at = number(o, "--at");
    if (!at || *at < 0) return usage("fftlpc needs --at MS");
    const int width = static_cast<int>(number(o, "--width").value_or(512));
    if (width < 1 || width > 100000) return usage("--width must be 1 .. 100000");
    const CChannels& ch = doc.channels[0];
    SliceRequest rq;
    rq.fs = ch.sample_rate;
    rq.frame_start = ms_to_sample(ch, *at);
    rq.out_points = width;
    rq.options = doc.options.fft_lpc;
    SampleSource src = channel_source(doc, 0);
    auto r = ComputeFftLpcSlice(src, rq, &doc.prompts());
    if (!r) return 1;
    for (int j = 0; j < 5; ++j) std::printf("F%d\t%.1f\tB%d\t%.1f\n", j + 1, r->F[j], j + 1, r->B[j]);
    for (int i = 0; i < width; ++i)
        std::printf("%.2f\t%.3f\t%.3f\n", i * double(rq.options.frequency_range_hz) / width, r->fft[i], r->lpc[i]);
    return 0;
}

std::optional<SpectrogramColumns> spectrogram_of(CMarbeckDoc& doc, int width, int height, bool formants) {
    const CChannels& ch = doc.channels[0];
    const SpectrogramOptions& so = doc.options.spectrogram;
    SpectrogramSetup su;
    su.total = static_cast<double>(ch.count());
    su.rate = ch.sample_rate;
    su.first = 0;
    su.last = su.total;
    su.end_ms = ch.duration_ms;
    su.window = 1 << (std::clamp(so.bandwidth_index, 0, 8) + 5);
    su.dynamic_range = so.dynamic_range_db;
    su.pre_emphasis = so.pre_emphasis;
    su.frequency_range = std::min(so.frequency_range_hz, static_cast<int>(ch.sample_rate / 2000) * 1000);
    su.formants = formants;
    su.lpc_order = std::min(so.formant_lpc_coefficients, static_cast<int>(ch.sample_rate / 2000 * 2 + 10));
    su.columns = width;
    su.rows = height;
    if (const char* msg = check_spectrogram_setup(su.rate, su.frequency_range, su.lpc_order)) {
        doc.prompts().message(msg);
        return std::nullopt;
    }
    SampleSource src = channel_source(doc, 0);
    NullProgress progress;
    return ComputeSpectrogram(src, su, progress, &doc.prompts());
}

int cmd_formants(CMarbeckDoc& doc, const Options& o) {
    const int width = static_cast<int>(number(o, "--width").value_or(0));
    if (width < 1 || width > 100000) return usage("formants needs --width W (1 .. 100000)");
    // The quiet-column rule looks at each column's loudest row: the columns
    // have the rows of a spectrogram pane (a single row would be the 0 Hz
    // value alone, which a voiced column can lack).
    constexpr int kRows = 256;
    auto r = spectrogram_of(doc, width, kRows, true);
    if (!r) return 1;
    for (int i = 0; i < width; ++i) {
        std::printf("%.3f", r->column_time_ms(i));
        // A recording too short or too slow for an LPC frame has no slots:
        // every formant is "not found".
        const bool have = static_cast<std::size_t>(i) < r->formants.size();
        for (int j = 0; j < 5; ++j) std::printf("\t%d", have ? r->formants[i][j] : -1);
        std::printf("\n");
    }
    return 0;
}

int cmd_spectrogram(CMarbeckDoc& doc, const Options& o) {
    const int width = static_cast<int>(number(o, "--width").value_or(0));
    const int height = static_cast<int>(number(o, "--height").value_or(0));
    auto out = o.find("--out");
    if (width < 1 || height < 1 || width > 20000 || height > 20000 || out == o.end())
        return usage("spectrogram needs --width W --height H (1 .. 20000) and --out FILE.pgm");
    auto r = spectrogram_of(doc, width, height, false);
    if (!r) return 1;
    // A partial file beside the target replaces it only when every byte,
    // the close and the sync worked: a full disk keeps the old image.
    AtomicFileWriter f;
    const std::string header = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    bool ok = f.open(out->second) && f.file().write(header.data(), header.size());
    std::vector<unsigned char> row(static_cast<std::size_t>(width));
    for (int y = 0; ok && y < height; ++y) {
        const int r_index = height - 1 - y;  // lowest frequency at the bottom
        for (int x = 0; x < width; ++x)
            row[x] = static_cast<unsigned char>(spectrogram_grey(r->value(x, r_index), r->dynamic_range));
        ok = f.file().write(row.data(), row.size());
    }
    if (!ok || !f.commit()) {
        std::fprintf(stderr, "cannot write %s: %s\n", out->second.c_str(), f.failure().c_str());
        return 1;
    }
    return 0;
}

}  // namespace

bool is_analysis_command(const std::string& c) {
    return c == "pitch" || c == "intensity" || c == "fftlpc" || c == "formants" || c == "spectrogram";
}

bool is_analysis_option(const std::string& o) {
    return o == "--method" || o == "--from" || o == "--to" || o == "--at" || o == "--width" || o == "--height" ||
           o == "--out" || is_tuning_option(o);
}

int run_analysis_command(const std::string& command, CMarbeckDoc& doc, const std::vector<std::string>& options) {
    Options o;
    for (std::size_t i = 0; i + 1 < options.size(); i += 2) o[options[i]] = options[i + 1];
    if (doc.channels[0].count() == 0 || doc.channels[0].sample_rate <= 0) {
        std::fprintf(stderr, "%s: the file holds no audio samples\n", command.c_str());
        return 1;
    }
    if (const int status = apply_tuning_options(command, o, doc.options, doc.channels[0].sample_rate)) return status;
    try {
        if (command == "pitch") return cmd_pitch(doc, o);
        if (command == "intensity") return cmd_intensity(doc, o);
        if (command == "fftlpc") return cmd_fftlpc(doc, o);
        if (command == "formants") return cmd_formants(doc, o);
        if (command == "spectrogram") return cmd_spectrogram(doc, o);
    } catch (const SampleReadError& e) {
        std::fprintf(stderr, "%s: %s\n", command.c_str(), e.what());
        return 1;
    }
    return 2;
}

}  // namespace vox::cli
