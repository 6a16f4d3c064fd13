#pragma once
// What the documents of one run of the program share, handed to each
// document with its services by whoever runs the program: the audio clip
// that Copy and Cut fill and Paste reads, the record settings (the rate a new
// recording takes), and the application values that remember where the label
// table and the analysis windows were last left. A document made without one
// (an embedding, the tests) falls back to state of its own process.

#include <memory>

namespace vox {

struct AppConfigValues;
struct EditClip;
struct RecordSettings;

struct SessionState {
    std::shared_ptr<EditClip> clip;
    RecordSettings* record = nullptr;
    AppConfigValues* app_values = nullptr;
};

}  // namespace vox
