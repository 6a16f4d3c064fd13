#pragma once
// The main frame: a multiple-document window titled "Voxtrel" with the menus,
// toolbar, accelerators and status bar built from the command table. A
// command goes to the active view first, then its document, then the frame
// and finally the application; the first of them that handles it decides
// whether it is enabled. Commands nobody handles stay disabled.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <array>
#include <memory>
#include <vector>

#include "core/app/command_table.h"
#include "core/app/config_file.h"
#include "gui/app/help_window.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;
class QUrl;

namespace vox {

class CAnalysisFrame;
class CAudioWindows;
class CChildFrame;
class CMarbeckDoc;
class CVoxtrelApp;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Voxtrel";
    static constexpr const char* kNoHelp = "No help file was found. Please contact the vendor.";
    static constexpr const char* kOpenTitle = "Open";
    // One filter over the extensions of every format the Open dialog lists,
    // offered before them and chosen the first time the dialog opens.
    static constexpr const char* kAllSupportedFilter =
        "All supported recordings|*.vxl; *.lmf; *.wav; *.nsp; *.sph; *.sp1; *.sp2; *.d; *.au; *.aiff; *.aif; *.aifc; "
        "*.flac; *.ogg; *.oga; *.opus; *.mp3; *.w64; *.rf64; *.caf; "
        "*.VXL; *.LMF; *.WAV; *.NSP; *.SPH; *.SP1; *.SP2; *.D; *.AU; *.AIFF; *.AIF; *.AIFC; "
        "*.FLAC; *.OGG; *.OGA; *.OPUS; *.MP3; *.W64; *.RF64; *.CAF|";
    // After the format filters: the files the decoder reads. Last, so that
    // the remembered index of every other filter stays what it was.
    static constexpr const char* kDecodedFilter =
        "Compressed and 64-bit audio (*.flac; *.ogg; *.opus; *.mp3; *.w64; *.rf64; *.caf)|*.flac; *.ogg; *.oga; *.opus; *.mp3; *.w64; *.rf64; *.caf; *.FLAC; *.OGG; *.OGA; *.OPUS; *.MP3; *.W64; *.RF64; *.CAF|";

    explicit CMainFrame(CVoxtrelApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CVoxtrelApp& app() { return app_; }
    AppConfigValues& app_values();
    QMdiArea* mdi_area() const { return mdi_; }

    // --- documents ----------------------------------------------------------
    // Opens a file in a new document window (or activates the window that
    // already shows it). Null when the open failed; nothing stays on screen.
    CMarbeckDoc* open_document(const std::string& path);
    // A new empty document titled "Untitled".
    CMarbeckDoc* new_document();
    // The document of the active window (waveform or analysis window).
    CMarbeckDoc* active_document() const;
    // The active waveform window; null when another kind of window is active.
    CChildFrame* active_child() const;
    // The active window of the area, or the last active one while the area
    // reports none (no focus); null without windows.
    QMdiSubWindow* active_window() const;
    int document_count() const { return static_cast<int>(docs_.size()); }
    std::vector<CChildFrame*> frames_of(const CMarbeckDoc& doc) const;
    // Closes every document, asking about changes; false when one said Cancel.
    bool close_all_documents();

    // --- commands -----------------------------------------------------------
    QAction* action(CommandId id) const { return actions_[static_cast<std::size_t>(id)]; }
    // The targets a command is offered to while the active window is as now.
    CommandRoute command_route() const;
    bool command_enabled(CommandId id) const;
    // Runs the command when it is enabled; false when it was not.
    bool run_command(CommandId id);
    // Re-evaluates every action's enabled state and the reduced menu.
    void update_command_ui();
    const std::vector<QAction*>& recent_actions() const { return recent_actions_; }
    QToolBar* tool_bar() const { return toolbar_; }
    // Help Topics hands the manual to this opener (the desktop's by default);
    // when it fails the manual opens in the program's help window.
    void set_url_opener(std::function<bool(const QUrl&)> opener) { url_opener_ = std::move(opener); }
    CHelpWindow* help_window() const { return help_window_; }
    int open_filter_index() const { return open_filter_index_; }

    // --- called by the document windows ------------------------------------
    bool child_may_close(CChildFrame& child);
    void child_closing(CChildFrame& child);
    // An accepted option dialog: that group of the configuration file takes
    // the document's values.
    void patch_config(ConfigGroup group, CMarbeckDoc& doc);
    void show_status(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The tables of the active document, the log window, the frame and the
    // application.
    void make_commands();
    void close_document(CMarbeckDoc& doc);

    void build_actions();
    void build_menus();
    void build_toolbar();
    void build_status_bar();
    void rebuild_recent_menu();
    void rebuild_window_list();
    void update_lock_indicators();
    void free_window_shortcuts();

    CChildFrame* add_frame(CMarbeckDoc& doc);
    std::unique_ptr<CMarbeckDoc> make_document();
    void adopt_document(std::unique_ptr<CMarbeckDoc> doc);
    void retitle(const CMarbeckDoc& doc);
    void finish_document(CMarbeckDoc& doc);


    void file_open();
    void print_setup();
    void load_configuration();
    void help_topics();
    void about();
    void arrange_icons();

    CVoxtrelApp& app_;
    QMdiArea* mdi_ = nullptr;
    std::array<QAction*, static_cast<std::size_t>(CommandId::Count)> actions_{};
    std::vector<QMenu*> menus_;
    QMenu* file_menu_ = nullptr;
    QMenu* window_menu_ = nullptr;
    QAction* recent_anchor_ = nullptr;  // the Exit action; recent files go above it
    QAction* recent_separator_ = nullptr;
    std::vector<QAction*> recent_actions_;
    std::vector<QAction*> window_list_actions_;
    QToolBar* toolbar_ = nullptr;
    QLabel* caps_ = nullptr;
    QLabel* num_ = nullptr;
    QLabel* scroll_ = nullptr;
    bool caps_on_ = false, num_on_ = false, scroll_on_ = false;
    QTimer* idle_ = nullptr;
    std::vector<std::unique_ptr<CMarbeckDoc>> docs_;
    int open_filter_index_ = 0;
    bool closing_all_ = false;
    CommandTable document_commands_, log_commands_, frame_commands_, app_commands_;
    std::unique_ptr<CAudioWindows> audio_;  // Record & Play window and scope
    std::function<bool(const QUrl&)> url_opener_;
    QPointer<CHelpWindow> help_window_;

public:
    CAudioWindows* audio_windows() const { return audio_.get(); }
};

}  // namespace vox
