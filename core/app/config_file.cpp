#include "core/app/config_file.h"

#include "core/io/binary_file.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

namespace vox {

namespace {

namespace fs = std::filesystem;

// Field offsets of the layout.
namespace off {
constexpr std::size_t kVersion = 0x000;
constexpr std::size_t kRecordPlay = 0x010;
constexpr std::size_t kDocumentRect = 0x014;
constexpr std::size_t kFftRect = 0x024;
constexpr std::size_t kSpectrogramRect = 0x034;
constexpr std::size_t kLogRect = 0x044;
constexpr std::size_t kLabelRect = 0x054;
constexpr std::size_t kSampleRate = 0x068;
constexpr std::size_t kSampleCount = 0x070;
constexpr std::size_t kDuration = 0x078;
constexpr std::size_t kTierNames = 0x0D0;
constexpr std::size_t kTierSlot = 64;
}  // namespace off

void put_i32(ConfigBytes& b, std::size_t at, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t get_i32(const ConfigBytes& b, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

void put_f64(ConfigBytes& b, std::size_t at, double v) {
    const auto u = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) b[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

double get_f64(const ConfigBytes& b, std::size_t at) {
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<std::uint64_t>(b[at + i]) << (8 * i);
    return std::bit_cast<double>(u);
}

// Reals kept as whole numbers in the file are truncated toward zero; values
// outside the 32-bit range are held at its ends instead of wrapping.
std::int32_t truncate_to_i32(double v) {
    if (std::isnan(v)) return 0;
    const double t = std::trunc(v);
    if (t >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    if (t <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(t);
}

void put_rect(ConfigBytes& b, std::size_t at, const WindowRect& r) {
    put_i32(b, at, r.a);
    put_i32(b, at + 4, r.b);
    put_i32(b, at + 8, r.c);
    put_i32(b, at + 12, r.d);
}

WindowRect get_rect(const ConfigBytes& b, std::size_t at) {
    return {get_i32(b, at), get_i32(b, at + 4), get_i32(b, at + 8), get_i32(b, at + 12)};
}

void put_text(ConfigBytes& b, std::size_t at, std::size_t slot, const std::string& s) {
    std::memset(&b[at], 0, slot);
    const std::size_t n = std::min(s.size(), slot - 1);  // always NUL-terminated
    std::memcpy(&b[at], s.data(), n);
}

std::string get_text(const ConfigBytes& b, std::size_t at, std::size_t slot) {
    std::size_t n = 0;
    while (n < slot - 1 && b[at + n] != 0) ++n;  // at most slot-1 characters
    return std::string(reinterpret_cast<const char*>(&b[at]), n);
}

// Each group knows how to move its fields in both directions.
void group_display(ConfigBytes& b, const OptionBlock& o) {
    const auto& d = o.display;
    put_f64(b, 0x080, d.print_width);
    put_f64(b, 0x088, d.print_height);
    put_i32(b, 0x090, d.track_mouse);
    put_i32(b, 0x094, d.add_time_grid);
    put_i32(b, 0x098, d.time_grid_ms);
    put_i32(b, 0x09C, d.color);
    put_i32(b, 0x0A0, d.inches);
    put_i32(b, 0x0A4, d.always_analyse);
    put_i32(b, 0x0A8, d.msec);
    put_i32(b, 0x0AC, d.audio_height);
    put_i32(b, 0x0B0, d.intensity_height);
}

void group_fft(ConfigBytes& b, const OptionBlock& o) {
    const auto& f = o.fft_lpc;
    put_i32(b, 0x350, f.window_list_index);
    put_i32(b, 0x354, f.fft_points);
    put_i32(b, 0x358, f.applied_window_ms);
    put_i32(b, 0x35C, f.average_step_ms);
    put_i32(b, 0x360, f.frequency_range_hz);
    put_i32(b, 0x364, f.absolute_db);
    put_i32(b, 0x368, f.absolute_top_db);
    put_i32(b, 0x36C, f.inches);
    put_f64(b, 0x370, f.print_width);
    put_f64(b, 0x378, f.print_height);
    put_i32(b, 0x380, f.color);
    put_i32(b, 0x384, f.add_frequency_grid);
    put_i32(b, 0x388, f.frequency_grid_hz);
    put_i32(b, 0x38C, f.add_power_grid);
    put_i32(b, 0x390, f.power_grid_db);
    // The coefficient count is even: an odd count is rounded down.
    put_i32(b, 0x394, f.lpc_coefficients - (f.lpc_coefficients % 2));
    put_i32(b, 0x398, f.draw_lpc);
    // Which of these the person chose (a reserved word of the layout).
    put_i32(b, 0x47C, static_cast<std::int32_t>(o.fft_lpc_chosen));
}

void group_spectrogram(ConfigBytes& b, const OptionBlock& o) {
    const auto& s = o.spectrogram;
    put_i32(b, 0x3AC, s.analysis_points);
    put_i32(b, 0x3B0, s.bandwidth_index);
    put_i32(b, 0x3B4, s.frequency_range_hz);
    put_i32(b, 0x3B8, s.dynamic_range_db);
    put_f64(b, 0x3C0, s.pre_emphasis);
    put_i32(b, 0x3C8, s.display_formants);
    put_i32(b, 0x3CC, s.formant_lpc_coefficients);
    put_i32(b, 0x3D0, s.inches);
    // Which of these the person chose (a reserved word of the layout).
    put_i32(b, 0x3D4, static_cast<std::int32_t>(o.spectrogram_chosen));
    put_f64(b, 0x3D8, s.print_width);
    put_f64(b, 0x3E0, s.print_height);
    put_i32(b, 0x3E8, s.draw_audio);
    put_i32(b, 0x3EC, s.draw_intensity);
    put_i32(b, 0x3F0, s.draw_labels);
    put_i32(b, 0x3F4, s.add_frequency_grid);
    put_i32(b, 0x3F8, s.frequency_grid_hz);
    put_i32(b, 0x3FC, s.add_time_grid);
    put_i32(b, 0x400, s.time_grid_ms);
}

void group_pitch(ConfigBytes& b, const OptionBlock& o) {
    const auto& p = o.pitch;
    put_f64(b, 0x408, p.window_ms);
    put_f64(b, 0x410, p.step_ms);
    put_f64(b, 0x418, p.calc_high_hz);
    put_f64(b, 0x420, p.calc_low_hz);
    put_i32(b, 0x428, p.display_high_hz);
    put_i32(b, 0x42C, p.display_low_hz);
    put_i32(b, 0x430, p.add_frequency_grid);
    put_i32(b, 0x434, p.frequency_grid_hz);
    put_i32(b, 0x440, p.cepstral);
    put_f64(b, 0x448, p.cepstral_threshold_pct);
    put_f64(b, 0x450, p.cepstral_deviation_hz);
    put_f64(b, 0x458, p.amdf_threshold);
    put_f64(b, 0x460, p.amdf_deviation);
}

void group_generic(ConfigBytes& b, const OptionBlock& o) {
    put_i32(b, 0x468, o.generic.header_bytes);
    put_i32(b, 0x46C, o.generic.sample_rate_hz);
    put_i32(b, 0x470, o.generic.integer_binary);
    put_i32(b, 0x474, o.generic.sixteen_bit);
    put_i32(b, 0x478, o.generic.high_byte_first);
}

}  // namespace

void encode_config_group(ConfigGroup group, const OptionBlock& o, const AppConfigValues& app, ConfigBytes& b) {
    switch (group) {
        case ConfigGroup::Display: group_display(b, o); break;
        case ConfigGroup::Zoom: put_i32(b, 0x0B8, truncate_to_i32(o.zoom_range_ms)); break;
        case ConfigGroup::ReferenceGain:
            put_f64(b, 0x0C0, o.gain_percent);
            put_f64(b, 0x0C8, o.reference);
            break;
        case ConfigGroup::TierNames:
            for (std::size_t i = 0; i < o.tier_names.size(); ++i)
                put_text(b, off::kTierNames + i * off::kTierSlot, off::kTierSlot, o.tier_names[i]);
            break;
        case ConfigGroup::FftLpc: group_fft(b, o); break;
        case ConfigGroup::Log: put_i32(b, 0x39C, o.log_step_hz); break;
        case ConfigGroup::Intensity:
            put_i32(b, 0x3A0, truncate_to_i32(o.intensity.window_ms));
            put_i32(b, 0x3A4, truncate_to_i32(o.intensity.step_ms));
            put_i32(b, 0x3A8, o.intensity.relative);
            break;
        case ConfigGroup::Spectrogram: group_spectrogram(b, o); break;
        case ConfigGroup::Pitch: group_pitch(b, o); break;
        case ConfigGroup::Generic: group_generic(b, o); break;
        case ConfigGroup::RecordPlay: put_i32(b, off::kRecordPlay, app.record_play_cell); break;
        case ConfigGroup::Windows:
            put_rect(b, off::kDocumentRect, app.document_window);
            put_rect(b, off::kFftRect, app.fft_lpc_window);
            put_rect(b, off::kSpectrogramRect, app.spectrogram_window);
            put_rect(b, off::kLogRect, app.log_window);
            put_rect(b, off::kLabelRect, app.label_window);
            break;
        case ConfigGroup::LastChannel:
            put_f64(b, off::kSampleRate, o.sample_rate);
            put_f64(b, off::kSampleCount, o.last_sample_count);
            put_f64(b, off::kDuration, o.last_duration_ms);
            break;
    }
}

ConfigBytes encode_config(const OptionBlock& o, const AppConfigValues& app) {
    ConfigBytes b{};
    put_text(b, off::kVersion, 16, config_text::kVersion);
    for (auto g : {ConfigGroup::RecordPlay, ConfigGroup::Windows, ConfigGroup::LastChannel, ConfigGroup::Display,
                   ConfigGroup::Zoom, ConfigGroup::ReferenceGain, ConfigGroup::TierNames, ConfigGroup::FftLpc,
                   ConfigGroup::Log, ConfigGroup::Intensity, ConfigGroup::Spectrogram, ConfigGroup::Pitch,
                   ConfigGroup::Generic})
        encode_config_group(g, o, app, b);
    return b;
}

bool config_version_ok(const ConfigBytes& b) { return get_text(b, off::kVersion, 16) == config_text::kVersion; }

void decode_config_options(const ConfigBytes& b, OptionBlock& o) {
    o.sample_rate = get_f64(b, off::kSampleRate);
    o.last_sample_count = get_f64(b, off::kSampleCount);
    o.last_duration_ms = get_f64(b, off::kDuration);

    auto& d = o.display;
    d.print_width = get_f64(b, 0x080);
    d.print_height = get_f64(b, 0x088);
    d.track_mouse = get_i32(b, 0x090);
    d.add_time_grid = get_i32(b, 0x094);
    d.time_grid_ms = get_i32(b, 0x098);
    d.color = get_i32(b, 0x09C);
    d.inches = get_i32(b, 0x0A0);
    d.always_analyse = get_i32(b, 0x0A4);
    d.msec = get_i32(b, 0x0A8);
    d.audio_height = get_i32(b, 0x0AC);
    d.intensity_height = get_i32(b, 0x0B0);
    o.zoom_range_ms = get_i32(b, 0x0B8);
    o.gain_percent = get_f64(b, 0x0C0);
    o.reference = get_f64(b, 0x0C8);
    for (std::size_t i = 0; i < o.tier_names.size(); ++i)
        o.tier_names[i] = get_text(b, off::kTierNames + i * off::kTierSlot, off::kTierSlot);

    auto& f = o.fft_lpc;
    f.window_list_index = get_i32(b, 0x350);
    f.fft_points = get_i32(b, 0x354);
    f.applied_window_ms = get_i32(b, 0x358);
    f.average_step_ms = get_i32(b, 0x35C);
    f.frequency_range_hz = get_i32(b, 0x360);
    f.absolute_db = get_i32(b, 0x364);
    f.absolute_top_db = get_i32(b, 0x368);
    f.inches = get_i32(b, 0x36C);
    f.print_width = get_f64(b, 0x370);
    f.print_height = get_f64(b, 0x378);
    f.color = get_i32(b, 0x380);
    f.add_frequency_grid = get_i32(b, 0x384);
    f.frequency_grid_hz = get_i32(b, 0x388);
    f.add_power_grid = get_i32(b, 0x38C);
    f.power_grid_db = get_i32(b, 0x390);
    f.lpc_coefficients = get_i32(b, 0x394);
    f.draw_lpc = get_i32(b, 0x398);
    o.fft_lpc_chosen = static_cast<std::uint32_t>(get_i32(b, 0x47C));
    o.spectrogram_chosen = static_cast<std::uint32_t>(get_i32(b, 0x3D4));
    o.log_step_hz = get_i32(b, 0x39C);
    o.intensity.window_ms = get_i32(b, 0x3A0);
    o.intensity.step_ms = get_i32(b, 0x3A4);
    o.intensity.relative = get_i32(b, 0x3A8);

    auto& s = o.spectrogram;
    s.analysis_points = get_i32(b, 0x3AC);
    s.bandwidth_index = get_i32(b, 0x3B0);
    s.frequency_range_hz = get_i32(b, 0x3B4);
    s.dynamic_range_db = get_i32(b, 0x3B8);
    s.pre_emphasis = get_f64(b, 0x3C0);
    s.display_formants = get_i32(b, 0x3C8);
    s.formant_lpc_coefficients = get_i32(b, 0x3CC);
    s.inches = get_i32(b, 0x3D0);
    s.print_width = get_f64(b, 0x3D8);
    s.print_height = get_f64(b, 0x3E0);
    s.draw_audio = get_i32(b, 0x3E8);
    s.draw_intensity = get_i32(b, 0x3EC);
    s.draw_labels = get_i32(b, 0x3F0);
    s.add_frequency_grid = get_i32(b, 0x3F4);
    s.frequency_grid_hz = get_i32(b, 0x3F8);
    s.add_time_grid = get_i32(b, 0x3FC);
    s.time_grid_ms = get_i32(b, 0x400);

    auto& p = o.pitch;
    p.window_ms = get_f64(b, 0x408);
    p.step_ms = get_f64(b, 0x410);
    p.calc_high_hz = get_f64(b, 0x418);
    p.calc_low_hz = get_f64(b, 0x420);
    p.display_high_hz = get_i32(b, 0x428);
    p.display_low_hz = get_i32(b, 0x42C);
    p.add_frequency_grid = get_i32(b, 0x430);
    p.frequency_grid_hz = get_i32(b, 0x434);
    p.cepstral = get_i32(b, 0x440);
    p.cepstral_threshold_pct = get_f64(b, 0x448);
    p.cepstral_deviation_hz = get_f64(b, 0x450);
    p.amdf_threshold = get_f64(b, 0x458);
    p.amdf_deviation = get_f64(b, 0x460);

    o.generic.header_bytes = get_i32(b, 0x468);
    o.generic.sample_rate_hz = get_i32(b, 0x46C);
    o.generic.integer_binary = get_i32(b, 0x470);
    o.generic.sixteen_bit = get_i32(b, 0x474);
    o.generic.high_byte_first = get_i32(b, 0x478);
}

std::int32_t record_play_cell_from_file(std::int32_t stored) {
    // Earlier files kept the grid's rate as a 16-bit integer widened, so
    // 44100 Hz reads back as -21436: a negative value other than the empty
    // cell's -1 that fits in 16 bits is that rate's unsigned reading.
    if (stored < -1 && stored >= -32768) return stored + 65536;
    return stored;
}

void decode_config_app_values(const ConfigBytes& b, AppConfigValues& app) {
    app.record_play_cell = record_play_cell_from_file(get_i32(b, off::kRecordPlay));
    app.document_window = get_rect(b, off::kDocumentRect);
    app.fft_lpc_window = get_rect(b, off::kFftRect);
    app.spectrogram_window = get_rect(b, off::kSpectrogramRect);
    app.log_window = get_rect(b, off::kLogRect);
    app.label_window = get_rect(b, off::kLabelRect);
    const double rate = get_f64(b, off::kSampleRate);
    if (rate > 0.0 && rate < 50000.0) app.default_sample_rate = rate;
}

std::optional<ConfigBytes> read_config_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    ConfigBytes b{};
    in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (in.gcount() != static_cast<std::streamsize>(b.size())) return std::nullopt;
    if (!config_version_ok(b)) return std::nullopt;
    return b;
}

bool write_config_bytes(const std::string& path, const ConfigBytes& b) {
    return write_file_atomically(path, b.data(), b.size());
}

ConfigFile::ConfigFile(std::string folder) : path_((fs::path(folder) / config_text::kFileName).string()) {}

bool ConfigFile::load_app_values(AppConfigValues& app) const {
    auto b = read_config_bytes(path_);
    if (!b) return false;
    decode_config_app_values(*b, app);
    return true;
}

OptionBlock ConfigFile::new_document_options(const AppConfigValues& app) const {
    OptionBlock block;
    if (auto b = read_config_bytes(path_)) {
        decode_config_options(*b, block);
    } else {
        write_config_bytes(path_, encode_config(block, app));
    }
    return block;
}

bool ConfigFile::patch(ConfigGroup group, const OptionBlock& block, const AppConfigValues& app) const {
    auto b = read_config_bytes(path_);
    if (!b) return false;
    encode_config_group(group, block, app, *b);
    return write_config_bytes(path_, *b);
}

bool ConfigFile::write_back_on_close(const OptionBlock& block, const AppConfigValues& app) const {
    auto b = read_config_bytes(path_);
    if (!b) return false;
    for (auto g : {ConfigGroup::RecordPlay, ConfigGroup::Windows, ConfigGroup::LastChannel, ConfigGroup::Display,
                   ConfigGroup::ReferenceGain, ConfigGroup::Generic})
        encode_config_group(g, block, app, *b);
    return write_config_bytes(path_, *b);
}

namespace {
FileDialogRequest config_request(const char* title, bool saving) {
    FileDialogRequest r;
    r.title = title;
    r.default_name = config_text::kDefaultName;
    r.default_extension = config_text::kExtension;
    r.filter = config_text::kFilter;
    r.confirm_overwrite = saving;
    return r;
}
}  // namespace

bool ConfigFile::save_configuration(UserPrompts& prompts, const OptionBlock& block, const AppConfigValues& app) const {
    auto choice = prompts.choose_save_file(config_request(config_text::kSaveTitle, true));
    if (!choice || choice->path.empty()) return false;
    if (!write_config_bytes(choice->path, encode_config(block, app))) {
        prompts.message(config_text::kSaveError);
        return false;
    }
    return true;
}

ConfigFile::LoadResult ConfigFile::load_configuration(UserPrompts& prompts, OptionBlock* block,
                                                      AppConfigValues& app) const {
    auto choice = prompts.choose_open_file(config_request(config_text::kLoadTitle, false));
    if (!choice || choice->path.empty()) return LoadResult::Cancelled;
    auto b = read_config_bytes(choice->path);
    if (!b) {
        prompts.message(config_text::kReadError);
        return LoadResult::Failed;
    }
    if (block) decode_config_options(*b, *block);
    decode_config_app_values(*b, app);
    if (!write_config_bytes(path_, *b)) {
        prompts.message(config_text::kReadError);
        return LoadResult::Failed;
    }
    return LoadResult::Loaded;
}

void ConfigFile::revert_to_default(UserPrompts& prompts) const {
    std::error_code ec;
    // Only a removal that really happened is reported as a revert.
    const bool removed = path_.find(".cfg") != std::string::npos && fs::remove(path_, ec) && !ec;
    prompts.message(removed ? config_text::kReverted : config_text::kNotFound, MessageIcon::Information);
}

}  // namespace vox
