// The POSIX file services under real processes: private folders made 0700
// whatever the umask, saves killed with SIGKILL at any moment leave the old
// file (or the new one) whole and their leftovers are cleared by the next
// start or write, and programs saving the configuration at once never tear it.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "core/app/config_file.h"
#include "core/app/private_temp_folder.h"
#include "core/io/binary_file.h"
#include "platform/posix_files.h"
#include "tests/support/test_support.h"

namespace vox::test {
namespace {

namespace fs = std::filesystem;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

unsigned mode_of(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0u;
}

class Posix : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = set_platform_files(nullptr);
        use_posix_files();
    }
    void TearDown() override { set_platform_files(previous_); }
    ScratchDir dir;

private:
    PlatformFiles* previous_ = nullptr;
};

// Kills the child and collects it, so that its id is really gone.
void kill_and_reap(pid_t child) {
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
}

TEST_F(Posix, APrivateFolderIsOwnerOnlyWhateverTheUmask) {
    const mode_t old = ::umask(0);
    {
        PrivateTempFolder f(dir.path().string());
        ASSERT_TRUE(f.ok());
        EXPECT_EQ(mode_of(f.path()), 0700u);
        EXPECT_EQ(PrivateTempFolder::owner_of(fs::path(f.path()).filename().string()), static_cast<long>(getpid()));
    }
    ::umask(old);
    EXPECT_TRUE(names_in(dir.path()).empty());
}

// A killed process's folder survives it; the next start removes it, and not
// the folder of a process that still runs.
TEST_F(Posix, TheNextStartRemovesTheFolderOfAKilledProcessOnly) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    auto spawn = [&] {
        const pid_t child = fork();
        if (child == 0) {
            PrivateTempFolder f(dir.path().string());
            std::ofstream(fs::path(f.path()) / "$$TempFile1") << "recording";
            const char c = f.ok() ? 'y' : 'n';
            if (::write(ready[1], &c, 1) != 1) _exit(1);
            for (;;) ::pause();
        }
        char c = 0;
        EXPECT_EQ(::read(ready[0], &c, 1), 1);
        EXPECT_EQ(c, 'y');
        return child;
    };
    const pid_t killed = spawn();
    const pid_t running = spawn();
    kill_and_reap(killed);
    EXPECT_EQ(names_in(dir.path()).size(), 2u);  // nothing removed the killed one's folder
    EXPECT_EQ(sweep_stale_private_folders(dir.path().string()), 1);
    const auto left = names_in(dir.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(PrivateTempFolder::owner_of(*left.begin()), static_cast<long>(running));
    kill_and_reap(running);
    ::close(ready[0]);
    ::close(ready[1]);
}

// A save killed while it writes: the old file is whole and keeps its mode;
// the partial file it left is removed by the next write of that file.
TEST_F(Posix, ASaveKilledMidWriteLeavesTheOldFileAndTheNextWriteClearsUp) {
    const std::string target = dir.file("document.vxl");
    const std::string old(5000, 'o');
    std::ofstream(target, std::ios::binary) << old;
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        AtomicFileWriter w;
        if (!w.open(target)) _exit(1);
        const std::string chunk(65536, 'n');
        for (int i = 0;; ++i) {
            if (!w.file().write(chunk.data(), chunk.size()) || !w.file().flush()) _exit(1);
            if (i == 3 && ::write(ready[1], "w", 1) != 1) _exit(1);
            ::usleep(2000);
        }
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    kill_and_reap(child);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(slurp(target), old);
    EXPECT_EQ(mode_of(target), 0600u);
    EXPECT_EQ(names_in(dir.path()).size(), 2u);  // the killed writer's partial file
    ASSERT_TRUE(write_file_atomically(target, "new", 3));
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"document.vxl"});
    EXPECT_EQ(mode_of(target), 0600u);
}

// Saves killed at random moments of a loop of whole saves (so also between
// the sync, the rename and the folder sync): the file is always one whole
// version, never torn, and nothing stray survives the next start.
TEST_F(Posix, SavesKilledAtRandomMomentsNeverTearTheFile) {
    const std::string target = dir.file("VoxtrelConf.cfg");
    auto version = [](int k) { return std::string(1152, static_cast<char>('A' + k % 26)); };
    ASSERT_TRUE(write_file_atomically(target, version(0).data(), 1152));
    std::mt19937 rng(7);
    int torn = 0, stray_after_sweep = 0;
    constexpr int kKills = 12;
    for (int round = 0; round < kKills; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            for (int k = 1;; ++k)
                if (!write_file_atomically(target, version(k).data(), 1152)) _exit(1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200 + rng() % 20000));
        kill_and_reap(child);
        const std::string now = slurp(target);
        if (now.size() != 1152 || now != version(now.empty() ? 0 : now[0] - 'A')) ++torn;
        AtomicFileWriter::sweep_stale_parts(target);
        if (names_in(dir.path()) != std::set<std::string>{"VoxtrelConf.cfg"}) ++stray_after_sweep;
    }
    EXPECT_EQ(torn, 0) << "of " << kKills;
    EXPECT_EQ(stray_after_sweep, 0) << "of " << kKills;
}

// Two programs patching the configuration at once: every read sees a whole
// valid file, and both programs' saves succeed.
TEST_F(Posix, TwoProgramsSavingTheConfigurationAtOnceNeverCorruptIt) {
    const std::string path = dir.file("VoxtrelConf.cfg");
    AppConfigValues app;
    OptionBlock first, second;
    first.sample_rate = 11025;
    second.sample_rate = 22050;
    ASSERT_TRUE(write_config_bytes(path, encode_config(first, app)));
    std::vector<pid_t> children;
    for (const OptionBlock* block : {&first, &second}) {
        const pid_t child = fork();
        if (child == 0) {
            const ConfigBytes bytes = encode_config(*block, app);
            for (int i = 0; i < 150; ++i)
                if (!write_config_bytes(path, bytes)) _exit(1);
            _exit(0);
        }
        children.push_back(child);
    }
    int bad_reads = 0, reads = 0, failed_children = 0;
    for (std::size_t done = 0; done < children.size();) {
        for (pid_t& c : children) {
            int status = 0;
            if (c > 0 && ::waitpid(c, &status, WNOHANG) == c) {
                if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failed_children;
                c = -1;
                ++done;
            }
        }
        const auto b = read_config_bytes(path);
        ++reads;
        if (!b) {
            ++bad_reads;
            continue;
        }
        OptionBlock seen;
        decode_config_options(*b, seen);
        if (seen.sample_rate != 11025 && seen.sample_rate != 22050) ++bad_reads;
    }
    EXPECT_EQ(failed_children, 0);
    EXPECT_EQ(bad_reads, 0) << "of " << reads << " reads";
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"VoxtrelConf.cfg"});
}

TEST_F(Posix, ANewFileGetsTheUmasksModeAndAnOldOneKeepsItsOwn) {
    const mode_t old = ::umask(077);
    const std::string fresh = dir.file("fresh.wav");
    ASSERT_TRUE(write_file_atomically(fresh, "x", 1));
    EXPECT_EQ(mode_of(fresh), 0600u);
    const std::string shared = dir.file("shared.wav");
    std::ofstream(shared) << "old";
    ::chmod(shared.c_str(), 0644);
    ASSERT_TRUE(write_file_atomically(shared, "new", 3));
    EXPECT_EQ(mode_of(shared), 0644u);
    ::umask(old);
}

}  // namespace
}  // namespace vox::test
