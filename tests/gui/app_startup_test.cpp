// Start-up of the application object: the temporary folder through a
// scripted chooser and the configuration file it finds there.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/posix_files.h"

#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

namespace fs = std::filesystem;

struct StartFixture {
    ScratchDir dir;
    InMemorySettings settings;
    ScriptedPrompts prompts;
    ScriptedChooser chooser;
    NullProgress progress;
    std::unique_ptr<CVoxtrelApp> make() {
        AppEnvironment env{settings, prompts, chooser, progress, dir.path().string(), dir.path().string(),
                           dir.path().string()};
        return std::make_unique<CVoxtrelApp>(env);
    }
};

TEST(AppStartup, DefaultFolderIsTmpOfTheWorkingDirectoryAndIsRemembered) {
    StartFixture fx;
    auto app = fx.make();
    ASSERT_TRUE(app->init_instance());
    const std::string expect = (fx.dir.path() / "tmp").string();
    EXPECT_EQ(app->temp_folder(), expect);
    EXPECT_TRUE(fs::is_directory(expect));
    EXPECT_EQ(fx.settings.get("Trevanic", "General Strings section", "Temp Directory"), expect);
    EXPECT_TRUE(fx.chooser.titles.empty());
    EXPECT_FALSE(app->config_loaded());  // no configuration file yet
}

TEST(AppStartup, AStoredFolderThatVanishedIsCreatedAgain) {
    StartFixture fx;
    const std::string stored = (fx.dir.path() / "gone" / "again").string();
    fx.settings.set("Trevanic", "General Strings section", "Temp Directory", stored);
    auto app = fx.make();
    ASSERT_TRUE(app->init_instance());
    EXPECT_EQ(app->temp_folder(), stored);
    EXPECT_TRUE(fs::is_directory(stored));
}

TEST(AppStartup, ASoundConfigurationFileSuppliesTheDefaultSampleRate) {
    StartFixture fx;
    const fs::path tmp = fx.dir.path() / "tmp";
    fs::create_directories(tmp);
    AppConfigValues values;
    OptionBlock block;
    block.sample_rate = 16000.0;  // the rate of the audio channel last used
    ASSERT_TRUE(write_config_bytes((tmp / config_text::kFileName).string(), encode_config(block, values)));
    auto app = fx.make();
    ASSERT_TRUE(app->init_instance());
    EXPECT_TRUE(app->config_loaded());
    EXPECT_DOUBLE_EQ(app->app_values().default_sample_rate, 16000.0);
}

TEST(AppStartup, AnUnwritableFolderAsksForAnotherAndCancelEndsStartUp) {
    if (geteuid() == 0) GTEST_SKIP() << "root can write into any folder";
    StartFixture fx;
    const fs::path locked = fx.dir.path() / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    fx.settings.set("Trevanic", "General Strings section", "Temp Directory", locked.string());
    auto app = fx.make();
    EXPECT_FALSE(app->init_instance());
    ASSERT_EQ(fx.chooser.titles.size(), 1u);
    EXPECT_EQ(fx.chooser.titles[0], "Please select a temp folder.");
    ASSERT_FALSE(fx.prompts.messages().empty());
    EXPECT_EQ(fx.prompts.messages().back(), "Operation cannot continue without a temp folder.");
    fs::permissions(locked, fs::perms::owner_all);
}

// Recordings, raw sample files and undo files of this application go to a
// folder of its own inside the temporary folder (two applications at once
// never share a name); the configuration file stays in the temporary folder.
TEST(AppStartup, TemporaryFilesGoToAPrivateFolderRemovedAtExit) {
    StartFixture fx;
    auto app = fx.make();
    auto other = fx.make();
    ASSERT_TRUE(app->init_instance());
    ASSERT_TRUE(other->init_instance());
    const fs::path mine = app->private_temp_folder();
    const fs::path theirs = other->private_temp_folder();
    EXPECT_NE(mine, theirs);
    for (const fs::path& p : {mine, theirs}) {
        EXPECT_EQ(p.parent_path(), fs::path(app->temp_folder()));
        EXPECT_EQ(fs::status(p).permissions() & fs::perms::mask, fs::perms::owner_all);
    }
    EXPECT_EQ(app->temp_names().folder(), mine.string());
    EXPECT_EQ(fs::path(app->temp_names().next()).parent_path(), mine);
    EXPECT_EQ(fs::path(app->config().path()).parent_path(), fs::path(app->temp_folder()));
    std::ofstream(mine / "$$TempFile1") << "samples";
    app.reset();
    EXPECT_FALSE(fs::exists(mine));
    EXPECT_TRUE(fs::is_directory(theirs));
    EXPECT_TRUE(fs::is_directory(fx.dir.path() / "tmp"));
}

TEST(AppStartup, FoldersOfKilledApplicationsAreRemovedAtStart) {
    PlatformFiles* previous = set_platform_files(nullptr);
    use_posix_files();
    StartFixture fx;
    const fs::path tmp = fx.dir.path() / "tmp";
    fs::create_directories(tmp);
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    const fs::path stale = tmp / ("voxtrel-" + std::to_string(child) + "-killed");
    fs::create_directories(stale);
    std::ofstream(stale / "doc@@tmp") << "undo";
    // A save of the configuration killed half-way, and one still running.
    const fs::path part = tmp / ("VoxtrelConf.cfg." + std::to_string(child) + "-killed.vxpart");
    const fs::path running = tmp / ("VoxtrelConf.cfg." + std::to_string(getpid()) + "-saving.vxpart");
    std::ofstream(part) << "half";
    std::ofstream(running) << "half";
    auto app = fx.make();
    ASSERT_TRUE(app->init_instance());
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(part));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::is_directory(app->private_temp_folder()));
    app.reset();
    set_platform_files(previous);
}

}  // namespace
}  // namespace vox::test
