// Record and play commands of the waveform view.
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

std::optional<bool> CMarbeckView::sound_command_enabled(CommandId) const { return std::nullopt; }

bool CMarbeckView::sound_handle_command(CommandId) { return false; }

}  // namespace vox
