#include "platform/libusb_transport.h"

#include <libusb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vox {

std::optional<UsbDeviceId> parse_usb_device_id(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return std::nullopt;
    auto hex = [](const std::string& s) -> std::optional<std::uint16_t> {
        if (s.empty() || s.size() > 4) return std::nullopt;
        char* end = nullptr;
        const unsigned long v = std::strtoul(s.c_str(), &end, 16);
        if (*end != '\0') return std::nullopt;
        return static_cast<std::uint16_t>(v);
    };
    const auto v = hex(text.substr(0, colon));
    const auto p = hex(text.substr(colon + 1));
    if (!v || !p) return std::nullopt;
    return UsbDeviceId{*v, *p};
}

LibusbTransport::LibusbTransport(UsbDeviceId id, unsigned timeout_ms) : id_(id), timeout_ms_(timeout_ms) {}

LibusbTransport::~LibusbTransport() {
    close();
    if (context_) libusb_exit(context_);
}

bool LibusbTransport::open(std::string_view /*device_name*/) {
    if (handle_) return false;
    if (!context_ && libusb_init(&context_) != 0) {
        context_ = nullptr;
        return false;
    }
    handle_ = libusb_open_device_with_vid_pid(context_, id_.vendor, id_.product);
    if (!handle_) return false;
    libusb_set_auto_detach_kernel_driver(handle_, 1);
    if (libusb_claim_interface(handle_, 0) != 0) {
        libusb_close(handle_);
        handle_ = nullptr;
        return false;
    }
    claimed_ = true;
    return true;
}

long LibusbTransport::vendor_request(const VendorRequestBlock& block, std::span<const std::uint8_t> data) {
    if (!handle_ || data.size() > 0xFFFF) return -1;
    const std::uint8_t request_type = static_cast<std::uint8_t>(((block.direction & 1) << 7) |
                                                                ((block.request_type & 3) << 5) | (block.recipient & 0x1F));
    // libusb takes a non-const buffer even for host-to-device transfers.
    std::vector<unsigned char> copy(data.begin(), data.end());
    const int r = libusb_control_transfer(handle_, request_type, block.request, block.value, block.index,
                                          copy.empty() ? nullptr : copy.data(), static_cast<std::uint16_t>(copy.size()),
                                          timeout_ms_);
    return r < 0 ? -1 : r;
}

long LibusbTransport::bulk_read(std::uint32_t pipe, std::span<std::uint8_t> buffer) {
    if (!handle_) return -1;
    const unsigned char endpoint = static_cast<unsigned char>(LIBUSB_ENDPOINT_IN | (pipe & 0x0F));
    // The unit may deliver a chunk in several packets: keep reading until the
    // chunk is full, a transfer fails or one comes back empty.
    std::size_t done = 0;
    while (done < buffer.size()) {
        int got = 0;
        const std::size_t want = std::min<std::size_t>(buffer.size() - done, 1u << 20);
        const int r = libusb_bulk_transfer(handle_, endpoint, buffer.data() + done, static_cast<int>(want), &got,
                                           timeout_ms_);
        if (got > 0) done += static_cast<std::size_t>(got);
        if (r != 0 || got <= 0) return done == 0 && r != 0 ? -1 : static_cast<long>(done);
    }
    return static_cast<long>(done);
}

void LibusbTransport::close() {
    if (!handle_) return;
    if (claimed_) libusb_release_interface(handle_, 0);
    claimed_ = false;
    libusb_close(handle_);
    handle_ = nullptr;
}

}  // namespace vox
