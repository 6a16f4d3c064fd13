#pragma once
// The configuration file VoxtrelConf.cfg: one fixed 1152-byte record in the
// temporary folder holding every option of the option block plus a few
// application-wide values (window rectangles, the record/play grid value and
// the default sample rate). Integers are signed 32-bit little-endian, reals
// 64-bit IEEE-754 little-endian; unlisted bytes are written as zero.
//
// The file is only trusted when exactly 1152 bytes could be read and its
// version text is "1412"; a block is changed only after that check passed.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/app/option_block.h"
#include "core/platform/user_prompts.h"

namespace vox {

namespace config_text {
inline constexpr const char* kFileName = "VoxtrelConf.cfg";
inline constexpr const char* kVersion = "1412";
inline constexpr const char* kSaveTitle = "Save Configuration As";
inline constexpr const char* kLoadTitle = "Load a Configuration file";
inline constexpr const char* kDefaultName = "User_Configuration";
inline constexpr const char* kExtension = "cfg";
inline constexpr const char* kFilter = "Configuration files (*.cfg)|*.cfg|";
inline constexpr const char* kSaveError = "Error in saving the configuration file.";
inline constexpr const char* kReadError = "Error in reading the configuration file.";
inline constexpr const char* kReverted = "Configuration setting has been reverted back to default. Close application and restart.";
inline constexpr const char* kNotFound = "Configuration file was not found. Close application and restart.";
}  // namespace config_text

inline constexpr std::size_t kConfigSize = 1152;
using ConfigBytes = std::array<std::uint8_t, kConfigSize>;

// A stored window rectangle: four integers whose meaning depends on the
// window (left, top, width, height; the log window keeps left, top, right,
// bottom). All zero means "never stored".
struct WindowRect {
    std::int32_t a = 0, b = 0, c = 0, d = 0;
    bool empty() const { return a == 0 && b == 0 && c == 0 && d == 0; }
    bool operator==(const WindowRect&) const = default;
};

// Application-wide values carried by the file.
struct AppConfigValues {
    std::int32_t record_play_cell = 5;  // first cell of the record/play grid (Hz, 32-bit); -1 when empty
    WindowRect document_window;
    WindowRect fft_lpc_window;
    WindowRect spectrogram_window;
    WindowRect log_window;  // left, top, right, bottom
    WindowRect label_window;
    double default_sample_rate = 11025.0;  // Hz
};

// The groups of fields an accepted option dialog patches.
enum class ConfigGroup {
    Display,        // 0x080..0x0B0
    Zoom,           // 0x0B8
    ReferenceGain,  // 0x0C0, 0x0C8
    TierNames,      // 0x0D0
    FftLpc,         // 0x350..0x398
    Log,            // 0x39C
    Intensity,      // 0x3A0..0x3A8
    Spectrogram,    // 0x3AC..0x400
    Pitch,          // 0x408..0x460
    Generic,        // 0x468..0x478
    RecordPlay,     // 0x010
    Windows,        // the five rectangles
    LastChannel,    // 0x068..0x078
};

// Encoding and decoding of the layout.
ConfigBytes encode_config(const OptionBlock& block, const AppConfigValues& app);
void encode_config_group(ConfigGroup group, const OptionBlock& block, const AppConfigValues& app, ConfigBytes& bytes);
// True when the NUL-terminated text at offset 0 is exactly "1412".
bool config_version_ok(const ConfigBytes& bytes);
// Copies every option field of the bytes into the block (no version check).
void decode_config_options(const ConfigBytes& bytes, OptionBlock& block);
// The record/play grid's rate as the file holds it: the whole 32-bit value,
// and a value that earlier files cut to 16 bits (44100 Hz stored as -21436)
// taken back as the rate it was.
std::int32_t record_play_cell_from_file(std::int32_t stored);
// The record/play value and the five rectangles; the default sample rate
// only when 0 < rate < 50000 Hz, otherwise it is left as it is.
void decode_config_app_values(const ConfigBytes& bytes, AppConfigValues& app);

// Reads exactly kConfigSize bytes and checks the version; nothing otherwise.
std::optional<ConfigBytes> read_config_bytes(const std::string& path);
// Writes the whole record through a temporary file renamed over the target,
// so a failed write never leaves a damaged file behind.
bool write_config_bytes(const std::string& path, const ConfigBytes& bytes);

class ConfigFile {
public:
    // folder: the application's temporary folder.
    explicit ConfigFile(std::string folder);

    const std::string& path() const { return path_; }

    // Start-up: the application part of the file. Returns false (values
    // untouched) when the file is missing, short or of another version.
    bool load_app_values(AppConfigValues& app) const;

    // Document creation: defaults, then the file's values when the file is
    // sound; otherwise a new file is written from the defaults. The
    // application values are used only for writing that new file.
    OptionBlock new_document_options(const AppConfigValues& app) const;

    // After an accepted option dialog: only the group's fields are replaced.
    // A missing or unsound file is left as it is (false, nothing shown).
    bool patch(ConfigGroup group, const OptionBlock& block, const AppConfigValues& app) const;

    // Document close: record/play value, rectangles, last channel values,
    // display options, gain/reference and generic-file answers.
    bool write_back_on_close(const OptionBlock& block, const AppConfigValues& app) const;

    // "Save Configuration...": asks for a name, writes the whole layout.
    // False when cancelled or failed (the failure message is shown).
    bool save_configuration(UserPrompts& prompts, const OptionBlock& block, const AppConfigValues& app) const;

    enum class LoadResult { Cancelled, Loaded, Failed };
    // "Load Configuration...": with a document (block not null) every field
    // goes into its block and the application values and the record is
    // written over the configuration file; without one, the chosen file is
    // copied over the configuration file and the application values are
    // reloaded from it.
    LoadResult load_configuration(UserPrompts& prompts, OptionBlock* block, AppConfigValues& app) const;

    // "Revert to Default Configuration": deletes the file; nothing else
    // changes until the next start.
    void revert_to_default(UserPrompts& prompts) const;

private:
    std::string path_;
};

}  // namespace vox
