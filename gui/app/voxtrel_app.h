#pragma once
// The application object: the state that lives from start to exit — the
// temporary folder, the configuration file and its application values, the
// temporary names, the recent-file list, the shared drawing resources and the
// printer settings — and the start-up steps before the main frame exists.

#include <QFont>
#include <QPen>
#include <array>
#include <memory>
#include <string>

#include "core/app/config_file.h"
#include "core/app/private_temp_folder.h"
#include "core/app/temp_folder.h"
#include "core/platform/audio_decoder.h"
#include "core/audio/record_settings.h"
#include "core/document/session_state.h"
#include "core/platform/progress.h"
#include "core/platform/settings_store.h"
#include "core/platform/temp_names.h"
#include "core/platform/user_prompts.h"
#include "gui/annotation/frame_log.h"
#include "gui/app/recent_files.h"

class QPrinter;

namespace vox {

struct EditClip;

// The outside world the application reaches through.
struct AppEnvironment {
    SettingsStore& settings;
    UserPrompts& prompts;
    FolderChooser& chooser;
    Progress& progress;
    std::string working_dir;      // the working directory at start
    std::string fallback_folder;  // where the folder chooser starts
    std::string application_dir;  // the program's folder (help file)
    // Decodes the formats the program's own readers do not know (handed to
    // every document); none: such files go to the generic-file question.
    AudioDecoder* decoder = nullptr;
    // The sound devices the views play and record through (handed to every
    // document with the session); none: the views have no devices.
    WaveDevices* devices = nullptr;
};

class CVoxtrelApp {
public:
    static constexpr const char* kCompany = "Trevanic";
    static constexpr const char* kVersionText = "1412";

    explicit CVoxtrelApp(AppEnvironment env);
    ~CVoxtrelApp();
    CVoxtrelApp(const CVoxtrelApp&) = delete;
    CVoxtrelApp& operator=(const CVoxtrelApp&) = delete;

    // Recent-file list, temporary folder and the application part of the
    // configuration file. False when start-up must end (the message was shown).
    bool init_instance();

    AppEnvironment& env() { return env_; }
    UserPrompts& prompts() { return env_.prompts; }
    Progress& progress() { return env_.progress; }
    // The configured temporary folder (it holds the configuration file).
    const std::string& temp_folder() const { return temp_folder_; }
    // This process's own folder inside it, for recordings, raw sample,
    // working and undo files; removed at exit.
    std::string private_temp_folder() const { return private_temp_ ? private_temp_->path() : std::string(); }
    ConfigFile& config() { return *config_; }
    AppConfigValues& app_values() { return app_values_; }
    TempNames& temp_names() { return temp_names_; }
    CRecentFileList& recent() { return recent_; }
    // Record and play settings (source, input, sample rate, unit channels).
    RecordSettings& record_settings() { return record_settings_; }
    const RecordSettings& record_settings() const { return record_settings_; }
    // "Available memory to read files (min)": not kept in the configuration
    // file, so the last accepted value lives for the session and every
    // document made afterwards starts with it.
    double long_file_minutes() const { return long_file_minutes_; }
    void set_long_file_minutes(double minutes) { long_file_minutes_ = minutes; }
    // True when the configuration file was sound at start-up.
    bool config_loaded() const { return config_loaded_; }

    // Shared drawing resources: "Arial" of height 14, weight 400, and the
    // 256 grey pens, pen i of colour (i, i, i).
    const QFont& shared_font() const { return font_; }
    const QPen& grey_pen(int i) const { return pens_[static_cast<std::size_t>(i & 0xFF)]; }

    // The printer settings shared by every view (Print Setup changes them).
    QPrinter& printer();

    // The help file: the program folder, then Manual/HelpIndex.html.
    std::string help_file() const;

    // What every document of this run shares (handed to each with its
    // services): the clip of Copy, Cut and Paste, one for every document so
    // that a stretch cut in one recording can be pasted into another (made by
    // its first user), the record settings and the application values.
    SessionState& session() { return session_; }
    // The measurement log window's place (the session's log).
    LogWindowSlot& log_window() { return log_window_; }
    std::shared_ptr<EditClip>& clip_slot() { return session_.clip; }

private:
    AppEnvironment env_;
    std::string temp_folder_;
    std::unique_ptr<PrivateTempFolder> private_temp_;
    std::unique_ptr<ConfigFile> config_;
    AppConfigValues app_values_;
    TempNames temp_names_{std::string()};
    CRecentFileList recent_;
    RecordSettings record_settings_;
    bool config_loaded_ = false;
    double long_file_minutes_ = OptionBlock{}.long_file_minutes;
    QFont font_;
    std::array<QPen, 256> pens_;
    std::unique_ptr<QPrinter> printer_;
    LogWindowSlot log_window_{env_.prompts, app_values_.log_window};
    SessionState session_{nullptr, &record_settings_, &app_values_, env_.devices, &log_window_};
};

}  // namespace vox
