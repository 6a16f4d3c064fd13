#include "cli/usb_commands.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "core/audio/record_settings.h"
#include "core/audio/usb_config_block.h"
#include "core/audio/usb_hardware.h"
#include "core/audio/usb_scope.h"
#include "core/platform/scripted_prompts.h"
#include "platform/usb_backend.h"

namespace vox::cli {

const char* const kUsbUsage =
    "  usb-config [--model 5|9] [--mode M] [--rate R] [--input Mic|Line]\n"
    "             [--enable CH=RATE ...] [--filter CH=HZ ...] [--gain CH=G ...]\n"
    "                             the unit's 320-byte configuration block in hex\n"
    "  scope [--usb=simulated|libusb] [--runs N] [same settings as usb-config but --mode]\n"
    "                             run acquisitions; each input's sample count and first samples\n"
    "                             (CH 0 is the audio input; G is its gain, a step 0..16 elsewhere;\n"
    "                             without --mode the mode follows the enabled inputs' rates;\n"
    "                             --usb falls back to VOXTREL_USB, then libusb)\n";

bool is_usb_command(const std::string& command) { return command == "usb-config" || command == "scope"; }

namespace {

bool parse_int(const std::string& s, int& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < -2147483647L || v > 2147483647L) return false;
    out = static_cast<int>(v);
    return true;
}

// "CH=VALUE"
bool parse_pair(const std::string& s, int& ch, int& value) {
    const auto eq = s.find('=');
    return eq != std::string::npos && parse_int(s.substr(0, eq), ch) && parse_int(s.substr(eq + 1), value);
}

struct Options {
    RecordSettings settings;
    std::optional<int> mode;
    std::string usb;
    int runs = 1;
};

int usage_error(const std::string& why) {
    std::fprintf(stderr, "%s\nusage:\n%s", why.c_str(), kUsbUsage);
    return 2;
}

}  // namespace

int run_usb_command(const std::string& command, int argc, char** argv) {
    Options o;
    o.settings.source = kRecordSourceExternal;
    o.settings.sample_rate_hz = 22000;
    struct PerChannel {
        const char* what;
        int ch, value;
    };
    std::vector<PerChannel> per_channel;
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        std::string value;
        const auto eq = a.find('=');
        if (a.rfind("--", 0) == 0 && eq != std::string::npos && a.rfind("--usb", 0) == 0) {
            value = a.substr(eq + 1);
            a = a.substr(0, eq);
        } else if (a.rfind("--", 0) == 0) {
            if (i + 1 >= argc) return usage_error(a + " needs a value");
            value = argv[++i];
        } else {
            return usage_error("unexpected argument " + a);
        }
        int n = 0;
        if (a == "--model") {
            if (!parse_int(value, n) || (n != 5 && n != 9)) return usage_error("--model must be 5 or 9");
            o.settings.unit_model = n;
        } else if (a == "--mode" && command == "usb-config") {
            if (!parse_int(value, n)) return usage_error("--mode needs a number");
            o.mode = n;
        } else if (a == "--rate") {
            if (!parse_int(value, n) || n <= 0) return usage_error("--rate needs a rate in Hz");
            o.settings.sample_rate_hz = n;
        } else if (a == "--input") {
            o.settings.input = value;  // anything else than Mic/Line is the unit's refusal to show
        } else if (a == "--filter" || a == "--gain" || a == "--enable") {
            int ch = 0, v = 0;
            if (!parse_pair(value, ch, v)) return usage_error(a + " needs CH=VALUE");
            per_channel.push_back({a == "--filter" ? "filter" : a == "--gain" ? "gain" : "enable", ch, v});
        } else if (a == "--usb" && command == "scope") {
            o.usb = value;
        } else if (a == "--runs" && command == "scope") {
            if (!parse_int(value, n) || n < 1) return usage_error("--runs needs a count from 1");
            o.runs = n;
        } else {
            return usage_error("unknown option " + a + " for " + command);
        }
    }
    o.settings.channels = RecordSettings::default_channels(o.settings.unit_model);
    for (const auto& p : per_channel) {
        if (p.ch < 0 || p.ch >= o.settings.unit_model)
            return usage_error(std::string("--") + p.what + ": the unit has inputs 0.." +
                               std::to_string(o.settings.unit_model - 1));
        auto& c = o.settings.channels[static_cast<std::size_t>(p.ch)];
        if (std::string(p.what) == "filter")
            c.filter_cutoff_hz = p.value;
        else if (std::string(p.what) == "gain")
            c.gain = p.value;
        else
            c.enabled = 1, c.sample_rate_hz = p.value;
    }

    ScriptedPrompts prompts;
    prompts.echo_to_stderr = true;
    if (command == "usb-config") {
        UsbBlockSettings b = usb_block_settings(o.settings);
        if (o.mode) b.mode = *o.mode;
        try {
            const UsbConfigBlock block = build_usb_config_block(b);
            for (std::size_t i = 0; i < block.size(); ++i)
                std::printf("%02x%c", block[i], (i % 16 == 15) ? '\n' : ' ');
        } catch (const UsbSettingsError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        return 0;
    }

    std::string error;
    const std::string choice = usb_backend_choice(o.usb);
    auto transport = make_usb_transport(choice, &error);
    if (!transport) return usage_error(error);
    ScopeAcquisition scope;
    const int mode = usb_block_settings(o.settings).mode;
    for (int run = 1; run <= o.runs; ++run) {
        if (scope.run(o.settings, *transport, prompts) != ScopeAcquisition::Outcome::Acquired) return 1;
        std::printf("Run %d: model %d, mode %d\n", run, o.settings.unit_model, mode);
        for (std::size_t k = 0; k < scope.channels().size(); ++k) {
            const auto& s = scope.channels()[k];
            std::printf("Input %zu%s: %zu samples:", k, k == 0 ? " (Audio)" : "", s.size());
            for (std::size_t j = 0; j < s.size() && j < 8; ++j) std::printf(" %d", s[j]);
            std::printf("\n");
        }
    }
    return 0;
}

}  // namespace vox::cli
