#pragma once
// Choosing the transport to the external unit: "libusb" (the real unit,
// optionally "libusb:VVVV:PPPP" for its vendor and product id) or
// "simulated" (optionally "simulated:STEP" with a step the simulated unit is
// to fail, see SimulatedUsbUnit::set_failure). The choice comes from the
// --usb=... option, else the VOXTREL_USB variable, else "libusb".

#include <memory>
#include <string>

#include "core/platform/usb_transport.h"

namespace vox {

// The choice text from a --usb option value (may be empty) and the
// environment.
std::string usb_backend_choice(const std::string& option_value);

// Builds the transport; nullptr with `error` set for an unknown choice.
std::unique_ptr<UsbTransport> make_usb_transport(const std::string& choice, std::string* error = nullptr);

}  // namespace vox
