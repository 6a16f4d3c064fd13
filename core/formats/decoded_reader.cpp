#include "core/formats/decoded_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/document/marbeck_doc.h"
#include "core/formats/reader_support.h"
#include "core/io/binary_file.h"

namespace vox {

std::string decoded_text::damaged(const std::string& file_name, double ms, std::uint64_t samples) {
    char text[96];
    std::snprintf(text, sizeof text, "%.0f ms (%llu samples)", ms, static_cast<unsigned long long>(samples));
    return "The file '" + file_name + "' is damaged: only its first " + text + " could be decoded.";
}

namespace {

// Decoding is slower than copying: a recording of at least this length
// shows the progress window (and can be cancelled) in memory as well.
constexpr double kProgressFromMs = 60000.0;

// Interleaved values decoded at once: one second of sound, but never more
// than 4 Mi values whatever the rate and channel count.
constexpr std::size_t kMaxBlockValues = std::size_t{1} << 22;

// Where the kept channel goes: a block in memory while the recording is
// shorter than the long-file limit, the recording's raw file from the moment
// it is not. The decision follows what is decoded, not the count the file's
// header announces, so a header that understates its length cannot fill the
// memory and one that overstates it costs nothing.
class Channel0Sink {
public:
    Channel0Sink(ReadContext& ctx, Recording& rec, double rate, std::uint64_t announced, std::size_t block_frames)
        : ctx_(ctx), rec_(rec), rate_(rate), block_frames_(block_frames) {
        if (ctx_.is_long(static_cast<double>(announced) * 1000.0 / rate_)) {
            start_raw_file(announced);
        } else {
            // Room for what the header announces, grown if more comes.
            mem_.allocate(static_cast<std::size_t>(std::min<std::uint64_t>(announced, 1u << 22)));
            if (static_cast<double>(announced) * 1000.0 / rate_ >= kProgressFromMs) open_progress(announced);
        }
    }
    ~Channel0Sink() {
        // Left without finish(): the raw file is not the recording's.
        if (!finished_ && raw_open_) {
            raw_.close();
            remove_file(raw_name_);
            rec_.sample_file = {};
        }
    }
    Channel0Sink(const Channel0Sink&) = delete;
    Channel0Sink& operator=(const Channel0Sink&) = delete;

    std::uint64_t count() const { return count_; }

    // Appends n samples; throws DocumentCancelled when the person cancels
    // through the progress window, DocumentAbort when the raw file cannot be
    // written.
    void append(const std::int16_t* s, std::size_t n) {
        if (!raw_open_ && ctx_.is_long(static_cast<double>(count_ + n) * 1000.0 / rate_)) {
            // Longer than its header said: what is in memory moves to the file.
            start_raw_file(count_ + n);
            write_raw(mem_.data(), static_cast<std::size_t>(count_));
            mem_.reset();
        }
        if (raw_open_) {
            write_raw(s, n);
            count_ += n;
            if (progress_->step_and_check()) throw DocumentCancelled();
            return;
        }
        if (count_ + n > mem_.size()) {
            const std::uint64_t want = std::max<std::uint64_t>(count_ + n, mem_.size() + mem_.size() / 2);
            mem_.resize(static_cast<std::size_t>(want));
        }
        std::copy(s, s + n, mem_.data() + count_);
        count_ += n;
        if (progress_ && progress_->step_and_check()) throw DocumentCancelled();
    }

    // Channel 0 takes the samples.
    void finish() {
        CChannels& ch = rec_.channels[0];
        progress_.reset();
        if (raw_open_) {
            if (!raw_.close()) throw DocumentAbort("writing the raw file failed");
            raw_open_ = false;
            ch.samples.reset();
        } else {
            if (mem_.size() != count_) mem_.resize(static_cast<std::size_t>(count_));
            ch.samples = std::move(mem_);
        }
        ch.set_foreign_audio(rate_, static_cast<double>(count_));
        finished_ = true;
    }

private:
    void start_raw_file(std::uint64_t expected) {
        raw_name_ = ctx_.new_sample_file(rec_);
        if (!raw_.open(raw_name_, BinaryFile::Mode::CreateNew)) {
            rec_.sample_file = {};
            ctx_.prompts.save_failure_report(raw_name_);
            throw DocumentAbort("cannot create the raw file");
        }
        raw_open_ = true;
        if (!progress_) open_progress(expected);
    }
    void open_progress(std::uint64_t expected) {
        progress_ = std::make_unique<ProgressScope>(ctx_.progress, doc_text::kReadingCaption,
                                                    static_cast<long long>(expected / block_frames_ + 1));
    }
    void write_raw(const std::int16_t* s, std::size_t n) {
        bytes_.resize(2 * n);
        for (std::size_t i = 0; i < n; ++i) put_u16le(&bytes_[2 * i], static_cast<std::uint16_t>(s[i]));
        if (n > 0 && !raw_.write(bytes_.data(), bytes_.size())) throw DocumentAbort("writing the raw file failed");
    }

    ReadContext& ctx_;
    Recording& rec_;
    double rate_;
    std::size_t block_frames_;
    std::uint64_t count_ = 0;
    SampleBlock mem_;
    BinaryFile raw_;
    std::string raw_name_;
    bool raw_open_ = false;
    bool finished_ = false;
    std::unique_ptr<ProgressScope> progress_;
    std::vector<unsigned char> bytes_;
};

}  // namespace

ReadResult read_decoded(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    AudioDecoder* decoder = ctx.decoder;
    if (decoder == nullptr) return ReadResult::Declined;
    const std::unique_ptr<DecodedAudio> audio = decoder->open(file.path());
    if (!audio) return ReadResult::Declined;

    const double rate = audio->rate();
    const int channels = audio->channels();
    if (fmt::refuse_unusable_rate(ctx, file, rate)) return ReadResult::Failed;
    if (channels < 1) {
        fmt::report_unreadable(ctx, file, "it has " + std::to_string(channels) + " channels");
        return ReadResult::Failed;
    }
    int chosen = 0;
    if (channels >= 2) {
        // A cancelled choice ends the open: the file was recognised, and the
        // generic-file question would only offer to misread it.
        const auto c = fmt::choose_channel(ctx, channels);
        if (!c) return ReadResult::Failed;
        chosen = *c;
    }

    rec.channel_count = 0;
    const std::uint64_t announced = audio->frames();
    const std::size_t block_frames = std::max<std::size_t>(
        1, std::min<std::size_t>(static_cast<std::size_t>(std::min(rate, 1e7)),
                                 kMaxBlockValues / static_cast<std::size_t>(channels)));
    std::vector<std::int16_t> frames(block_frames * static_cast<std::size_t>(channels));
    std::vector<std::int16_t> kept(block_frames);
    Channel0Sink sink(ctx, rec, rate, announced, block_frames);
    for (;;) {
        const std::size_t n = std::min(audio->read(frames.data(), block_frames), block_frames);
        if (n == 0) break;
        for (std::size_t i = 0; i < n; ++i)
            kept[i] = frames[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(chosen)];
        sink.append(kept.data(), n);
    }
    const std::uint64_t got = sink.count();
    if (got == 0) {
        // Nothing decoded of a file that announced samples, or broke at
        // once: refused rather than opened empty.
        if (audio->failed() || announced > 0) {
            fmt::report_unreadable(ctx, file, "it could not be decoded as " + audio->format_name());
            return ReadResult::Failed;
        }
        // An empty file one of the program's own readers recognised and
        // declined: its reason is shown, as without a decoder.
        if (!ctx.refusals().empty()) return ReadResult::Declined;
        fmt::report_unreadable(ctx, file, "it holds no samples (" + audio->format_name() + ")");
        return ReadResult::Failed;
    }
    sink.finish();
    if (audio->failed()) {
        ctx.prompts.beep();
        ctx.prompts.message(
            decoded_text::damaged(fmt::file_name_of(file.path()), static_cast<double>(got) * 1000.0 / rate, got));
    } else if (got < announced) {
        fmt::report_short_file(ctx, file, static_cast<double>(announced), got, rate);
    }
    if (channels >= 2) fmt::set_channel_title(rec, file, chosen);
    rec.channel_count = 1;
    rec.foreign = true;
    rec.format_name = audio->format_name();
    return ReadResult::Accepted;
}

}  // namespace vox
