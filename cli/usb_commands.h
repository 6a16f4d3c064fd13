#pragma once
// The external unit's commands of voxtrel-cli: usb-config prints the
// configuration block the settings give, scope runs acquisitions and prints
// what each input delivered.

#include <string>

namespace vox::cli {

extern const char* const kUsbUsage;

bool is_usb_command(const std::string& command);
// args: everything after the command word. Returns the exit code (2 for a
// usage error, 1 for a refused setting or a failed acquisition).
int run_usb_command(const std::string& command, int argc, char** argv);

}  // namespace vox::cli
