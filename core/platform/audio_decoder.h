#pragma once
// The seam to a library that decodes audio files the program's own readers
// do not know (compressed, 64-bit or container formats): open a file, say
// what it holds, and hand out its frames as 16-bit samples, interleaved.
// The readers of the program's formats come first; a decoder is asked only
// about files none of them took. Implementations live outside the core and
// are handed to the documents at start-up; tests may give a scripted one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vox {

// One open file.
class DecodedAudio {
public:
    virtual ~DecodedAudio() = default;
    virtual double rate() const = 0;              // Hz
    virtual int channels() const = 0;             // at least 1
    virtual std::uint64_t frames() const = 0;     // as the file's header gives it
    virtual std::string format_name() const = 0;  // what the library calls the format, e.g. "FLAC"
    // Up to `count` frames from the current position into `out`
    // (count × channels() values, channel by channel within a frame), full
    // scale ±32767; returns the frames read, 0 at the end or on a damaged
    // stretch (then `failed()` is true).
    virtual std::size_t read(std::int16_t* out, std::size_t count) = 0;
    virtual bool failed() const = 0;
};

class AudioDecoder {
public:
    virtual ~AudioDecoder() = default;
    // The file opened for decoding, or null when the library does not know it.
    virtual std::unique_ptr<DecodedAudio> open(const std::string& path) = 0;
};

}  // namespace vox
