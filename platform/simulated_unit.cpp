#include "platform/simulated_unit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vox {

namespace {

constexpr std::uint8_t kConfigure = 0xB1;
constexpr std::uint8_t kStart = 0xB2;
constexpr std::uint8_t kStop = 0xB4;
constexpr std::uint32_t kPipe = 8;

// Gain code byte of an input as the configuration carries it.
int gain_code(int input, const std::array<std::uint8_t, 320>& c) {
    if (input == 0) return c[312];
    if (input >= 1 && input <= 12) return c[300 + static_cast<std::size_t>(input - 1)];
    if (input == 13 || input == 14) return c[314 + static_cast<std::size_t>(input - 13)];
    return 0;
}

// The cut-off the filter clock word stands for, as a fraction of the slot
// rate: a larger word is a slower filter clock and a lower cut-off.
double smoothing(int input, const std::array<std::uint8_t, 320>& c) {
    if (input > 7) return 1.0;
    const std::size_t at = 256 + 2 * static_cast<std::size_t>(input);
    const unsigned word = (static_cast<unsigned>(c[at]) << 8) | c[at + 1];
    if (word == 0) return 1.0;  // fastest clock: no rounding
    const double ticks = word / 64.0 + 2.0;
    return std::clamp(4.0 / ticks, 0.01, 1.0);
}

}  // namespace

bool SimulatedUsbUnit::set_failure(const std::string& step) {
    if (step == "open")
        unplugged = true;
    else if (step == "configure")
        short_request = kConfigure;
    else if (step == "start")
        short_request = kStart;
    else if (step == "stop")
        short_request = kStop;
    else if (step == "read" || step == "read2")
        failing_read = step == "read" ? 1 : 2, short_read = false;
    else if (step == "short-read" || step == "short-read2")
        failing_read = step == "short-read" ? 1 : 2, short_read = true;
    else
        return false;
    return true;
}

bool SimulatedUsbUnit::open(std::string_view device_name) {
    const bool ok = !unplugged && !open_ && device_name == device_name_;
    calls_.push_back({Call::Open, std::string(device_name), 0, 0, 0, 0, ok ? 1 : 0});
    if (ok) {
        open_ = true;
        streaming_ = false;
    }
    return ok;
}

long SimulatedUsbUnit::vendor_request(const VendorRequestBlock& block, std::span<const std::uint8_t> data) {
    long result = static_cast<long>(data.size());
    if (!open_ || block.direction != 0 || block.request_type != 2 || block.index != data.size()) {
        result = -1;
    } else if (block.request == kConfigure) {
        if (data.size() != config_.size()) {
            result = -1;
        } else {
            std::copy(data.begin(), data.end(), config_.begin());
            configured_ = true;
        }
    } else if (block.request == kStart) {
        if (!configured_) {
            result = -1;
        } else {
            streaming_ = true;
            reads_ = 0;
            stream_pos_ = 0;
            input_pos_.fill(0);
        }
    } else if (block.request == kStop) {
        streaming_ = false;
    } else {
        result = -1;
    }
    if (result >= 0 && short_request && *short_request == block.request) result = static_cast<long>(data.size()) - 1;
    calls_.push_back({Call::Vendor, {}, block.request, block.index, data.size(), 0, result});
    return result;
}

std::int16_t SimulatedUsbUnit::signal(int input, std::uint64_t k, const std::array<std::uint8_t, 320>& config) {
    // Period in the input's own samples: 300 for input 0, longer for each
    // next one (a band of 5504 samples shows some ten to twenty periods).
    const double period = 300.0 + 120.0 * input;
    const double amplitude = std::min(32000.0, 600.0 + 480.0 * (gain_code(input, config) & 0x7F));
    const double a = smoothing(input, config);
    // A square wave through a one-pole low-pass of coefficient a, in closed
    // form over the current half period, plus a small tone of three times the
    // rate so that each input is recognisable even with its filter wide open.
    const double half = period / 2.0;
    // Each input starts at a phase of its own so that no two traces coincide.
    const double phase = std::fmod(static_cast<double>(k) + 11.0 * input, period);
    const bool high = phase < half;
    const double since_edge = high ? phase : phase - half;
    const double settle = std::pow(1.0 - a, since_edge + 1.0);
    // Steady-state value at the edge of a symmetric square wave.
    const double edge = (1.0 - std::pow(1.0 - a, half)) / (1.0 + std::pow(1.0 - a, half));
    const double level = high ? 1.0 - (1.0 + edge) * settle : -1.0 + (1.0 + edge) * settle;
    const double tone = 0.15 * std::sin(2.0 * std::numbers::pi * 3.0 * static_cast<double>(k) / period);
    const double v = amplitude * (0.8 * level + tone);
    return static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

std::int16_t SimulatedUsbUnit::next_sample() {
    const int input = config_[stream_pos_ % 16];
    ++stream_pos_;
    const std::uint64_t k = input_pos_[static_cast<std::size_t>(input & 0x0F)]++;
    return signal(input, k, config_);
}

long SimulatedUsbUnit::bulk_read(std::uint32_t pipe, std::span<std::uint8_t> buffer) {
    long result = -1;
    if (open_ && streaming_ && pipe == kPipe) {
        ++reads_;
        for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
            const auto v = static_cast<std::uint16_t>(next_sample());
            buffer[i] = static_cast<std::uint8_t>(v & 0xFF);
            buffer[i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        result = static_cast<long>(buffer.size());
        if (reads_ == failing_read) result = short_read ? static_cast<long>(buffer.size() / 2) : -1;
    }
    calls_.push_back({Call::Bulk, {}, 0, 0, buffer.size(), pipe, result});
    return result;
}

void SimulatedUsbUnit::close() {
    calls_.push_back({Call::Close, {}, 0, 0, 0, 0, 0});
    open_ = false;
    streaming_ = false;
}

}  // namespace vox
