#pragma once
// Read access to the samples of one channel wherever the document holds
// them: the channel's block in memory, the raw 16-bit little-endian file
// that holds the audio channel of a long recording, or the 16-bit
// little-endian samples of one channel inside a recording's own file (read
// in place: a byte offset and the distance in bytes from one sample of the
// channel to the next). Positions are 64-bit
// sample indices. Besides plain reads it answers the smallest and largest
// sample of a stretch, and a summary of a stretch in buckets for drawing; an
// optional table of per-block extremes lets a whole hour be summarised
// without touching every sample (it gives exactly the extremes of a scan).
//
// Reading a file keeps an open handle and a buffer in the object: one object
// serves one thread at a time; copies and clone() open their own.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/dsp/sample_source.h"

namespace vox {

class BinaryFile;
class Progress;

// How a copy of samples into a file ended.
enum class CopyOutcome { Done, Failed, Cancelled };

// The extremes of one bucket of samples.
struct SampleExtent {
    std::int16_t lo = 0;
    std::int16_t hi = 0;
};

class ChannelSamples final : public SampleReader {
public:
    ChannelSamples();  // no samples
    ~ChannelSamples() override;
    ChannelSamples(const ChannelSamples& other);
    ChannelSamples& operator=(const ChannelSamples& other);
    ChannelSamples(ChannelSamples&&) noexcept;
    ChannelSamples& operator=(ChannelSamples&&) noexcept;

    // data[0 .. count−1] must stay valid while this object is used.
    static ChannelSamples memory(const std::int16_t* data, std::uint64_t count);
    // A raw 16-bit little-endian file of `count` samples; at most the
    // samples the file holds are read. The file is opened on first use.
    static ChannelSamples raw_file(std::string path, std::uint64_t count);
    // `count` 16-bit little-endian samples inside a file: sample i at byte
    // offset + i·stride (stride ≥ 2 bytes; more for an interleaved channel).
    // At most the whole samples the file holds at open are read; a stride
    // below 2 holds nothing.
    static ChannelSamples in_file(std::string path, std::uint64_t offset, std::uint32_t stride, std::uint64_t count);

    bool in_memory() const { return mem_ != nullptr; }
    // Samples are held somewhere (memory or a named file).
    bool held() const { return mem_ != nullptr || !path_.empty(); }
    bool empty() const { return count() == 0; }
    // The same samples in the same place as `other` (same block, count, file
    // and place in it): a view can keep what it derived from them.
    bool same_samples(const ChannelSamples& other) const;

    // --- SampleReader ------------------------------------------------------
    std::uint64_t count() const override;
    const std::int16_t* data() const override { return mem_; }
    bool readable() const override;
    bool read(std::uint64_t start, std::size_t n, std::int16_t* dst) const override;
    std::unique_ptr<SampleReader> clone() const override;

    // Smallest and largest sample of [start, start + n), n ≥ 1; false when
    // the stretch leaves the samples or cannot be read.
    bool min_max(std::uint64_t start, std::uint64_t n, std::int16_t& lo, std::int16_t& hi) const;
    // The extremes of `buckets` stretches of [first, first + span): bucket b
    // starts at sample first + trunc(b · span / buckets) and covers
    // max(1, trunc(span / buckets)) samples, cut at the last sample; buckets
    // that start past the last sample are left out. Empty when nothing can
    // be summarised or a read fails.
    std::vector<SampleExtent> summary(double first, double span, int buckets) const;

    // Writes samples [start, start + count) to `out` as 16-bit little-endian
    // values, one second at `rate_hz` per write. With a progress window each
    // second is one step under `caption`, and a cancel ends the copy. Failed
    // when the stretch leaves the samples or a read or write fails.
    CopyOutcome write_le16(BinaryFile& out, std::uint64_t start, std::uint64_t count, double rate_hz,
                           Progress* progress, const char* caption) const;

    // Precomputes the extremes of every kSummaryBlock samples (one pass over
    // the samples). False when they could not be read; the object then works
    // without the table.
    bool build_summary();
    bool has_summary() const { return !sum_lo_.empty(); }
    static constexpr std::uint64_t kSummaryBlock = 256;

private:
    bool open() const;
    bool scan(std::uint64_t start, std::uint64_t n, std::int16_t& lo, std::int16_t& hi) const;

    const std::int16_t* mem_ = nullptr;
    std::uint64_t announced_ = 0;  // samples the channel says it has
    std::string path_;
    std::uint64_t offset_ = 0;  // byte of sample 0 in the file
    std::uint32_t stride_ = 2;  // bytes from one sample to the next
    // The open file and what it holds (opened on first use).
    mutable std::unique_ptr<BinaryFile> file_;
    mutable bool opened_ = false;
    mutable std::uint64_t file_samples_ = 0;
    mutable std::vector<unsigned char> bytes_;
    std::vector<std::int16_t> sum_lo_, sum_hi_;
};

}  // namespace vox
