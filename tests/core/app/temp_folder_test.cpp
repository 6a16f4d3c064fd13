#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <set>

#include "core/app/temp_folder.h"
#include "core/platform/scripted_prompts.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

namespace fs = std::filesystem;

struct ScriptedChooser : FolderChooser {
    std::optional<std::string> choose_folder(std::string_view title, const std::string& initial) override {
        titles.emplace_back(title);
        initials.push_back(initial);
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> titles, initials;
};

// A settings store whose writes do not stick.
struct ForgetfulSettings : SettingsStore {
    std::optional<std::string> get(const std::string&, const std::string&, const std::string&) const override {
        return std::nullopt;
    }
    bool set(const std::string&, const std::string&, const std::string&, const std::string&) override { return true; }
};

class TempFolderTest : public ::testing::Test {
protected:
    TempFolderServices services(SettingsStore& store) {
        TempFolderServices s{store, prompts, chooser, dir.path().string(), dir.file("fallback"), {}, {}};
        s.probe_write = [this](const std::string& f) {
            probed.push_back(f);
            return !unwritable.count(f) && probe_folder_writable(f);
        };
        return s;
    }
    std::optional<std::string> stored() const {
        return settings.get("Trevanic", "General Strings section", "Temp Directory");
    }
    test::ScratchDir dir;
    InMemorySettings settings;
    ScriptedPrompts prompts;
    ScriptedChooser chooser;
    std::set<std::string> unwritable;
    std::vector<std::string> probed;
};

TEST_F(TempFolderTest, FirstStartUsesTmpUnderWorkingDirAndStoresIt) {
    auto s = services(settings);
    const auto folder = select_temp_folder(s);
    const std::string expected = (dir.path() / "tmp").string();
    ASSERT_EQ(folder, expected);
    EXPECT_TRUE(fs::is_directory(expected));
    EXPECT_EQ(stored(), expected);
    EXPECT_TRUE(prompts.messages().empty());
    // The probe file is gone again.
    EXPECT_FALSE(fs::exists(fs::path(expected) / "xxx"));
}

TEST_F(TempFolderTest, StoredFolderThatVanishedIsCreatedAgain) {
    const std::string gone = dir.file("deep/gone/tmp");
    settings.set("Trevanic", "General Strings section", "Temp Directory", gone);
    auto s = services(settings);
    EXPECT_EQ(select_temp_folder(s), gone);
    EXPECT_TRUE(fs::is_directory(gone));
}

TEST_F(TempFolderTest, SettingThatDoesNotStickEndsStartUp) {
    ForgetfulSettings forgetful;
    auto s = services(forgetful);
    EXPECT_FALSE(select_temp_folder(s));
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{
                                      "Unable to update the system registry.\nPlease contact your system administrator and/or the vender."});
}

TEST_F(TempFolderTest, FolderThatCannotBeCreatedEndsStartUp) {
    test::write_file(dir.file("plainfile"), {1, 2, 3});
    settings.set("Trevanic", "General Strings section", "Temp Directory", dir.file("plainfile/sub"));
    auto s = services(settings);
    EXPECT_FALSE(select_temp_folder(s));
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{"Error in creating a temp folder.\n"});
    EXPECT_TRUE(chooser.titles.empty());
}

TEST_F(TempFolderTest, UnwritableFolderLeadsToTheChooserAndTheChoiceIsStored) {
    const std::string bad = (dir.path() / "tmp").string();
    unwritable.insert(bad);
    const std::string chosen = dir.file("chosen/new");
    chooser.answers.push_back(chosen);
    auto s = services(settings);
    EXPECT_EQ(select_temp_folder(s), chosen);
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0].rfind("Application was not able to access the default temperorily folder", 0), 0u);
    EXPECT_EQ(chooser.titles, std::vector<std::string>{"Please select a temp folder."});
    EXPECT_EQ(chooser.initials, std::vector<std::string>{dir.file("fallback")});
    EXPECT_EQ(stored(), chosen);
    EXPECT_TRUE(fs::is_directory(chosen));
}

TEST_F(TempFolderTest, CancelledChooserEndsStartUpWithItsMessage) {
    unwritable.insert((dir.path() / "tmp").string());
    chooser.answers.push_back(std::nullopt);
    auto s = services(settings);
    EXPECT_FALSE(select_temp_folder(s));
    ASSERT_EQ(prompts.messages().size(), 2u);
    EXPECT_EQ(prompts.messages()[1], "Operation cannot continue without a temp folder.");
}

TEST_F(TempFolderTest, ChosenFolderThatIsNotWritableEitherIsRefused) {
    unwritable.insert((dir.path() / "tmp").string());
    const std::string chosen = dir.file("alsobad");
    unwritable.insert(chosen);
    chooser.answers.push_back(chosen);
    auto s = services(settings);
    EXPECT_FALSE(select_temp_folder(s));
    EXPECT_EQ(prompts.messages().back(), "Operation cannot continue without a temp folder.");
}

TEST(TempFolderProbe, RealProbeFailsOnMissingFolder) {
    test::ScratchDir dir;
    EXPECT_TRUE(probe_folder_writable(dir.path().string()));
    EXPECT_FALSE(probe_folder_writable(dir.file("missing")));
}

// Whatever stands under the test file's name — a link planted there, a test
// file left by a start that was killed — is never written through, and the
// probe still works.
TEST(TempFolderProbe, NeverWritesThroughWhatStandsUnderTheTestName) {
    test::ScratchDir dir;
    const std::string victim = dir.file("victim");
    test::write_file(victim, {'k', 'e', 'e', 'p'});
    std::filesystem::create_symlink(victim, dir.path() / "xxx");
    EXPECT_TRUE(probe_folder_writable(dir.path().string()));
    EXPECT_EQ(test::read_file(victim), (std::vector<unsigned char>{'k', 'e', 'e', 'p'}));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.path() / "xxx")));
    test::write_file(dir.file("xxx"), {'o', 'l', 'd'});
    EXPECT_TRUE(probe_folder_writable(dir.path().string()));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "xxx"));
}

}  // namespace
}  // namespace vox
