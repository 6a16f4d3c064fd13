#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/app/config_file.h"
#include "core/platform/scripted_prompts.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::Bytes;
using test::ScratchDir;

std::int32_t i32_at(const std::vector<unsigned char>& b, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(b.at(at + i)) << (8 * i);
    return static_cast<std::int32_t>(u);
}

double f64_at(const std::vector<unsigned char>& b, std::size_t at) {
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<std::uint64_t>(b.at(at + i)) << (8 * i);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

std::string text_at(const std::vector<unsigned char>& b, std::size_t at) {
    return std::string(reinterpret_cast<const char*>(&b.at(at)));
}

struct IntField {
    std::size_t offset;
    std::int32_t value;
};
struct RealField {
    std::size_t offset;
    double value;
};

class DefaultLayout : public ::testing::Test {
protected:
    void SetUp() override {
        ConfigFile cfg(dir.path().string());
        cfg.new_document_options(AppConfigValues{});  // no file yet: writes the defaults
        bytes = test::read_file(cfg.path());
    }
    ScratchDir dir;
    std::vector<unsigned char> bytes;
};

TEST_F(DefaultLayout, IsExactly1152BytesWithVersion) {
    ASSERT_EQ(bytes.size(), 1152u);
    EXPECT_EQ(text_at(bytes, 0), "1412");
    for (std::size_t i = 4; i < 16; ++i) EXPECT_EQ(bytes[i], 0) << i;
    // Reserved ranges stay zero.
    for (std::size_t i : {0x064u, 0x0B4u, 0x0BCu, 0x3BCu, 0x3D4u, 0x404u, 0x438u, 0x43Cu, 0x444u, 0x47Cu, 0x47Fu})
        EXPECT_EQ(bytes[i], 0) << std::hex << i;
}

TEST_F(DefaultLayout, IntegerDefaultsAtTheirOffsets) {
    const IntField fields[] = {
        {0x010, 5},    {0x014, 0},    {0x060, 0},    {0x090, 1},    {0x094, 1},    {0x098, 0},   {0x09C, 0},
        {0x0A0, 1},    {0x0A4, 1},    {0x0A8, 1},    {0x0AC, 50},   {0x0B0, 50},   {0x0B8, 1000}, {0x350, 3},
        {0x354, 256},  {0x358, 23},   {0x35C, 10},   {0x360, 5000}, {0x364, 1},    {0x368, 80},  {0x36C, 1},
        {0x380, 0},    {0x384, 1},    {0x388, 1000}, {0x38C, 1},    {0x390, 20},   {0x394, 14},  {0x398, 1},
        {0x39C, 10},   {0x3A0, 30},   {0x3A4, 10},   {0x3A8, 0},    {0x3AC, 64},   {0x3B0, 2},   {0x3B4, 5000},
        {0x3B8, 35},   {0x3C8, 1},    {0x3CC, 14},   {0x3D0, 1},    {0x3E8, 0},    {0x3EC, 0},   {0x3F0, 0},
        {0x3F4, 1},    {0x3F8, 1000}, {0x3FC, 1},    {0x400, 500},  {0x428, 500},  {0x42C, 50},  {0x430, 1},
        {0x434, 20},   {0x440, 1},    {0x468, 0},    {0x46C, 10000}, {0x470, 1},   {0x474, 1},   {0x478, 1},
    };
    for (const auto& f : fields) EXPECT_EQ(i32_at(bytes, f.offset), f.value) << "offset 0x" << std::hex << f.offset;
}

TEST_F(DefaultLayout, RealDefaultsAtTheirOffsets) {
    const RealField fields[] = {
        {0x068, 11025.0}, {0x070, 0.0}, {0x078, 0.0},   {0x080, 6.0},   {0x088, 4.0},   {0x0C0, 0.0},
        {0x0C8, 0.0},     {0x370, 6.0}, {0x378, 4.0},   {0x3C0, 0.98},  {0x3D8, 6.0},   {0x3E0, 4.0},
        {0x408, 35.0},    {0x410, 10.0}, {0x418, 500.0}, {0x420, 50.0}, {0x448, 1.0},   {0x450, 100.0},
        {0x458, 1.0},     {0x460, 100.0},
    };
    for (const auto& f : fields) EXPECT_DOUBLE_EQ(f64_at(bytes, f.offset), f.value) << "offset 0x" << std::hex << f.offset;
}

TEST_F(DefaultLayout, TierNamesInSlotsOf64) {
    EXPECT_EQ(text_at(bytes, 0x0D0), "tones");
    EXPECT_EQ(text_at(bytes, 0x0D0 + 64), "words");
    EXPECT_EQ(text_at(bytes, 0x0D0 + 128), "breaks");
    EXPECT_EQ(text_at(bytes, 0x0D0 + 192), "misc");
    for (int t = 4; t < 10; ++t) EXPECT_EQ(bytes[0x0D0 + 64 * t], 0) << t;
}

TEST(ConfigRoundTrip, EveryFieldSurvivesEncodeDecode) {
    OptionBlock o;
    o.sample_rate = 22050;
    o.last_sample_count = 1234;
    o.last_duration_ms = 56.5;
    o.display.audio_height = 77;
    o.display.msec = 0;
    o.zoom_range_ms = 250;
    o.gain_percent = 12.5;
    o.reference = -3;
    o.tier_names[9] = "last";
    o.fft_lpc.frequency_range_hz = 8000;
    o.log_step_hz = 33;
    o.intensity = {20, 5, 1};
    o.spectrogram.pre_emphasis = 0.5;
    o.pitch.calc_low_hz = 75;
    o.pitch.amdf_deviation = 42;
    o.generic = {44, 16000, 0, 0, 0};
    AppConfigValues app;
    app.log_window = {1, 2, 3, 4};
    app.record_play_cell = -1;
    const auto b = encode_config(o, app);
    OptionBlock back;
    decode_config_options(b, back);
    AppConfigValues app_back;
    decode_config_app_values(b, app_back);
    EXPECT_EQ(encode_config(back, app_back), b);
    EXPECT_EQ(back.tier_names[9], "last");
    EXPECT_EQ(back.generic, o.generic);
    EXPECT_EQ(app_back.log_window, app.log_window);
    EXPECT_EQ(app_back.record_play_cell, -1);
}

TEST(ConfigEncoding, RealsKeptAsWholeNumbersAreTruncated) {
    OptionBlock o;
    o.zoom_range_ms = 999.9;
    o.intensity.window_ms = -12.7;
    o.intensity.step_ms = 7.99;
    const auto b = encode_config(o, {});
    OptionBlock back;
    decode_config_options(b, back);
    EXPECT_EQ(back.zoom_range_ms, 999.0);
    EXPECT_EQ(back.intensity.window_ms, -12.0);
    EXPECT_EQ(back.intensity.step_ms, 7.0);
}

TEST(ConfigEncoding, OddLpcCoefficientCountIsStoredEven) {
    OptionBlock o;
    o.fft_lpc.lpc_coefficients = 15;
    ConfigBytes b = encode_config(OptionBlock{}, {});
    encode_config_group(ConfigGroup::FftLpc, o, {}, b);
    OptionBlock back;
    decode_config_options(b, back);
    EXPECT_EQ(back.fft_lpc.lpc_coefficients, 14);
}

TEST(ConfigEncoding, LongTierNameIsCutTo63Characters) {
    OptionBlock o;
    o.tier_names[0] = std::string(100, 'x');
    const auto b = encode_config(o, {});
    EXPECT_EQ(b[0x0D0 + 63], 0);
    OptionBlock back;
    decode_config_options(b, back);
    EXPECT_EQ(back.tier_names[0], std::string(63, 'x'));
    EXPECT_EQ(back.tier_names[1], "words");
}

// A file that is not exactly right is ignored and replaced with defaults.
struct BadFile {
    const char* name;
    std::size_t size;
    const char* version;
};

class UnsoundFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(UnsoundFile, IgnoredAtStartAndReplacedAtDocumentCreation) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    OptionBlock custom;
    custom.display.audio_height = 99;
    custom.sample_rate = 16000;
    AppConfigValues custom_app;
    custom_app.document_window = {5, 6, 7, 8};
    auto b = encode_config(custom, custom_app);
    std::memset(b.data(), 0, 16);
    std::memcpy(b.data(), GetParam().version, std::strlen(GetParam().version));
    std::vector<unsigned char> bytes(b.begin(), b.begin() + std::min(GetParam().size, b.size()));
    bytes.resize(GetParam().size, 0);
    test::write_file(cfg.path(), bytes);

    AppConfigValues app;
    EXPECT_FALSE(cfg.load_app_values(app));
    EXPECT_EQ(app.default_sample_rate, 11025.0);
    EXPECT_TRUE(app.document_window.empty());

    OptionBlock block = cfg.new_document_options(app);
    EXPECT_EQ(block.display.audio_height, 50);
    EXPECT_EQ(block.sample_rate, 11025.0);
    const auto rewritten = test::read_file(cfg.path());
    ASSERT_EQ(rewritten.size(), 1152u);
    EXPECT_EQ(text_at(rewritten, 0), "1412");
    EXPECT_EQ(i32_at(rewritten, 0x0AC), 50);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnsoundFile,
                         ::testing::Values(BadFile{"short", 1151, "1412"}, BadFile{"old_version", 1152, "1411"},
                                           BadFile{"case_and_suffix", 1152, "1412a"}, BadFile{"empty", 0, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigFileStart, LongerFileIsReadForItsFirst1152Bytes) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    OptionBlock o;
    o.display.audio_height = 80;
    auto b = encode_config(o, {});
    std::vector<unsigned char> bytes(b.begin(), b.end());
    bytes.resize(2000, 0xAB);
    test::write_file(cfg.path(), bytes);
    EXPECT_EQ(cfg.new_document_options({}).display.audio_height, 80);
}

class StartRate : public ::testing::TestWithParam<std::pair<double, double>> {};

TEST_P(StartRate, StoredRateIsTakenOnlyInsideTheRange) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    OptionBlock o;
    o.sample_rate = GetParam().first;
    AppConfigValues stored;
    stored.record_play_cell = 3;
    stored.spectrogram_window = {20, 20, 450, 450};
    ASSERT_TRUE(write_config_bytes(cfg.path(), encode_config(o, stored)));
    AppConfigValues app;
    ASSERT_TRUE(cfg.load_app_values(app));
    EXPECT_EQ(app.default_sample_rate, GetParam().second);
    EXPECT_EQ(app.record_play_cell, 3);
    EXPECT_EQ(app.spectrogram_window, stored.spectrogram_window);
}

INSTANTIATE_TEST_SUITE_P(Rates, StartRate,
                         ::testing::Values(std::pair{0.0, 11025.0}, std::pair{50000.0, 11025.0},
                                           std::pair{-8000.0, 11025.0}, std::pair{49999.0, 49999.0},
                                           std::pair{22050.0, 22050.0}));

// The record/play grid's rate survives a restart: stored whole, and read
// back from files that kept it cut to 16 bits.
struct CellCase {
    std::int32_t in_memory;  // the value the application stores
    std::int32_t raw;        // what an earlier file may hold instead (0: none)
    std::int32_t read_back;
};
class RecordPlayCell : public ::testing::TestWithParam<CellCase> {};

TEST_P(RecordPlayCell, SurvivesTheFileAndEarlierFilesReadBack) {
    const CellCase c = GetParam();
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    AppConfigValues stored;
    stored.record_play_cell = c.in_memory;
    auto bytes = encode_config(OptionBlock{}, stored);
    EXPECT_EQ(i32_at(std::vector<unsigned char>(bytes.begin(), bytes.end()), 0x010), c.in_memory);
    if (c.raw != 0) {
        const auto u = static_cast<std::uint32_t>(c.raw);
        for (int i = 0; i < 4; ++i) bytes[0x010 + i] = static_cast<std::uint8_t>(u >> (8 * i));
    }
    ASSERT_TRUE(write_config_bytes(cfg.path(), bytes));
    AppConfigValues app;
    ASSERT_TRUE(cfg.load_app_values(app));
    EXPECT_EQ(app.record_play_cell, c.read_back);
}

INSTANTIATE_TEST_SUITE_P(Cells, RecordPlayCell,
                         ::testing::Values(CellCase{44100, 0, 44100}, CellCase{44100, -21436, 44100},
                                           CellCase{48000, -17536, 48000}, CellCase{22050, 0, 22050},
                                           CellCase{11025, 0, 11025}, CellCase{-1, 0, -1}, CellCase{5, 0, 5},
                                           CellCase{96000, 0, 96000}));

TEST(ConfigPatch, ReplacesOnlyTheDialogsFields) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    OptionBlock first = cfg.new_document_options({});
    first.display.audio_height = 70;  // changed but not patched
    first.pitch.calc_low_hz = 60;
    first.pitch.display_high_hz = 400;
    ASSERT_TRUE(cfg.patch(ConfigGroup::Pitch, first, {}));
    OptionBlock next = cfg.new_document_options({});
    EXPECT_EQ(next.pitch.calc_low_hz, 60);
    EXPECT_EQ(next.pitch.display_high_hz, 400);
    EXPECT_EQ(next.display.audio_height, 50);
}

TEST(ConfigPatch, UnsoundFileIsLeftAsItIs) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    const std::vector<unsigned char> junk(1152, 'j');
    test::write_file(cfg.path(), junk);
    OptionBlock o;
    EXPECT_FALSE(cfg.patch(ConfigGroup::Display, o, {}));
    EXPECT_FALSE(cfg.write_back_on_close(o, {}));
    EXPECT_EQ(test::read_file(cfg.path()), junk);
}

TEST(ConfigClose, WritesBackDisplayWindowsAndChannelButNotAnalysisOptions) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    OptionBlock o = cfg.new_document_options({});
    o.display.time_grid_ms = 250;
    o.sample_rate = 8000;
    o.last_duration_ms = 1500;
    o.reference = 7;
    o.generic.header_bytes = 12;
    o.pitch.window_ms = 40;  // a dialog field: only the pitch dialog writes it
    AppConfigValues app;
    app.label_window = {1, 2, 300, 400};
    ASSERT_TRUE(cfg.write_back_on_close(o, app));
    const auto b = test::read_file(cfg.path());
    EXPECT_EQ(i32_at(b, 0x098), 250);
    EXPECT_EQ(f64_at(b, 0x068), 8000.0);
    EXPECT_EQ(f64_at(b, 0x078), 1500.0);
    EXPECT_EQ(f64_at(b, 0x0C8), 7.0);
    EXPECT_EQ(i32_at(b, 0x468), 12);
    EXPECT_EQ(i32_at(b, 0x054 + 8), 300);
    EXPECT_EQ(f64_at(b, 0x408), 35.0);
}

TEST(ConfigCommands, SaveAsksWithItsDialogAndWritesTheWholeLayout) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    ScriptedPrompts prompts;
    const std::string target = dir.file("mine.cfg");
    prompts.file_choices.push_back(target);
    OptionBlock o;
    o.log_step_hz = 77;
    ASSERT_TRUE(cfg.save_configuration(prompts, o, {}));
    ASSERT_EQ(prompts.file_requests.size(), 1u);
    EXPECT_EQ(prompts.file_requests[0].title, "Save Configuration As");
    EXPECT_EQ(prompts.file_requests[0].default_name, "User_Configuration");
    EXPECT_EQ(prompts.file_requests[0].default_extension, "cfg");
    EXPECT_EQ(prompts.file_requests[0].filter, "Configuration files (*.cfg)|*.cfg|");
    const auto b = test::read_file(target);
    ASSERT_EQ(b.size(), 1152u);
    EXPECT_EQ(i32_at(b, 0x39C), 77);
    EXPECT_TRUE(prompts.messages().empty());
}

TEST(ConfigCommands, SaveFailureShowsItsMessage) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    ScriptedPrompts prompts;
    prompts.file_choices.push_back(dir.file("no/such/folder/x.cfg"));
    EXPECT_FALSE(cfg.save_configuration(prompts, OptionBlock{}, {}));
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{"Error in saving the configuration file."});
}

TEST(ConfigCommands, LoadWithDocumentFillsBlockAndOverwritesTheFile) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    cfg.new_document_options({});
    OptionBlock saved;
    saved.tier_names[0] = "phones";
    saved.display.intensity_height = 31;
    AppConfigValues saved_app;
    saved_app.log_window = {10, 10, 400, 200};
    const std::string src = dir.file("saved.cfg");
    ASSERT_TRUE(write_config_bytes(src, encode_config(saved, saved_app)));

    ScriptedPrompts prompts;
    prompts.file_choices.push_back(src);
    OptionBlock doc;
    AppConfigValues app;
    EXPECT_EQ(cfg.load_configuration(prompts, &doc, app), ConfigFile::LoadResult::Loaded);
    EXPECT_EQ(prompts.file_requests.at(0).title, "Load a Configuration file");
    EXPECT_EQ(doc.tier_names[0], "phones");
    EXPECT_EQ(doc.display.intensity_height, 31);
    EXPECT_EQ(app.log_window, saved_app.log_window);
    EXPECT_EQ(test::read_file(cfg.path()), test::read_file(src));
}

TEST(ConfigCommands, LoadWithoutDocumentCopiesTheFileAndReloadsApplicationValues) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    AppConfigValues saved_app;
    saved_app.fft_lpc_window = {50, 50, 400, 300};
    OptionBlock saved;
    saved.sample_rate = 44100;
    const std::string src = dir.file("saved.cfg");
    ASSERT_TRUE(write_config_bytes(src, encode_config(saved, saved_app)));
    ScriptedPrompts prompts;
    prompts.file_choices.push_back(src);
    AppConfigValues app;
    EXPECT_EQ(cfg.load_configuration(prompts, nullptr, app), ConfigFile::LoadResult::Loaded);
    EXPECT_EQ(app.fft_lpc_window, saved_app.fft_lpc_window);
    EXPECT_EQ(app.default_sample_rate, 44100.0);
    EXPECT_EQ(test::read_file(cfg.path()), test::read_file(src));
}

TEST(ConfigCommands, LoadOfUnsoundFileChangesNothing) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    cfg.new_document_options({});
    const auto before = test::read_file(cfg.path());
    const std::string src = dir.file("bad.cfg");
    test::write_file(src, std::vector<unsigned char>(100, 0));
    ScriptedPrompts prompts;
    prompts.file_choices.push_back(src);
    OptionBlock doc;
    doc.display.audio_height = 66;
    AppConfigValues app;
    EXPECT_EQ(cfg.load_configuration(prompts, &doc, app), ConfigFile::LoadResult::Failed);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{"Error in reading the configuration file."});
    EXPECT_EQ(doc.display.audio_height, 66);
    EXPECT_EQ(test::read_file(cfg.path()), before);
}

TEST(ConfigCommands, CancelledLoadShowsNothing) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    ScriptedPrompts prompts;
    prompts.file_choices.push_back(std::nullopt);
    AppConfigValues app;
    EXPECT_EQ(cfg.load_configuration(prompts, nullptr, app), ConfigFile::LoadResult::Cancelled);
    EXPECT_TRUE(prompts.messages().empty());
}

TEST(ConfigCommands, RevertDeletesTheFileButRunningBlocksKeepTheirValues) {
    ScratchDir dir;
    ConfigFile cfg(dir.path().string());
    OptionBlock running = cfg.new_document_options({});
    running.display.audio_height = 90;
    ASSERT_TRUE(cfg.patch(ConfigGroup::Display, running, {}));
    ScriptedPrompts prompts;
    cfg.revert_to_default(prompts);
    EXPECT_FALSE(std::filesystem::exists(cfg.path()));
    EXPECT_EQ(running.display.audio_height, 90);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{
                                      "Configuration setting has been reverted back to default. Close application and restart."});
    cfg.revert_to_default(prompts);
    EXPECT_EQ(prompts.messages().back(), "Configuration file was not found. Close application and restart.");
}

}  // namespace
}  // namespace vox
