#include "core/document/sample_access.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "core/io/binary_file.h"
#include "core/platform/progress.h"

namespace vox {

namespace {
constexpr std::size_t kReadChunk = 1u << 18;  // samples per file read (512 KiB)
constexpr std::size_t kFrameReadBytes = 1u << 20;  // bytes per read of interleaved frames
}

ChannelSamples::ChannelSamples() = default;
ChannelSamples::~ChannelSamples() = default;
ChannelSamples::ChannelSamples(ChannelSamples&&) noexcept = default;
ChannelSamples& ChannelSamples::operator=(ChannelSamples&&) noexcept = default;

ChannelSamples::ChannelSamples(const ChannelSamples& other)
    : mem_(other.mem_),
      announced_(other.announced_),
      path_(other.path_),
      offset_(other.offset_),
      stride_(other.stride_),
      sum_lo_(other.sum_lo_),
      sum_hi_(other.sum_hi_) {}

ChannelSamples& ChannelSamples::operator=(const ChannelSamples& other) {
    if (this != &other) *this = ChannelSamples(other);
    return *this;
}

ChannelSamples ChannelSamples::memory(const std::int16_t* data, std::uint64_t count) {
    ChannelSamples s;
    s.mem_ = data;
    s.announced_ = data ? count : 0;
    return s;
}

ChannelSamples ChannelSamples::raw_file(std::string path, std::uint64_t count) {
    return in_file(std::move(path), 0, 2, count);
}

ChannelSamples ChannelSamples::in_file(std::string path, std::uint64_t offset, std::uint32_t stride,
                                       std::uint64_t count) {
    ChannelSamples s;
    s.path_ = std::move(path);
    s.offset_ = offset;
    s.stride_ = stride;
    s.announced_ = s.path_.empty() || stride < 2 ? 0 : count;
    return s;
}

bool ChannelSamples::same_samples(const ChannelSamples& other) const {
    return mem_ == other.mem_ && announced_ == other.announced_ && path_ == other.path_ &&
           offset_ == other.offset_ && stride_ == other.stride_;
}

bool ChannelSamples::open() const {
    if (opened_) return file_ != nullptr;
    opened_ = true;
    if (mem_ || path_.empty()) return false;
    auto f = std::make_unique<BinaryFile>();
    if (!f->open(path_, BinaryFile::Mode::Read)) return false;
    // Whole samples from offset_ on: sample i needs bytes offset_ + i·stride_
    // and the one after it.
    const std::uint64_t length = f->length();
    std::uint64_t whole = 0;
    if (stride_ >= 2 && length >= offset_ && length - offset_ >= 2) whole = (length - offset_ - 2) / stride_ + 1;
    file_samples_ = std::min<std::uint64_t>(announced_, whole);
    file_ = std::move(f);
    return true;
}

std::uint64_t ChannelSamples::count() const {
    if (mem_ || path_.empty()) return announced_;
    return open() ? file_samples_ : 0;
}

bool ChannelSamples::readable() const { return mem_ != nullptr || open(); }

bool ChannelSamples::read(std::uint64_t start, std::size_t n, std::int16_t* dst) const {
    const std::uint64_t total = count();
    if (start > total || n > total - start) return false;
    if (n == 0) return true;
    if (mem_) {
        std::copy(mem_ + start, mem_ + start + n, dst);
        return true;
    }
    if (!file_) return false;
    // A file cut short after it was opened fails the read (the caller gets
    // no samples, never stale or foreign bytes).
    if (stride_ == 2) {
        if (!file_->seek(offset_ + start * 2)) return false;
        // Little-endian samples on a little-endian machine: straight into
        // dst, with no conversion pass.
        if constexpr (std::endian::native == std::endian::little) return file_->read_exact(dst, n * 2);
        bytes_.resize(std::min(n, kReadChunk) * 2);
        for (std::size_t done = 0; done < n;) {
            const std::size_t k = std::min(kReadChunk, n - done);
            if (!file_->read_exact(bytes_.data(), k * 2)) return false;
            for (std::size_t i = 0; i < k; ++i) dst[done + i] = get_i16le(&bytes_[2 * i]);
            done += k;
        }
        return true;
    }
    // One channel of interleaved frames: whole frames a piece at a time, the
    // channel's two bytes taken from each (a piece ends with the channel's
    // last sample, so the read never asks for bytes past it).
    const std::size_t per_piece = std::max<std::size_t>(1, kFrameReadBytes / stride_);
    bytes_.resize((std::min(n, per_piece) - 1) * stride_ + 2);
    for (std::size_t done = 0; done < n;) {
        const std::size_t k = std::min(per_piece, n - done);
        if (!file_->seek(offset_ + (start + done) * stride_)) return false;
        if (!file_->read_exact(bytes_.data(), (k - 1) * stride_ + 2)) return false;
        for (std::size_t i = 0; i < k; ++i) dst[done + i] = get_i16le(&bytes_[i * stride_]);
        done += k;
    }
    return true;
}

std::unique_ptr<SampleReader> ChannelSamples::clone() const {
    auto c = std::make_unique<ChannelSamples>();
    c->mem_ = mem_;
    c->announced_ = announced_;
    c->path_ = path_;
    c->offset_ = offset_;
    c->stride_ = stride_;
    return c;
}

bool ChannelSamples::scan(std::uint64_t start, std::uint64_t n, std::int16_t& lo, std::int16_t& hi) const {
    if (mem_) {
        const auto [a, b] = std::minmax_element(mem_ + start, mem_ + start + n);
        lo = *a;
        hi = *b;
        return true;
    }
    std::vector<std::int16_t> tmp(static_cast<std::size_t>(std::min<std::uint64_t>(n, kReadChunk)));
    lo = INT16_MAX;
    hi = INT16_MIN;
    for (std::uint64_t done = 0; done < n;) {
        const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(tmp.size(), n - done));
        if (!read(start + done, k, tmp.data())) return false;
        const auto [a, b] = std::minmax_element(tmp.begin(), tmp.begin() + static_cast<std::ptrdiff_t>(k));
        lo = std::min(lo, *a);
        hi = std::max(hi, *b);
        done += k;
    }
    return true;
}

bool ChannelSamples::min_max(std::uint64_t start, std::uint64_t n, std::int16_t& lo, std::int16_t& hi) const {
    const std::uint64_t total = count();
    if (n == 0 || start > total || n > total - start) return false;
    if (!has_summary() || n < 2 * kSummaryBlock) return scan(start, n, lo, hi);
    // Head up to the first block boundary, whole blocks, tail.
    const std::uint64_t end = start + n;
    const std::uint64_t b0 = (start + kSummaryBlock - 1) / kSummaryBlock;
    const std::uint64_t b1 = std::min<std::uint64_t>(end / kSummaryBlock, sum_lo_.size());
    lo = INT16_MAX;
    hi = INT16_MIN;
    std::int16_t a, b;
    if (start < b0 * kSummaryBlock) {
        if (!scan(start, b0 * kSummaryBlock - start, a, b)) return false;
        lo = std::min(lo, a);
        hi = std::max(hi, b);
    }
    for (std::uint64_t k = b0; k < b1; ++k) {
        lo = std::min(lo, sum_lo_[k]);
        hi = std::max(hi, sum_hi_[k]);
    }
    if (b1 * kSummaryBlock < end) {
        if (!scan(b1 * kSummaryBlock, end - b1 * kSummaryBlock, a, b)) return false;
        lo = std::min(lo, a);
        hi = std::max(hi, b);
    }
    return true;
}

std::vector<SampleExtent> ChannelSamples::summary(double first, double span, int buckets) const {
    std::vector<SampleExtent> out;
    const std::uint64_t n = count();
    if (buckets <= 0 || !(span > 0.0) || !(first >= 0.0) || n == 0) return out;
    const double r = span / buckets;
    // At least one sample per bucket: fewer samples than buckets would
    // otherwise leave buckets with no extremes at all.
    const std::uint64_t per = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(r));
    out.resize(static_cast<std::size_t>(buckets));
    for (int x = 0; x < buckets; ++x) {
        const double at = first + std::trunc(x * r);
        if (!(at < static_cast<double>(n))) {
            out.resize(static_cast<std::size_t>(x));  // nothing past the last sample
            break;
        }
        const std::uint64_t s0 = static_cast<std::uint64_t>(at);
        SampleExtent& e = out[static_cast<std::size_t>(x)];
        if (!min_max(s0, std::min(per, n - s0), e.lo, e.hi)) return {};
    }
    return out;
}

bool ChannelSamples::build_summary() {
    sum_lo_.clear();
    sum_hi_.clear();
    const std::uint64_t blocks = count() / kSummaryBlock;  // whole blocks only
    std::vector<std::int16_t> lo(static_cast<std::size_t>(blocks)), hi(static_cast<std::size_t>(blocks));
    if (mem_) {
        for (std::uint64_t k = 0; k < blocks; ++k) {
            const auto [a, b] = std::minmax_element(mem_ + k * kSummaryBlock, mem_ + (k + 1) * kSummaryBlock);
            lo[k] = *a;
            hi[k] = *b;
        }
    } else {
        constexpr std::uint64_t kBlocksPerRead = 1024;
        std::vector<std::int16_t> tmp(kBlocksPerRead * kSummaryBlock);
        for (std::uint64_t k0 = 0; k0 < blocks; k0 += kBlocksPerRead) {
            const std::uint64_t nb = std::min(kBlocksPerRead, blocks - k0);
            if (!read(k0 * kSummaryBlock, static_cast<std::size_t>(nb * kSummaryBlock), tmp.data())) return false;
            for (std::uint64_t j = 0; j < nb; ++j) {
                const auto from = tmp.begin() + static_cast<std::ptrdiff_t>(j * kSummaryBlock);
                const auto [a, b] = std::minmax_element(from, from + kSummaryBlock);
                lo[k0 + j] = *a;
                hi[k0 + j] = *b;
            }
        }
    }
    sum_lo_ = std::move(lo);
    sum_hi_ = std::move(hi);
    return true;
}

CopyOutcome ChannelSamples::write_le16(BinaryFile& out, std::uint64_t start, std::uint64_t count, double rate_hz,
                                       Progress* progress, const char* caption) const {
    if (count > 0 && !readable()) return CopyOutcome::Failed;
    if (start > this->count() || count > this->count() - start) return CopyOutcome::Failed;
    const std::uint64_t block = one_second_bytes(rate_hz) / 2;  // samples
    std::vector<std::int16_t> samples(static_cast<std::size_t>(std::min(block, std::max<std::uint64_t>(count, 1))));
    std::vector<unsigned char> bytes(samples.size() * 2);
    std::unique_ptr<ProgressScope> steps;
    if (progress) steps = std::make_unique<ProgressScope>(*progress, caption, static_cast<long long>(count / block + 1));
    for (std::uint64_t done = 0; done < count;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, block));
        if (!read(start + done, n, samples.data())) return CopyOutcome::Failed;
        for (std::size_t i = 0; i < n; ++i) put_u16le(&bytes[2 * i], static_cast<std::uint16_t>(samples[i]));
        if (!out.write(bytes.data(), n * 2)) return CopyOutcome::Failed;
        done += n;
        if (steps && steps->step_and_check()) return CopyOutcome::Cancelled;
    }
    return CopyOutcome::Done;
}

}  // namespace vox
