#include "gui/app/main_frame.h"
#include "gui/app/audio_windows.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <algorithm>
#include <filesystem>

#include "core/document/marbeck_doc.h"
#include "core/formats/open_document.h"
#include "gui/app/about_box.h"
#include "gui/app/child_frame.h"
#include "gui/app/command_icons.h"
#include "gui/app/help_window.h"
#include "gui/app/voxtrel_app.h"
#include "gui/widgets/window_fit.h"
#include "gui/views/analysis/analysis_frame.h"
#include "gui/annotation/frame_log.h"

namespace vox {

namespace {

using C = CommandId;

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The status-bar prompt and the tooltip of a command ("prompt\ntip").
std::pair<QString, QString> prompt_and_tip(const CommandInfo& info) {
    const QString all = qs(info.prompt);
    const int nl = static_cast<int>(all.indexOf('\n'));
    if (nl < 0) return {all, all};
    return {all.left(nl), all.mid(nl + 1)};
}

}  // namespace

CMainFrame::CMainFrame(CVoxtrelApp& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setWindowTitle(kTitle);
    setWindowIcon(application_icon());
    setAcceptDrops(true);

    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setBackground(QColor(0x8a, 0x96, 0xa3));
    setCentralWidget(mdi_);
    make_commands();
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { update_command_ui(); });

    build_actions();
    // Ctrl+F4 closes the active window, as the close button does (the
    // window's own close path asks about its document).
    auto* close_window = new QAction(this);
    close_window->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    close_window->setShortcutContext(Qt::WindowShortcut);
    connect(close_window, &QAction::triggered, this, [this] { mdi_->closeActiveSubWindow(); });
    addAction(close_window);
    build_menus();
    build_toolbar();
    build_status_bar();
    rebuild_recent_menu();
    audio_ = std::make_unique<CAudioWindows>(*this, menus_[8]);

    // Enabling follows the state of the active view and document, which
    // changes with every click: re-evaluate when idle, a few times a second.
    idle_ = new QTimer(this);
    idle_->setInterval(200);
    connect(idle_, &QTimer::timeout, this, [this] { update_command_ui(); });
    idle_->start();
    qApp->installEventFilter(this);
    update_command_ui();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    // Windows go before the documents they show.
    closing_all_ = true;
    for (QMdiSubWindow* w : mdi_->subWindowList()) delete w;
    docs_.clear();
}

AppConfigValues& CMainFrame::app_values() { return app_.app_values(); }

// --- building -----------------------------------------------------------------------

void CMainFrame::build_actions() {
    for (const CommandInfo& info : command_table()) {
        auto* a = new QAction(qs(info.text), this);
        const auto [prompt, tip] = prompt_and_tip(info);
        a->setStatusTip(prompt);
        a->setToolTip(tip);
        QList<QKeySequence> keys;
        if (!info.shortcut.empty()) keys << QKeySequence(qs(info.shortcut));
        for (const auto& extra : kExtraShortcuts)
            if (extra.id == info.id) keys << QKeySequence(qs(extra.shortcut));
        if (!keys.isEmpty()) a->setShortcuts(keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
        const CommandId id = info.id;
        connect(a, &QAction::triggered, this, [this, id] { run_command(id); });
        actions_[static_cast<std::size_t>(id)] = a;
        addAction(a);  // accelerators work even for toolbar-only commands
    }
    action(C::ViewToolbar)->setCheckable(true);
    action(C::ViewToolbar)->setChecked(true);
    action(C::ViewStatusBar)->setCheckable(true);
    action(C::ViewStatusBar)->setChecked(true);
    for (const auto& slot : toolbar_layout())
        if (slot) action(*slot)->setIcon(command_icon(*slot));

    // Context help and moving between panes.
    auto* context_help = QWhatsThis::createAction(this);
    context_help->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    addAction(context_help);
    auto* next_pane = new QAction(this);
    next_pane->setShortcut(QKeySequence(Qt::Key_F6));
    connect(next_pane, &QAction::triggered, this, [this] { mdi_->activateNextSubWindow(); });
    addAction(next_pane);
    auto* prev_pane = new QAction(this);
    prev_pane->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(prev_pane, &QAction::triggered, this, [this] { mdi_->activatePreviousSubWindow(); });
    addAction(prev_pane);
}

void CMainFrame::build_menus() {
    for (std::string_view title : kMenuOrder) {
        QMenu* menu = menuBar()->addMenu(qs(title));
        menu->setSeparatorsCollapsible(true);
        menus_.push_back(menu);
        for (const CommandInfo& info : command_table()) {
            if (info.menu != title) continue;
            if (info.separator_before && !menu->isEmpty()) menu->addSeparator();
            menu->addAction(action(info.id));
            if (info.id == C::FileRevertConfig) {
                // The recent files sit between the configuration commands and Exit.
                recent_separator_ = menu->addSeparator();
            }
        }
        connect(menu, &QMenu::aboutToShow, this, [this] { update_command_ui(); });
    }
    file_menu_ = menus_[0];
    window_menu_ = menus_[10];
    recent_anchor_ = action(C::FileExit);
    connect(window_menu_, &QMenu::aboutToShow, this, [this] { rebuild_window_list(); });
}

void CMainFrame::build_toolbar() {
    toolbar_ = addToolBar("Standard");
    toolbar_->setObjectName("Standard");
    toolbar_->setMovable(true);
    toolbar_->setFloatable(true);
    toolbar_->setIconSize(QSize(24, 24));
    for (const auto& slot : toolbar_layout()) {
        if (slot)
            toolbar_->addAction(action(*slot));
        else
            toolbar_->addSeparator();
    }
    connect(toolbar_, &QToolBar::visibilityChanged, this,
            [this](bool shown) { action(C::ViewToolbar)->setChecked(shown); });
}

void CMainFrame::build_status_bar() {
    QStatusBar* bar = statusBar();
    bar->showMessage("Ready");
    auto indicator = [bar](const char* text) {
        auto* l = new QLabel(text, bar);
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(QFontMetrics(l->font()).horizontalAdvance("SCRL") + 14);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(l);
        return l;
    };
    caps_ = indicator("CAP");
    num_ = indicator("NUM");
    scroll_ = indicator("SCRL");
    update_lock_indicators();
}

void CMainFrame::update_lock_indicators() {
    // The indicators follow the lock keys pressed while the program runs.
    auto show = [](QLabel* l, bool on) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, on ? QColor(0x24, 0x29, 0x2f) : QColor(0xa0, 0xa6, 0xad));
        l->setPalette(p);
    };
    show(caps_, caps_on_);
    show(num_, num_on_);
    show(scroll_, scroll_on_);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock) caps_on_ = !caps_on_;
        if (key == Qt::Key_NumLock) num_on_ = !num_on_;
        if (key == Qt::Key_ScrollLock) scroll_on_ = !scroll_on_;
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) update_lock_indicators();
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::rebuild_recent_menu() {
    for (QAction* a : recent_actions_) {
        file_menu_->removeAction(a);
        a->deleteLater();
    }
    recent_actions_.clear();
    const auto& entries = app_.recent().entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string path = entries[i];
        auto* a = new QAction(QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(path)), this);
        a->setStatusTip("Open this document");
        connect(a, &QAction::triggered, this, [this, path] {
            if (!open_document(path)) {
                app_.recent().remove(path);
                rebuild_recent_menu();
            }
        });
        file_menu_->insertAction(recent_anchor_, a);
        recent_actions_.push_back(a);
    }
    if (!recent_actions_.empty()) {
        // A separator between the recent files and Exit.
        auto* sep = new QAction(this);
        sep->setSeparator(true);
        file_menu_->insertAction(recent_anchor_, sep);
        recent_actions_.push_back(sep);
    }
}

void CMainFrame::rebuild_window_list() {
    for (QAction* a : window_list_actions_) {
        window_menu_->removeAction(a);
        a->deleteLater();
    }
    window_list_actions_.clear();
    const auto windows = mdi_->subWindowList();
    if (windows.isEmpty()) return;
    window_list_actions_.push_back(window_menu_->addSeparator());
    int n = 0;
    for (QMdiSubWindow* w : windows) {
        auto* a = window_menu_->addAction(QString("&%1 %2").arg(++n).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] { mdi_->setActiveSubWindow(w); });
        window_list_actions_.push_back(a);
    }
}

// --- documents ------------------------------------------------------------------------------

std::unique_ptr<CMarbeckDoc> CMainFrame::make_document() {
    DocServices services{app_.prompts(), app_.progress(), app_.temp_names(), app_.env().decoder, &app_.session(), stdout};
    OptionBlock options = app_.config().new_document_options(app_.app_values());
    options.long_file_minutes = app_.long_file_minutes();  // the session's last choice
    auto doc = std::make_unique<CMarbeckDoc>(services, options);
    CMarbeckDoc* raw = doc.get();
    doc->on_path_changed = [this, raw](const std::string& path) {
        app_.recent().add(path);
        rebuild_recent_menu();
        retitle(*raw);
    };
    return doc;
}

void CMainFrame::adopt_document(std::unique_ptr<CMarbeckDoc> doc) {
    CMarbeckDoc& d = *doc;
    docs_.push_back(std::move(doc));
    add_frame(d);
}

CChildFrame* CMainFrame::add_frame(CMarbeckDoc& doc) {
    auto* child = new CChildFrame(*this, doc);
    mdi_->addSubWindow(child);
    child->setWindowIcon(application_icon());
    const WindowRect& r = app_.app_values().document_window;
    const bool first = mdi_->subWindowList().size() == 1;
    if (!r.empty() && r.c > 100 && r.d > 80) {
        // Inside the document area, whatever frame size the rectangle came from.
        child->setGeometry(fit_rect(QRect(r.a, r.b, r.c, r.d), subwindow_bounds(mdi_)));
        child->show();
    } else if (first) {
        child->showMaximized();
    } else {
        child->resize(mdi_->viewport()->size() * 3 / 4);
        child->show();
    }
    retitle(doc);
    mdi_->setActiveSubWindow(child);
    update_command_ui();
    return child;
}

std::vector<CChildFrame*> CMainFrame::frames_of(const CMarbeckDoc& doc) const {
    std::vector<CChildFrame*> out;
    for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (auto* c = qobject_cast<CChildFrame*>(w); c && &c->document() == &doc) out.push_back(c);
    return out;
}

void CMainFrame::retitle(const CMarbeckDoc& doc) {
    const auto frames = frames_of(doc);
    int n = 0;
    for (CChildFrame* f : frames) f->update_title(++n, static_cast<int>(frames.size()));
}

CMarbeckDoc* CMainFrame::open_document(const std::string& path) {
    const std::string canonical = std::filesystem::absolute(path).lexically_normal().string();
    for (const auto& d : docs_)
        if (d->path() == canonical || d->path() == path) {
            const auto frames = frames_of(*d);
            if (!frames.empty()) mdi_->setActiveSubWindow(frames.front());
            return d.get();
        }
    auto doc = make_document();
    if (!vox::open_document(*doc, canonical)) {
        update_command_ui();
        return nullptr;  // the failure was reported; nothing is kept
    }
    CMarbeckDoc* raw = doc.get();
    adopt_document(std::move(doc));
    statusBar()->showMessage("Ready");
    return raw;
}

CMarbeckDoc* CMainFrame::new_document() {
    auto doc = make_document();
    CMarbeckDoc* raw = doc.get();
    adopt_document(std::move(doc));
    return raw;
}

QMdiSubWindow* CMainFrame::active_window() const {
    QMdiSubWindow* w = mdi_->activeSubWindow();
    if (!w) {
        // Offscreen and while no window has focus the area reports none; the
        // topmost window is the one the commands are for.
        const auto list = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
        if (!list.isEmpty()) w = list.back();
    }
    return w;
}

CChildFrame* CMainFrame::active_child() const { return qobject_cast<CChildFrame*>(active_window()); }

CMarbeckDoc* CMainFrame::active_document() const {
    QMdiSubWindow* w = active_window();
    if (auto* c = qobject_cast<CChildFrame*>(w)) return &c->document();
    if (auto* a = qobject_cast<CAnalysisFrame*>(w)) return &a->document();
    return nullptr;
}

bool CMainFrame::child_may_close(CChildFrame& child) {
    if (closing_all_) return true;
    CMarbeckDoc& doc = child.document();
    if (frames_of(doc).size() > 1) return true;  // other windows still show it
    return doc.can_close();
}

void CMainFrame::finish_document(CMarbeckDoc& doc) {
    // The closing document's display options and placements go back into
    // the configuration file (silently; a missing file stays missing).
    AppConfigValues& values = app_.app_values();
    if (doc.loaded) {
        // The audio channel last used: its rate, sample count and duration.
        if (doc.doc_rate > 0.0) doc.options.sample_rate = doc.doc_rate;
        doc.options.last_sample_count = doc.doc_count;
        doc.options.last_duration_ms = doc.doc_duration_ms;
    }
    app_.config().write_back_on_close(doc.options, values);
}

void CMainFrame::child_closing(CChildFrame& child) {
    CMarbeckDoc* doc = &child.document();
    const bool last = frames_of(*doc).size() <= 1;
    if (!last) {
        // Retitle once this window is gone.
        QTimer::singleShot(0, this, [this, doc] {
            for (const auto& d : docs_)
                if (d.get() == doc) retitle(*doc);
        });
        return;
    }
    if (closing_all_) return;  // close_all_documents finishes them
    finish_document(*doc);
    // The spectrogram and FFT/LPC windows read the document: they go with it.
    for (CAnalysisFrame* a : CAnalysisFrame::frames_of(mdi_, *doc)) delete a;
    // The window is deleted after this event; the document must outlive its view.
    QTimer::singleShot(0, this, [this, doc] {
        for (auto it = docs_.begin(); it != docs_.end(); ++it)
            if (it->get() == doc) {
                docs_.erase(it);
                break;
            }
        update_command_ui();
    });
}

bool CMainFrame::close_all_documents() {
    for (const auto& d : docs_) {
        // A recording in progress ends as Stop ends it, so that the question
        // can offer to save it.
        for (CChildFrame* f : frames_of(*d)) f->stop_recording();
        if (!d->can_close()) return false;
    }
    for (const auto& d : docs_) finish_document(*d);
    closing_all_ = true;
    for (QMdiSubWindow* w : mdi_->subWindowList()) delete w;
    docs_.clear();
    closing_all_ = false;
    update_command_ui();
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Every question first (the log's, then each document's); windows close
    // only when none was cancelled.
    if (!app_.log_window().may_exit() || !close_all_documents()) {
        event->ignore();
        return;
    }
    app_.log_window().close_for_exit();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        for (const QUrl& u : event->mimeData()->urls())
            if (u.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const auto urls = event->mimeData()->urls();
    event->acceptProposedAction();
    activateWindow();
    for (const QUrl& u : urls)
        if (u.isLocalFile()) open_document(u.toLocalFile().toStdString());
}

// --- routing -------------------------------------------------------------------------------

namespace {

// The option dialogs edit the option block of the active document. An
// analysis window hosts none of them; its document's waveform window, which
// does, answers for them (the same dialogs, the same block).
bool option_of_the_document(CommandId id) {
    static constexpr std::array kOptions = {C::OptionsDisplay, C::OptionsZoom,      C::OptionsFftLpc, C::OptionsSpectrogram,
                                            C::OptionsPitch,   C::OptionsIntensity, C::OptionsLog};
    return std::find(kOptions.begin(), kOptions.end(), id) != kOptions.end();
}

}  // namespace

CommandRoute CMainFrame::command_route() const {
    // The active window's view first, then its document, the frame and the
    // application. An analysis window decides about the commands it hosts
    // or holds; of its document's waveform window only the option dialogs
    // are reached.
    CommandRoute route;
    QMdiSubWindow* w = active_window();
    if (auto* a = qobject_cast<CAnalysisFrame*>(w)) {
        route.add(CommandTarget{&a->commands(), true});
        const auto frames = frames_of(a->document());
        if (!frames.empty()) route.add(CommandTarget{frames.front()->view_commands(), false, option_of_the_document});
    } else if (auto* child = qobject_cast<CChildFrame*>(w)) {
        route.add(CommandTarget{child->view_commands()});
    }
    route.add(document_commands_);
    if (audio_) route.add(audio_->commands());
    route.add(log_commands_);
    route.add(frame_commands_);
    route.add(app_commands_);
    return route;
}

bool CMainFrame::command_enabled(CommandId id) const { return command_route().enabled(id); }

bool CMainFrame::run_command(CommandId id) {
    const bool done = command_route().run(id);
    if (done) update_command_ui();
    return done;
}

void CMainFrame::make_commands() {
    // The active document's commands.
    const auto doc = [this] { return active_document() != nullptr; };
    const auto doc_can = [this](bool (CMarbeckDoc::*can)() const) {
        return [this, can] {
            const CMarbeckDoc* d = active_document();
            return d && (d->*can)();
        };
    };
    const auto on_doc = [this](void (*f)(CMainFrame&, CMarbeckDoc&)) {
        return [this, f] {
            if (CMarbeckDoc* d = active_document()) f(*this, *d);
        };
    };
    document_commands_ = {
        {C::FileClose, doc, on_doc([](CMainFrame& m, CMarbeckDoc& d) { m.close_document(d); })},
        {C::FileSave, doc_can(&CMarbeckDoc::can_save), on_doc([](CMainFrame&, CMarbeckDoc& d) { d.save(); })},
        {C::FileSaveAs, doc_can(&CMarbeckDoc::can_save_as), on_doc([](CMainFrame&, CMarbeckDoc& d) { d.save_as(); })},
        {C::FileSaveCopyAs, doc_can(&CMarbeckDoc::can_save_copy_as),
         on_doc([](CMainFrame&, CMarbeckDoc& d) { d.save_copy_as(); })},
        {C::FileSaveSelectionAs, doc_can(&CMarbeckDoc::can_save_selection_as),
         on_doc([](CMainFrame&, CMarbeckDoc& d) { d.save_selection_as(); })},
        {C::FileExportWave, doc_can(&CMarbeckDoc::can_export_wave),
         on_doc([](CMainFrame&, CMarbeckDoc& d) { d.export_wave(); })},
        {C::FileExportSelectionWave, doc_can(&CMarbeckDoc::can_export_selection_wave),
         on_doc([](CMainFrame&, CMarbeckDoc& d) { d.export_selection_wave(); })},
        {C::FileSaveConfig, doc, on_doc([](CMainFrame& m, CMarbeckDoc& d) {
             m.app_.config().save_configuration(m.app_.prompts(), d.options, m.app_.app_values());
         })},
    };

    log_commands_ = app_.log_window().commands(mdi_);

    const auto any_window = [this] { return !mdi_->subWindowList().isEmpty(); };
    frame_commands_ = {
        {C::ViewToolbar, nullptr,
         [this] {
             toolbar_->setVisible(!toolbar_->isVisible());
             action(C::ViewToolbar)->setChecked(toolbar_->isVisible());
         }},
        {C::ViewStatusBar, nullptr,
         [this] {
             statusBar()->setVisible(!statusBar()->isVisible());
             action(C::ViewStatusBar)->setChecked(statusBar()->isVisible());
         }},
        // Another waveform window, also from an analysis window of the document.
        {C::WindowNew, doc, [this] {
             if (CMarbeckDoc* d = active_document()) add_frame(*d);
         }},
        {C::WindowCascade, any_window,
         [this] {
             const ArrangingWindows arranging(mdi_);
             mdi_->cascadeSubWindows();
         }},
        {C::WindowTile, any_window,
         [this] {
             const ArrangingWindows arranging(mdi_);
             mdi_->tileSubWindows();
         }},
        {C::WindowArrange, any_window, [this] { arrange_icons(); }},
        {C::WindowCloseStatus, nullptr, nullptr},  // always disabled
        {C::HelpTopics, nullptr, [this] { help_topics(); }},
        {C::HelpAbout, nullptr, [this] { about(); }},
    };

    app_commands_ = {
        {C::FileNew, nullptr, [this] { new_document(); }},
        {C::FileOpen, nullptr, [this] { file_open(); }},
        {C::FilePrintSetup, nullptr, [this] { print_setup(); }},
        {C::FileLoadConfig, nullptr, [this] { load_configuration(); }},
        {C::FileRevertConfig, nullptr, [this] { app_.config().revert_to_default(app_.prompts()); }},
        {C::FileExit, nullptr, [this] { close(); }},
    };
}

void CMainFrame::close_document(CMarbeckDoc& doc) {
    // Ask once, before any window goes; after Yes or No the document
    // is unmodified and its windows close without a second question.
    for (CChildFrame* f : frames_of(doc)) f->stop_recording();
    if (!doc.can_close()) return;
    for (CChildFrame* f : frames_of(doc))
        if (!f->close()) break;
}

void CMainFrame::update_command_ui() {
    free_window_shortcuts();
    const CommandRoute route = command_route();
    for (const CommandInfo& info : command_table()) action(info.id)->setEnabled(route.enabled(info.id));

    // Only a frame without any window has the reduced menu: File (its
    // reduced set), View and Help. Every window keeps the full menu bar and
    // its commands say themselves whether they are enabled.
    const bool has_window = !mdi_->subWindowList().isEmpty();
    for (std::size_t m = 0; m < menus_.size(); ++m) {
        const std::string_view title = kMenuOrder[m];
        const bool always = title == "&File" || title == "&View" || title == "&Help";
        menus_[m]->menuAction()->setVisible(has_window || always);
    }
    for (const CommandInfo& info : command_table())
        if (info.menu == "&File") action(info.id)->setVisible(has_window || info.in_reduced_menu);
}

void CMainFrame::free_window_shortcuts() {
    // The window menu of each document window closes it with Ctrl+W and
    // Ctrl+F4 by default; Ctrl+W is Zoom From Cursor for Duration, and a key
    // bound twice is dead for both. The program's keys are its commands'
    // alone; Ctrl+F4 is bound once, by the frame, to close the active window.
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        QMenu* menu = w->systemMenu();
        if (!menu) continue;
        for (QAction* a : menu->actions())
            if (!a->shortcuts().isEmpty()) a->setShortcuts({});
    }
}

// --- individual commands ---------------------------------------------------------------------

void CMainFrame::file_open() {
    const std::string filters =
        std::string(CMainFrame::kAllSupportedFilter) + doc_text::kOpenFilters + CMainFrame::kDecodedFilter;
    FileDialogRequest req{kOpenTitle, "", "", filters, false, open_filter_index_};
    const auto choice = app_.prompts().choose_open_file(req);
    if (!choice) return;
    // The filter is remembered; it does not choose the reader.
    open_filter_index_ = choice->filter_index;
    open_document(choice->path);
}

void CMainFrame::print_setup() {
    QPageSetupDialog dlg(&app_.printer(), this);
    dlg.exec();
}

void CMainFrame::load_configuration() {
    CMarbeckDoc* doc = active_document();
    const auto r = app_.config().load_configuration(app_.prompts(), doc ? &doc->options : nullptr, app_.app_values());
    // The open log window moves to the loaded rectangle.
    if (CFrameLog* log = app_.log_window().current(); r == ConfigFile::LoadResult::Loaded && log)
        log->place(app_.app_values().log_window);
    if (r != ConfigFile::LoadResult::Loaded || !doc) return;
    // The loaded tier names rename the audio channel's tiers; the document's
    // windows move to the loaded rectangles and lay themselves out again.
    for (std::size_t t = 0; t < doc->options.tier_names.size() && t < doc->channels[0].tiers.size(); ++t)
        doc->channels[0].tiers[t].name = doc->options.tier_names[t];
    for (CChildFrame* f : frames_of(*doc)) {
        f->apply_window_rectangles();
        f->refresh_view();
    }
}

void CMainFrame::patch_config(ConfigGroup group, CMarbeckDoc& doc) {
    if (group == ConfigGroup::Display) app_.set_long_file_minutes(doc.options.long_file_minutes);
    app_.config().patch(group, doc.options, app_.app_values());
}

void CMainFrame::show_status(const QString& text) { statusBar()->showMessage(text); }

void CMainFrame::help_topics() {
    const QString file = QString::fromStdString(app_.help_file());
    if (!QFileInfo::exists(file)) {
        app_.prompts().message(kNoHelp, MessageIcon::Warning);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    const bool opened = url_opener_ ? url_opener_(url) : QDesktopServices::openUrl(url);
    if (opened) return;
    // No browser took it: the manual in the program's own help window.
    if (!help_window_) {
        help_window_ = new CHelpWindow(url, this);
        help_window_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_window_->show();
    help_window_->raise();
    help_window_->activateWindow();
}

void CMainFrame::about() {
    CAboutBox box(this);
    box.exec();
}

void CMainFrame::arrange_icons() {
    // Minimised windows line up along the bottom of the area, left to right.
    int x = 0;
    const int bottom = mdi_->viewport()->height();
    for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized()) continue;
        w->move(x, bottom - w->height());
        x += w->width();
    }
}

}  // namespace vox
