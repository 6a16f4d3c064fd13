// Zoom, scroll and editing commands of the waveform view.
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

std::optional<bool> CMarbeckView::edit_command_enabled(CommandId) const { return std::nullopt; }

bool CMarbeckView::edit_handle_command(CommandId) { return false; }

}  // namespace vox
