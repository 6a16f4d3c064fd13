// voxtrel-cli: the batch front end over the core. Opens any file the
// readers accept and describes, exports or converts it; the document's
// dialogs are answered by options.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/io/binary_file.h"
#include "core/document/marbeck_doc.h"
#include "core/formats/esps.h"
#include "core/formats/open_document.h"
#include "core/platform/scripted_prompts.h"
#include "cli/analysis_commands.h"
#include "cli/analysis_options.h"
#include "cli/audio_decoder.h"
#include "cli/label_commands.h"
#include "cli/measure_command.h"
#include "cli/run_setup.h"
#include "cli/sound_commands.h"
#include "cli/usb_commands.h"
#include "platform/posix_files.h"

namespace {

using namespace vox;

constexpr const char* kUsage =
    "usage: voxtrel-cli COMMAND FILE [ARGS] [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  info FILE                  format, rate, samples, duration, channels, tiers\n"
    "  export-raw FILE OUT        channel 0 as 16-bit little-endian samples\n"
    "  convert FILE OUT.vxl|OUT.wav\n"
    "                             write a native file or a 16-bit mono WAV file\n"
    "\n"
    "options:\n"
    "  --channel N                channel to read from a multichannel file (1-based)\n"
    "  --generic header=H,rate=R,type=binary|ascii,bits=8|16,order=high|low\n"
    "                             how to read a file no reader accepts\n"
    "  --long-file-minutes M      keep recordings of M minutes or more on disk (default 30)\n";

// Every command with its options: the file commands, the analyses, the
// sound devices and the external unit.
void print_full_usage(FILE* to) {
    std::fputs(kUsage, to);
    std::fputs("\nanalysis commands:\n", to);
    std::fputs(vox::cli::kAnalysisUsage, to);
    std::fputs("\n", to);
    std::fputs(vox::cli::kAnalysisOptionsUsage, to);
    std::fputs("\nlabel commands:\n", to);
    std::fputs(vox::cli::kLabelUsage, to);
    std::fputs(vox::cli::kMeasureUsage, to);
    std::fputs("\nsound commands:\n", to);
    std::fputs(vox::cli::kSoundUsage, to);
    std::fputs("\nexternal unit commands (no FILE):\n", to);
    std::fputs(vox::cli::kUsbUsage, to);
}

// Answers the document's dialogs from the command line.
class CliPrompts : public ScriptedPrompts {
public:
    std::optional<int> channel;                 // 0-based
    std::optional<GenericFileAnswers> generic;  // from --generic
    std::string file;

    // Without a usable --channel the open ends here: the reader that asks
    // knows the file, and the readers after it would only ask again or
    // offer to read it as headerless samples.
    std::optional<int> select_channel(int count, int preselected) override {
        ScriptedPrompts::select_channel(count, preselected);
        if (!channel) {
            std::fprintf(stderr, "%s has %d channels: choose one with --channel 1..%d\n", file.c_str(), count, count);
            throw DocumentCancelled();
        }
        if (*channel < 0 || *channel >= count) {
            std::fprintf(stderr, "%s has %d channels: --channel must lie in 1..%d\n", file.c_str(), count, count);
            throw DocumentCancelled();
        }
        return channel;
    }
    std::optional<GenericFileAnswers> generic_file_selection(const GenericFileAnswers& preset) override {
        ScriptedPrompts::generic_file_selection(preset);
        if (!generic) {
            // A reader that knew the file has already said why it declined.
            if (count(Event::Message) > 0)
                std::fprintf(stderr,
                             "%s was not read; to read it as headerless samples anyway, describe it with "
                             "--generic header=H,rate=R,type=binary|ascii,bits=8|16,order=high|low\n",
                             file.c_str());
            else
                std::fprintf(stderr,
                             "%s is not of any type this program recognises; describe it with "
                             "--generic header=H,rate=R,type=binary|ascii,bits=8|16,order=high|low\n",
                             file.c_str());
            return std::nullopt;
        }
        return generic;
    }
};

bool parse_int(const std::string& s, int& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < -2147483647L || v > 2147483647L) return false;
    out = static_cast<int>(v);
    return true;
}

std::optional<GenericFileAnswers> parse_generic(const std::string& text) {
    GenericFileAnswers a;
    std::stringstream ss(text);
    std::string item;
    while (std::getline(ss, item, ',')) {
        const auto eq = item.find('=');
        if (eq == std::string::npos) return std::nullopt;
        const std::string key = item.substr(0, eq), value = item.substr(eq + 1);
        if (key == "header") {
            if (!parse_int(value, a.header_bytes) || a.header_bytes < 0) return std::nullopt;
        } else if (key == "rate") {
            if (!parse_int(value, a.sample_rate_hz) || a.sample_rate_hz <= 0) return std::nullopt;
        } else if (key == "type") {
            if (value == "binary")
                a.integer_binary = 1;
            else if (value == "ascii")
                a.integer_binary = 0;
            else
                return std::nullopt;
        } else if (key == "bits") {
            if (value == "16")
                a.sixteen_bit = 1;
            else if (value == "8")
                a.sixteen_bit = 0;
            else
                return std::nullopt;
        } else if (key == "order") {
            if (value == "high")
                a.high_byte_first = 1;
            else if (value == "low")
                a.high_byte_first = 0;
            else
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return a;
}

bool ends_with(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    std::string a = s.substr(s.size() - tail.size());
    for (char& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return a == tail;
}

int cmd_info(CMarbeckDoc& doc) {
    const CChannels& ch = doc.channels[0];
    std::printf("File:      %s\n", doc.path().c_str());
    std::printf("Format:    %s\n", doc.format_name().c_str());
    std::printf("Rate:      %.10g Hz\n", ch.sample_rate);
    std::printf("Samples:   %.0f\n", ch.sample_count);
    std::printf("Duration:  %.3f ms (%.3f s)\n", ch.duration_ms, ch.duration_ms / 1000.0);
    std::printf("Channels:  %d", doc.channel_count);
    if (doc.has_channel_title) std::printf(" (%s)", doc.channel_title.c_str());
    std::printf("\n");
    std::printf("Storage:   %s\n", ch.has_samples() ? "memory" : "raw file on disk");
    for (int c = 1; c < doc.channel_count; ++c) {
        const CChannels& o = doc.channels[c];
        std::printf("Channel %d: \"%s\" %.10g Hz, %.0f samples, units \"%s\"\n", c + 1, o.name.c_str(), o.sample_rate,
                    o.sample_count, o.units.c_str());
    }
    for (int t = 0; t < kTierCount; ++t) {
        const Tier& tier = ch.tiers[t];
        if (tier.label_count() == 0 && !tier.in_use) continue;
        std::printf("Tier %d:    \"%s\" %d label%s\n", t, tier.name.c_str(), tier.label_count(),
                    tier.label_count() == 1 ? "" : "s");
    }
    if (ch.mark_count() > 0) std::printf("Marks:     %d\n", ch.mark_count());
    return 0;
}

int cmd_export_raw(CMarbeckDoc& doc, const std::string& out_path) {
    AtomicFileWriter out;
    if (!out.open(out_path)) {
        std::fprintf(stderr, "cannot create %s: %s\n", out_path.c_str(), out.failure().c_str());
        return 1;
    }
    const std::uint64_t n = doc.channels[0].count();
    // Writing an empty file and reporting success would hide that nothing was there.
    if (n == 0) {
        std::fprintf(stderr, "%s holds no samples: nothing to export\n", doc.path().c_str());
        return 1;
    }
    std::vector<std::int16_t> buf(1 << 16);
    std::vector<unsigned char> bytes(buf.size() * 2);
    for (std::uint64_t done = 0; done < n;) {
        const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(n - done, buf.size()));
        if (!doc.read_audio(done, k, buf.data())) {
            std::fprintf(stderr, "cannot read the samples of %s\n", doc.path().c_str());
            return 1;
        }
        for (std::size_t i = 0; i < k; ++i) put_u16le(&bytes[2 * i], static_cast<std::uint16_t>(buf[i]));
        if (!out.file().write(bytes.data(), k * 2)) {
            std::fprintf(stderr, "cannot write %s: %s\n", out_path.c_str(), out.failure().c_str());
            return 1;
        }
        done += k;
    }
    if (!out.commit()) {
        std::fprintf(stderr, "cannot write %s: %s\n", out_path.c_str(), out.failure().c_str());
        return 1;
    }
    return 0;
}

int cmd_convert(CMarbeckDoc& doc, const std::string& out_path) {
    doc.selection_active = 0;
    bool ok = false;
    if (ends_with(out_path, ".wav")) {
        ok = doc.write_wave(out_path, false);
    } else if (ends_with(out_path, ".vxl")) {
        ok = doc.write_native(out_path);
    } else {
        std::fprintf(stderr, "convert: the output must end in .vxl or .wav\n");
        return 2;
    }
    if (!ok) {
        std::fprintf(stderr, "%s\n", doc_text::kSaveError);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    vox::use_posix_files();
    if (argc > 1 && vox::cli::is_sound_command(argv[1])) return vox::cli::run_sound_command(argc, argv);
    if (argc > 1 && vox::cli::is_usb_command(argv[1])) return vox::cli::run_usb_command(argv[1], argc - 2, argv + 2);
    if (argc > 1 && std::string(argv[1]) == "measure") return vox::cli::run_measure(std::vector<std::string>(argv + 2, argv + argc));
    std::vector<std::string> args;
    std::vector<std::string> analysis_options;
    CliPrompts prompts;
    prompts.echo_to_stderr = true;
    double long_minutes = 30.0;
    std::optional<std::string> grid_in;  // --labels
    std::optional<std::string> config;   // --config
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto need_value = [&](const char* opt) -> std::optional<std::string> {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n%s", opt, kUsage);
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        if (a == "--help" || a == "-h") {
            print_full_usage(stdout);
            return 0;
        } else if (a == "--channel") {
            auto v = need_value("--channel");
            int n = 0;
            if (!v || !parse_int(*v, n) || n < 1) {
                std::fprintf(stderr, "--channel needs a channel number from 1\n");
                return 2;
            }
            prompts.channel = n - 1;
        } else if (a == "--generic") {
            auto v = need_value("--generic");
            if (!v) return 2;
            prompts.generic = parse_generic(*v);
            if (!prompts.generic) {
                std::fprintf(stderr, "--generic: cannot understand \"%s\"\n%s", v->c_str(), kUsage);
                return 2;
            }
        } else if (a == "--long-file-minutes") {
            auto v = need_value("--long-file-minutes");
            if (!v) return 2;
            char* end = nullptr;
            long_minutes = std::strtod(v->c_str(), &end);
            if (*end != '\0' || !(long_minutes >= 0.0)) {
                std::fprintf(stderr, "--long-file-minutes needs a number of minutes\n");
                return 2;
            }
        } else if (a == "--config") {
            auto v = need_value(a.c_str());
            if (!v) return 2;
            config = *v;
        } else if (a == "--labels") {
            auto v = need_value(a.c_str());
            if (!v) return 2;
            grid_in = *v;
        } else if (vox::cli::is_analysis_option(a)) {
            auto v = need_value(a.c_str());
            if (!v) return 2;
            analysis_options.push_back(a);
            analysis_options.push_back(*v);
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else {
            args.push_back(a);
        }
    }
    if (args.size() < 2) {
        // Without a command every command is listed; with one but no file
        // the short form is enough.
        if (args.empty())
            print_full_usage(stderr);
        else
            std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& command = args[0];
    const std::string& file = args[1];
    const bool known = command == "info" || command == "export-raw" || command == "convert" || command == "labels" ||
                       vox::cli::is_analysis_command(command);
    if (!known) {
        std::fprintf(stderr, "unknown command %s\n%s", command.c_str(), kUsage);
        return 2;
    }
    if ((command == "export-raw" || command == "convert") && args.size() < 3) {
        std::fprintf(stderr, "%s needs an output file\n%s", command.c_str(), kUsage);
        return 2;
    }

    // "labels" writes to the file --to names (the option the analyses read
    // as the end of a stretch).
    std::optional<std::string> grid_out;
    for (std::size_t k = 0; command == "labels" && k + 1 < analysis_options.size(); k += 2)
        if (analysis_options[k] == "--to") grid_out = analysis_options[k + 1];
    if (command == "labels" && !grid_out) {
        std::fprintf(stderr, "labels needs --to OUT.TextGrid\n");
        return 2;
    }
    if (grid_in && !(command == "convert" && args.size() >= 3 && ends_with(args[2], ".vxl"))) {
        std::fprintf(stderr, "--labels goes with convert FILE OUT.vxl (only a .vxl file keeps tiers)\n");
        return 2;
    }
    prompts.file = file;
    NullProgress progress;
    // This run's files live in a folder of its own, removed when main returns.
    const auto private_temp = vox::cli::make_run_temp_folder();
    if (!private_temp) return 1;
    TempNames temp(private_temp->path());
    OptionBlock options;
    if (config) {
        // A saved configuration's options, as the application's File > Load
        // Configuration gives them to the next document.
        const auto saved = vox::cli::read_saved_options(*config);
        if (!saved) {
            std::fprintf(stderr, "%s\n", vox::cli::config_refusal(*config).c_str());
            return 2;
        }
        options = *saved;
    }
    options.long_file_minutes = long_minutes;
    // Readers' diagnostics are not data: standard output carries only the
    // command's results (tab-separated for the analysis commands).
    DocServices services{prompts, progress, temp, &vox::cli::audio_decoder(), nullptr, stderr};
    // The analyses and info only read the document: a long 16-bit WAV is
    // read where its samples lie, with no private copy.
    services.samples_in_place = vox::cli::is_analysis_command(command) || command == "info";
    CMarbeckDoc doc(services, options);
    try {
        if (!open_document(doc, file)) {
            if (prompts.count(ScriptedPrompts::Event::Message) == 0 &&
                prompts.count(ScriptedPrompts::Event::OpenFailure) == 0 &&
                prompts.count(ScriptedPrompts::Event::SelectChannel) == 0 &&
                prompts.count(ScriptedPrompts::Event::GenericFile) == 0)
                std::fprintf(stderr, "%s could not be read\n", file.c_str());
            return 1;
        }
        if (vox::cli::is_analysis_command(command)) return vox::cli::run_analysis_command(command, doc, analysis_options);
        if (command == "info") return cmd_info(doc);
        if (command == "export-raw") return cmd_export_raw(doc, args[2]);
        if (command == "labels") return vox::cli::export_textgrid(doc, *grid_out);
        if (grid_in && !vox::cli::import_textgrid(doc, *grid_in)) return 1;
        return cmd_convert(doc, args[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(), e.what());
        return 1;
    }
}
