// Commands of the waveform view that open the spectrogram and FFT/LPC views.
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

std::optional<bool> CMarbeckView::analysis_command_enabled(CommandId) const { return std::nullopt; }

bool CMarbeckView::analysis_handle_command(CommandId) { return false; }

}  // namespace vox
