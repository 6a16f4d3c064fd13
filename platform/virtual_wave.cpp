// The virtual sound card over the in-memory devices, with WAV files in and out.
#include "platform/virtual_wave.h"

#include "core/io/binary_file.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vox {

namespace {

std::uint32_t u32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t u16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

bool fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

void put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::string& s, std::uint16_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}

}  // namespace

bool read_wav_mono16(const std::string& path, std::vector<std::int16_t>& samples, std::uint32_t& rate,
                     std::string* error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return fail(error, "cannot open " + path);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return fail(error, path + " is not a WAV file");
    std::size_t pos = 12;
    int channels = 0, bits = 0, tag = 0;
    bool have_fmt = false;
    while (pos + 8 <= b.size()) {
        const std::uint32_t len = u32(&b[pos + 4]);
        const std::size_t body = pos + 8;
        // A chunk length is trusted only as far as the file goes.
        const std::size_t avail = std::min<std::size_t>(len, b.size() - body);
        if (std::memcmp(&b[pos], "fmt ", 4) == 0 && avail >= 16) {
            tag = u16(&b[body]);
            channels = u16(&b[body + 2]);
            rate = u32(&b[body + 4]);
            bits = u16(&b[body + 14]);
            have_fmt = true;
        } else if (std::memcmp(&b[pos], "data", 4) == 0) {
            if (!have_fmt || tag != 1 || bits != 16 || channels < 1 || rate == 0)
                return fail(error, path + " is not 16-bit PCM");
            const std::size_t frame = static_cast<std::size_t>(channels) * 2;
            samples.resize(avail / frame);
            for (std::size_t i = 0; i < samples.size(); ++i)
                samples[i] = static_cast<std::int16_t>(u16(&b[body + i * frame]));
            return true;
        }
        pos = body + len + (len & 1);
        if (pos < body) break;
    }
    return fail(error, path + " has no sample data");
}

bool write_wav_mono16(const std::string& path, const std::vector<std::int16_t>& samples, std::uint32_t rate) {
    std::string s;
    const auto data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    s += "RIFF";
    put32(s, 36 + data_bytes);
    s += "WAVEfmt ";
    put32(s, 16);
    put16(s, 1);
    put16(s, 1);
    put32(s, rate);
    put32(s, rate * 2);
    put16(s, 2);
    put16(s, 16);
    s += "data";
    put32(s, data_bytes);
    for (std::int16_t v : samples) put16(s, static_cast<std::uint16_t>(v));
    return write_file_atomically(path, s.data(), s.size());
}

VirtualWaveOut::VirtualWaveOut(double speed, std::string tee_path)
    : MemoryWaveOut(speed), tee_path_(std::move(tee_path)) {}

int VirtualWaveOut::close() {
    const int r = MemoryWaveOut::close();
    if (r == kWaveOk && !tee_path_.empty()) {
        const PlayedAudio p = played();
        write_wav_mono16(tee_path_, p.samples, p.format.samples_per_sec);
    }
    return r;
}

}  // namespace vox
