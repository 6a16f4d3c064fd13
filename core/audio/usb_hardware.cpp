#include "core/audio/usb_hardware.h"

#include "core/audio/usb_texts.h"

namespace vox {

void CUSBHardware::fail(const char* text) {
    prompts_.beep();
    prompts_.message(text, MessageIcon::Error);
    throw UsbFailure(text);
}

void CUSBHardware::open_device(const std::string& name) {
    if (!transport_.open(name)) fail(usb_text::kOpenFailed);
    open_ = true;
}

void CUSBHardware::vendor_request(std::uint8_t request, std::span<const std::uint8_t> data) {
    if (data.size() > 0xFFFF) fail(usb_text::kRequestFailed);
    VendorRequestBlock block;
    block.request = request;
    block.index = static_cast<std::uint16_t>(data.size());
    const long sent = transport_.vendor_request(block, data);
    if (sent < 0 || static_cast<std::size_t>(sent) < data.size()) fail(usb_text::kRequestFailed);
}

void CUSBHardware::bulk_read(std::span<std::uint8_t> buffer) {
    const long got = transport_.bulk_read(kUsbBulkPipe, buffer);
    if (got < 0 || static_cast<std::size_t>(got) != buffer.size()) fail(usb_text::kReadFailed);
}

void CUSBHardware::close_device() {
    if (!open_) return;
    open_ = false;
    transport_.close();
}

std::vector<std::int16_t> CUSBHardware::acquire(std::span<const std::uint8_t> configuration,
                                                std::size_t chunk_bytes, int chunk_count) {
    const std::size_t count = chunk_count > 0 ? static_cast<std::size_t>(chunk_count) : 0;
    std::vector<std::uint8_t> bytes(chunk_bytes * count);
    open_device(usb_text::kDeviceName);
    bool stopping = false;
    try {
        vendor_request(usb_request::kConfigure, configuration);
        vendor_request(usb_request::kStart, {});
        for (std::size_t c = 0; c < count; ++c)
            bulk_read(std::span<std::uint8_t>(bytes).subspan(c * chunk_bytes, chunk_bytes));
        stopping = true;
        vendor_request(usb_request::kStop, {});
    } catch (const UsbFailure&) {
        // The unit is told to stop even after a failed step; the outcome of
        // this stop is not reported again (the first message is the one that
        // counts). When the stop itself failed it is not repeated.
        if (!stopping) {
            VendorRequestBlock stop;
            stop.request = usb_request::kStop;
            transport_.vendor_request(stop, {});
        }
        close_device();
        throw;
    }
    close_device();
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    return samples;
}

std::vector<std::vector<std::int16_t>> usb_demultiplex(std::span<const std::int16_t> stream,
                                                       const UsbSlotTable& table, int inputs) {
    std::vector<std::vector<std::int16_t>> out(inputs > 0 ? static_cast<std::size_t>(inputs) : 0);
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k].reserve(stream.size() * static_cast<std::size_t>(usb_slots_of(table, static_cast<int>(k))) / 16 + 1);
    for (std::size_t n = 0; n < stream.size(); ++n) {
        const std::size_t input = table[n % 16];
        if (input < out.size()) out[input].push_back(stream[n]);
    }
    return out;
}

}  // namespace vox
