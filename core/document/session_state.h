#pragma once
// What the documents of one run of the program share, handed to each
// document with its services by whoever runs the program: the audio clip
// that Copy and Cut fill and Paste reads, the record settings (the rate a new
// recording takes), the application values that remember where the label
// table and the analysis windows were last left, the sound devices, the open
// measurement log and the rate of the recording opened last. A document made
// without one (an embedding, the tests) falls back to state of its own.

#include <memory>

namespace vox {

struct AppConfigValues;
struct EditClip;
class LogTarget;
struct RecordSettings;
class WaveDevices;

struct SessionState {
    std::shared_ptr<EditClip> clip;
    RecordSettings* record = nullptr;
    AppConfigValues* app_values = nullptr;
    // What the views play and record through; none: they have no devices.
    WaveDevices* devices = nullptr;
    // The measurement log the analysis windows enter values into; none: no
    // log window can be open.
    LogTarget* log = nullptr;
    // The rate (Hz) of the recording opened last: the play cursor of every
    // window steps by it.
    double current_rate_hz = 11025.0;
};

}  // namespace vox
