#pragma once
// voxtrel-cli record and play: the sound engines run headless through the
// devices chosen with --audio=... (or VOXTREL_AUDIO).

#include <string>

namespace vox::cli {

extern const char* const kSoundUsage;

bool is_sound_command(const std::string& command);
// Runs `voxtrel-cli record ...` or `voxtrel-cli play ...` from argv[1] on;
// returns the process exit code (2 for a usage error).
int run_sound_command(int argc, char** argv);

}  // namespace vox::cli
