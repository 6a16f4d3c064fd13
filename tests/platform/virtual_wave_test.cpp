// The virtual sound card and the --audio choice.
#include <gtest/gtest.h>

#include "core/platform/audio_event.h"
#include "platform/audio_backend.h"
#include "platform/virtual_wave.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

struct ChoiceCase {
    std::string text;
    bool ok;
    std::string kind, file, out_file;
    double speed;
};
class AudioChoices : public ::testing::TestWithParam<ChoiceCase> {};
TEST_P(AudioChoices, Parse) {
    const auto p = GetParam();
    AudioChoice c;
    std::string error;
    ASSERT_EQ(parse_audio_choice(p.text, c, &error), p.ok) << error;
    if (!p.ok) {
        EXPECT_FALSE(error.empty());
        return;
    }
    EXPECT_EQ(c.kind, p.kind);
    EXPECT_EQ(c.file, p.file);
    EXPECT_EQ(c.out_file, p.out_file);
    EXPECT_DOUBLE_EQ(c.speed, p.speed);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, AudioChoices,
    ::testing::Values(ChoiceCase{"portaudio", true, "portaudio", "", "", 1.0},
                      ChoiceCase{"none", true, "none", "", "", 1.0},
                      ChoiceCase{"virtual", true, "virtual", "", "", 1.0},
                      ChoiceCase{"virtual:/a/mic.wav", true, "virtual", "/a/mic.wav", "", 1.0},
                      ChoiceCase{"virtual:m.wav,out=p.wav,speed=8", true, "virtual", "m.wav", "p.wav", 8.0},
                      ChoiceCase{"virtual,out=p.wav", true, "virtual", "", "p.wav", 1.0},
                      ChoiceCase{"virtual,speed=4", true, "virtual", "", "", 4.0},
                      ChoiceCase{"none,speed=4", false, "", "", "", 0},
                      ChoiceCase{"virtual:speed=0", false, "", "", "", 0},
                      ChoiceCase{"virtual:speed=fast", false, "", "", "", 0},
                      ChoiceCase{"portaudio:x", false, "", "", "", 0}, ChoiceCase{"alsa", false, "", "", "", 0}));

TEST(VirtualWave, WavRoundTripAndRefusals) {
    test::ScratchDir dir;
    std::vector<std::int16_t> s = {0, 1, -1, 32767, -32768, 1234};
    ASSERT_TRUE(write_wav_mono16(dir.file("a.wav"), s, 22050));
    std::vector<std::int16_t> back;
    std::uint32_t rate = 0;
    ASSERT_TRUE(read_wav_mono16(dir.file("a.wav"), back, rate));
    EXPECT_EQ(back, s);
    EXPECT_EQ(rate, 22050u);
    std::string error;
    EXPECT_FALSE(read_wav_mono16(dir.file("none.wav"), back, rate, &error));
    // A data chunk claiming more bytes than the file holds is read only as far as the file goes.
    auto bytes = test::read_file(dir.file("a.wav"));
    bytes[40] = 0xFF;
    bytes[41] = 0xFF;
    test::write_file(dir.file("long.wav"), bytes);
    ASSERT_TRUE(read_wav_mono16(dir.file("long.wav"), back, rate));
    EXPECT_EQ(back, s);
    // 8-bit data is refused.
    bytes = test::read_file(dir.file("a.wav"));
    bytes[34] = 8;
    test::write_file(dir.file("b8.wav"), bytes);
    EXPECT_FALSE(read_wav_mono16(dir.file("b8.wav"), back, rate, &error));
}

TEST(VirtualWave, OutputKeepsWhatItPlayedInItsFile) {
    test::ScratchDir dir;
    const std::string tee = dir.file("played.wav");
    std::vector<std::int16_t> block(3000);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::int16_t>(i * 3);
    {
        VirtualWaveOut out(50.0, tee);
        AudioEvent ev;
        ASSERT_EQ(out.open(0, SetFormat(1, 11025, 16), &ev), kWaveOk);
        WaveHeader h;
        h.data = block.data();
        h.buffer_length = static_cast<std::uint32_t>(block.size() * 2);
        ASSERT_EQ(out.prepare(h), kWaveOk);
        ASSERT_EQ(out.write(h), kWaveOk);
        ASSERT_TRUE(out.wait_finished(1, 5000));
        EXPECT_TRUE(h.flags & WaveHeader::kDone);
        ASSERT_EQ(out.close(), kWaveOk);
    }
    std::vector<std::int16_t> back;
    std::uint32_t rate = 0;
    ASSERT_TRUE(read_wav_mono16(tee, back, rate));
    EXPECT_EQ(back, block);
    EXPECT_EQ(rate, 11025u);
}

TEST(VirtualWave, BackendFromChoice) {
    test::ScratchDir dir;
    AudioBackend b;
    std::string error;
    AudioChoice none;
    none.kind = "none";
    ASSERT_TRUE(make_audio_backend(none, b, &error));
    EXPECT_EQ(b.out->device_count(), 0);
    EXPECT_EQ(b.in->device_count(), 0);
    AudioChoice missing;
    missing.kind = "virtual";
    missing.file = dir.file("nope.wav");
    EXPECT_FALSE(make_audio_backend(missing, b, &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vox
