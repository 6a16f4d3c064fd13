// Measurement-log entry commands of the waveform view.
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

std::optional<bool> CMarbeckView::log_command_enabled(CommandId) const { return std::nullopt; }

bool CMarbeckView::log_handle_command(CommandId) { return false; }

}  // namespace vox
