#pragma once
// The seam to the external acquisition unit: open by device name, vendor
// request (a control block plus optional data bytes sent to the unit), bulk
// read from a pipe, close. The libusb backend and the simulated unit of
// platform/ implement it; CUSBHardware (core/audio/usb_hardware.h) is the only
// caller and owns the order of the exchange and every message.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vox {

// The 10-byte control block of a vendor request, field by field:
//   0 direction (0 = host to unit), 1 request type (2 = vendor),
//   2 recipient (0 = device), 3 reserved, 4 request code, 5 padding,
//   6..7 value (little-endian), 8..9 index = number of data bytes sent.
struct VendorRequestBlock {
    std::uint8_t direction = 0;
    std::uint8_t request_type = 2;
    std::uint8_t recipient = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;

    std::array<std::uint8_t, 10> encode() const {
        return {direction, request_type, recipient, 0, request, 0,
                static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8),
                static_cast<std::uint8_t>(index & 0xFF), static_cast<std::uint8_t>(index >> 8)};
    }
    static VendorRequestBlock decode(const std::array<std::uint8_t, 10>& b) {
        VendorRequestBlock r;
        r.direction = b[0];
        r.request_type = b[1];
        r.recipient = b[2];
        r.request = b[4];
        r.value = static_cast<std::uint16_t>(b[6] | (b[7] << 8));
        r.index = static_cast<std::uint16_t>(b[8] | (b[9] << 8));
        return r;
    }
    bool operator==(const VendorRequestBlock&) const = default;
};

class UsbTransport {
public:
    virtual ~UsbTransport() = default;

    // Opens the unit known to the user by `device_name`; false when no such
    // unit is attached or it cannot be opened.
    virtual bool open(std::string_view device_name) = 0;
    // Sends one vendor request with `data` (block.index bytes). Returns the
    // number of data bytes transferred, or a negative number on failure.
    virtual long vendor_request(const VendorRequestBlock& block, std::span<const std::uint8_t> data) = 0;
    // Reads up to buffer.size() bytes from the pipe. Returns the number of
    // bytes read, or a negative number on failure.
    virtual long bulk_read(std::uint32_t pipe, std::span<std::uint8_t> buffer) = 0;
    virtual void close() = 0;
};

}  // namespace vox
