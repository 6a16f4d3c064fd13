#pragma once
// Where an analysis reads the samples of a channel: a block in memory, or
// any SampleReader (the document's access to a channel, which may stream
// the raw file of a long recording). Reads are clipped to the channel's
// length, so no sample outside the channel is ever read.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/dsp/math_func.h"

namespace vox {

// Thrown when the samples cannot be read (a raw sample file that cannot be
// opened or read); the analysis is abandoned like a cancel.
class SampleReadError : public AnalysisAbandoned {
public:
    using AnalysisAbandoned::AnalysisAbandoned;
};

// Read access to 16-bit samples, implemented by whatever holds them. One
// object is used by one thread at a time; clone() gives another thread its
// own.
class SampleReader {
public:
    virtual ~SampleReader() = default;
    // Samples that can be read (a file shorter than announced counts only
    // what it holds).
    virtual std::uint64_t count() const = 0;
    // All samples when they are in memory, else nullptr.
    virtual const std::int16_t* data() const = 0;
    // False when there are no samples to read (nothing held, or a file that
    // cannot be opened).
    virtual bool readable() const = 0;
    // Copies samples [start, start + n) into dst; false when the stretch
    // leaves the samples or cannot be read.
    virtual bool read(std::uint64_t start, std::size_t n, std::int16_t* dst) const = 0;
    virtual std::unique_ptr<SampleReader> clone() const = 0;
};

class SampleSource {
public:
    SampleSource() = default;
    // Samples in memory; `data` must outlive the source.
    static SampleSource memory(const std::int16_t* data, std::uint64_t count);
    // Samples behind a reader; the first read throws SampleReadError when
    // the reader has nothing readable.
    static SampleSource over(std::unique_ptr<SampleReader> reader);

    SampleSource(SampleSource&&) noexcept;
    SampleSource& operator=(SampleSource&&) noexcept;
    ~SampleSource();

    // A source over the same samples with its own reader and buffer, for
    // another thread.
    SampleSource clone() const;

    std::uint64_t count() const { return reader_ ? reader_->count() : count_; }
    bool in_memory() const { return mem_ != nullptr; }

    // Samples [start, start + n) clipped to the channel: returns a pointer to
    // them and sets `avail` to how many there are (0 past the end). The
    // pointer stays valid until the next call. Throws SampleReadError.
    const std::int16_t* span(std::uint64_t start, std::size_t n, std::size_t& avail);
    // Copies samples [start, start + n) clipped to the channel into dst;
    // returns how many were copied.
    std::size_t copy(std::uint64_t start, std::size_t n, std::int16_t* dst);

private:
    void fill(std::uint64_t start, std::size_t n);

    const std::int16_t* mem_ = nullptr;
    std::uint64_t count_ = 0;
    std::unique_ptr<SampleReader> reader_;
    bool checked_ = false;
    std::vector<std::int16_t> buf_;
    std::uint64_t buf_start_ = 0;
    std::size_t buf_len_ = 0;
};

}  // namespace vox
