#pragma once
// The messages of the external acquisition unit and its scope, kept in one
// place so that the code and the tests use the same texts.

namespace vox::usb_text {

inline constexpr const char* kDeviceName = "Lmx-0";
inline constexpr const char* kOpenFailed = "Error in opening the requested USB device.\nPlease unplug the device, wait a few seconds and replug the device.";
inline constexpr const char* kRequestFailed = "Request send command failed.";
inline constexpr const char* kReadFailed = "Error in reading the incoming data.";
inline constexpr const char* kUnknownMultiplex = "Unknown multiplex type.";
inline constexpr const char* kWrongInput = "Wrong input source.\nPlease refer to the Record/Play window to select a proper\ninput source.";

}  // namespace vox::usb_text
