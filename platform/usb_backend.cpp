#include "platform/usb_backend.h"

#include <cstdlib>

#include "platform/libusb_transport.h"
#include "platform/simulated_unit.h"

namespace vox {

std::string usb_backend_choice(const std::string& option_value) {
    if (!option_value.empty()) return option_value;
    if (const char* env = std::getenv("VOXTREL_USB"); env && *env) return env;
    return "libusb";
}

std::unique_ptr<UsbTransport> make_usb_transport(const std::string& choice, std::string* error) {
    auto fail = [&](const std::string& why) -> std::unique_ptr<UsbTransport> {
        if (error) *error = why;
        return nullptr;
    };
    const auto colon = choice.find(':');
    const std::string kind = choice.substr(0, colon);
    const std::string rest = colon == std::string::npos ? std::string() : choice.substr(colon + 1);
    if (kind == "simulated") {
        auto unit = std::make_unique<SimulatedUsbUnit>();
        if (!rest.empty() && !unit->set_failure(rest)) return fail("unknown simulated failure \"" + rest + "\"");
        return unit;
    }
    if (kind == "libusb") {
        UsbDeviceId id;
        if (!rest.empty()) {
            const auto parsed = parse_usb_device_id(rest);
            if (!parsed) return fail("the unit's id must be given as VVVV:PPPP in hexadecimal, not \"" + rest + "\"");
            id = *parsed;
        } else if (const char* env = std::getenv("VOXTREL_USB_ID"); env && *env) {
            const auto parsed = parse_usb_device_id(env);
            if (!parsed) return fail(std::string("VOXTREL_USB_ID must be VVVV:PPPP in hexadecimal, not \"") + env + "\"");
            id = *parsed;
        }
        return std::make_unique<LibusbTransport>(id);
    }
    return fail("unknown USB backend \"" + choice + "\" (libusb or simulated)");
}

}  // namespace vox
