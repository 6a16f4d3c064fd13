// The scope's bands and traces, and one cycle of its acquisition.

#include <gtest/gtest.h>

#include "core/audio/usb_scope.h"
#include "core/audio/usb_texts.h"
#include "core/platform/scripted_prompts.h"

namespace vox {
namespace {

RecordSettings external(int model) {
    RecordSettings s;
    s.source = kRecordSourceExternal;
    s.unit_model = model;
    s.sample_rate_hz = 22000;
    s.channels = RecordSettings::default_channels(model);
    return s;
}

TEST(UsbScope, OnlyTheAudioBandWhenEveryOtherInputIsOff) {
    const auto bands = scope_bands(external(5), 640);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0].rect, (ScopeRect{20, 20, 635, 120}));
    EXPECT_EQ(bands[0].caption, "Audio");
    EXPECT_EQ(scope_scroll_height(bands), 125);
}

TEST(UsbScope, EnabledInputsStackFivePixelsApart) {
    auto s = external(9);
    s.channels[0].enabled = 0;  // the audio band is drawn regardless
    s.channels[3].enabled = 1;
    s.channels[8].enabled = 1;
    const auto bands = scope_bands(s, 400);
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[1].input, 3);
    EXPECT_EQ(bands[1].caption, "3");
    EXPECT_EQ(bands[1].rect, (ScopeRect{20, 125, 395, 225}));
    EXPECT_EQ(bands[2].caption, "8");
    EXPECT_EQ(bands[2].rect, (ScopeRect{20, 230, 395, 330}));
    EXPECT_EQ(scope_scroll_height(bands), 335);
}

TEST(UsbScope, DefaultBandsBeforeTheFirstSettings) {
    const auto r = scope_default_bands(300);
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0], (ScopeRect{5, 5, 295, 100}));
    EXPECT_EQ(r[4], (ScopeRect{5, 405, 295, 500}));
}

TEST(UsbScope, FullScaleSamplesReachHalfTheBandHeight) {
    const ScopeRect band{20, 20, 420, 120};  // centre 70, height 100
    const auto pts = scope_trace(band, {0, 32767, -32768, 16384});
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[0], (ScopePoint{20, 70}));
    EXPECT_EQ(pts[1], (ScopePoint{120, 70 - 49}));  // trunc(32767 * 100 / 65536) = 49
    EXPECT_EQ(pts[2], (ScopePoint{220, 70 + 50}));  // the bottom edge
    EXPECT_EQ(pts[3], (ScopePoint{320, 70 - 25}));
    EXPECT_TRUE(scope_trace(band, {}).empty());
}

// A transport whose unit streams slot numbers: sample n is table[n mod 16].
class SlotEchoTransport : public UsbTransport {
public:
    UsbSlotTable table{};
    int runs = 0;
    bool fail_open = false;
    bool open(std::string_view) override { return !fail_open; }
    long vendor_request(const VendorRequestBlock& b, std::span<const std::uint8_t> data) override {
        if (b.request == 0xB1) std::copy(data.begin(), data.begin() + 16, table.begin());
        if (b.request == 0xB2) ++runs;
        return static_cast<long>(data.size());
    }
    long bulk_read(std::uint32_t, std::span<std::uint8_t> buffer) override {
        for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
            buffer[i] = table[(i / 2) % 16];
            buffer[i + 1] = 0;
        }
        return static_cast<long>(buffer.size());
    }
    void close() override {}
};

TEST(UsbScope, CycleSplitsTheRunIntoTheInputsOfTheChosenMode) {
    auto s = external(5);
    s.channels[2] = {1, 11000, 4000, 3};  // needs mode 2
    SlotEchoTransport t;
    ScriptedPrompts prompts;
    ScopeAcquisition scope;
    ASSERT_EQ(scope.run(s, t, prompts), ScopeAcquisition::Outcome::Acquired);
    EXPECT_TRUE(scope.has_acquired());
    ASSERT_EQ(scope.channels().size(), 5u);
    EXPECT_EQ(scope.channels()[0].size(), 11008u);
    EXPECT_EQ(scope.channels()[4].size(), 5504u);
    for (int k = 0; k < 5; ++k)
        for (auto v : scope.channels()[static_cast<std::size_t>(k)]) ASSERT_EQ(v, k);
    EXPECT_TRUE(prompts.events.empty());
}

TEST(UsbScope, WrongInputEndsTheCycleBeforeAnythingIsSent) {
    auto s = external(5);
    s.input = "Aux";
    SlotEchoTransport t;
    ScriptedPrompts prompts;
    ScopeAcquisition scope;
    EXPECT_EQ(scope.run(s, t, prompts), ScopeAcquisition::Outcome::SettingsRefused);
    EXPECT_EQ(t.runs, 0);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{usb_text::kWrongInput});
}

TEST(UsbScope, AFailedRunClosesTheScopeAndDropsTheOldBuffers) {
    auto s = external(5);
    SlotEchoTransport t;
    ScriptedPrompts prompts;
    ScopeAcquisition scope;
    ASSERT_EQ(scope.run(s, t, prompts), ScopeAcquisition::Outcome::Acquired);
    t.fail_open = true;
    EXPECT_EQ(scope.run(s, t, prompts), ScopeAcquisition::Outcome::Failed);
    EXPECT_TRUE(scope.channels().empty());
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{usb_text::kOpenFailed});
    s.unit_model = 7;  // no slot table: refused like the unit would
    EXPECT_EQ(scope.run(s, t, prompts), ScopeAcquisition::Outcome::Failed);
    EXPECT_EQ(prompts.messages().back(), usb_text::kUnknownMultiplex);
}

}  // namespace
}  // namespace vox
