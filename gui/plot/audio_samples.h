#pragma once
// Read-only access to the 16-bit samples a band painter draws: either a block
// in memory or the raw 16-bit little-endian file that holds a long recording.
// An optional summary of per-block extremes lets a whole hour be drawn
// without touching every sample; it gives exactly the same extremes as a scan.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace vox {

class AudioSamples {
public:
    AudioSamples() = default;
    // data[0 .. count−1] must stay valid while this object is used.
    static AudioSamples from_memory(const std::int16_t* data, std::size_t count);
    // At most `count` samples of the file are used (fewer when it is shorter).
    static AudioSamples from_raw_file(const std::string& path, std::size_t count);

    bool in_memory() const { return data_ != nullptr; }
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    const std::int16_t* data() const { return data_; }

    // Copies [start, start + n) into dst; false when the range leaves the
    // source or the file cannot be read.
    bool read(std::size_t start, std::size_t n, std::int16_t* dst) const;

    // Smallest and largest sample of [start, start + n), n ≥ 1; false as read().
    bool min_max(std::size_t start, std::size_t n, std::int16_t& lo, std::int16_t& hi) const;

    // Precomputes the extremes of every kSummaryBlock samples (one pass over
    // the source). False when the source could not be read; the object then
    // works without a summary.
    bool build_summary();
    bool has_summary() const { return !sum_lo_.empty(); }

    static constexpr std::size_t kSummaryBlock = 256;

private:
    bool scan(std::size_t start, std::size_t n, std::int16_t& lo, std::int16_t& hi) const;

    const std::int16_t* data_ = nullptr;
    std::string path_;
    std::size_t size_ = 0;
    // The open raw file, shared by copies of this object (reads are sequential
    // on the user-interface thread).
    std::shared_ptr<std::ifstream> file_;
    std::vector<std::int16_t> sum_lo_, sum_hi_;
};

}  // namespace vox
