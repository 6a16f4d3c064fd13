// The simulated unit behind CUSBHardware and the scope cycle: each failure
// step, the per-input signals, and the choice of backend.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/audio/usb_hardware.h"
#include "core/audio/usb_scope.h"
#include "core/audio/usb_texts.h"
#include "core/platform/scripted_prompts.h"
#include "platform/libusb_transport.h"
#include "platform/simulated_unit.h"
#include "platform/usb_backend.h"

namespace vox {
namespace {

std::string trace(const SimulatedUsbUnit& unit) {
    std::string s;
    for (const auto& c : unit.calls()) {
        if (!s.empty()) s += " ";
        switch (c.kind) {
            case SimulatedUsbUnit::Call::Open: s += "open"; break;
            case SimulatedUsbUnit::Call::Vendor: {
                char w[8];
                std::snprintf(w, sizeof w, "%X", c.request);
                s += w;
                break;
            }
            case SimulatedUsbUnit::Call::Bulk: s += c.result == static_cast<long>(c.length) ? "read" : "bad-read"; break;
            case SimulatedUsbUnit::Call::Close: s += "close"; break;
        }
    }
    return s;
}

RecordSettings external(int model) {
    RecordSettings s;
    s.source = kRecordSourceExternal;
    s.unit_model = model;
    s.sample_rate_hz = 22000;
    s.channels = RecordSettings::default_channels(model);
    return s;
}

struct StepCase {
    const char* step;
    const char* trace;
    const char* message;
};

class SimulatedFailure : public ::testing::TestWithParam<StepCase> {};

TEST_P(SimulatedFailure, ScopeCycleFailsAfterStoppingTheUnit) {
    SimulatedUsbUnit unit;
    ASSERT_TRUE(unit.set_failure(GetParam().step));
    ScriptedPrompts prompts;
    ScopeAcquisition scope;
    EXPECT_EQ(scope.run(external(5), unit, prompts), ScopeAcquisition::Outcome::Failed);
    EXPECT_EQ(trace(unit), GetParam().trace);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{GetParam().message});
    EXPECT_FALSE(unit.is_open());
    EXPECT_FALSE(unit.streaming());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, SimulatedFailure,
    ::testing::Values(StepCase{"open", "open", usb_text::kOpenFailed},
                      StepCase{"configure", "open B1 B4 close", usb_text::kRequestFailed},
                      StepCase{"start", "open B1 B2 B4 close", usb_text::kRequestFailed},
                      StepCase{"read", "open B1 B2 bad-read B4 close", usb_text::kReadFailed},
                      StepCase{"short-read", "open B1 B2 bad-read B4 close", usb_text::kReadFailed},
                      StepCase{"short-read2", "open B1 B2 read bad-read B4 close", usb_text::kReadFailed},
                      StepCase{"stop", "open B1 B2 read read B4 close", usb_text::kRequestFailed}),
    [](const auto& info) {
        std::string n = info.param.step;
        std::replace(n.begin(), n.end(), '-', '_');
        return n;
    });

TEST(SimulatedUnit, RefusesUnknownFailureNamesAndOtherDeviceNames) {
    SimulatedUsbUnit unit;
    EXPECT_FALSE(unit.set_failure("explode"));
    EXPECT_FALSE(unit.open("Lmx-1"));
    EXPECT_TRUE(unit.open("Lmx-0"));
    // Streaming needs a configuration first.
    VendorRequestBlock start;
    start.request = 0xB2;
    EXPECT_LT(unit.vendor_request(start, {}), 0);
    std::array<std::uint8_t, 64> buf{};
    EXPECT_LT(unit.bulk_read(8, buf), 0);
}

// Every input of the unit carries its own signal, and the demultiplexed
// samples are exactly that signal.
TEST(SimulatedUnit, DemultiplexedInputsCarryTheirOwnSignals) {
    auto s = external(5);
    for (int k = 1; k < 5; ++k) s.channels[static_cast<std::size_t>(k)] = {1, 22000, 8000, 4 * k};
    SimulatedUsbUnit unit;
    ScriptedPrompts prompts;
    ScopeAcquisition scope;
    ASSERT_EQ(scope.run(s, unit, prompts), ScopeAcquisition::Outcome::Acquired);
    ASSERT_EQ(scope.channels().size(), 5u);
    for (int input = 0; input < 5; ++input) {
        const auto& got = scope.channels()[static_cast<std::size_t>(input)];
        ASSERT_EQ(got.size(), 5504u) << "input " << input;  // mode 3
        for (std::size_t k = 0; k < got.size(); k += 97)
            ASSERT_EQ(got[k], SimulatedUsbUnit::signal(input, k, unit.configuration())) << input << "/" << k;
    }
    for (int a = 0; a < 5; ++a)
        for (int b = a + 1; b < 5; ++b)
            EXPECT_NE(scope.channels()[static_cast<std::size_t>(a)], scope.channels()[static_cast<std::size_t>(b)]);
    // A second run gives the same samples again.
    const auto first = scope.channels();
    ASSERT_EQ(scope.run(s, unit, prompts), ScopeAcquisition::Outcome::Acquired);
    EXPECT_EQ(scope.channels(), first);
}

int peak(const std::vector<std::int16_t>& v) {
    int m = 0;
    for (auto x : v) m = std::max(m, std::abs(static_cast<int>(x)));
    return m;
}

int largest_step(const std::vector<std::int16_t>& v) {
    int m = 0;
    for (std::size_t i = 1; i < v.size(); ++i) m = std::max(m, std::abs(v[i] - v[i - 1]));
    return m;
}

TEST(SimulatedUnit, GainRaisesAndALowerFilterRoundsTheTrace) {
    auto s = external(5);
    s.channels[1] = {1, 5500, 2000, 2};
    SimulatedUsbUnit unit;
    ScriptedPrompts prompts;
    ScopeAcquisition scope;
    ASSERT_EQ(scope.run(s, unit, prompts), ScopeAcquisition::Outcome::Acquired);
    const auto low_gain = scope.channels()[1];
    s.channels[1].gain = 14;
    ASSERT_EQ(scope.run(s, unit, prompts), ScopeAcquisition::Outcome::Acquired);
    const auto high_gain = scope.channels()[1];
    EXPECT_GT(peak(high_gain), 2 * peak(low_gain));
    s.channels[1].filter_cutoff_hz = 25;
    ASSERT_EQ(scope.run(s, unit, prompts), ScopeAcquisition::Outcome::Acquired);
    EXPECT_LT(largest_step(scope.channels()[1]), largest_step(high_gain) / 2);
}

TEST(UsbBackend, ChoicesAndTheirRefusals) {
    std::string error;
    EXPECT_NE(dynamic_cast<SimulatedUsbUnit*>(make_usb_transport("simulated", &error).get()), nullptr);
    auto failing = make_usb_transport("simulated:short-read", &error);
    ASSERT_NE(failing, nullptr);
    EXPECT_TRUE(static_cast<SimulatedUsbUnit&>(*failing).short_read);
    auto real = make_usb_transport("libusb:04b4:8613", &error);
    ASSERT_NE(dynamic_cast<LibusbTransport*>(real.get()), nullptr);
    EXPECT_EQ(static_cast<LibusbTransport&>(*real).device_id().vendor, 0x04B4);
    EXPECT_EQ(static_cast<LibusbTransport&>(*real).device_id().product, 0x8613);
    EXPECT_EQ(make_usb_transport("libusb:zz:1", &error), nullptr);
    EXPECT_NE(error.find("VVVV:PPPP"), std::string::npos);
    EXPECT_EQ(make_usb_transport("serial", &error), nullptr);
    EXPECT_EQ(make_usb_transport("simulated:melt", &error), nullptr);
    EXPECT_EQ(usb_backend_choice("simulated"), "simulated");
}

// With no such unit attached the real backend gives the open message and
// sends nothing.
TEST(LibusbBackend, AbsentUnitReportsTheOpenFailure) {
    LibusbTransport t(UsbDeviceId{0xFFFF, 0xFFFE}, 100);
    ScriptedPrompts prompts;
    CUSBHardware hw(t, prompts);
    UsbConfigBlock config{};
    EXPECT_THROW(hw.acquire(config, kScopeChunkBytes, kScopeChunkCount), UsbFailure);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{usb_text::kOpenFailed});
    EXPECT_LT(t.vendor_request(VendorRequestBlock{}, {}), 0);
}

}  // namespace
}  // namespace vox
