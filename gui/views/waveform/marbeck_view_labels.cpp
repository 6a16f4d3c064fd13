// Label tiers commands of the waveform view.
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

std::optional<bool> CMarbeckView::label_command_enabled(CommandId) const { return std::nullopt; }

bool CMarbeckView::label_handle_command(CommandId) { return false; }

}  // namespace vox
