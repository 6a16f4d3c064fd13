#include "tests/support/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include <sys/wait.h>

namespace vox::test {

ScratchDir::ScratchDir() {
    std::random_device rd;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string stem = info ? std::string(info->test_suite_name()) + "_" + info->name() : "voxtrel";
    for (char& c : stem)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    path_ = std::filesystem::temp_directory_path() / ("vxt_" + stem + "_" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

DocFixture::DocFixture()
    : temp_names(dir.path().string()), services{prompts, progress, temp_names},
      doc(std::make_unique<CMarbeckDoc>(services)) {}

CMarbeckDoc& DocFixture::fresh() {
    doc = std::make_unique<CMarbeckDoc>(services);
    return *doc;
}

Bytes& Bytes::u8(unsigned v) {
    data.push_back(static_cast<unsigned char>(v));
    return *this;
}
Bytes& Bytes::u16le(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
Bytes& Bytes::u16be(unsigned v) { return u8((v >> 8) & 0xFF).u8(v & 0xFF); }
Bytes& Bytes::u32le(std::uint32_t v) { return u16le(v & 0xFFFF).u16le(v >> 16); }
Bytes& Bytes::u32be(std::uint32_t v) { return u16be(v >> 16).u16be(v & 0xFFFF); }
Bytes& Bytes::f32le(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    return u32le(u);
}
Bytes& Bytes::f32be(float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    return u32be(u);
}
Bytes& Bytes::f64le(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    return u32le(static_cast<std::uint32_t>(u)).u32le(static_cast<std::uint32_t>(u >> 32));
}
Bytes& Bytes::f64be(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    return u32be(static_cast<std::uint32_t>(u >> 32)).u32be(static_cast<std::uint32_t>(u));
}
Bytes& Bytes::text(const std::string& s) {
    data.insert(data.end(), s.begin(), s.end());
    return *this;
}
Bytes& Bytes::fixed(const std::string& s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) data.push_back(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
    return *this;
}
Bytes& Bytes::zeros(std::size_t n) {
    data.insert(data.end(), n, 0);
    return *this;
}
Bytes& Bytes::append(const std::vector<unsigned char>& more) {
    data.insert(data.end(), more.begin(), more.end());
    return *this;
}
void Bytes::patch_u32le(std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) data.at(offset + i) = static_cast<unsigned char>(v >> (8 * i));
}

void write_file(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::vector<unsigned char> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::int16_t> audio_samples(const CMarbeckDoc& doc) {
    const auto n = static_cast<std::size_t>(doc.channels[0].count());
    std::vector<std::int16_t> out(n);
    if (n && !doc.read_audio(0, n, out.data())) out.clear();
    return out;
}

bool run_command(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool have_program(const std::string& name) { return run_command("command -v " + name); }

std::vector<std::int16_t> sox_decode_channel(const ScratchDir& dir, const std::string& file, int channel) {
    const std::string ref = dir.file("sox-decoded.raw");
    if (!run_command("sox -D '" + file + "' -t raw -e signed -b 16 -L '" + ref + "' remix " +
                     std::to_string(channel + 1)))
        return {};
    const auto bytes = read_file(ref);
    std::vector<std::int16_t> out(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return out;
}

ShellRun run_shell(const std::string& command, bool separate_err) {
    ShellRun r;
    const ScratchDir dir;
    const std::string err_path = dir.file("stderr.txt");
    const std::string line = separate_err ? command + " 2>'" + err_path + "'" : command;
    FILE* p = popen(line.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int status = pclose(p);
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (separate_err) {
        const auto e = read_file(err_path);
        r.err.assign(e.begin(), e.end());
    }
    return r;
}

}  // namespace vox::test
