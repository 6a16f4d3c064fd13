#pragma once
// A simulated external acquisition unit behind the UsbTransport seam. It
// answers the same requests as the real unit: 0xB1 takes the 320-byte
// configuration, 0xB2 starts streaming the configured multiplex (sample n is
// a sample of input table[n mod 16]), 0xB4 stops. Each input carries its own
// deterministic signal (a tone plus a square wave of a period that differs
// per input) whose amplitude follows the input's gain code and whose edges
// are rounded more as its filter cut-off falls, so gain and filter changes
// show in the scope.
//
// Every step can be told to fail: the open, a request answered with fewer
// bytes, the n-th bulk read failing or coming back short. Every call is
// recorded for the tests.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/usb_transport.h"

namespace vox {

class SimulatedUsbUnit : public UsbTransport {
public:
    struct Call {
        enum Kind { Open, Vendor, Bulk, Close } kind;
        std::string name;            // Open: the device name asked for
        std::uint8_t request = 0;    // Vendor: the request code
        std::uint16_t index = 0;     // Vendor: the control block's data count
        std::size_t length = 0;      // Vendor: data bytes given; Bulk: bytes asked for
        std::uint32_t pipe = 0;      // Bulk
        long result = 0;             // what the call returned (1/0 for Open)
    };

    explicit SimulatedUsbUnit(std::string device_name = "Lmx-0") : device_name_(std::move(device_name)) {}

    // Failure switches.
    bool unplugged = false;                  // open fails
    std::optional<std::uint8_t> short_request;  // this request transfers one byte too few
    int failing_read = 0;                    // 1-based bulk read of a run that fails (0: none)
    bool short_read = false;                 // ... by returning half the bytes instead of an error
    // Parses "open", "configure", "start", "stop", "read", "short-read",
    // "read2", "short-read2"; false for anything else.
    bool set_failure(const std::string& step);

    bool open(std::string_view device_name) override;
    long vendor_request(const VendorRequestBlock& block, std::span<const std::uint8_t> data) override;
    long bulk_read(std::uint32_t pipe, std::span<std::uint8_t> buffer) override;
    void close() override;

    const std::vector<Call>& calls() const { return calls_; }
    void clear_calls() { calls_.clear(); }
    bool is_open() const { return open_; }
    bool streaming() const { return streaming_; }
    // The last configuration received.
    const std::array<std::uint8_t, 320>& configuration() const { return config_; }

    // Sample k of input `input` as the unit would deliver it with the
    // configuration `config` (the signal restarts with each 0xB2).
    static std::int16_t signal(int input, std::uint64_t k, const std::array<std::uint8_t, 320>& config);

private:
    std::int16_t next_sample();

    std::string device_name_;
    bool open_ = false;
    bool streaming_ = false;
    bool configured_ = false;
    int reads_ = 0;
    std::array<std::uint8_t, 320> config_{};
    std::uint64_t stream_pos_ = 0;                 // samples streamed in this run
    std::array<std::uint64_t, 16> input_pos_{};    // samples of each input in this run
    std::vector<Call> calls_;
};

}  // namespace vox
