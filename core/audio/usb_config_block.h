#pragma once
// The 320-byte configuration block sent to the external acquisition unit
// before each acquisition run, and its pieces:
//
//   0..255   the unit's 16-slot multiplex table repeated 16 times
//   256..257 anti-alias filter clock word of input 0 (divisor 512), high byte first
//   258..271 filter clock words of inputs 1..7 (divisor 800), high byte first
//   272      0
//   273      sample-clock byte: low byte of -trunc(12 MHz / rate)
//   274..275 4096, little-endian
//   276..277 input source, little-endian: 0 "Mic", 256 "Line"
//   300..311 gain codes of inputs 1..12
//   312..313 the gain code of input 0, twice
//   314..315 gain codes of inputs 13 and 14
//   everything else 0
//
// A gain code with its top bit set is sent as 0.

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/audio/record_settings.h"

namespace vox {

inline constexpr std::size_t kUsbConfigBlockSize = 320;
using UsbConfigBlock = std::array<std::uint8_t, kUsbConfigBlockSize>;
// Slot i names the unit input sampled in slot i of every 16.
using UsbSlotTable = std::array<std::uint8_t, 16>;
// Codes of the gain steps 0..16 of the inputs other than the audio input.
using UsbGainCodeTable = std::array<std::uint8_t, 17>;

// A setting the unit cannot be configured with; what() is the message text
// to show (one of usb_text).
class UsbSettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The slot table of a unit model (5 or 9 inputs) and multiplex mode;
// nothing for a combination the unit does not know.
std::optional<UsbSlotTable> usb_slot_table(int model, int mode);
// The multiplex modes a model offers, in order.
std::vector<int> usb_multiplex_modes(int model);

// Filter clock word for a cut-off in Hz: (trunc(60 MHz / (f * divisor)) - 2) * 64,
// divisor 512 for the audio input and 800 for the others. The word is 16 bits
// wide: cut-offs below what the clock can reach (and non-positive ones) give
// the slowest word 0xFFC0, cut-offs above it give 0.
std::uint16_t usb_filter_clock_word(int cutoff_hz, int divisor);
// Low byte of -trunc(12 MHz / rate); 0 for a non-positive rate.
std::uint8_t usb_sample_clock_byte(int rate_hz);
// Code byte of the audio input's gain setting (10, 20, ... 350); 5 for any
// value not in the list.
std::uint8_t usb_audio_gain_code(int gain);
// The program's gain-code table of the other inputs: step 0 is the lowest
// gain; codes rise with the step.
const UsbGainCodeTable& usb_default_gain_codes();
// Code of a gain step; a step outside 0..16 counts as step 0.
std::uint8_t usb_channel_gain_code(int step, const UsbGainCodeTable& table);

// What the configuration block is built from. Inputs beyond `channels`
// (or beyond the model) are inputs the unit does not have: gain step 0 and
// filter word 0.
struct UsbBlockSettings {
    int model = 5;  // number of unit inputs, 5 or 9
    int mode = 1;   // multiplex mode
    int sample_rate_hz = 22000;
    std::string input = vox::kRecordInputMic;
    std::vector<vox::RecordChannelSettings> channels;
};

// Builds the block; throws UsbSettingsError with usb_text::kUnknownMultiplex
// or usb_text::kWrongInput.
UsbConfigBlock build_usb_config_block(const UsbBlockSettings& s,
                                      const UsbGainCodeTable& gain_codes = usb_default_gain_codes());

// The multiplex mode that serves the requested rates: the first mode of the
// model in which every enabled input gets at least its requested rate, given
// that the audio input runs at the unit's rate; the mode that spreads the
// slots most evenly when none does.
int usb_choose_multiplex_mode(int model, int unit_rate_hz, const std::vector<vox::RecordChannelSettings>& channels);
// How many of the 16 slots name `input`.
int usb_slots_of(const UsbSlotTable& table, int input);

// The block settings for the application-wide record settings.
UsbBlockSettings usb_block_settings(const vox::RecordSettings& s);

}  // namespace vox
