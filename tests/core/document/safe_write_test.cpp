// The one routine every file goes out through: a partial file beside the
// target, checked writes and close, sync, rename, sync of the folder; the old
// file survives every failure, modes and symbolic links are kept, partial
// files of killed writers are cleared.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "core/annotation/log_texts.h"
#include "core/annotation/measurement_log.h"
#include "core/app/config_file.h"
#include "core/io/binary_file.h"
#include "core/platform/platform_files.h"
#include "tests/support/test_support.h"

namespace vox::test {
namespace {

namespace fs = std::filesystem;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void put(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// Everything in the folder except the names given.
std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// A file-system double: records each step with what the target held at that
// moment, and fails the step it is told to.
class RecordingFiles : public StandardFiles {
public:
    enum class Step { None, SyncFile, SetPermissions, SyncFolder };
    Step fail = Step::None;
    std::string watched;                  // the target whose content is sampled
    std::vector<std::string> log;         // "sync_file:<target content>", ...
    std::set<long> dead;                  // processes that no longer run

    bool sync_file(std::FILE* f) override {
        log.push_back("sync_file:" + slurp(watched));
        if (fail == Step::SyncFile) {
            errno = EIO;
            return false;
        }
        return StandardFiles::sync_file(f);
    }
    bool sync_folder(const std::string& folder) override {
        log.push_back("sync_folder:" + slurp(watched) + "@" + folder);
        if (fail == Step::SyncFolder) {
            errno = EIO;
            return false;
        }
        return true;
    }
    bool set_permissions(std::FILE* f, const std::string& path, unsigned mode) override {
        if (fail == Step::SetPermissions) {
            errno = EPERM;
            return false;
        }
        return StandardFiles::set_permissions(f, path, mode);
    }
    long process_id() override { return 777; }
    bool process_running(long pid) override { return dead.count(pid) == 0; }
};

class SafeWrite : public ::testing::Test {
protected:
    void SetUp() override { previous_ = set_platform_files(&files); }
    void TearDown() override { set_platform_files(previous_); }
    ScratchDir dir;
    RecordingFiles files;

private:
    PlatformFiles* previous_ = nullptr;
};

TEST_F(SafeWrite, SyncsTheFileBeforeTheRenameAndTheFolderAfterIt) {
    const std::string target = dir.file("doc.vxl");
    put(target, "old");
    files.watched = target;
    std::string why;
    ASSERT_TRUE(write_file_atomically(target, "new", 3, &why)) << why;
    ASSERT_EQ(files.log.size(), 2u);
    EXPECT_EQ(files.log[0], "sync_file:old");  // the new bytes are on disk before they replace the old
    EXPECT_EQ(files.log[1], "sync_folder:new@" + dir.path().string());
    EXPECT_EQ(slurp(target), "new");
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"doc.vxl"});
}

// Every failing step: the routine says so, the old file is whole and no
// partial file stays behind (the folder sync comes after the rename, so there
// the new file is in place, but the failure is still reported).
struct FailCase {
    const char* name;
    RecordingFiles::Step step;
    bool old_kept;
};

class SafeWriteFailure : public SafeWrite, public ::testing::WithParamInterface<FailCase> {};

TEST_P(SafeWriteFailure, ReportsAndLeavesNoPartialFile) {
    const FailCase& c = GetParam();
    const std::string target = dir.file("log.txt");
    put(target, "the old log");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    files.watched = target;
    files.fail = c.step;
    std::string why;
    EXPECT_FALSE(write_file_atomically(target, "a new and longer log", 20, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(slurp(target), c.old_kept ? "the old log" : "a new and longer log");
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"log.txt"});
}

INSTANTIATE_TEST_SUITE_P(Steps, SafeWriteFailure,
                         ::testing::Values(FailCase{"sync_file", RecordingFiles::Step::SyncFile, true},
                                           FailCase{"set_permissions", RecordingFiles::Step::SetPermissions, true},
                                           FailCase{"sync_folder", RecordingFiles::Step::SyncFolder, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Each writer of the program, with the disk failing under it: the old file
// stays and the caller learns of it.
struct WriterCase {
    const char* name;
    std::function<bool(const std::string& path, ScriptedPrompts& prompts)> write;
};

class EveryWriter : public SafeWrite, public ::testing::WithParamInterface<WriterCase> {};

TEST_P(EveryWriter, KeepsTheOldFileWhenTheSyncFails) {
    const std::string target = dir.file("target.bin");
    put(target, "precious old bytes");
    files.watched = target;
    files.fail = RecordingFiles::Step::SyncFile;
    ScriptedPrompts prompts;
    EXPECT_FALSE(GetParam().write(target, prompts));
    EXPECT_EQ(slurp(target), "precious old bytes");
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"target.bin"});

    files.fail = RecordingFiles::Step::None;
    EXPECT_TRUE(GetParam().write(target, prompts));
    EXPECT_NE(slurp(target), "precious old bytes");
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"target.bin"});
}

DocFixture& shared_doc() {
    static DocFixture fx;
    static bool ready = false;
    if (!ready) {
        CMarbeckDoc& d = fx.fresh();
        d.channels[0].set_foreign_audio(8000.0, 800.0);
        d.channels[0].allocate_samples(800);
        for (std::size_t i = 0; i < 800; ++i) d.channels[0].samples[i] = static_cast<std::int16_t>(i * 7);
        d.channel_count = 1;
        d.loaded = 1;
        ready = true;
    }
    return fx;
}

INSTANTIATE_TEST_SUITE_P(
    Writers, EveryWriter,
    ::testing::Values(
        WriterCase{"configuration",
                   [](const std::string& p, ScriptedPrompts&) {
                       return write_config_bytes(p, encode_config(OptionBlock{}, AppConfigValues{}));
                   }},
        WriterCase{"log",
                   [](const std::string& p, ScriptedPrompts& prompts) {
                       MeasurementLog log;
                       const bool ok = log.write_file(p, prompts);
                       // A failed save says so with the log's own message.
                       if (!ok && (prompts.messages().empty() || prompts.messages().back() != log_text::kOpenError))
                           ADD_FAILURE() << "no message for a failed log save";
                       return ok;
                   }},
        WriterCase{"native",
                   [](const std::string& p, ScriptedPrompts&) { return shared_doc().doc->write_native(p); }},
        WriterCase{"wave",
                   [](const std::string& p, ScriptedPrompts&) { return shared_doc().doc->write_wave(p, false); }}),
    [](const auto& info) { return std::string(info.param.name); });

// The target's permission bits survive the replacement, whatever the umask
// would give a new file.
class SafeWriteMode : public SafeWrite, public ::testing::WithParamInterface<unsigned> {};

TEST_P(SafeWriteMode, KeepsTheTargetsPermissions) {
    const std::string target = dir.file("private.cfg");
    put(target, "x");
    fs::permissions(target, static_cast<fs::perms>(GetParam()), fs::perm_options::replace);
    ASSERT_TRUE(write_file_atomically(target, "yy", 2));
    EXPECT_EQ(static_cast<unsigned>(fs::status(target).permissions() & fs::perms::mask), GetParam());
    EXPECT_EQ(slurp(target), "yy");
}

INSTANTIATE_TEST_SUITE_P(Modes, SafeWriteMode, ::testing::Values(0600u, 0640u, 0644u, 0700u, 0666u));

// A path that is a symbolic link: the file it names gets the new bytes, the
// link stays a link. Relative, absolute, chained and dangling links.
struct LinkCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // link name -> what it points to
    const char* written;                                      // link written through
    const char* real;                                         // file that must get the bytes
    bool real_exists;
};

class SafeWriteLink : public SafeWrite, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(SafeWriteLink, WritesThroughAndKeepsTheLink) {
    const LinkCase& c = GetParam();
    fs::create_directories(dir.path() / "real");
    const std::string real = dir.file(c.real);
    if (c.real_exists) put(real, "old");
    for (const auto& [link, to] : c.links) {
        const std::string dest = to.front() == '/' ? dir.file(to.substr(1)) : to;
        fs::create_symlink(dest, dir.path() / link);
    }
    std::string why;
    ASSERT_TRUE(write_file_atomically(dir.file(c.written), "through", 7, &why)) << why;
    for (const auto& [link, to] : c.links) EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path() / link))) << link;
    EXPECT_EQ(slurp(real), "through");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(real)));
    EXPECT_EQ(names_in(dir.path() / "real"), std::set<std::string>{fs::path(c.real).filename().string()});
}

INSTANTIATE_TEST_SUITE_P(
    Links, SafeWriteLink,
    ::testing::Values(LinkCase{"relative", {{"out.wav", "real/out.wav"}}, "out.wav", "real/out.wav", true},
                      LinkCase{"absolute", {{"out.wav", "/real/target.wav"}}, "out.wav", "real/target.wav", true},
                      LinkCase{"chain", {{"a.wav", "b.wav"}, {"b.wav", "real/c.wav"}}, "a.wav", "real/c.wav", true},
                      LinkCase{"dangling", {{"new.wav", "real/new.wav"}}, "new.wav", "real/new.wav", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SafeWrite, ALinkLoopIsRefusedAndNothingIsReplaced) {
    fs::create_symlink(dir.file("b"), dir.path() / "a");
    fs::create_symlink(dir.file("a"), dir.path() / "b");
    std::string why;
    EXPECT_FALSE(write_file_atomically(dir.file("a"), "x", 1, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path() / "a")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.path() / "b")));
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"a", "b"}));
}

TEST_F(SafeWrite, ADeviceIsWrittenAsAStreamAndAFullOneFails) {
    std::string why;
    EXPECT_TRUE(write_file_atomically("/dev/null", "abc", 3, &why)) << why;
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    std::string big(1 << 16, 'x');
    EXPECT_FALSE(write_file_atomically("/dev/full", big.data(), big.size(), &why));
    EXPECT_FALSE(why.empty());
}

TEST_F(SafeWrite, AFolderIsNeverATarget) {
    fs::create_directories(dir.path() / "folder");
    std::string why;
    EXPECT_FALSE(write_file_atomically(dir.file("folder"), "x", 1, &why));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder"));
}

// Partial files of writers that were killed are removed by the next write of
// the same target; those of running writers and every other name stay.
TEST_F(SafeWrite, TheNextWriteClearsPartialFilesOfWritersThatAreGone) {
    const std::string target = dir.file("VoxtrelConf.cfg");
    put(target, "old");
    files.dead = {4242, 99};
    const std::vector<std::string> stale = {"VoxtrelConf.cfg.4242-abc123.vxpart", "VoxtrelConf.cfg.99-z.vxpart"};
    const std::vector<std::string> kept = {
        "VoxtrelConf.cfg.5151-abc.vxpart",   // its writer still runs
        "VoxtrelConf.cfg.4242-a_b.vxpart",   // not a name of ours
        "VoxtrelConf.cfg.4242.vxpart",       // no tag
        "Other.cfg.4242-abc.vxpart",         // another target's
        "VoxtrelConf.cfg.4242-abc.vxpartx",  // another suffix
        "VoxtrelConf.cfg",
    };
    for (const auto& n : stale) put(dir.file(n), "partial");
    for (const auto& n : kept)
        if (n != "VoxtrelConf.cfg") put(dir.file(n), "keep");
    ASSERT_TRUE(write_file_atomically(target, "new", 3));
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>(kept.begin(), kept.end()));
    EXPECT_EQ(slurp(target), "new");
}

// Writers in parallel on one target (two programs saving the configuration):
// every save succeeds, the file is always one writer's whole content and no
// partial file is left.
TEST_F(SafeWrite, ParallelSavesOfOneFileNeverMixOrCollide) {
    set_platform_files(nullptr);  // the double's log is not thread-safe
    const std::string target = dir.file("VoxtrelConf.cfg");
    constexpr int kWriters = 4, kRounds = 40;
    std::vector<std::string> contents;
    for (int w = 0; w < kWriters; ++w) contents.push_back(std::string(1152, static_cast<char>('a' + w)));
    std::atomic<int> failures{0};
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!stop) {
            const std::string now = slurp(target);
            if (!now.empty() && std::find(contents.begin(), contents.end(), now) == contents.end()) ++torn;
        }
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int r = 0; r < kRounds; ++r)
                if (!write_file_atomically(target, contents[w].data(), contents[w].size())) ++failures;
        });
    for (auto& t : writers) t.join();
    stop = true;
    reader.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_NE(std::find(contents.begin(), contents.end(), slurp(target)), contents.end());
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"VoxtrelConf.cfg"});
}

// Temporary files are made only where nothing stands: an existing file or a
// link planted under the name is refused, and the link's target untouched.
TEST_F(SafeWrite, CreateNewNeverOpensWhatStandsUnderTheName) {
    const std::string victim = dir.file("victim");
    put(victim, "keep me");
    fs::create_symlink(victim, dir.path() / "$$TempFile1");
    put(dir.file("$$TempFile2"), "existing");
    BinaryFile f;
    EXPECT_FALSE(f.open(dir.file("$$TempFile1"), BinaryFile::Mode::CreateNew));
    EXPECT_FALSE(f.open(dir.file("$$TempFile2"), BinaryFile::Mode::CreateNew));
    EXPECT_EQ(f.error(), EEXIST);
    EXPECT_EQ(slurp(victim), "keep me");
    EXPECT_EQ(slurp(dir.file("$$TempFile2")), "existing");
    ASSERT_TRUE(f.open(dir.file("$$TempFile3"), BinaryFile::Mode::CreateNew));
    EXPECT_TRUE(f.write("x", 1));
    EXPECT_TRUE(f.close());
}

}  // namespace
}  // namespace vox::test
