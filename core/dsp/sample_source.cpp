// Sample sources: a pointer into memory, or a sliding buffer over a raw file.

#include "core/dsp/sample_source.h"

#include <algorithm>
#include <cstring>

#include "core/document/binary_file.h"
#include "core/document/marbeck_doc.h"

namespace vox {

namespace {
// Samples read from a raw file at once (512 KiB); a request longer than this
// reads what it needs.
constexpr std::size_t kRawChunk = 1u << 18;
constexpr const char* kRawReadFailed = "The raw sample file could not be read.";
}  // namespace

SampleSource SampleSource::memory(const std::int16_t* data, std::uint64_t count) {
    SampleSource s;
    s.mem_ = data;
    s.count_ = data ? count : 0;
    return s;
}

SampleSource SampleSource::raw_file(std::string path, std::uint64_t count) {
    SampleSource s;
    s.path_ = std::move(path);
    s.count_ = count;
    return s;
}

SampleSource SampleSource::for_channel(const CMarbeckDoc& doc, int channel) {
    if (channel < 0 || channel >= kMaxChannels) throw SampleReadError(kRawReadFailed);
    const CChannels& ch = doc.channels[channel];
    if (ch.samples.valid()) return memory(ch.samples.data(), std::min<std::uint64_t>(ch.count(), ch.samples.size()));
    if (channel == 0 && !doc.raw_path.empty()) return raw_file(doc.raw_path, ch.count());
    throw SampleReadError(kRawReadFailed);
}

SampleSource::SampleSource(SampleSource&&) noexcept = default;
SampleSource& SampleSource::operator=(SampleSource&&) noexcept = default;
SampleSource::~SampleSource() = default;

SampleSource SampleSource::clone() const {
    if (mem_) return memory(mem_, count_);
    return raw_file(path_, count_);
}

void SampleSource::fill(std::uint64_t start, std::size_t n) {
    if (!file_) {
        file_ = std::make_unique<BinaryFile>();
        if (!file_->open(path_, BinaryFile::Mode::Read)) {
            file_.reset();
            throw SampleReadError(kRawReadFailed);
        }
        // A file shorter than the channel claims is read only as far as it goes.
        count_ = std::min<std::uint64_t>(count_, file_->length() / 2);
    }
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(n, kRawChunk), count_ - start));
    if (buf_.size() < want) buf_.resize(want);
    bytes_.resize(want * 2);
    if (!file_->seek(start * 2) || !file_->read_exact(bytes_.data(), want * 2)) throw SampleReadError(kRawReadFailed);
    for (std::size_t i = 0; i < want; ++i) buf_[i] = get_i16le(&bytes_[2 * i]);
    buf_start_ = start;
    buf_len_ = want;
}

const std::int16_t* SampleSource::span(std::uint64_t start, std::size_t n, std::size_t& avail) {
    if (!mem_ && !file_ && !path_.empty()) fill(std::min(start, count_), 0);
    if (start >= count_) {
        avail = 0;
        return mem_ ? mem_ : buf_.data();
    }
    avail = static_cast<std::size_t>(std::min<std::uint64_t>(n, count_ - start));
    if (mem_) return mem_ + start;
    if (start < buf_start_ || start + avail > buf_start_ + buf_len_) fill(start, avail);
    return buf_.data() + (start - buf_start_);
}

std::size_t SampleSource::copy(std::uint64_t start, std::size_t n, std::int16_t* dst) {
    std::size_t done = 0;
    while (done < n) {
        std::size_t avail = 0;
        const std::size_t want = std::min(n - done, kRawChunk);
        const std::int16_t* p = span(start + done, want, avail);
        if (avail == 0) break;
        std::memcpy(dst + done, p, avail * sizeof(std::int16_t));
        done += avail;
    }
    return done;
}

}  // namespace vox
