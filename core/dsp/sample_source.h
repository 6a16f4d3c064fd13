#pragma once
// Where an analysis reads the samples of a channel: the channel's sample
// block in memory, or the raw 16-bit little-endian file that holds the audio
// channel of a long recording. Reads are clipped to the channel's length, so
// no sample outside the channel is ever read.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/dsp/math_func.h"

namespace vox {

class CMarbeckDoc;
class BinaryFile;

// Thrown when the raw sample file cannot be opened or read; the analysis is
// abandoned like a cancel.
class SampleReadError : public AnalysisAbandoned {
public:
    using AnalysisAbandoned::AnalysisAbandoned;
};

class SampleSource {
public:
    // Samples in memory; `data` must outlive the source.
    static SampleSource memory(const std::int16_t* data, std::uint64_t count);
    // Samples in a raw 16-bit little-endian file of `count` samples. The file
    // is opened on the first read.
    static SampleSource raw_file(std::string path, std::uint64_t count);
    // Channel `channel` of a document: its block when loaded, else (channel 0
    // only) the document's raw file. Throws SampleReadError when the channel
    // has neither.
    static SampleSource for_channel(const CMarbeckDoc& doc, int channel);

    SampleSource(SampleSource&&) noexcept;
    SampleSource& operator=(SampleSource&&) noexcept;
    ~SampleSource();

    // A source over the same samples with its own file handle and buffer, for
    // another thread.
    SampleSource clone() const;

    std::uint64_t count() const { return count_; }
    bool in_memory() const { return mem_ != nullptr; }

    // Samples [start, start + n) clipped to the channel: returns a pointer to
    // them and sets `avail` to how many there are (0 past the end). The
    // pointer stays valid until the next call. Throws SampleReadError.
    const std::int16_t* span(std::uint64_t start, std::size_t n, std::size_t& avail);
    // Copies samples [start, start + n) clipped to the channel into dst;
    // returns how many were copied.
    std::size_t copy(std::uint64_t start, std::size_t n, std::int16_t* dst);

private:
    SampleSource() = default;
    void fill(std::uint64_t start, std::size_t n);

    const std::int16_t* mem_ = nullptr;
    std::uint64_t count_ = 0;
    std::string path_;
    std::unique_ptr<BinaryFile> file_;
    std::vector<std::int16_t> buf_;
    std::vector<unsigned char> bytes_;
    std::uint64_t buf_start_ = 0;
    std::size_t buf_len_ = 0;
};

}  // namespace vox
