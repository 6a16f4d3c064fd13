#include "gui/plot/audio_samples.h"

#include <algorithm>
#include <filesystem>

namespace vox {

AudioSamples AudioSamples::from_memory(const std::int16_t* data, std::size_t count) {
    AudioSamples s;
    s.data_ = data;
    s.size_ = data ? count : 0;
    return s;
}

AudioSamples AudioSamples::from_raw_file(const std::string& path, std::size_t count) {
    AudioSamples s;
    s.path_ = path;
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    if (ec) return s;
    auto f = std::make_shared<std::ifstream>(path, std::ios::binary);
    if (!*f) return s;
    s.file_ = std::move(f);
    s.size_ = std::min<std::size_t>(count, static_cast<std::size_t>(bytes / 2));
    return s;
}

bool AudioSamples::read(std::size_t start, std::size_t n, std::int16_t* dst) const {
    if (start > size_ || n > size_ - start) return false;
    if (n == 0) return true;
    if (data_) {
        std::copy(data_ + start, data_ + start + n, dst);
        return true;
    }
    if (!file_) return false;
    std::ifstream& f = *file_;
    f.clear();
    f.seekg(static_cast<std::streamoff>(start) * 2);
    std::vector<unsigned char> buf;
    constexpr std::size_t kChunk = 1u << 18;  // samples per read
    std::size_t done = 0;
    while (done < n) {
        const std::size_t k = std::min(kChunk, n - done);
        buf.resize(k * 2);
        if (!f.read(reinterpret_cast<char*>(buf.data()), static_cast<std::streamsize>(k * 2))) return false;
        for (std::size_t i = 0; i < k; ++i)
            dst[done + i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(buf[2 * i] | (buf[2 * i + 1] << 8)));
        done += k;
    }
    return true;
}

bool AudioSamples::scan(std::size_t start, std::size_t n, std::int16_t& lo, std::int16_t& hi) const {
    if (data_) {
        const auto [a, b] = std::minmax_element(data_ + start, data_ + start + n);
        lo = *a;
        hi = *b;
        return true;
    }
    std::vector<std::int16_t> tmp(std::min<std::size_t>(n, 1u << 18));
    lo = INT16_MAX;
    hi = INT16_MIN;
    std::size_t done = 0;
    while (done < n) {
        const std::size_t k = std::min(tmp.size(), n - done);
        if (!read(start + done, k, tmp.data())) return false;
        const auto [a, b] = std::minmax_element(tmp.begin(), tmp.begin() + static_cast<std::ptrdiff_t>(k));
        lo = std::min(lo, *a);
        hi = std::max(hi, *b);
        done += k;
    }
    return true;
}

bool AudioSamples::min_max(std::size_t start, std::size_t n, std::int16_t& lo, std::int16_t& hi) const {
    if (n == 0 || start > size_ || n > size_ - start) return false;
    if (!has_summary() || n < 2 * kSummaryBlock) return scan(start, n, lo, hi);
    // Head up to the first block boundary, whole blocks, tail.
    const std::size_t end = start + n;
    const std::size_t b0 = (start + kSummaryBlock - 1) / kSummaryBlock;
    const std::size_t b1 = end / kSummaryBlock;
    lo = INT16_MAX;
    hi = INT16_MIN;
    std::int16_t a, b;
    if (start < b0 * kSummaryBlock) {
        if (!scan(start, b0 * kSummaryBlock - start, a, b)) return false;
        lo = std::min(lo, a);
        hi = std::max(hi, b);
    }
    for (std::size_t k = b0; k < b1; ++k) {
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

bool AudioSamples::build_summary() {
    sum_lo_.clear();
    sum_hi_.clear();
    const std::size_t blocks = size_ / kSummaryBlock;  // whole blocks only
    std::vector<std::int16_t> lo(blocks), hi(blocks);
    if (data_) {
        for (std::size_t k = 0; k < blocks; ++k) {
            const auto [a, b] = std::minmax_element(data_ + k * kSummaryBlock, data_ + (k + 1) * kSummaryBlock);
            lo[k] = *a;
            hi[k] = *b;
        }
    } else {
        constexpr std::size_t kBlocksPerRead = 1024;
        std::vector<std::int16_t> tmp(kBlocksPerRead * kSummaryBlock);
        for (std::size_t k0 = 0; k0 < blocks; k0 += kBlocksPerRead) {
            const std::size_t nb = std::min(kBlocksPerRead, blocks - k0);
            if (!read(k0 * kSummaryBlock, nb * kSummaryBlock, tmp.data())) return false;
            for (std::size_t j = 0; j < nb; ++j) {
                const auto first = tmp.begin() + static_cast<std::ptrdiff_t>(j * kSummaryBlock);
                const auto [a, b] = std::minmax_element(first, first + kSummaryBlock);
                lo[k0 + j] = *a;
                hi[k0 + j] = *b;
            }
        }
    }
    sum_lo_ = std::move(lo);
    sum_hi_ = std::move(hi);
    return true;
}

}  // namespace vox
