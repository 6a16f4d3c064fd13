// voxtrel-cli runs side by side, with planted links, killed runs and failing
// disks: no shared temporary file, no write through a planted link, old
// outputs kept when a write fails, and nothing left in the temporary folder.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace vox {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

std::string cli() {
    const char* p = std::getenv("VOXTREL_CLI");
    return p ? p : "";
}

std::string quote(const std::string& s) { return "'" + s + "'"; }

// Standard output and standard error together.
test::ShellRun shell(const std::string& command) { return test::run_shell(command + " 2>&1"); }

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// A mono 16-bit WAV file whose samples follow a pattern of their own
// (`seed`), and its samples as the raw export must write them.
struct Recording {
    std::string wav;
    std::string raw;
};

Recording make_recording(const test::ScratchDir& dir, const std::string& name, int seed, int frames) {
    Bytes b;
    b.text("RIFF").u32le(36 + frames * 2).text("WAVE");
    b.text("fmt ").u32le(16).u16le(1).u16le(1).u32le(16000).u32le(32000).u16le(2).u16le(16);
    b.text("data").u32le(frames * 2);
    Bytes raw;
    for (int i = 0; i < frames; ++i) {
        const int v = static_cast<std::int16_t>((i * (seed * 2 + 1) + seed * 1000) & 0xFFFF);
        b.i16le(v);
        raw.i16le(v);
    }
    Recording r{dir.file(name + ".wav"), std::string(raw.data.begin(), raw.data.end())};
    test::write_file(r.wav, b.data);
    return r;
}

class SafeCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (cli().empty()) GTEST_SKIP() << "VOXTREL_CLI not set";
        tmp = dir.path() / "tmp";
        out = dir.path() / "out";
        fs::create_directories(tmp);
        fs::create_directories(out);
    }
    // The command line with this test's temporary folder.
    std::string with_tmp(const std::string& args) const {
        return "TMPDIR=" + quote(tmp.string()) + " " + quote(cli()) + " " + args;
    }
    test::ScratchDir dir;
    fs::path tmp, out;
};

// Two exports at once whose documents both keep their samples on disk
// (--long-file-minutes 0): each output must hold its own recording exactly.
TEST_F(SafeCli, ParallelExportsNeverShareATemporaryFile) {
    const Recording a = make_recording(dir, "a", 1, 160000);
    const Recording b = make_recording(dir, "b", 2, 160000);
    int wrong = 0;
    constexpr int kPairs = 10;
    for (int pair = 0; pair < kPairs; ++pair) {
        const std::string oa = (out / ("a" + std::to_string(pair) + ".raw")).string();
        const std::string ob = (out / ("b" + std::to_string(pair) + ".raw")).string();
        const auto r = shell("(" + with_tmp("export-raw " + quote(a.wav) + " " + quote(oa) + " --long-file-minutes 0") +
                            " & " + with_tmp("export-raw " + quote(b.wav) + " " + quote(ob) + " --long-file-minutes 0") +
                            " & wait %1 && wait %2)");
        const bool right = r.rc == 0 && slurp(oa) == a.raw && slurp(ob) == b.raw;
        if (!right) ++wrong;
    }
    EXPECT_EQ(wrong, 0) << "of " << kPairs << " pairs";
    // Every run removed its private folder.
    EXPECT_TRUE(names_in(tmp).empty());
}

// Links planted under the temporary names of the shared temporary folder are
// never followed: their target keeps its content.
TEST_F(SafeCli, APlantedLinkNamedLikeATemporaryFileIsNeverFollowed) {
    const Recording a = make_recording(dir, "a", 3, 8000);
    const std::string victim = dir.file("victim.txt");
    test::write_file(victim, {'k', 'e', 'e', 'p'});
    for (int n = 1; n <= 4; ++n) fs::create_symlink(victim, tmp / ("$$TempFile" + std::to_string(n)));
    const std::string o = (out / "a.raw").string();
    const auto r = shell(with_tmp("export-raw " + quote(a.wav) + " " + quote(o) + " --long-file-minutes 0"));
    EXPECT_EQ(r.rc, 0) << r.out;
    EXPECT_TRUE(slurp(o) == a.raw);
    EXPECT_TRUE(slurp(victim) == "keep") << "the link's target was written";
    for (int n = 1; n <= 4; ++n) EXPECT_TRUE(fs::is_symlink(fs::symlink_status(tmp / ("$$TempFile" + std::to_string(n)))));
}

// A run that was killed leaves its folder; the next run removes it, and only
// folders whose process is gone.
TEST_F(SafeCli, TheNextRunRemovesFoldersOfKilledRunsOnly) {
    const Recording a = make_recording(dir, "a", 4, 800);
    const pid_t child = fork();
    if (child == 0) _exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    waitpid(child, &status, 0);  // gone for good
    const fs::path stale = tmp / ("voxtrel-" + std::to_string(child) + "-killed1");
    fs::create_directories(stale);
    std::ofstream(stale / "$$TempFile1") << "samples";
    const std::string live = "voxtrel-" + std::to_string(getpid()) + "-running";
    fs::create_directories(tmp / live);
    std::ofstream(tmp / "VoxtrelConf.cfg") << "settings";
    const auto r = shell(with_tmp("info " + quote(a.wav)));
    EXPECT_EQ(r.rc, 0) << r.out;
    EXPECT_EQ(names_in(tmp), (std::set<std::string>{live, "VoxtrelConf.cfg"}));
}

TEST_F(SafeCli, AFailingRunRemovesItsFolderToo) {
    const Recording a = make_recording(dir, "a", 5, 8000);
    const auto r = shell(with_tmp("export-raw " + quote(a.wav) + " " + quote((out / "no" / "such" / "x.raw").string()) +
                                 " --long-file-minutes 0"));
    EXPECT_NE(r.rc, 0);
    EXPECT_TRUE(names_in(tmp).empty());
}

// Output commands on a disk that refuses the bytes: a full device, and a
// file-size limit that stops the write half-way (as a nearly full disk does).
// The exit code says so, the old output is whole and no partial file stays.
struct FailCase {
    const char* name;
    std::string args;  // with OUT for the output and IN for the input
    std::string ext;   // the output's extension
};

class SafeCliFailure : public SafeCli, public ::testing::WithParamInterface<FailCase> {
protected:
    std::string args_for(const std::string& in, const std::string& o) const {
        std::string s = GetParam().args;
        s.replace(s.find("IN"), 2, quote(in));
        s.replace(s.find("OUT"), 3, quote(o));
        return s;
    }
};

TEST_P(SafeCliFailure, ADeviceWithNoSpaceFailsTheCommand) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const Recording a = make_recording(dir, "a", 6, 16000);
    const fs::path full = out / ("full" + GetParam().ext);
    fs::create_symlink("/dev/full", full);
    const auto r = shell(with_tmp(args_for(a.wav, full.string())));
    EXPECT_NE(r.rc, 0) << r.out;
    EXPECT_FALSE(r.out.empty());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(full)));
}

// (Not with --long-file-minutes 0: there the temporary copy of the samples
// meets the limit before the output does.)
class SafeCliCutShort : public SafeCliFailure {};

TEST_P(SafeCliCutShort, AWriteCutShortKeepsTheOldFile) {
    const Recording a = make_recording(dir, "a", 7, 16000);
    const std::string o = (out / ("old" + GetParam().ext)).string();
    const std::string old(300, 'o');
    test::write_file(o, std::vector<unsigned char>(old.begin(), old.end()));
    // 4 blocks of 512 or 1024 bytes: far less than any of these outputs.
    const std::string script = dir.file("limited.sh");
    std::ofstream(script) << "trap '' XFSZ\nulimit -f 4\nexec env " << with_tmp(args_for(a.wav, o)) << "\n";
    const auto r = shell("sh " + quote(script));
    EXPECT_NE(r.rc, 0) << r.out;
    // The command ran and reported the failed write.
    EXPECT_TRUE(r.out.find(o) != std::string::npos || r.out.find("Error in save operation.") != std::string::npos)
        << r.out;
    EXPECT_EQ(slurp(o), old);
    EXPECT_EQ(names_in(out), std::set<std::string>{"old" + GetParam().ext});
}

TEST_P(SafeCliFailure, ModeAndLinkOfTheOutputAreKept) {
    const Recording a = make_recording(dir, "a", 8, 16000);
    fs::create_directories(out / "real");
    const fs::path real = out / "real" / ("target" + GetParam().ext);
    std::ofstream(real) << "old";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    const fs::path link = out / ("link" + GetParam().ext);
    fs::create_symlink(real, link);
    const auto r = shell(with_tmp(args_for(a.wav, link.string())));
    ASSERT_EQ(r.rc, 0) << r.out;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_GT(fs::file_size(real), 1000u);
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::mask, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(names_in(out / "real"), std::set<std::string>{"target" + GetParam().ext});
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SafeCliFailure,
    ::testing::Values(FailCase{"export_raw", "export-raw IN OUT", ".raw"},
                      FailCase{"export_raw_long", "export-raw IN OUT --long-file-minutes 0", ".raw"},
                      FailCase{"convert_wav", "convert IN OUT", ".wav"}, FailCase{"convert_vxl", "convert IN OUT", ".vxl"},
                      FailCase{"spectrogram", "spectrogram IN --width 200 --height 100 --out OUT", ".pgm"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Commands, SafeCliCutShort,
    ::testing::Values(FailCase{"export_raw", "export-raw IN OUT", ".raw"}, FailCase{"convert_wav", "convert IN OUT", ".wav"},
                      FailCase{"convert_vxl", "convert IN OUT", ".vxl"},
                      FailCase{"spectrogram", "spectrogram IN --width 200 --height 100 --out OUT", ".pgm"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vox
