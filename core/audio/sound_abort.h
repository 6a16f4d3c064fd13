#pragma once
// Thrown out of an engine's preparation after its message (the recording
// file cannot be created, the sample file to play cannot be opened, the rate
// is refused); the command that prepared the engine catches it and ends.

#include <stdexcept>

namespace vox {

class SoundAbort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vox
