// The menus as a person meets them: with each kind of window active, every
// menu item is walked through the menu bar and found visible, and enabled
// exactly where the window that owns it says; commands are reached through
// the menu's action, the toolbar button and the keyboard.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QStyle>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QSpinBox>

#include <cstdlib>
#include <map>
#include <set>

#include "core/document/marbeck_doc.h"
#include "gui/annotation/form_log.h"
#include "gui/annotation/frame_log.h"
#include "gui/annotation/label_table_view.h"
#include "gui/app/child_frame.h"
#include "gui/grid/grid_control.h"
#include "gui/app/audio_windows.h"
#include "gui/audio/frame_record_play.h"
#include "gui/audio/scope_child_frame.h"
#include "gui/plot/plot_printer.h"
#include "gui/views/analysis/analysis_options.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/analysis/spectrogram_pane.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "gui/views/waveform/marbeck_view.h"
#include "tests/core/dsp/synth.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

using C = CommandId;

enum class Kind { NoDocument, Waveform, Spectrogram, FftLpc, Scope, LabelTable, Log, RecordPlay };

const char* kind_name(Kind k) {
    switch (k) {
    case Kind::NoDocument: return "NoDocument";
    case Kind::Waveform: return "Waveform";
    case Kind::Spectrogram: return "Spectrogram";
    case Kind::FftLpc: return "FftLpc";
    case Kind::Scope: return "Scope";
    case Kind::LabelTable: return "LabelTable";
    case Kind::Log: return "Log";
    case Kind::RecordPlay: return "RecordPlay";
    }
    return "?";
}

// The option dialogs edit the document's option block: reached from the
// document's waveform window and from its analysis windows.
const std::set<C> kDocumentOptions = {C::OptionsDisplay,   C::OptionsZoom,  C::OptionsFftLpc, C::OptionsSpectrogram,
                                      C::OptionsPitch,     C::OptionsIntensity, C::OptionsLog};

// Enabled whatever window is active (a log window is open in every case).
const std::set<C> kAlways = {C::FileNew,      C::FileOpen,      C::FilePrintSetup, C::FileRevertConfig,
                             C::FileExit,     C::ViewToolbar,   C::ViewStatusBar,  C::HelpTopics,
                             C::HelpAbout,    C::LogNew,        C::LogSave,        C::LogSaveAs,
                             C::WindowCascade, C::WindowTile,   C::WindowArrange,  C::OptionsRecordPlay};

// What each kind of window enables beyond kAlways, in the state the
// fixture leaves it; everything else is disabled.
std::set<C> expected_enabled(Kind k) {
    std::set<C> on = kAlways;
    auto add = [&on](std::initializer_list<C> ids) { on.insert(ids); };
    switch (k) {
    case Kind::NoDocument:
        // No log here: Open... is possible, Save is not.
        on.erase(C::LogSave);
        on.erase(C::LogSaveAs);
        on.erase(C::WindowCascade);
        on.erase(C::WindowTile);
        on.erase(C::WindowArrange);
        add({C::LogOpen, C::FileLoadConfig});
        break;
    case Kind::Waveform:
    case Kind::LabelTable:
    case Kind::RecordPlay:
        // A loaded, unmodified recording with a cursor, no selection, an
        // empty clip, not zoomed (Record is for a new, empty document).
        add({C::FileClose, C::FileSaveAs, C::FileSaveCopyAs, C::FileExportWave, C::FileSaveBmp,
             C::FileSaveScreenBmp, C::FilePrint, C::FilePrintPreview, C::FileLoadConfig, C::FileSaveConfig,
             C::EditSelectWindow, C::EditSelectAll, C::ZoomUnZoom, C::ZoomIn, C::ZoomHome, C::ZoomFromCursor,
             C::ReferenceGain, C::SetReferenceAll, C::PlayAll, C::PlayWindow, C::FftLpc,
             C::SpectrogramAll, C::SpectrogramWindow, C::PitchAll, C::PitchWindow, C::Intensity, C::Smooth,
             C::TiersSetModify, C::TiersImportLabels, C::TiersViewLabels, C::TiersImportTextGrid, C::LogEnterPitchAtMarker,
             C::LogEnterPitchAll, C::OptionsDisplay, C::OptionsZoom, C::OptionsFftLpc, C::OptionsSpectrogram,
             C::OptionsPitch, C::OptionsIntensity, C::OptionsLog, C::WindowNew});
        break;
    case Kind::Spectrogram:
        // Computed, with a cursor and no selection.
        add({C::FileClose, C::FileSaveCopyAs, C::FileSaveBmp, C::FilePrint, C::FilePrintPreview, C::FftLpc,
             C::PlayWindow, C::LogEnterAtMarker, C::LogEnterFormantsAtMarker, C::WindowNew});
        on.insert(kDocumentOptions.begin(), kDocumentOptions.end());
        break;
    case Kind::FftLpc:
        // Computed, no cursor placed in it yet.
        add({C::FileClose, C::FileSaveCopyAs, C::FileSaveBmp, C::FilePrint, C::FilePrintPreview,
             C::LogEnterFormantsBandwidths, C::LogEnterAllFftLpcFrame, C::WindowNew});
        on.insert(kDocumentOptions.begin(), kDocumentOptions.end());
        break;
    case Kind::Scope:
    case Kind::Log:
        add({C::FileLoadConfig});
        break;
    }
    return on;
}

// Each table command sits in the menu its row names, under that menu's title.
QAction* menu_action_of(QMenuBar* bar, std::string_view title) {
    for (QAction* a : bar->actions())
        if (a->text() == QString::fromUtf8(title.data(), qsizetype(title.size()))) return a;
    return nullptr;
}

struct MenuWalk : ::testing::Test {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    CMarbeckDoc* doc = nullptr;
    plot::UnattendedPrint printed;
    plot::UnattendedPrint* previous_print = nullptr;

    void SetUp() override {
        printed.pdf_path = QString::fromStdString(fx.dir.file("printed.pdf"));
        previous_print = plot::SetUnattendedPrint(&printed);
    }
    void TearDown() override {
        plot::SetUnattendedPrint(previous_print);
        // The log asks nothing on the way out.
        if (CFrameLog* log = fx.app->log_window().current()) delete log;
    }

    CMarbeckView& waveform() {
        return *static_cast<CMarbeckView*>(qobject_cast<CChildFrame*>(f.frames_of(*doc).front())->view());
    }

    // Opens a 3 s recording, a log, and places the waveform's cursor with the mouse.
    void open_recording() {
        // A steady vowel, so that the spectrogram finds formants and its
        // formant log entries are offered.
        const std::string wav = fx.dir.file("a.wav");
        const auto voice = synth_voice(11025.0, 3.0, [](double) { return 120.0; }, {{700.0, 90.0}, {1200.0, 110.0}, {2500.0, 150.0}});
        Bytes b;
        b.text("RIFF").u32le(static_cast<std::uint32_t>(36 + 2 * voice.size())).text("WAVE");
        b.text("fmt ").u32le(16).u16le(1).u16le(1).u32le(11025).u32le(2 * 11025).u16le(2).u16le(16);
        b.text("data").u32le(static_cast<std::uint32_t>(2 * voice.size()));
        for (std::int16_t x : voice) b.i16le(x);
        write_file(wav, b.data);
        doc = f.open_document(wav);
        ASSERT_NE(doc, nullptr);
        f.action(C::LogNew)->trigger();
        ASSERT_NE(fx.app->log_window().current(), nullptr);
        CChildFrame* child = f.frames_of(*doc).front();
        f.mdi_area()->setActiveSubWindow(child);
        child->showMaximized();
        QApplication::processEvents();
        CMarbeckView& v = waveform();
        const Rect r = v.display_rect();
        QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(r.left + (r.right - r.left) / 3, (r.top + r.bottom) / 2));
        ASSERT_TRUE(v.has_cursor());
        ASSERT_FALSE(v.has_selection());
    }

    template <class T>
    T* window_of_type() {
        for (QMdiSubWindow* w : f.mdi_area()->subWindowList())
            if (auto* t = qobject_cast<T*>(w)) return t;
        return nullptr;
    }

    // Makes a window of the kind the active one, as a person would get there.
    // Returns the widget that has the keyboard.
    QWidget* activate(Kind k) {
        if (k == Kind::NoDocument) return &f;
        open_recording();
        if (::testing::Test::HasFatalFailure()) return nullptr;
        switch (k) {
        case Kind::Spectrogram: {
            f.action(C::SpectrogramAll)->trigger();
            auto* s = window_of_type<CSpectrogramFrame>();
            if (!s) return nullptr;
            f.mdi_area()->setActiveSubWindow(s);
            s->resize(600, 400);
            if (!s->view().pane().compute_now()) return nullptr;
            CSpectrogramPane& pane = s->view().pane();
            const auto g = pane.screen_geometry();
            QTest::mouseClick(&pane, Qt::LeftButton, {},
                              QPoint((g.area.left + g.area.right) / 2, (g.area.top + g.area.bottom) / 2));
            return &pane;
        }
        case Kind::FftLpc: {
            f.action(C::FftLpc)->trigger();
            auto* s = window_of_type<CFFTLPCFrame>();
            if (!s) return nullptr;
            f.mdi_area()->setActiveSubWindow(s);
            return &s->view();
        }
        case Kind::Scope: {
            qputenv("VOXTREL_USB", "simulated");
            f.audio_windows()->scope_action()->trigger();
            qunsetenv("VOXTREL_USB");
            auto* s = f.audio_windows()->scope();
            if (!s) return nullptr;
            f.mdi_area()->setActiveSubWindow(s);
            return s;
        }
        case Kind::LabelTable: {
            f.action(C::TiersViewLabels)->trigger();
            CFrameLabelView* t = waveform().label_table();
            if (!t) return nullptr;
            t->activateWindow();
            return t;
        }
        case Kind::Log:
            f.mdi_area()->setActiveSubWindow(fx.app->log_window().current());
            return fx.app->log_window().current();
        case Kind::RecordPlay: {
            f.action(C::OptionsRecordPlay)->trigger();
            CFrameRecordPlay* rp = f.audio_windows()->record_play();
            return rp;
        }
        default: return waveform().parentWidget();
        }
    }
};

class MenuWalkByWindow : public MenuWalk, public ::testing::WithParamInterface<Kind> {};

TEST_P(MenuWalkByWindow, EveryMenuItemIsVisibleAndEnabledByItsOwner) {
    const Kind k = GetParam();
    ASSERT_NE(activate(k), nullptr) << kind_name(k);
    f.update_command_ui();
    const std::set<C> on = expected_enabled(k);
    QMenuBar* bar = f.menuBar();
    std::set<C> walked;
    for (std::string_view title : kMenuOrder) {
        QAction* top = menu_action_of(bar, title);
        ASSERT_NE(top, nullptr) << title;
        const bool reduced_shows = title == "&File" || title == "&View" || title == "&Help";
        EXPECT_EQ(top->isVisible(), k != Kind::NoDocument || reduced_shows) << kind_name(k) << " " << title;
        if (!top->isVisible()) continue;
        QMenu* menu = top->menu();
        emit menu->aboutToShow();  // what opening the menu does
        for (QAction* a : menu->actions()) {
            for (const CommandInfo& info : command_table()) {
                if (f.action(info.id) != a) continue;
                EXPECT_EQ(info.menu, title) << info.text;
                walked.insert(info.id);
                const bool shown = k != Kind::NoDocument || title != "&File" || info.in_reduced_menu;
                EXPECT_EQ(a->isVisible(), shown) << kind_name(k) << ": " << info.text;
                if (!shown) continue;
                const bool want = on.count(info.id) > 0;
                EXPECT_EQ(a->isEnabled(), want) << kind_name(k) << ": " << info.text;
                // A disabled item does nothing when triggered anyway.
                if (!want) {
                    EXPECT_FALSE(f.run_command(info.id)) << kind_name(k) << ": " << info.text;
                }
            }
        }
    }
    // Every command with a menu was met in its menu (all of them while a
    // document is open).
    for (const CommandInfo& info : command_table()) {
        if (info.menu.empty()) continue;
        const bool menu_shown = k != Kind::NoDocument || info.menu == "&File" || info.menu == "&View" ||
                                info.menu == "&Help";
        EXPECT_EQ(walked.count(info.id) > 0, menu_shown) << kind_name(k) << ": " << info.text;
    }
    // With VOXTREL_VIEW_PNG_DIR set, the frame and its open menus are saved
    // as pictures to look at.
    if (const char* dir = std::getenv("VOXTREL_VIEW_PNG_DIR")) {
        const QString base = QString::fromLatin1(dir) + "/menus_" + kind_name(k);
        f.grab().save(base + ".png");
        for (QAction* top : bar->actions()) {
            if (!top->isVisible() || !top->menu()) continue;
            QMenu* menu = top->menu();
            menu->popup(f.mapToGlobal(bar->actionGeometry(top).bottomLeft()));
            QApplication::processEvents();
            menu->grab().save(base + "_" + top->text().remove('&').remove('/') + ".png");
            menu->hide();
        }
    }
    // The toolbar's buttons follow the same decisions.
    for (const auto& slot : toolbar_layout()) {
        if (!slot) continue;
        QWidget* button = f.tool_bar()->widgetForAction(f.action(*slot));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->isEnabled(), on.count(*slot) > 0) << kind_name(k) << ": " << command_info(*slot).text;
    }
}

INSTANTIATE_TEST_SUITE_P(AppMenus, MenuWalkByWindow,
                         ::testing::Values(Kind::NoDocument, Kind::Waveform, Kind::Spectrogram, Kind::FftLpc,
                                           Kind::Scope, Kind::LabelTable, Kind::Log, Kind::RecordPlay),
                         [](const auto& info) { return std::string(kind_name(info.param)); });

// --- the three ways of giving a command --------------------------------------------------

enum class Path { Menu, Toolbar, Keyboard };

const char* path_name(Path p) {
    switch (p) {
    case Path::Menu: return "Menu";
    case Path::Toolbar: return "Toolbar";
    case Path::Keyboard: return "Keyboard";
    }
    return "?";
}

struct KeyCase {
    Kind window;
    Path path;
};

class MenuWalkKeys : public MenuWalk, public ::testing::WithParamInterface<KeyCase> {
protected:
    void give(C id, QWidget* keyboard) {
        switch (GetParam().path) {
        case Path::Menu: f.action(id)->trigger(); break;
        case Path::Toolbar: {
            QWidget* button = f.tool_bar()->widgetForAction(f.action(id));
            ASSERT_NE(button, nullptr);
            QTest::mouseClick(button, Qt::LeftButton);
            break;
        }
        case Path::Keyboard: {
            const QKeySequence key(QString::fromUtf8(command_info(id).shortcut.data(),
                                                     qsizetype(command_info(id).shortcut.size())));
            ASSERT_FALSE(key.isEmpty());
            const QKeyCombination c = key[0];
            QTest::keyClick(keyboard, c.key(), c.keyboardModifiers());
            break;
        }
        }
        QApplication::processEvents();
    }
};

// Ctrl+P: the active window's own page is printed.
TEST_P(MenuWalkKeys, PrintReachesTheActiveWindowsPrintPath) {
    QWidget* keyboard = activate(GetParam().window);
    ASSERT_NE(keyboard, nullptr);
    f.update_command_ui();
    ASSERT_TRUE(f.action(C::FilePrint)->isEnabled());
    give(C::FilePrint, keyboard);
    ASSERT_EQ(printed.prints, 1) << kind_name(GetParam().window) << " " << path_name(GetParam().path);
    EXPECT_EQ(printed.previews, 0);
    switch (GetParam().window) {
    case Kind::Spectrogram: EXPECT_TRUE(printed.last_title.endsWith("::Spectrogram ")) << printed.last_title.toStdString(); break;
    case Kind::FftLpc: EXPECT_EQ(printed.last_title, "FFT-LPC"); break;
    default: EXPECT_EQ(printed.last_title, "a.wav"); break;
    }
    EXPECT_FALSE(printed.last_page.isNull());
    EXPECT_GT(QFileInfo(printed.pdf_path).size(), 1000);
}

INSTANTIATE_TEST_SUITE_P(AppMenus, MenuWalkKeys,
                         ::testing::Values(KeyCase{Kind::Spectrogram, Path::Menu}, KeyCase{Kind::Spectrogram, Path::Toolbar},
                                           KeyCase{Kind::Spectrogram, Path::Keyboard}, KeyCase{Kind::FftLpc, Path::Menu},
                                           KeyCase{Kind::FftLpc, Path::Toolbar}, KeyCase{Kind::FftLpc, Path::Keyboard},
                                           KeyCase{Kind::Waveform, Path::Keyboard}),
                         [](const auto& info) {
                             return std::string(kind_name(info.param.window)) + path_name(info.param.path);
                         });

class MenuWalkZoomKeys : public MenuWalkKeys {};

// Ctrl+W (From Cursor for Duration) zooms the waveform from its cursor,
// also while the label table or the Record & Play window has the keyboard.
TEST_P(MenuWalkZoomKeys, FromCursorForDurationZoomsTheWaveform) {
    QWidget* keyboard = activate(GetParam().window);
    ASSERT_NE(keyboard, nullptr);
    f.update_command_ui();
    const CChannels& ch = doc->channels[0];
    const double cursor_ms = ch.marker_sample * 1000.0 / ch.sample_rate;
    ASSERT_NEAR(ch.window_end_in_ms() - ch.window_start_in_ms(), 3000.0, 1.0);
    give(C::ZoomFromCursor, keyboard);
    EXPECT_NEAR(ch.window_start_in_ms(), cursor_ms, 1.0) << path_name(GetParam().path);
    EXPECT_NEAR(ch.window_end_in_ms() - ch.window_start_in_ms(), doc->options.zoom_range_ms, 1.0);
}

INSTANTIATE_TEST_SUITE_P(AppMenus, MenuWalkZoomKeys,
                         ::testing::Values(KeyCase{Kind::Waveform, Path::Menu}, KeyCase{Kind::Waveform, Path::Toolbar},
                                           KeyCase{Kind::Waveform, Path::Keyboard},
                                           KeyCase{Kind::LabelTable, Path::Keyboard},
                                           KeyCase{Kind::RecordPlay, Path::Keyboard}),
                         [](const auto& info) {
                             return std::string(kind_name(info.param.window)) + path_name(info.param.path);
                         });

// Print Preview of an analysis window shows that window's page.
TEST_F(MenuWalk, PrintPreviewOfTheSpectrogramShowsItsPage) {
    ASSERT_NE(activate(Kind::Spectrogram), nullptr);
    f.update_command_ui();
    f.action(C::FilePrintPreview)->trigger();
    EXPECT_EQ(printed.previews, 1);
    EXPECT_EQ(printed.prints, 0);
    EXPECT_TRUE(printed.last_title.endsWith("::Spectrogram "));
}

// Ctrl+T with the spectrogram active enters the spectrogram's marker row.
TEST_F(MenuWalk, EnterAtMarkerKeyFromTheSpectrogram) {
    QWidget* keyboard = activate(Kind::Spectrogram);
    ASSERT_NE(keyboard, nullptr);
    f.update_command_ui();
    const CFormLog* form = fx.app->log_window().current()->form();
    const std::size_t before = form->log().row_count();
    QTest::keyClick(keyboard, Qt::Key_T, Qt::ControlModifier);
    ASSERT_EQ(form->log().row_count(), before + 1);
    EXPECT_EQ(form->grid()->cell_text(static_cast<int>(before), 1), "Spec. Marker Entry: time, frequency");
}

// The FFT/LPC window's log entries reach the log from the menu.
TEST_F(MenuWalk, FftLpcLogEntriesFromTheMenu) {
    ASSERT_NE(activate(Kind::FftLpc), nullptr);
    f.update_command_ui();
    const CFormLog* form = fx.app->log_window().current()->form();
    const std::size_t before = form->log().row_count();
    f.action(C::LogEnterFormantsBandwidths)->trigger();
    ASSERT_EQ(form->log().row_count(), before + 1);
    f.action(C::LogEnterAllFftLpcFrame)->trigger();
    EXPECT_GT(form->log().row_count(), before + 2);
}

// The option dialogs from the Options menu of an analysis window: the
// dialog opens on the document's values and OK keeps the new ones in the
// document's block (the window keeps the menu's focus).
struct OptionCase {
    Kind window;
    C command;
};
class MenuWalkOptions : public MenuWalk, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(MenuWalkOptions, TheDialogEditsTheDocumentsOptions) {
    const OptionCase c = GetParam();
    ASSERT_NE(activate(c.window), nullptr);
    QMdiSubWindow* active = f.mdi_area()->activeSubWindow();
    ASSERT_NE(qobject_cast<CAnalysisFrame*>(active), nullptr);
    emit menu_action_of(f.menuBar(), "&Options")->menu()->aboutToShow();
    QAction* item = f.action(c.command);
    ASSERT_TRUE(item->isEnabled()) << kind_name(c.window);
    bool seen = false;
    int before = 0;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<COptionSpectrogram*>(w)) {
            seen = true;
            before = d->lpc_edit()->value();
            d->lpc_edit()->setValue(before - 2);
            d->accept();
        } else if (auto* d = qobject_cast<COptionFFTLPC*>(w)) {
            seen = true;
            before = d->lpc_edit()->value();
            d->lpc_edit()->setValue(before - 2);
            d->accept();
        } else if (w) {
            w->close();
        }
    });
    item->trigger();
    ASSERT_TRUE(seen) << kind_name(c.window);
    const int now = c.command == C::OptionsSpectrogram ? doc->options.spectrogram.formant_lpc_coefficients
                                                       : doc->options.fft_lpc.lpc_coefficients;
    EXPECT_EQ(now, before - 2);
    EXPECT_EQ(f.mdi_area()->activeSubWindow(), active);
    EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
}

INSTANTIATE_TEST_SUITE_P(AppMenus, MenuWalkOptions,
                         ::testing::Values(OptionCase{Kind::Spectrogram, C::OptionsSpectrogram},
                                           OptionCase{Kind::Spectrogram, C::OptionsFftLpc},
                                           OptionCase{Kind::FftLpc, C::OptionsFftLpc}),
                         [](const auto& info) {
                             return std::string(kind_name(info.param.window)) +
                                    (info.param.command == C::OptionsSpectrogram ? "Spectrogram" : "FftLpc");
                         });

// Closing the recording from an analysis window closes its analysis
// windows with it: none is left reading a document that is gone.
TEST_F(MenuWalk, CloseFromTheSpectrogramTakesItsWindowsAlong) {
    ASSERT_NE(activate(Kind::Spectrogram), nullptr);
    f.update_command_ui();
    f.action(C::FftLpc)->trigger();  // the spectrogram's own FFT/LPC at its cursor
    ASSERT_NE(window_of_type<CFFTLPCFrame>(), nullptr);
    f.mdi_area()->setActiveSubWindow(window_of_type<CSpectrogramFrame>());
    f.update_command_ui();
    f.action(C::FileClose)->trigger();
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    EXPECT_EQ(f.document_count(), 0);
    EXPECT_EQ(window_of_type<CSpectrogramFrame>(), nullptr);
    EXPECT_EQ(window_of_type<CFFTLPCFrame>(), nullptr);
    EXPECT_EQ(window_of_type<CChildFrame>(), nullptr);
}

// The log's columns are as wide as their contents (captions and cells), so
// no entry is cut short while the window has room.
TEST_F(MenuWalk, LogColumnsFitTheirContents) {
    open_recording();
    ASSERT_FALSE(HasFatalFailure());
    f.update_command_ui();
    f.action(C::LogEnterPitchAtMarker)->trigger();
    f.action(C::LogEnterPitchAll)->trigger();
    CFrameLog* log = fx.app->log_window().current();
    const CGridControl& grid = *log->form()->grid();
    ASSERT_GE(grid.row_count(), 2);
    const QFontMetrics fm(grid.font());
    const int margins = 2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
    for (int c = 0; c < grid.column_count(); ++c) {
        for (int r = 0; r < grid.row_count(); ++r) {
            const QString text = grid.cell_text(r, c);
            EXPECT_GE(grid.columnWidth(c), fm.horizontalAdvance(text) + margins)
                << "row " << r << " column " << c << ": " << text.toStdString();
        }
    }
    // The file name and the entry's header are long: the columns grew.
    EXPECT_GT(grid.columnWidth(1), CFormLog::kFixedColumnWidth);
}

// No key is bound to two actions anywhere in the program's windows: Qt
// would call such a key ambiguous and do nothing.
TEST_F(MenuWalk, NoShortcutIsBoundTwice) {
    for (Kind k : {Kind::Spectrogram, Kind::FftLpc, Kind::Scope, Kind::LabelTable}) {
        if (k == Kind::Spectrogram)
            ASSERT_NE(activate(k), nullptr);
        else if (k == Kind::FftLpc) {
            f.mdi_area()->setActiveSubWindow(f.frames_of(*doc).front());
            f.action(C::FftLpc)->trigger();
        } else if (k == Kind::Scope) {
            qputenv("VOXTREL_USB", "simulated");
            f.audio_windows()->scope_action()->trigger();
            qunsetenv("VOXTREL_USB");
        } else {
            f.mdi_area()->setActiveSubWindow(f.frames_of(*doc).front());
            f.action(C::TiersViewLabels)->trigger();
        }
    }
    f.action(C::WindowNew)->trigger();
    f.update_command_ui();
    QApplication::processEvents();
    ASSERT_GE(f.mdi_area()->subWindowList().size(), 6);
    std::map<QKeySequence, QAction*> seen;
    for (QAction* a : f.findChildren<QAction*>()) {
        for (const QKeySequence& key : a->shortcuts()) {
            const auto [it, fresh] = seen.emplace(key, a);
            EXPECT_TRUE(fresh || it->second == a)
                << key.toString().toStdString() << " on \"" << a->text().toStdString() << "\" and \""
                << it->second->text().toStdString() << "\"";
        }
    }
    EXPECT_TRUE(seen.count(QKeySequence("Ctrl+W")));
}

}  // namespace
}  // namespace vox::test
