#pragma once
// The choice lists of the record and play options and the defaults picked
// from them: sample rates by source and unit model, the anti-alias filter
// cut-offs offered at each channel rate, the gains. The form shows them; the
// rules of what follows from a change live here so they can be tested
// without a window.

#include <string>
#include <vector>

#include "core/audio/record_settings.h"

namespace vox {

// Rates of the parameter grid's first cell: the sound card's 44100, 22050,
// 11025 Hz, or the unit's audio rates 22000, 11000 Hz.
std::vector<int> record_rate_choices(const std::string& source);
// Rates an input of the unit can be given at the unit's rate: the audio input
// runs at the unit's rate; the others reach the unit's rate on the 5-input
// model and half of it on the 9-input model, down to 1375 Hz.
std::vector<int> unit_channel_rate_choices(int model, int unit_rate_hz, int input);
// Filter cut-offs offered for a channel sampled at `rate_hz`, highest first.
const std::vector<int>& filter_choices(int rate_hz);
// The cut-off a channel gets when its rate changes: the highest offered one
// below half the rate.
int default_filter_cutoff(int rate_hz);
const std::vector<int>& audio_gain_choices();
// 0 .. 16
std::vector<int> channel_gain_choices();

// Items joined with tab characters, as a grid's choice cell takes them.
std::string tab_list(const std::vector<int>& items);

// After the unit's rate, model or source changed: the audio input takes the
// unit's rate, every input's rate is kept when still offered (else the
// highest offered), and each input whose rate changed takes the default
// cut-off of its new rate; so does one whose cut-off is not offered there.
void conform_unit_channels(RecordSettings& s);
// After one input's record changed in the channel grid: the same rule for
// that input alone; the audio input stays on.
void conform_unit_channel(RecordSettings& s, int input);

}  // namespace vox
