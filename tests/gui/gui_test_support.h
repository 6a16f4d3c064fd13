#pragma once
// The application assembled over scripted seams: prompts answered from
// queues, settings in memory, a temporary folder in a scratch directory.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/temp_folder.h"
#include "core/platform/progress.h"
#include "core/platform/scripted_prompts.h"
#include "core/platform/settings_store.h"
#include "gui/app/main_frame.h"
#include "gui/app/voxtrel_app.h"
#include "gui/audio/sound_devices.h"
#include "platform/sndfile_decoder.h"
#include "tests/support/test_support.h"

namespace vox::test {

class ScriptedChooser : public FolderChooser {
public:
    std::optional<std::string> choose_folder(std::string_view title, const std::string& initial) override {
        titles.emplace_back(title);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> titles;
};

struct AppFixture {
    AppFixture();
    ~AppFixture();
    ScratchDir dir;
    InMemorySettings settings;
    ScriptedPrompts prompts;
    ScriptedChooser chooser;
    NullProgress progress;
    SndfileDecoder decoder;  // as the program hands it to its documents
    SoundDevices devices;    // the sound card unless a test installs its own
    std::unique_ptr<CVoxtrelApp> app;
    std::unique_ptr<CMainFrame> frame;
};

// A 16-bit PCM WAV file of `channels` interleaved channels, `frames` frames
// of a ramp (channel c sample i = (i * 10 + c * 1000) mod 30000).
void write_wav(const std::string& path, int channels, int frames, int rate = 11025);

// Runs the event loop until `pred` holds or `ms` milliseconds have passed;
// the last answer of `pred`.
bool wait_until(const std::function<bool()>& pred, int ms = 8000);

}  // namespace vox::test
