#pragma once
// The real unit over libusb-1.0. The device name the program asks for
// ("Lmx-0") stays the user-visible name; the unit is found by its USB vendor
// and product id. A vendor request is a control transfer (request type from
// the control block's direction, type and recipient; wValue the block's
// value, wIndex its index = number of data bytes), the bulk read is a bulk IN
// transfer on endpoint 8.

#include <cstdint>
#include <optional>
#include <string>

#include "core/platform/usb_transport.h"

struct libusb_context;
struct libusb_device_handle;

namespace vox {

struct UsbDeviceId {
    std::uint16_t vendor = 0x0547;   // EZ-USB general-purpose firmware default
    std::uint16_t product = 0x2131;
};

// "vvvv:pppp" in hexadecimal; nothing for anything else.
std::optional<UsbDeviceId> parse_usb_device_id(const std::string& text);

class LibusbTransport : public UsbTransport {
public:
    explicit LibusbTransport(UsbDeviceId id = {}, unsigned timeout_ms = 5000);
    ~LibusbTransport() override;
    LibusbTransport(const LibusbTransport&) = delete;
    LibusbTransport& operator=(const LibusbTransport&) = delete;

    bool open(std::string_view device_name) override;
    long vendor_request(const VendorRequestBlock& block, std::span<const std::uint8_t> data) override;
    long bulk_read(std::uint32_t pipe, std::span<std::uint8_t> buffer) override;
    void close() override;

    const UsbDeviceId& device_id() const { return id_; }

private:
    UsbDeviceId id_;
    unsigned timeout_ms_;
    libusb_context* context_ = nullptr;
    libusb_device_handle* handle_ = nullptr;
    bool claimed_ = false;
};

}  // namespace vox
