#include "core/audio/usb_config_block.h"

#include <algorithm>

#include "core/audio/usb_texts.h"

namespace vox {

namespace {

constexpr UsbSlotTable kFive1 = {0, 1, 0, 2, 0, 3, 0, 4, 0, 1, 0, 2, 0, 3, 0, 4};
constexpr UsbSlotTable kFive2 = {0, 1, 2, 3, 0, 1, 2, 4, 0, 1, 2, 3, 0, 1, 2, 4};
constexpr UsbSlotTable kFive3 = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7};
constexpr UsbSlotTable kNine1 = {0, 1, 2, 3, 0, 4, 5, 6, 0, 1, 2, 3, 0, 4, 7, 8};
constexpr UsbSlotTable kNine2 = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 8};

// Gain settings of the audio input and their code bytes.
constexpr std::array<int, 11> kAudioGains = {20, 30, 40, 50, 60, 70, 80, 100, 160, 225, 350};
constexpr std::array<std::uint8_t, 11> kAudioGainCodes = {36, 45, 50, 52, 54, 56, 57, 58, 60, 61, 62};
constexpr std::uint8_t kAudioGainOther = 5;

// Codes of the gain steps of the other inputs: step 0 is the same lowest
// code the audio input uses for an unlisted setting, the rest climb through
// the programmable amplifier's 6-bit code range.
constexpr UsbGainCodeTable kGainCodes = {5, 18, 27, 36, 40, 45, 48, 50, 52, 54, 55, 56, 57, 58, 60, 61, 62};

constexpr std::uint16_t kSlowestFilterWord = 0xFFC0;  // 1023 * 64

std::uint8_t sent_code(std::uint8_t code) { return (code & 0x80) ? 0 : code; }

void put_be16(UsbConfigBlock& b, std::size_t at, std::uint16_t w) {
    b[at] = static_cast<std::uint8_t>(w >> 8);
    b[at + 1] = static_cast<std::uint8_t>(w & 0xFF);
}

void put_le16(UsbConfigBlock& b, std::size_t at, std::uint16_t w) {
    b[at] = static_cast<std::uint8_t>(w & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>(w >> 8);
}

}  // namespace

std::optional<UsbSlotTable> usb_slot_table(int model, int mode) {
    if (model == 5) {
        if (mode == 1) return kFive1;
        if (mode == 2) return kFive2;
        if (mode == 3) return kFive3;
    } else if (model == 9) {
        if (mode == 1) return kNine1;
        if (mode == 2) return kNine2;
    }
    return std::nullopt;
}

std::vector<int> usb_multiplex_modes(int model) {
    if (model == 5) return {1, 2, 3};
    if (model == 9) return {1, 2};
    return {};
}

std::uint16_t usb_filter_clock_word(int cutoff_hz, int divisor) {
    if (cutoff_hz <= 0 || divisor <= 0) return kSlowestFilterWord;
    // 64-bit integer arithmetic: trunc(60e6 / (f * d)) for positive values.
    const long long q = 60000000LL / (static_cast<long long>(cutoff_hz) * divisor);
    const long long w = (q - 2) * 64;
    if (w <= 0) return 0;
    if (w > kSlowestFilterWord) return kSlowestFilterWord;
    return static_cast<std::uint16_t>(w);
}

std::uint8_t usb_sample_clock_byte(int rate_hz) {
    if (rate_hz <= 0) return 0;
    const long long divider = -(12000000LL / rate_hz);
    return static_cast<std::uint8_t>(static_cast<unsigned long long>(divider) & 0xFF);
}

std::uint8_t usb_audio_gain_code(int gain) {
    for (std::size_t i = 0; i < kAudioGains.size(); ++i)
        if (kAudioGains[i] == gain) return kAudioGainCodes[i];
    return kAudioGainOther;
}

const UsbGainCodeTable& usb_default_gain_codes() { return kGainCodes; }

std::uint8_t usb_channel_gain_code(int step, const UsbGainCodeTable& table) {
    if (step < 0 || step >= static_cast<int>(table.size())) step = 0;
    return table[static_cast<std::size_t>(step)];
}

int usb_slots_of(const UsbSlotTable& table, int input) {
    return static_cast<int>(std::count(table.begin(), table.end(), static_cast<std::uint8_t>(input)));
}

UsbConfigBlock build_usb_config_block(const UsbBlockSettings& s, const UsbGainCodeTable& gain_codes) {
    const auto table = usb_slot_table(s.model, s.mode);
    if (!table) throw UsbSettingsError(usb_text::kUnknownMultiplex);
    std::uint16_t source = 0;
    if (s.input == vox::kRecordInputMic)
        source = 0;
    else if (s.input == vox::kRecordInputLine)
        source = 256;
    else
        throw UsbSettingsError(usb_text::kWrongInput);

    // An input the unit has, with its record; nullptr otherwise.
    auto channel = [&](int input) -> const vox::RecordChannelSettings* {
        if (input < 0 || input >= s.model || input >= static_cast<int>(s.channels.size())) return nullptr;
        return &s.channels[static_cast<std::size_t>(input)];
    };

    UsbConfigBlock b{};
    for (std::size_t rep = 0; rep < 16; ++rep)
        std::copy(table->begin(), table->end(), b.begin() + static_cast<std::ptrdiff_t>(rep * 16));

    for (int input = 0; input < 8; ++input) {
        const auto* c = channel(input);
        const std::uint16_t w = c ? usb_filter_clock_word(c->filter_cutoff_hz, input == 0 ? 512 : 800) : 0;
        put_be16(b, 256 + 2 * static_cast<std::size_t>(input), w);
    }
    b[272] = 0;
    b[273] = usb_sample_clock_byte(s.sample_rate_hz);
    put_le16(b, 274, 4096);
    put_le16(b, 276, source);

    auto step_code = [&](int input) {
        const auto* c = channel(input);
        return sent_code(usb_channel_gain_code(c ? c->gain : 0, gain_codes));
    };
    for (int input = 1; input <= 12; ++input) b[300 + static_cast<std::size_t>(input - 1)] = step_code(input);
    const auto* audio = channel(0);
    const std::uint8_t audio_code = sent_code(audio ? usb_audio_gain_code(audio->gain) : kAudioGainOther);
    b[312] = audio_code;
    b[313] = audio_code;
    b[314] = step_code(13);
    b[315] = step_code(14);
    return b;
}

int usb_choose_multiplex_mode(int model, int unit_rate_hz,
                              const std::vector<vox::RecordChannelSettings>& channels) {
    const auto modes = usb_multiplex_modes(model);
    if (modes.empty()) return 0;
    for (int mode : modes) {
        const UsbSlotTable table = *usb_slot_table(model, mode);
        const int audio_slots = usb_slots_of(table, 0);
        bool serves = true;
        for (int input = 1; input < model && input < static_cast<int>(channels.size()); ++input) {
            const auto& c = channels[static_cast<std::size_t>(input)];
            if (!c.enabled) continue;
            const long long delivered = static_cast<long long>(unit_rate_hz) * usb_slots_of(table, input) / audio_slots;
            if (delivered < c.sample_rate_hz) {
                serves = false;
                break;
            }
        }
        if (serves) return mode;
    }
    return modes.back();
}

UsbBlockSettings usb_block_settings(const vox::RecordSettings& s) {
    UsbBlockSettings b;
    b.model = s.unit_model;
    b.sample_rate_hz = s.sample_rate_hz;
    b.input = s.input;
    b.channels = s.channels;
    b.mode = usb_choose_multiplex_mode(s.unit_model, s.sample_rate_hz, s.channels);
    return b;
}

}  // namespace vox
