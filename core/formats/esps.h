#pragma once
// ESPS feature files of the signal-processing package (also written by the
// xwaves display program): a 32-byte preamble whose check word fixes the
// byte order, a fixed header with the per-record field counts, generic
// header items found by name, then fixed-size records. CEsps parses the
// header and holds the record data column by column.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/formats/read_context.h"

namespace vox {

class BinaryFile;

class CEsps {
public:
    static constexpr std::int32_t kCheckWord = 27162;
    static constexpr std::size_t kPreambleSize = 32;
    static constexpr std::size_t kFixedHeaderSize = 160;
    // The rate given when the header has no "record_freq" item.
    static constexpr double kMissingRecordFreq = -1.0;

    // Diagnostics ("No Byte Swapping involved", ...) go to `diagnostics`
    // (standard output by default; null for none).
    explicit CEsps(std::FILE* diagnostics = stdout) : diagnostics_(diagnostics) {}

    // Steps, in calling order. Each returns false when the file cannot go on.
    bool read_preamble(BinaryFile& file);      // check word and byte order
    bool read_fixed_header(BinaryFile& file);  // field counts per record
    std::uint64_t count_records(BinaryFile& file);
    // A double stored 18 bytes after the start of `name` in the header, or
    // `missing` when the name is not there.
    double find_item(BinaryFile& file, const char* name, double missing);
    bool find_record_freq(BinaryFile& file) { record_freq = find_item(file, "record_freq", kMissingRecordFreq); return true; }
    bool find_start_time(BinaryFile& file) { start_time = find_item(file, "start_time", 0.0); return true; }
    bool find_end_time(BinaryFile& file) { end_time = find_item(file, "end_time", 0.0); return true; }
    void allocate_columns();  // throws std::bad_alloc
    bool read_records(BinaryFile& file);

    bool check_word_found = false;  // the file is ESPS, whatever else fails
    bool big_endian = false;
    std::int32_t preamble[8] = {};
    std::uint64_t header_size = 0;  // offset of the first record
    std::int32_t n_doubles = 0, n_floats = 0, n_longs = 0, n_shorts = 0, n_bytes = 0;
    std::uint64_t record_size = 0;   // bytes
    std::uint64_t record_count = 0;  // whole records in the file
    double record_freq = kMissingRecordFreq;  // records per second
    double start_time = 0.0, end_time = 0.0;

    // Field j of record i is at [j × record_count + i].
    std::vector<double> doubles;
    std::vector<float> floats;
    std::vector<std::int32_t> longs;
    std::vector<std::int16_t> shorts;
    std::vector<std::int8_t> bytes;

    // Why the last step failed (empty when it did not).
    std::string problem;

private:
    void say(const char* text) const;
    std::FILE* diagnostics_;
    std::vector<unsigned char> header_;  // the first header_size bytes
};

// Open-chain reader (order 18).
ReadResult read_esps(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
