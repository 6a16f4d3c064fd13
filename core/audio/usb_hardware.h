#pragma once
// CUSBHardware: the program's side of the exchange with the external
// acquisition unit, over the UsbTransport seam. One acquisition run is
//
//   open "Lmx-0" -> vendor request 0xB1 with the 320-byte configuration
//   -> vendor request 0xB2 (start) -> bulk reads of the chunks from pipe 8
//   -> vendor request 0xB4 (stop) -> close
//
// and any failure after the open still sends 0xB4 and closes before it is
// passed on. Every failure beeps, shows its message and throws UsbFailure.
//
// The returned stream is the multiplex of the configured slot table: sample
// n belongs to input table[n mod 16]; demultiplex() splits it.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/audio/usb_config_block.h"
#include "core/platform/usb_transport.h"
#include "core/platform/user_prompts.h"

namespace vox {

// An acquisition failure that has already been shown; what() is its text.
class UsbFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace usb_request {
inline constexpr std::uint8_t kConfigure = 0xB1;
inline constexpr std::uint8_t kStart = 0xB2;
inline constexpr std::uint8_t kStop = 0xB4;
}  // namespace usb_request

inline constexpr std::uint32_t kUsbBulkPipe = 8;
// What the scope asks for in every run: 2 chunks of 44032 bytes (0xAC00),
// 44032 signed 16-bit samples in all.
inline constexpr std::size_t kScopeChunkBytes = 0xAC00;
inline constexpr int kScopeChunkCount = 2;

class CUSBHardware {
public:
    CUSBHardware(UsbTransport& transport, UserPrompts& prompts) : transport_(transport), prompts_(prompts) {}
    CUSBHardware(const CUSBHardware&) = delete;
    CUSBHardware& operator=(const CUSBHardware&) = delete;

    // Opens the unit by name; on failure shows the open message and throws.
    void open_device(const std::string& name);
    // One vendor request with `data`; throws after "Request send command
    // failed." when fewer bytes than sent went through.
    void vendor_request(std::uint8_t request, std::span<const std::uint8_t> data);
    // Reads exactly buffer.size() bytes from pipe 8; throws after "Error in
    // reading the incoming data." on a failure or a short read.
    void bulk_read(std::span<std::uint8_t> buffer);
    void close_device();

    // One complete run; returns chunk_count * chunk_bytes / 2 samples
    // (little-endian signed 16-bit words as the unit sends them).
    std::vector<std::int16_t> acquire(std::span<const std::uint8_t> configuration, std::size_t chunk_bytes,
                                      int chunk_count);

private:
    [[noreturn]] void fail(const char* text);

    UsbTransport& transport_;
    UserPrompts& prompts_;
    bool open_ = false;
};

// Splits a multiplexed stream into `inputs` inputs: input k gets, in order,
// the samples of the slots that name k. Slots naming an input the unit does
// not have are dropped.
std::vector<std::vector<std::int16_t>> usb_demultiplex(std::span<const std::int16_t> stream,
                                                       const UsbSlotTable& table, int inputs);

}  // namespace vox
