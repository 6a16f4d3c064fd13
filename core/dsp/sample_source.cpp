// Sample sources: a pointer into memory, or a sliding buffer over a reader.

#include "core/dsp/sample_source.h"

#include <algorithm>
#include <cstring>

namespace vox {

namespace {
// Samples read at once (512 KiB); a request longer than this reads what it
// needs.
constexpr std::size_t kChunk = 1u << 18;
constexpr const char* kReadFailed = "The raw sample file could not be read.";
}  // namespace

SampleSource SampleSource::memory(const std::int16_t* data, std::uint64_t count) {
    SampleSource s;
    s.mem_ = data;
    s.count_ = data ? count : 0;
    return s;
}

SampleSource SampleSource::over(std::unique_ptr<SampleReader> reader) {
    SampleSource s;
    if (!reader) throw SampleReadError(kReadFailed);
    // Samples in memory are read in place, without the buffer.
    if (reader->data()) return memory(reader->data(), reader->count());
    s.reader_ = std::move(reader);
    return s;
}

SampleSource::SampleSource(SampleSource&&) noexcept = default;
SampleSource& SampleSource::operator=(SampleSource&&) noexcept = default;
SampleSource::~SampleSource() = default;

SampleSource SampleSource::clone() const {
    if (reader_) return over(reader_->clone());
    return memory(mem_, count_);
}

void SampleSource::fill(std::uint64_t start, std::size_t n) {
    const std::uint64_t total = reader_->count();
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(n, kChunk), total - start));
    if (buf_.size() < want) buf_.resize(want);
    if (!reader_->read(start, want, buf_.data())) throw SampleReadError(kReadFailed);
    buf_start_ = start;
    buf_len_ = want;
}

const std::int16_t* SampleSource::span(std::uint64_t start, std::size_t n, std::size_t& avail) {
    if (reader_ && !checked_) {
        if (!reader_->readable()) throw SampleReadError(kReadFailed);
        checked_ = true;
    }
    const std::uint64_t total = count();
    if (start >= total) {
        avail = 0;
        return mem_ ? mem_ : buf_.data();
    }
    avail = static_cast<std::size_t>(std::min<std::uint64_t>(n, total - start));
    if (mem_) return mem_ + start;
    if (start < buf_start_ || start + avail > buf_start_ + buf_len_ || buf_len_ == 0) fill(start, avail);
    return buf_.data() + (start - buf_start_);
}

std::size_t SampleSource::copy(std::uint64_t start, std::size_t n, std::int16_t* dst) {
    std::size_t done = 0;
    while (done < n) {
        std::size_t avail = 0;
        const std::size_t want = std::min(n - done, kChunk);
        const std::int16_t* p = span(start + done, want, avail);
        if (avail == 0) break;
        std::memcpy(dst + done, p, avail * sizeof(std::int16_t));
        done += avail;
    }
    return done;
}

}  // namespace vox
