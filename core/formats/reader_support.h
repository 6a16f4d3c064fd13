#pragma once
// Pieces shared by the foreign-format readers: sample conversions, the
// channel choice of multichannel files, refusal messages, and the loop that
// converts interleaved sample data into channel 0 — in memory, or into a
// raw 16-bit file when the recording is long.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/formats/read_context.h"
#include "core/io/binary_file.h"

namespace vox::fmt {

// ITU-T G.711 µ-law expansion (bias 132; magnitudes 0 … 32124).
std::int16_t ulaw_to_linear(std::uint8_t byte);

// 80-bit IEEE 754 extended real, big-endian, as a double (NaN or inf for the
// special exponents).
double extended80_to_double(const unsigned char* p);

// Sample decoders of one stored sample (signed integers unless said).
// Wider samples keep their top 16 bits, divided toward zero.
std::int16_t decode_s8(const unsigned char* p);        // × 256
std::int16_t decode_u8(const unsigned char* p);        // (byte − 128) × 256
std::int16_t decode_ulaw(const unsigned char* p);
std::int16_t decode_s16le(const unsigned char* p);
std::int16_t decode_s16be(const unsigned char* p);
std::int16_t decode_s24le(const unsigned char* p);
std::int16_t decode_s24be(const unsigned char* p);
std::int16_t decode_s32le(const unsigned char* p);
std::int16_t decode_s32be(const unsigned char* p);

// Saturating conversion of a real or wide integer to a 16-bit sample; NaN
// becomes 0.
std::int16_t saturate16(double v);
std::int16_t saturate16(long long v);

// The file's name without its folder ("x.aiff").
std::string file_name_of(const std::string& path);

// Beeps and shows "The file '<name>' cannot be read: <what>." — the refusal
// of a file recognised by a reader whose header is unusable.
void report_unreadable(ReadContext& ctx, const BinaryFile& file, const std::string& what);
void report_unreadable(ReadContext& ctx, const std::string& path, const std::string& what);

// A file recognised as `format` whose header that reader declines: the reason
// ("The file 'x' cannot be read as WAV: <what>.") is kept by the document and
// shown when no other reader takes the file.
void note_refusal(ReadContext& ctx, const BinaryFile& file, const std::string& format, const std::string& what);

// Applies the sample-rate rule to a rate a header declares: true, after the
// refusal was reported, when the rate lies outside 1 Hz … 1 MHz (the reader
// then fails the open); false when the rate is usable.
bool refuse_unusable_rate(ReadContext& ctx, const BinaryFile& file, double hz);

// A header that announces more samples per channel than the file holds: the
// samples present are read, and the person is told how much ("The file
// 'x.wav' is shorter than its header says: 905 ms of 3571 ms (7240 of 28568
// samples) were read."). `rate_hz` must be usable.
void report_short_file(ReadContext& ctx, const BinaryFile& file, double announced, std::uint64_t read,
                       double rate_hz);

// A sample count from a header that is not a number of samples (NaN,
// infinite or negative): the reason to refuse it, or empty when it is one.
std::string count_problem(double count);

// Reads a file's first n bytes (fewer when the file is shorter) from offset.
std::vector<unsigned char> read_at(BinaryFile& file, std::uint64_t offset, std::size_t n);

// Asks which of `channels` interleaved channels to read (zero-based); no
// value when the person cancelled or answered with a channel outside the file.
std::optional<int> choose_channel(ReadContext& ctx, int channels);

// Sets the recording's channel title "<file name>::Channel <n>" (n = index + 1).
void set_channel_title(Recording& rec, const BinaryFile& file, int channel_index);

// Interleaved sample data of a sound file, one channel of which is read.
struct InterleavedData {
    std::uint64_t offset = 0;        // first byte of frame 0
    std::uint64_t frames = 0;        // frames to read (already limited to the file)
    unsigned channels = 1;           // samples per frame
    unsigned bytes_per_sample = 2;
    unsigned channel = 0;            // the one kept
    std::int16_t (*decode)(const unsigned char*) = nullptr;
};

// Frames that fit between `offset` and the end of the file.
std::uint64_t frames_in_file(const BinaryFile& file, std::uint64_t offset, unsigned channels,
                             unsigned bytes_per_sample);

// Converts the chosen channel into channel 0 of the recording. Channel 0's
// rate and duration must be set. Short recordings go to memory; those of at
// least the long-file limit go to a fresh raw file (the recording's sample file) in one-second
// blocks behind the progress window, whose cancel aborts. Throws
// DocumentAbort on a read or write failure, DocumentCancelled on a cancel;
// std::bad_alloc when memory runs out.
void load_channel0(ReadContext& ctx, Recording& rec, BinaryFile& file, const InterleavedData& data);

}  // namespace vox::fmt
