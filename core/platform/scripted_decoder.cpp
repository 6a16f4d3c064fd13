#include "core/platform/scripted_decoder.h"

#include <algorithm>

namespace vox {

namespace {

class ScriptedFile : public DecodedAudio {
public:
    explicit ScriptedFile(const ScriptedAudio& a) : a_(a) {}
    double rate() const override { return a_.rate; }
    int channels() const override { return a_.channels; }
    std::uint64_t frames() const override { return a_.announced; }
    std::string format_name() const override { return a_.format; }
    std::size_t read(std::int16_t* out, std::size_t count) override {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, a_.delivered - next_));
        for (std::size_t i = 0; i < n; ++i)
            for (int c = 0; c < a_.channels; ++c)
                out[i * static_cast<std::size_t>(a_.channels) + static_cast<std::size_t>(c)] =
                    ScriptedDecoder::sample(next_ + i, c);
        next_ += n;
        if (n == 0 && a_.fails) failed_ = true;
        return n;
    }
    bool failed() const override { return failed_; }

private:
    ScriptedAudio a_;
    std::uint64_t next_ = 0;
    bool failed_ = false;
};

}  // namespace

std::int16_t ScriptedDecoder::sample(std::uint64_t frame, int channel) {
    return static_cast<std::int16_t>(static_cast<int>(frame % 25000) - 12500 + 1000 * (channel % 20));
}

std::unique_ptr<DecodedAudio> ScriptedDecoder::open(const std::string& path) {
    opened.push_back(path);
    const auto it = files.find(path);
    if (it != files.end()) return std::make_unique<ScriptedFile>(it->second);
    if (any_file) return std::make_unique<ScriptedFile>(*any_file);
    return nullptr;
}

}  // namespace vox
