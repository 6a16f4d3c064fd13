// Decoding through libsndfile.

#include "platform/sndfile_decoder.h"

#include <sndfile.h>

#include <cmath>
#include <vector>

namespace vox {

namespace {

// Subtypes the library decodes to floating point: their samples are taken
// as reals, the others as 32-bit integers.
bool decodes_to_real(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
        case SF_FORMAT_VORBIS:
        case SF_FORMAT_OPUS:
        case SF_FORMAT_MPEG_LAYER_I:
        case SF_FORMAT_MPEG_LAYER_II:
        case SF_FORMAT_MPEG_LAYER_III:
            return true;
        default:
            return false;
    }
}

// A real sample (full scale ±1.0) to 16 bits: × 32768, to the nearest step
// (halves upward), clipped to −32768 … 32767. Common speech tools decode
// compressed files this way, so their sample values and ours agree.
std::int16_t real_to_16(float v) {
    if (std::isnan(v)) return 0;
    const double s = std::floor(static_cast<double>(v) * 32768.0 + 0.5);
    if (s >= 32767.0) return 32767;
    if (s <= -32768.0) return -32768;
    return static_cast<std::int16_t>(s);
}

// A 32-bit sample (the library widens every integer format to it) to its
// top 16 bits, rounded to the nearest step rather than cut, so that a 24-bit
// sample of …0x80 and above goes up; the largest values stay at 32767.
std::int16_t wide_to_16(std::int32_t v) {
    const std::int64_t s = (static_cast<std::int64_t>(v) + 0x8000) >> 16;
    return static_cast<std::int16_t>(s > 32767 ? 32767 : s);
}

class SndfileAudio : public DecodedAudio {
public:
    SndfileAudio(SNDFILE* f, const SF_INFO& info) : file_(f), info_(info), real_(decodes_to_real(info.format)) {
        // Reals beyond full scale are clipped by the library when it widens
        // them to integers, never wrapped. (Scaling to the file's own peak
        // stays off: a quiet recording stays quiet.)
        sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    }
    ~SndfileAudio() override { sf_close(file_); }
    SndfileAudio(const SndfileAudio&) = delete;
    SndfileAudio& operator=(const SndfileAudio&) = delete;

    double rate() const override { return info_.samplerate; }
    int channels() const override { return info_.channels; }
    std::uint64_t frames() const override { return info_.frames > 0 ? static_cast<std::uint64_t>(info_.frames) : 0; }
    std::string format_name() const override {
        SF_FORMAT_INFO major{}, minor{};
        major.format = info_.format & SF_FORMAT_TYPEMASK;
        minor.format = info_.format & SF_FORMAT_SUBMASK;
        std::string name = sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major) == 0 && major.name
                               ? major.name
                               : "audio file";
        if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &minor, sizeof minor) == 0 && minor.name)
            name += std::string(", ") + minor.name;
        return name;
    }
    std::size_t read(std::int16_t* out, std::size_t count) override {
        if (failed_ || count == 0) return 0;
        const std::size_t values = count * static_cast<std::size_t>(info_.channels);
        sf_count_t n = 0;
        if (real_) {
            reals_.resize(values);
            n = sf_readf_float(file_, reals_.data(), static_cast<sf_count_t>(count));
            for (sf_count_t i = 0; i < n * info_.channels; ++i) out[i] = real_to_16(reals_[static_cast<std::size_t>(i)]);
        } else {
            ints_.resize(values);
            n = sf_readf_int(file_, ints_.data(), static_cast<sf_count_t>(count));
            for (sf_count_t i = 0; i < n * info_.channels; ++i) out[i] = wide_to_16(ints_[static_cast<std::size_t>(i)]);
        }
        if (n < 0 || (n < static_cast<sf_count_t>(count) && sf_error(file_) != SF_ERR_NO_ERROR)) failed_ = true;
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    bool failed() const override { return failed_; }

private:
    SNDFILE* file_;
    SF_INFO info_;
    bool real_;
    bool failed_ = false;
    std::vector<float> reals_;
    std::vector<std::int32_t> ints_;
};

}  // namespace

std::unique_ptr<DecodedAudio> SndfileDecoder::open(const std::string& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (f == nullptr) return nullptr;
    // A header the library accepted may still say nothing usable.
    if (info.channels < 1 || info.samplerate < 1 || info.frames < 0) {
        sf_close(f);
        return nullptr;
    }
    return std::make_unique<SndfileAudio>(f, info);
}

}  // namespace vox
