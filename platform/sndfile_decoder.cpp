// Decoding through libsndfile.

#include "platform/sndfile_decoder.h"

#include <sndfile.h>

#include <cmath>

namespace vox {

namespace {

class SndfileAudio : public DecodedAudio {
public:
    SndfileAudio(SNDFILE* f, const SF_INFO& info) : file_(f), info_(info) {
        // Floating-point data (Vorbis, Opus, MP3, float WAV) becomes 16-bit
        // as ±1.0 → ±32767, values beyond full scale clipped rather than
        // wrapped. (Scaling to the file's own peak is left off: a quiet
        // recording stays quiet.)
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
        const sf_count_t n = sf_readf_short(file_, out, static_cast<sf_count_t>(count));
        if (n < 0 || (n == 0 && sf_error(file_) != SF_ERR_NO_ERROR)) failed_ = true;
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    bool failed() const override { return failed_ || sf_error(file_) != SF_ERR_NO_ERROR; }

private:
    SNDFILE* file_;
    SF_INFO info_;
    bool failed_ = false;
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
