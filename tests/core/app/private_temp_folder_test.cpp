// Each process's own temporary folder: made fresh for the owner only, removed
// with its contents (never what links inside point to), and the folders of
// processes that are gone swept away without touching anything else.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "core/app/private_temp_folder.h"
#include "core/platform/platform_files.h"
#include "tests/support/test_support.h"

namespace vox::test {
namespace {

namespace fs = std::filesystem;

void touch(const fs::path& p, const std::string& text = "x") { std::ofstream(p) << text; }

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// Pretends to be process 500 among the given running processes.
class FakeProcesses : public StandardFiles {
public:
    std::set<long> running{500};
    long process_id() override { return 500; }
    bool process_running(long pid) override { return running.count(pid) != 0; }
};

class PrivateFolder : public ::testing::Test {
protected:
    void SetUp() override { previous_ = set_platform_files(&files); }
    void TearDown() override { set_platform_files(previous_); }
    ScratchDir dir;
    FakeProcesses files;

private:
    PlatformFiles* previous_ = nullptr;
};

TEST_F(PrivateFolder, IsFreshOwnerOnlyAndCarriesTheProcessId) {
    std::set<std::string> seen;
    std::vector<std::unique_ptr<PrivateTempFolder>> kept;  // every later name must differ from these
    for (int i = 0; i < 20; ++i) {
        auto& f = kept.emplace_back(std::make_unique<PrivateTempFolder>(dir.path().string()));
        ASSERT_TRUE(f->ok());
        const fs::path p(f->path());
        EXPECT_EQ(p.parent_path(), dir.path());
        EXPECT_EQ(PrivateTempFolder::owner_of(p.filename().string()), 500);
        EXPECT_EQ(fs::status(p).permissions() & fs::perms::mask, fs::perms::owner_all);
        EXPECT_TRUE(seen.insert(p.filename().string()).second) << "name used twice";
    }
    EXPECT_EQ(names_in(dir.path()).size(), 20u);
    kept.clear();
    EXPECT_TRUE(names_in(dir.path()).empty());
}

TEST_F(PrivateFolder, GoesWithItsContentsButNotWhatLinksPointTo) {
    const fs::path outside = dir.path() / "outside";
    fs::create_directories(outside);
    touch(outside / "keep.wav");
    std::string path;
    {
        PrivateTempFolder f(dir.path().string());
        ASSERT_TRUE(f.ok());
        path = f.path();
        touch(fs::path(path) / "$$TempFile1");
        fs::create_directories(fs::path(path) / "sub");
        touch(fs::path(path) / "sub" / "doc@@tmp");
        fs::create_directory_symlink(outside, fs::path(path) / "link");
        fs::create_symlink(outside / "keep.wav", fs::path(path) / "$$TempFile2");
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
    EXPECT_TRUE(fs::exists(outside / "keep.wav"));
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"outside"});
}

TEST_F(PrivateFolder, AMissingParentGivesNoFolder) {
    PrivateTempFolder f((dir.path() / "no" / "such").string());
    EXPECT_FALSE(f.ok());
    EXPECT_TRUE(f.path().empty());
}

struct OwnerCase {
    const char* name;
    std::optional<long> pid;  // none: not one of ours
};

class OwnerOf : public ::testing::TestWithParam<OwnerCase> {};

TEST_P(OwnerOf, ReadsOnlyNamesOfOurOwnShape) {
    EXPECT_EQ(PrivateTempFolder::owner_of(GetParam().name), GetParam().pid);
}

INSTANTIATE_TEST_SUITE_P(Names, OwnerOf,
                         ::testing::Values(OwnerCase{"voxtrel-123-abc9", 123}, OwnerCase{"voxtrel-1-z", 1},
                                           OwnerCase{"voxtrel-123", std::nullopt}, OwnerCase{"voxtrel-123-", std::nullopt},
                                           OwnerCase{"voxtrel--abc", std::nullopt}, OwnerCase{"voxtrel-12a-abc", std::nullopt},
                                           OwnerCase{"voxtrel-123-ab.c", std::nullopt}, OwnerCase{"Voxtrel-123-abc", std::nullopt},
                                           OwnerCase{"voxtrel-cli-abc123", std::nullopt}, OwnerCase{"voxtrel-", std::nullopt},
                                           OwnerCase{"voxtrel-1234567890123-a", std::nullopt}, OwnerCase{"$$TempFile1", std::nullopt}));

TEST_F(PrivateFolder, SweepRemovesOnlyFoldersOfProcessesThatAreGone) {
    files.running = {500, 600};
    const fs::path d = dir.path();
    fs::create_directories(d / "voxtrel-41-dead" / "inner");
    touch(d / "voxtrel-41-dead" / "inner" / "$$TempFile3");
    fs::create_directories(d / "voxtrel-42-gone");
    fs::create_directories(d / "voxtrel-600-alive");      // its process runs
    fs::create_directories(d / "voxtrel-500-mine");       // this process's own
    fs::create_directories(d / "voxtrel-43");             // not a name of ours
    fs::create_directories(d / "somebody-else-43-dead");  // not ours either
    touch(d / "voxtrel-44-file");                         // a file, not a folder
    touch(d / "VoxtrelConf.cfg");                         // the configuration stays
    fs::create_directories(d / "target");
    touch(d / "target" / "precious");
    fs::create_directory_symlink(d / "target", d / "voxtrel-45-link");  // a link, not a folder
    EXPECT_EQ(sweep_stale_private_folders(d.string()), 2);
    EXPECT_EQ(names_in(d), (std::set<std::string>{"voxtrel-600-alive", "voxtrel-500-mine", "voxtrel-43",
                                                  "somebody-else-43-dead", "voxtrel-44-file", "VoxtrelConf.cfg",
                                                  "target", "voxtrel-45-link"}));
    EXPECT_TRUE(fs::exists(d / "target" / "precious"));
}

TEST_F(PrivateFolder, WithoutAPlatformNothingIsEverSwept) {
    set_platform_files(nullptr);  // the portable fallback cannot tell who runs
    fs::create_directories(dir.path() / "voxtrel-41-dead");
    EXPECT_EQ(sweep_stale_private_folders(dir.path().string()), 0);
    EXPECT_TRUE(fs::is_directory(dir.path() / "voxtrel-41-dead"));
}

}  // namespace
}  // namespace vox::test
