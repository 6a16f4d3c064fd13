// One acquisition run of the unit over a scripted transport: the order of the
// requests, the stop request after every failure, and demultiplexing.

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "core/audio/usb_hardware.h"
#include "core/audio/usb_texts.h"
#include "core/platform/scripted_prompts.h"

namespace vox {
namespace {

// Records every call as a short word ("open Lmx-0", "B1/320", "read 44032",
// "close") and fails the step it is told to.
class ScriptedTransport : public UsbTransport {
public:
    std::vector<std::string> calls;
    std::vector<VendorRequestBlock> blocks;
    std::vector<std::vector<std::uint8_t>> payloads;
    bool open_fails = false;
    int short_request = -1;  // request code answered with one byte too few (-1 when empty)
    int failing_read = 0;    // 1-based read that fails
    bool short_read = false; // that read returns half the bytes instead of an error
    int reads = 0;

    bool open(std::string_view name) override {
        calls.push_back("open " + std::string(name));
        return !open_fails;
    }
    long vendor_request(const VendorRequestBlock& b, std::span<const std::uint8_t> data) override {
        char word[16];
        std::snprintf(word, sizeof word, "%X/%u", b.request, b.index);
        calls.push_back(word);
        blocks.push_back(b);
        payloads.emplace_back(data.begin(), data.end());
        if (b.request == short_request) return static_cast<long>(data.size()) - 1;
        return static_cast<long>(data.size());
    }
    long bulk_read(std::uint32_t pipe, std::span<std::uint8_t> buffer) override {
        calls.push_back("read " + std::to_string(pipe) + ":" + std::to_string(buffer.size()));
        ++reads;
        // The stream counts up: byte pair n holds sample n.
        const std::size_t first = (reads - 1) * buffer.size() / 2;
        for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
            const auto v = static_cast<std::uint16_t>(first + i / 2);
            buffer[i] = static_cast<std::uint8_t>(v & 0xFF);
            buffer[i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        if (reads == failing_read) return short_read ? static_cast<long>(buffer.size() / 2) : -1;
        return static_cast<long>(buffer.size());
    }
    void close() override { calls.push_back("close"); }
};

std::string joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += (s.empty() ? "" : ", ") + x;
    return s;
}

TEST(UsbHardware, AcquisitionRunSendsTheRequestsInOrder) {
    ScriptedTransport t;
    ScriptedPrompts prompts;
    CUSBHardware hw(t, prompts);
    UsbConfigBlock config{};
    for (std::size_t i = 0; i < config.size(); ++i) config[i] = static_cast<std::uint8_t>(i * 7);
    const auto samples = hw.acquire(config, kScopeChunkBytes, kScopeChunkCount);
    EXPECT_EQ(joined(t.calls), "open Lmx-0, B1/320, B2/0, read 8:44032, read 8:44032, B4/0, close");
    ASSERT_EQ(samples.size(), 44032u);
    for (std::size_t n : {0u, 1u, 22015u, 22016u, 44031u}) EXPECT_EQ(static_cast<std::uint16_t>(samples[n]), n);
    EXPECT_TRUE(prompts.events.empty());
    // Every control block is host-to-unit, vendor, device, value 0.
    for (const auto& b : t.blocks) {
        EXPECT_EQ(b.direction, 0);
        EXPECT_EQ(b.request_type, 2);
        EXPECT_EQ(b.recipient, 0);
        EXPECT_EQ(b.value, 0);
    }
    EXPECT_EQ(t.payloads[0], std::vector<std::uint8_t>(config.begin(), config.end()));
    EXPECT_TRUE(t.payloads[1].empty());
}

TEST(UsbHardware, ControlBlockEncodesFieldByField) {
    VendorRequestBlock b;
    b.request = 0xB1;
    b.index = 320;
    const std::array<std::uint8_t, 10> expected = {0, 2, 0, 0, 0xB1, 0, 0, 0, 0x40, 0x01};
    EXPECT_EQ(b.encode(), expected);
    EXPECT_EQ(VendorRequestBlock::decode(expected), b);
}

struct FailureCase {
    const char* name;
    bool open_fails;
    int short_request;
    int failing_read;
    bool short_read;
    const char* calls;
    const char* message;
};

class UsbFailureSequence : public ::testing::TestWithParam<FailureCase> {};

TEST_P(UsbFailureSequence, StopsTheUnitClosesAndReportsOnce) {
    const auto& c = GetParam();
    ScriptedTransport t;
    t.open_fails = c.open_fails;
    t.short_request = c.short_request;
    t.failing_read = c.failing_read;
    t.short_read = c.short_read;
    ScriptedPrompts prompts;
    CUSBHardware hw(t, prompts);
    UsbConfigBlock config{};
    EXPECT_THROW(hw.acquire(config, kScopeChunkBytes, kScopeChunkCount), UsbFailure);
    EXPECT_EQ(joined(t.calls), c.calls);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{c.message});
    EXPECT_EQ(prompts.count(ScriptedPrompts::Event::Beep), 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, UsbFailureSequence,
    ::testing::Values(
        FailureCase{"Unplugged", true, -1, 0, false, "open Lmx-0", usb_text::kOpenFailed},
        FailureCase{"Configure", false, 0xB1, 0, false, "open Lmx-0, B1/320, B4/0, close", usb_text::kRequestFailed},
        FailureCase{"Start", false, 0xB2, 0, false, "open Lmx-0, B1/320, B2/0, B4/0, close", usb_text::kRequestFailed},
        FailureCase{"ShortFirstRead", false, -1, 1, true, "open Lmx-0, B1/320, B2/0, read 8:44032, B4/0, close",
                    usb_text::kReadFailed},
        FailureCase{"SecondReadError", false, -1, 2, false,
                    "open Lmx-0, B1/320, B2/0, read 8:44032, read 8:44032, B4/0, close", usb_text::kReadFailed},
        FailureCase{"Stop", false, 0xB4, 0, false,
                    "open Lmx-0, B1/320, B2/0, read 8:44032, read 8:44032, B4/0, close", usb_text::kRequestFailed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UsbHardware, ACompleteRunAfterAFailedOneStartsAfresh) {
    ScriptedTransport t;
    t.failing_read = 1;
    ScriptedPrompts prompts;
    CUSBHardware hw(t, prompts);
    UsbConfigBlock config{};
    EXPECT_THROW(hw.acquire(config, 64, 2), UsbFailure);
    t.calls.clear();
    t.failing_read = 0;
    EXPECT_EQ(hw.acquire(config, 64, 2).size(), 64u);
    EXPECT_EQ(joined(t.calls), "open Lmx-0, B1/320, B2/0, read 8:64, read 8:64, B4/0, close");
}

struct DemuxCase {
    int model;
    int mode;
    std::vector<std::size_t> counts;  // samples of each input out of 44032
};

class UsbDemultiplex : public ::testing::TestWithParam<DemuxCase> {};

TEST_P(UsbDemultiplex, EachInputGetsExactlyItsSlotsInOrder) {
    const auto& c = GetParam();
    const UsbSlotTable table = *usb_slot_table(c.model, c.mode);
    std::vector<std::int16_t> stream(44032);
    std::iota(stream.begin(), stream.end(), 0);  // wraps past 32767; only the order matters
    const auto inputs = usb_demultiplex(stream, table, c.model);
    ASSERT_EQ(inputs.size(), static_cast<std::size_t>(c.model));
    for (int k = 0; k < c.model; ++k) {
        const auto& got = inputs[static_cast<std::size_t>(k)];
        EXPECT_EQ(got.size(), c.counts[static_cast<std::size_t>(k)]) << "input " << k;
        // The samples of input k are the stream positions whose slot names k.
        std::size_t j = 0;
        for (std::size_t n = 0; n < stream.size() && j < got.size(); ++n)
            if (table[n % 16] == k) {
                ASSERT_EQ(got[j], stream[n]) << "input " << k << " sample " << j;
                ++j;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryModelAndMode, UsbDemultiplex,
    ::testing::Values(DemuxCase{5, 1, {22016, 5504, 5504, 5504, 5504}},
                      DemuxCase{5, 2, {11008, 11008, 11008, 5504, 5504}},
                      DemuxCase{5, 3, {5504, 5504, 5504, 5504, 5504}},
                      DemuxCase{9, 1, {11008, 5504, 5504, 5504, 5504, 2752, 2752, 2752, 2752}},
                      DemuxCase{9, 2, {5504, 5504, 5504, 5504, 5504, 5504, 5504, 2752, 2752}}));

TEST(UsbHardware, NineInputModeOneTakesInputFourFromSlotsFiveAndThirteen) {
    const UsbSlotTable table = *usb_slot_table(9, 1);
    std::vector<std::int16_t> stream(32);
    std::iota(stream.begin(), stream.end(), 0);
    const auto inputs = usb_demultiplex(stream, table, 9);
    EXPECT_EQ(inputs[4], (std::vector<std::int16_t>{5, 13, 21, 29}));
    EXPECT_EQ(inputs[8], (std::vector<std::int16_t>{15, 31}));
}

}  // namespace
}  // namespace vox
