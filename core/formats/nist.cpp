#include "core/formats/nist.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/formats/reader_support.h"

namespace vox {

namespace {

constexpr std::uint64_t kMinFileBytes = 101;
constexpr long long kMaxHeaderBytes = 5120;
constexpr int kMaxLines = 50;
constexpr std::size_t kMaxLineChars = 300;

// Decimal conversion stopping at the first character that is not a digit.
long long leading_number(const std::string& s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i)
        if (v < 1'000'000'000'000LL) v = v * 10 + (s[i] - '0');
    return negative ? -v : v;
}

std::vector<std::string> split_blanks(const std::string& line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

}  // namespace

SphereHeader parse_sphere_header(const std::string& text) {
    SphereHeader h;
    std::size_t pos = 16;
    for (int n = 0; n < kMaxLines && pos < text.size(); ++n) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, std::min(end - pos, kMaxLineChars));
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("end_head", 0) == 0) break;

        const auto words = split_blanks(line);
        if (words.size() < 3) continue;
        const std::string& name = words[0];
        const std::string& type = words[1];
        // The value follows the type marker and one blank; a string field
        // ("-sN") holds exactly N characters.
        const std::size_t type_at = line.find(type, line.find(name) + name.size());
        const std::size_t value_at = type_at + type.size() + 1;
        std::string value = value_at <= line.size() ? line.substr(value_at) : std::string();
        if (type.size() >= 3 && type[0] == '-' && type[1] == 's') {
            const long long n_chars = leading_number(type.substr(2));
            if (n_chars >= 0 && static_cast<std::size_t>(n_chars) < value.size()) value.resize(static_cast<std::size_t>(n_chars));
        } else {
            value = words[2];
        }
        if (name == "sample_rate") h.sample_rate = leading_number(value);
        else if (name == "channel_count") h.channel_count = leading_number(value);
        else if (name == "sample_count") h.sample_count = leading_number(value);
        else if (name == "sample_n_bytes" || name == "sample_n_byte") h.sample_n_bytes = leading_number(value);
        else if (name == "sample_byte_format") h.sample_byte_format = value;
        else if (name == "sample_coding") h.sample_coding = value;
    }
    return h;
}

ReadResult read_nist(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    const std::uint64_t len = file.length();
    if (len < kMinFileBytes) return ReadResult::Declined;
    const auto first = fmt::read_at(file, 0, 16);
    if (first.size() < 16 || std::memcmp(first.data(), "NIST_1A", 7) != 0) return ReadResult::Declined;
    std::string size_text(reinterpret_cast<const char*>(&first[8]), 7);
    size_text.erase(0, std::min(size_text.find_first_not_of(' '), size_text.size()));
    const long long header_bytes = leading_number(size_text);
    if (header_bytes < 1 || header_bytes > kMaxHeaderBytes) {
        fmt::note_refusal(ctx, file, "NIST SPHERE",
                          "its header size (" + size_text + ") lies outside 1 to " + std::to_string(kMaxHeaderBytes) +
                              " bytes");
        return ReadResult::Declined;
    }
    if (static_cast<std::uint64_t>(header_bytes) > len) {
        fmt::report_unreadable(ctx, file,
                               "its header size (" + std::to_string(header_bytes) + " bytes) is beyond the end of the file");
        return ReadResult::Failed;
    }
    const auto raw_header = fmt::read_at(file, 0, static_cast<std::size_t>(header_bytes));
    const SphereHeader h = parse_sphere_header(std::string(raw_header.begin(), raw_header.end()));

    const auto decline = [&](const std::string& what) {
        fmt::note_refusal(ctx, file, "NIST SPHERE", what);
        return ReadResult::Declined;
    };
    if (!h.channel_count) return decline("its channel_count field is missing");
    if (*h.channel_count <= 0) return decline("its channel_count field gives " + std::to_string(*h.channel_count) + " channels");
    const std::string coding = h.sample_coding.value_or("pcm");
    const bool ulaw = coding == "ulaw";
    if (!ulaw && coding != "pcm")
        return decline("its sample_coding '" + coding + "' cannot be read; only pcm and ulaw can");
    const long long n_bytes = h.sample_n_bytes.value_or(ulaw ? 1 : 2);
    if (ulaw ? n_bytes != 1 : n_bytes != 2)
        return decline(std::to_string(n_bytes) + "-byte " + coding + " samples cannot be read");
    if (!h.sample_rate) {
        fmt::report_unreadable(ctx, file, "its sample_rate field is missing");
        return ReadResult::Failed;
    }
    if (fmt::refuse_unusable_rate(ctx, file, static_cast<double>(*h.sample_rate))) return ReadResult::Failed;
    if (*h.channel_count > 0xFFFF) {
        fmt::report_unreadable(ctx, file, "its channel_count field gives " + std::to_string(*h.channel_count) + " channels");
        return ReadResult::Failed;
    }
    const unsigned channels = static_cast<unsigned>(*h.channel_count);
    const bool big = h.sample_byte_format && h.sample_byte_format->find("10") != std::string::npos;

    // The frames the file holds bound the header's sample count; a missing
    // count means "all of them".
    const std::uint64_t available =
        fmt::frames_in_file(file, static_cast<std::uint64_t>(header_bytes), channels, static_cast<unsigned>(n_bytes));
    std::uint64_t frames = available;
    if (h.sample_count && *h.sample_count >= 0)
        frames = std::min<std::uint64_t>(available, static_cast<std::uint64_t>(*h.sample_count));

    int chosen = 0;
    if (channels >= 2) {
        // A cancelled choice ends the open (nothing is asked twice).
        const auto c = fmt::choose_channel(ctx, static_cast<int>(channels));
        if (!c) return ReadResult::Failed;
        chosen = *c;
    }

    rec.channel_count = 0;
    CChannels& ch = rec.channels[0];
    ch.set_foreign_audio(static_cast<double>(*h.sample_rate), static_cast<double>(frames));
    fmt::InterleavedData data;
    data.offset = static_cast<std::uint64_t>(header_bytes);
    data.frames = frames;
    data.channels = channels;
    data.bytes_per_sample = static_cast<unsigned>(n_bytes);
    data.channel = static_cast<unsigned>(chosen);
    data.decode = ulaw ? fmt::decode_ulaw : (big ? fmt::decode_s16be : fmt::decode_s16le);
    fmt::load_channel0(ctx, rec, file, data);
    if (channels >= 2) fmt::set_channel_title(rec, file, chosen);
    if (h.sample_count && *h.sample_count > 0 && static_cast<std::uint64_t>(*h.sample_count) > frames)
        fmt::report_short_file(ctx, file, static_cast<double>(*h.sample_count), frames,
                               static_cast<double>(*h.sample_rate));
    rec.channel_count = 1;
    rec.foreign = true;
    return ReadResult::Accepted;
}

}  // namespace vox
