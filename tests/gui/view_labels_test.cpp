// Labels in the waveform view: gestures with real mouse events in the tier
// bands (add, edit, delete, move, selections), the dialogs they open, the
// tier options, the import of a label file, the label table (filling,
// sorting, zooming, one window per document) and labels kept through a
// native file.

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <deque>
#include <fstream>
#include <functional>

#include "core/annotation/label_gesture.h"
#include "core/formats/open_document.h"
#include "gui/annotation/dialog_import_labels.h"
#include "gui/annotation/label_entry.h"
#include "gui/annotation/label_font.h"
#include "gui/annotation/label_table_view.h"
#include "gui/annotation/label_texts.h"
#include "gui/annotation/option_tiers.h"
#include "gui/grid/grid_control.h"
#include "tests/gui/view_fixture.h"
#include "tests/support/test_support.h"

namespace vox::viewtest {
namespace {

// Answers the modal dialogs the view opens, in order. A dialog that comes
// with no answer left is rejected and noted, so that a test never blocks.
class ModalScript {
public:
    using Action = std::function<void(QDialog*)>;
    ModalScript() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    void then(Action a) { actions_.push_back(std::move(a)); }
    int shown = 0;
    int unexpected = 0;
    bool all_used() const { return actions_.empty(); }

private:
    void poll() {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible()) return;
        ++shown;
        if (actions_.empty()) {
            ++unexpected;
            d->reject();
            return;
        }
        Action a = std::move(actions_.front());
        actions_.pop_front();
        a(d);
        if (d->isVisible()) d->reject();
    }
    QTimer timer_;
    std::deque<Action> actions_;
};

// What an answer of "Label entry" does.
ModalScript::Action entry_answer(const char* text, bool ok, int align = 0, LogFont font = {}, ColorRef color = 0) {
    return [=](QDialog* d) {
        auto* e = qobject_cast<CLabelEntry*>(d);
        ASSERT_NE(e, nullptr);
        e->text_edit()->setPlainText(QString::fromUtf8(text));
        e->justification_button(align)->setChecked(true);
        if (font.height != 0) e->set_font_and_color(font, color);
        ok ? e->accept() : e->reject();
    };
}

struct LabelView : ViewFixture {
    test::ScratchDir dir;
    ModalScript modal;

    LabelView() {
        temp_names.set_folder(dir.path().string());
        load_sine();
        doc->channels[0].tiers[0].in_use = 1;
        doc->channels[0].tiers[0].name = "tones";
    }
    ~LabelView() override { EXPECT_EQ(modal.unexpected, 0) << "a dialog opened that the test did not expect"; }

    CChannels& ch() { return doc->channels[0]; }
    Tier& tier0() { return ch().tiers[0]; }
    int band_y() { return (tier0().band.top + tier0().band.bottom) / 2; }

    void press(int x, int y) { QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y)); }
    void release(int x, int y) { QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y)); }
    void move_to(int x, int y) {
        QMouseEvent m(QEvent::MouseMove, QPointF(x, y), view->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(view.get(), &m);
    }
    void click(int x, int y) {
        press(x, y);
        release(x, y);
    }
    void drag(int x0, int y0, int x1, int y1) {
        press(x0, y0);
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 1; i <= steps; ++i) move_to(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        release(x1, y1);
    }
    // Adds a label directly and lays the view out again.
    void put(int tier, const char* text, double ms, int align = 0) {
        LABEL l;
        l.set_text(text);
        l.time_ms = ms;
        l.align = align;
        ch().tiers[tier].labels.push_back(l);
        view->refresh();
    }
    double time_at(int x) { return TimeAtClientX(ch(), x); }
};

// --- gestures -------------------------------------------------------------------------

TEST_F(LabelView, AClickInABandAddsALabelAtThePressPointThatBecomesTheTemplate) {
    show();
    LogFont big;
    big.height = -30;
    std::memcpy(big.face_name, "Arial", 6);
    modal.then(entry_answer("ba", true, 1, big, make_rgb(200, 0, 0)));
    click(300, band_y());
    ASSERT_EQ(tier0().label_count(), 1);
    const LABEL& l = tier0().labels[0];
    EXPECT_STREQ(l.text, "ba");
    EXPECT_NEAR(l.time_ms, time_at(300), 1e-9);
    EXPECT_DOUBLE_EQ(l.placement, 0.7);
    EXPECT_EQ(l.align, 1);
    EXPECT_EQ(l.color, make_rgb(200, 0, 0));
    // A 30-pixel font needs a band of 40.
    EXPECT_EQ(tier0().height, 40);
    EXPECT_EQ(tier0().band.bottom - tier0().band.top, 40);
    EXPECT_TRUE(doc->modified());
    EXPECT_TRUE(view->undo_available());
    EXPECT_STREQ(view->label_template().text, "ba");
    EXPECT_EQ(view->label_template().font.height, -30);

    // The next new label's dialog opens on the template.
    modal.then([](QDialog* d) {
        auto* e = qobject_cast<CLabelEntry*>(d);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->text_edit()->toPlainText(), "ba");
        EXPECT_TRUE(e->justification_button(1)->isChecked());
        e->reject();
    });
    click(600, band_y());
    EXPECT_EQ(tier0().label_count(), 1);
    EXPECT_TRUE(modal.all_used());
}

struct EntryCase {
    bool on_label;  // click on the label, or beside it
    const char* text;
    bool ok;
    int labels_after;
    const char* first_text_after;
};
class EntryAnswers : public LabelView, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryAnswers, ChangeDeleteAddOrNothing) {
    const EntryCase c = GetParam();
    show();
    put(0, "old", 300.0);
    const Rect r = tier0().labels[0].rect;
    ASSERT_GT(r.right, r.left);
    modal.then(entry_answer(c.text, c.ok, 2));
    click(c.on_label ? (r.left + r.right) / 2 : 700, band_y());
    EXPECT_TRUE(modal.all_used());
    ASSERT_EQ(tier0().label_count(), c.labels_after);
    if (c.labels_after > 0) {
        EXPECT_STREQ(tier0().labels[0].text, c.first_text_after);
        EXPECT_DOUBLE_EQ(tier0().labels[0].time_ms, 300.0);  // a change keeps the old time
    }
    const bool changed = c.ok && (c.text[0] != '\0' || c.on_label);
    EXPECT_EQ(doc->modified(), changed);
    EXPECT_EQ(view->undo_available(), changed);
}

INSTANTIATE_TEST_SUITE_P(Answers, EntryAnswers,
                         ::testing::Values(EntryCase{true, "new", true, 1, "new"},     // change
                                           EntryCase{true, "", true, 0, ""},          // delete
                                           EntryCase{true, "new", false, 1, "old"},   // cancel
                                           EntryCase{false, "tone", true, 2, "old"},  // add
                                           EntryCase{false, "", true, 1, "old"},      // empty: nothing
                                           EntryCase{false, "tone", false, 1, "old"}));

TEST_F(LabelView, DeletingTheOnlyLabelLeavesAnEmptyTier) {
    show();
    put(0, "x", 500.0);
    const Rect r = tier0().labels[0].rect;
    modal.then(entry_answer("", true));
    click(r.left + 1, band_y());
    EXPECT_EQ(tier0().label_count(), 0);
}

TEST_F(LabelView, DraggingAHitLabelMovesItByTheOutlineAndHoldsItInTheBand) {
    show();
    put(0, "word", 400.0);
    const Rect r = tier0().labels[0].rect;
    const double before = tier0().labels[0].time_ms;
    // Far below the band: the outline stays in it, no selection, no dialog.
    drag(r.left + 2, band_y(), r.left + 102, band_y() + 150);
    ASSERT_EQ(tier0().label_count(), 1);
    const LABEL& l = tier0().labels[0];
    EXPECT_NEAR(l.time_ms, before + time_at(r.left + 100) - time_at(r.left), 1e-9);
    EXPECT_DOUBLE_EQ(l.placement, 0.7);
    EXPECT_EQ(l.rect.top, tier0().band.top);
    EXPECT_FALSE(view->has_selection());
    EXPECT_TRUE(doc->modified());
    EXPECT_EQ(modal.shown, 0);
}

TEST_F(LabelView, AVerticalOnlyMoveKeepsTheTime) {
    show();
    put(0, "word", 400.0);
    const Rect r = tier0().labels[0].rect;
    drag(r.left + 2, tier0().band.top + 2, r.left + 2, tier0().band.bottom - 2);
    EXPECT_DOUBLE_EQ(tier0().labels[0].time_ms, 400.0);
    EXPECT_EQ(modal.shown, 0);
}

TEST_F(LabelView, TheDraggedOutlineIsDrawnOnTheScreenAndGoesWithTheRelease) {
    show();
    put(0, "word", 400.0);
    const Rect r = tier0().labels[0].rect;
    press(r.left + 2, band_y());
    move_to(r.left + 152, band_y());
    const QImage during = view->screen_image().copy();
    // The outline's left edge is black where the composed image is not.
    const int ox = r.left + 150;
    EXPECT_EQ(QColor(during.pixel(ox, band_y())), QColor(Qt::black));
    EXPECT_NE(QColor(view->composed_image().pixel(ox, band_y())), QColor(Qt::black));
    release(r.left + 152, band_y());
    EXPECT_NE(QColor(view->screen_image().pixel(ox, band_y())), QColor(Qt::black));
}

TEST_F(LabelView, ADragInABandWithoutAHitSelectsAndTouchesNoLabel) {
    show();
    put(0, "word", 800.0);
    drag(100, band_y(), 300, band_y());
    EXPECT_TRUE(view->has_selection());
    EXPECT_EQ(tier0().label_count(), 1);
    EXPECT_EQ(modal.shown, 0);
    EXPECT_FALSE(doc->modified());
}

TEST_F(LabelView, APressOutsideTheBandsOrInATierOutOfUseIsNoLabelGesture) {
    ch().tiers[1].in_use = 0;
    show();
    click(300, tier0().band.bottom + 60);  // in the waveform
    EXPECT_EQ(modal.shown, 0);
    EXPECT_TRUE(view->has_cursor());
}

TEST_F(LabelView, WhenTheUndoCopyCannotBeWrittenTheLabelIsNotAdded) {
    show();
    temp_names.set_folder((dir.path() / "missing" / "deeper").string());
    modal.then(entry_answer("x", true));
    click(300, band_y());
    EXPECT_TRUE(modal.all_used());
    EXPECT_EQ(tier0().label_count(), 0);
    EXPECT_FALSE(prompts.messages().empty());
    EXPECT_FALSE(doc->modified());
}

// --- tier options -------------------------------------------------------------------------

TEST_F(LabelView, TiersOptionReadsEveryRowBackAndTheBandsFollow) {
    show();
    put(1, "kept", 500.0);  // tier 1 is out of use
    const int audio_top = view->audio_strip().top;
    modal.then([](QDialog* d) {
        auto* o = qobject_cast<COptionTiers*>(d);
        ASSERT_NE(o, nullptr);
        CGridControl* g = o->grid();
        ASSERT_EQ(g->row_count(), kTierCount);
        EXPECT_EQ(g->cell_text(0, 1), "tones");
        EXPECT_TRUE(g->cell_checked(0, 0));
        EXPECT_FALSE(g->cell_checked(1, 0));
        g->set_cell_check(1, 0, true);
        g->set_cell_text(1, 1, "words2");
        o->accept();
    });
    ASSERT_TRUE(view->handle_command(CommandId::TiersSetModify));
    EXPECT_EQ(ch().tiers[1].in_use, 1);
    EXPECT_EQ(ch().tiers[1].name, "words2");
    EXPECT_EQ(doc->options.tier_names[1], "words2");
    EXPECT_EQ(ch().tiers[1].band.top, tier0().band.bottom);
    EXPECT_EQ(view->audio_strip().top, audio_top + ch().tiers[1].height);
    EXPECT_EQ(ch().tiers[1].label_count(), 1);
    EXPECT_GE(ch().tiers[1].labels[0].rect.left, 0);  // laid out in its new band
}

// --- import -------------------------------------------------------------------------------

struct LabelImportView : LabelView {
    std::string write_file(const std::string& text) {
        const std::string path = dir.file("labels.txt");
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static ModalScript::Action import_answer(bool seconds, int align, bool line, const char* tier = nullptr) {
        return [=](QDialog* d) {
            auto* dlg = qobject_cast<CDialogImportLabels*>(d);
            ASSERT_NE(dlg, nullptr);
            if (seconds) dlg->seconds_button()->setChecked(true);
            dlg->justification_button(align)->setChecked(true);
            dlg->add_line_box()->setChecked(line);
            if (tier) dlg->tier_box()->setCurrentText(tier);
            dlg->accept();
        };
    }
};

TEST_F(LabelImportView, UsedLinesBecomeLabelsInTheChosenTier) {
    ch().tiers[2].in_use = 1;
    ch().tiers[2].name = "breaks";
    show();
    prompts.file_choices.push_back(write_file("word\t0.1\n 0.2\tspace\n\t0.3\ttab\n0.5\tone\r\n.25\ttwo\r"));
    modal.then(import_answer(true, 2, true, "breaks"));
    ASSERT_TRUE(view->handle_command(CommandId::TiersImportLabels));
    ASSERT_EQ(ch().tiers[2].label_count(), 2);
    EXPECT_EQ(tier0().label_count(), 0);
    const LABEL& a = ch().tiers[2].labels[0];
    EXPECT_STREQ(a.text, "one");
    EXPECT_DOUBLE_EQ(a.time_ms, 500.0);
    EXPECT_EQ(a.align, 2);
    EXPECT_TRUE(a.add_line);
    EXPECT_DOUBLE_EQ(ch().tiers[2].labels[1].time_ms, 250.0);
    EXPECT_GE(a.rect.left, 0);  // laid out
    ASSERT_EQ(prompts.file_requests.size(), 1u);
    EXPECT_EQ(prompts.file_requests[0].title, import_text::kFileDialogTitle);
    EXPECT_EQ(prompts.file_requests[0].filter, import_text::kFileFilter);
    EXPECT_TRUE(doc->modified());

    // The dialog opens next time with the last choices.
    modal.then([](QDialog* d) {
        auto* dlg = qobject_cast<CDialogImportLabels*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_TRUE(dlg->seconds_button()->isChecked());
        EXPECT_TRUE(dlg->justification_button(2)->isChecked());
        EXPECT_TRUE(dlg->add_line_box()->isChecked());
        EXPECT_EQ(dlg->tier_box()->count(), 2);
        dlg->reject();
    });
    view->handle_command(CommandId::TiersImportLabels);
    EXPECT_EQ(prompts.file_requests.size(), 1u);  // cancelled before the file dialog
}

TEST_F(LabelImportView, AFileWithNoUsableLineLeavesTheDisplayAsItWas) {
    show();
    const QImage before = view->screen_image().copy();
    const int renders = view->render_count();
    prompts.file_choices.push_back(write_file("a\t1\n b\t2\n\tc\t3\n"));
    modal.then(import_answer(false, 0, false));
    view->handle_command(CommandId::TiersImportLabels);
    EXPECT_EQ(tier0().label_count(), 0);
    EXPECT_EQ(view->render_count(), renders);
    EXPECT_EQ(view->screen_image(), before);
    EXPECT_FALSE(doc->modified());
}

TEST_F(LabelImportView, AnEmptyFileBeepsAndSaysSo) {
    show();
    prompts.file_choices.push_back(write_file(""));
    modal.then(import_answer(false, 0, false));
    view->handle_command(CommandId::TiersImportLabels);
    EXPECT_EQ(prompts.count(ScriptedPrompts::Event::Beep), 1);
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0], import_text::kOpenError);
}

TEST_F(LabelImportView, WithNoTierInUseTheTierOptionsComeFirst) {
    tier0().in_use = 0;
    show();
    // Cancel there ends the command.
    modal.then([](QDialog* d) {
        ASSERT_NE(qobject_cast<COptionTiers*>(d), nullptr);
        d->reject();
    });
    view->handle_command(CommandId::TiersImportLabels);
    EXPECT_TRUE(prompts.file_requests.empty());
    // OK with a tier in use goes on to the import.
    modal.then([](QDialog* d) {
        auto* o = qobject_cast<COptionTiers*>(d);
        ASSERT_NE(o, nullptr);
        o->grid()->set_cell_check(3, 0, true);
        o->accept();
    });
    modal.then(import_answer(false, 0, false));
    prompts.file_choices.push_back(write_file("750\tms\n"));
    view->handle_command(CommandId::TiersImportLabels);
    ASSERT_EQ(ch().tiers[3].label_count(), 1);
    EXPECT_DOUBLE_EQ(ch().tiers[3].labels[0].time_ms, 750.0);
}

// Times past the end of the 1 s recording (or beyond any number) do not
// become labels; how many were skipped is said once the others are in.
struct OutsideCase {
    const char* name;
    const char* text;
    bool seconds;
    int kept;
    int outside;
};
class ImportOutside : public LabelImportView, public ::testing::WithParamInterface<OutsideCase> {};
TEST_P(ImportOutside, AreSkippedAndCounted) {
    const auto p = GetParam();
    show();
    prompts.file_choices.push_back(write_file(p.text));
    modal.then(import_answer(p.seconds, 0, false));
    view->handle_command(CommandId::TiersImportLabels);
    ASSERT_EQ(tier0().label_count(), p.kept);
    for (const LABEL& l : tier0().labels) {
        EXPECT_GE(l.time_ms, 0.0);
        EXPECT_LE(l.time_ms, ch().duration_ms);
    }
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0], std::to_string(p.outside) + import_text::kOutsideSuffix);
    EXPECT_EQ(doc->modified(), p.kept > 0);
}
INSTANTIATE_TEST_SUITE_P(Files, ImportOutside,
                         ::testing::Values(OutsideCase{"PastTheEnd", "0.5\tin\n2\tafter\n1e308\thuge\n", true, 1, 2},
                                           OutsideCase{"AllOutside", "1001\ta\n1e999\tb\n", false, 0, 2},
                                           OutsideCase{"BothEndsKept", "0\ta\n1000\tb\n1000.5\tc\n", false, 2, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// Many thousand lines at one time: a tier takes its limit and says so.
TEST_F(LabelImportView, AFileBeyondTheTierLimitKeepsTheLimit) {
    show();
    std::string text;
    for (std::size_t i = 0; i < kMaxLabelsPerTier + 10; ++i) text += "0.5\t\n";
    prompts.file_choices.push_back(write_file(text));
    modal.then(import_answer(false, 0, false));
    view->handle_command(CommandId::TiersImportLabels);
    EXPECT_EQ(static_cast<std::size_t>(tier0().label_count()), kMaxLabelsPerTier);
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0], "10" + std::string(import_text::kOverLimitSuffix));
}

// Tier names and flags live in the document's file: changing them in the
// dialog is a change to save; OK without a change is not.
struct TierEdit {
    const char* name;
    int row;
    bool check;
    const char* text;
    bool modified;
};
class TiersOptionModifies : public LabelView, public ::testing::WithParamInterface<TierEdit> {};
TEST_P(TiersOptionModifies, TheDocumentOnlyWhenSomethingChanged) {
    const auto p = GetParam();
    show();
    ASSERT_FALSE(doc->modified());
    modal.then([p](QDialog* d) {
        auto* o = qobject_cast<COptionTiers*>(d);
        ASSERT_NE(o, nullptr);
        o->grid()->set_cell_check(p.row, 0, p.check);
        o->grid()->set_cell_text(p.row, 1, p.text);
        o->accept();
    });
    ASSERT_TRUE(view->handle_command(CommandId::TiersSetModify));
    EXPECT_TRUE(modal.all_used());
    EXPECT_EQ(doc->modified(), p.modified);
}
INSTANTIATE_TEST_SUITE_P(Edits, TiersOptionModifies,
                         ::testing::Values(TierEdit{"Renamed", 0, true, "syllables", true},
                                           TierEdit{"TakenOutOfUse", 0, false, "tones", true},
                                           TierEdit{"NewTierInUse", 4, true, "", true},
                                           TierEdit{"Unchanged", 0, true, "tones", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- the label table --------------------------------------------------------------------------

struct LabelTable : LabelView {
    CGridControl* grid() { return view->label_table()->form()->grid(); }
    std::vector<QString> column(int c) {
        std::vector<QString> v;
        for (int r = 0; r < grid()->row_count(); ++r) v.push_back(grid()->cell_text(r, c));
        return v;
    }
    void click_header(int col) {
        QHeaderView* h = grid()->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(h->sectionViewportPosition(col) + 5, h->height() / 2));
    }
    void zoom_row(int row) {
        grid()->setCurrentCell(row, 0);
        grid()->selectRow(row);
        QTest::mouseClick(view->label_table()->form()->zoom_button(), Qt::LeftButton);
    }
};

TEST_F(LabelTable, ListsEveryLabelOfEveryTierAndSortsByAHeaderClick) {
    show();
    put(0, "b", 700.0);
    put(0, "a", 90.0);
    put(5, "out of use", 300.0);  // tier 5 is not in use: listed all the same
    ch().tiers[5].name = "misc5";
    CFrameLabelView* t = view->open_label_table();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->windowTitle(), QString(label_text::kTableTitlePrefix) + QString::fromStdString(doc->title()));
    ASSERT_EQ(grid()->column_count(), 3);
    EXPECT_EQ(grid()->caption(2), label_text::kTimeColumn);
    EXPECT_EQ(column(0), (std::vector<QString>{"tones", "tones", "misc5"}));
    EXPECT_EQ(column(1), (std::vector<QString>{"b", "a", "out of use"}));
    EXPECT_EQ(grid()->cell_number(0, 2), 700.0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(t));
    click_header(2);
    EXPECT_EQ(column(1), (std::vector<QString>{"a", "out of use", "b"}));
    click_header(2);
    EXPECT_EQ(column(1), (std::vector<QString>{"b", "out of use", "a"}));
    click_header(1);
    EXPECT_EQ(column(1), (std::vector<QString>{"a", "b", "out of use"}));
}

TEST_F(LabelTable, OpeningTwiceBringsTheSameWindow) {
    show();
    CFrameLabelView* a = view->open_label_table();
    CFrameLabelView* b = view->open_label_table();
    EXPECT_EQ(a, b);
    a->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(view->label_table(), nullptr);  // closed: the view forgot it
    EXPECT_NE(view->open_label_table(), nullptr);
}

TEST_F(LabelTable, EveryLabelChangeRefillsTheTable) {
    show();
    view->open_label_table();
    EXPECT_EQ(grid()->row_count(), 0);
    modal.then(entry_answer("new", true));
    click(300, band_y());
    ASSERT_EQ(grid()->row_count(), 1);
    EXPECT_EQ(grid()->cell_text(0, 1), "new");
    const Rect r = tier0().labels[0].rect;
    drag(r.left + 1, band_y(), r.left + 51, band_y());
    EXPECT_DOUBLE_EQ(*grid()->cell_number(0, 2), tier0().labels[0].time_ms);
    modal.then(entry_answer("", true));
    click(tier0().labels[0].rect.left + 1, band_y());
    EXPECT_EQ(grid()->row_count(), 0);
}

TEST_F(LabelTable, ZoomWithoutASelectedRowAsksForOne) {
    show();
    view->open_label_table();
    QTest::mouseClick(view->label_table()->form()->zoom_button(), Qt::LeftButton);
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0], label_text::kSelectRow);
    EXPECT_FALSE(view->is_zoomed());
}

struct ZoomCase {
    double label_ms;
    double first, last;  // expected window in samples
};
class ZoomToLabel : public LabelTable, public ::testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomToLabel, CentresTheZoomRangeOnTheLabelClampedToTheRecording) {
    doc->options.zoom_range_ms = 200.0;
    show();
    put(0, "x", GetParam().label_ms);
    view->open_label_table();
    zoom_row(0);
    EXPECT_DOUBLE_EQ(ch().window_first, GetParam().first);
    EXPECT_DOUBLE_EQ(ch().window_last, GetParam().last);
    EXPECT_DOUBLE_EQ(ch().prev_window_first, 0.0);
    EXPECT_DOUBLE_EQ(ch().prev_window_last, 11025.0);
    EXPECT_TRUE(view->is_zoomed());
    // UnZoom returns to the whole recording.
    ASSERT_TRUE(view->handle_command(CommandId::ZoomUnZoom));
    EXPECT_DOUBLE_EQ(ch().window_first, 0.0);
    EXPECT_DOUBLE_EQ(ch().window_last, 11025.0);
}

// 11025 Hz: centre = 11.025 × t, half width = 1102.5 samples.
INSTANTIATE_TEST_SUITE_P(Places, ZoomToLabel,
                         ::testing::Values(ZoomCase{500.0, 4410.0, 6615.0},     // inside
                                           ZoomCase{50.0, 0.0, 1653.75},         // near the start: narrower
                                           ZoomCase{980.0, 9702.0, 11025.0}));  // near the end

TEST_F(LabelView, TheTableWindowTakesAndKeepsItsRememberedRectangle) {
    WindowRect placement;
    {
        CFrameLabelView f(*doc, placement, nullptr);
        EXPECT_EQ(f.geometry(), QRect(20, 20, 450, 450));
        f.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
        f.setGeometry(60, 70, 300, 320);
        QCoreApplication::processEvents();
        EXPECT_FALSE(f.form()->zoom_button()->isEnabled());  // no view to zoom
    }
    EXPECT_EQ(placement, (WindowRect{60, 70, 300, 320}));
    CFrameLabelView again(*doc, placement, nullptr);
    EXPECT_EQ(again.geometry(), QRect(60, 70, 300, 320));
    // The grid fills the window below the button.
    again.show();
    QCoreApplication::processEvents();
    const QRect g = again.form()->grid()->geometry();
    EXPECT_EQ(g.left(), 5);
    EXPECT_EQ(g.top(), again.form()->zoom_button()->geometry().bottom() + 1 + 5);
    EXPECT_EQ(g.width(), 300 - 10);
}

TEST_F(LabelTable, AfterACutThatRemovesLabelsTheTableNoLongerListsThem) {
    show();
    put(0, "gone", 500.0);
    put(0, "stays", 900.0);
    view->open_label_table();
    ASSERT_EQ(grid()->row_count(), 2);
    const int y = view->audio_strip().top + 20;
    const auto x_at = [&](double ms) { return 40 + int((view->width() - 45) * ms / 1000.0); };
    drag(x_at(400.0), y, x_at(600.0), y);
    ASSERT_TRUE(view->has_selection());
    ASSERT_TRUE(view->handle_command(CommandId::EditCut));
    ASSERT_EQ(grid()->row_count(), 1);
    EXPECT_EQ(grid()->cell_text(0, 1), "stays");
}

TEST_F(LabelView, ALabelWithAddLineDrawsItsLineThroughEveryStripBelowItsBand) {
    doc->options.display.add_time_grid = 0;
    show();
    LABEL l;
    l.set_text("v");
    l.time_ms = 333.0;
    l.add_line = true;
    l.color = make_rgb(0, 0, 255);
    tier0().labels.push_back(l);
    l.time_ms = 666.0;
    l.add_line = false;
    tier0().labels.push_back(l);
    view->refresh();
    const QImage& img = view->screen_image();
    const int with_line = tier0().labels[0].rect.left, without = tier0().labels[1].rect.left;
    const auto blue = [&](int x, int y) { return QColor(img.pixel(x, y)) == QColor(0, 0, 255); };
    const int below = view->display_rect().bottom - 2;
    for (int y : {tier0().band.bottom + 1, view->audio_strip().top + 3, view->pitch_strip().top + 3, below}) {
        EXPECT_TRUE(blue(with_line, y)) << "y " << y;
        EXPECT_FALSE(blue(without, y)) << "y " << y;
    }
}

// --- the dialog ------------------------------------------------------------------------------

TEST_F(LabelView, LabelEntryLimitsTheTextAndShowsOddJustificationAsLeft) {
    LABEL l;
    l.align = 7;
    l.add_line = true;
    CLabelEntry e(l);
    EXPECT_TRUE(e.justification_button(0)->isChecked());
    EXPECT_TRUE(e.add_line_box()->isChecked());
    e.text_edit()->setPlainText(QString(300, QChar('w')));
    EXPECT_EQ(e.text_edit()->toPlainText().size(), CLabelEntry::kMaxTextBytes);
    // A character of two UTF-8 bytes is never cut in half.
    e.text_edit()->setPlainText(QString(253, QChar('w')) + QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(e.label().text_string(), std::string(253, 'w'));
    e.justification_button(2)->setChecked(true);
    EXPECT_EQ(e.label().align, 2);
}

// --- labels through a native file -----------------------------------------------------------

TEST_F(LabelView, ALabelSavedReopenedAndDrawnKeepsPlaceTextFontSizeAndColour) {
    show();
    LogFont f;
    f.height = -22;
    f.weight = 700;
    std::memcpy(f.face_name, "Arial", 6);
    const ColorRef red = make_rgb(230, 0, 0);
    modal.then(entry_answer("MMM", true, 0, f, red));
    click(400, band_y());
    ASSERT_EQ(tier0().label_count(), 1);
    const LABEL saved = tier0().labels[0];
    const std::string path = dir.file("labelled.vxl");
    ASSERT_TRUE(doc->write_native(path));

    view.reset();
    doc = std::make_unique<CMarbeckDoc>(services);
    doc->options.display.always_analyse = 0;
    ASSERT_TRUE(open_document(*doc, path));
    show();
    ASSERT_EQ(tier0().label_count(), 1);
    const LABEL& l = tier0().labels[0];
    EXPECT_STREQ(l.text, "MMM");
    EXPECT_DOUBLE_EQ(l.time_ms, saved.time_ms);
    EXPECT_EQ(std::abs(l.font.height), 22);
    EXPECT_EQ(l.color, red);
    EXPECT_EQ(l.rect.left, saved.rect.left);
    EXPECT_EQ(l.rect.right - l.rect.left, LabelTextWidth(saved));
    // Drawn in its colour inside its rectangle.
    const QImage& img = view->screen_image();
    int reds = 0;
    for (int y = l.rect.top; y < l.rect.bottom; ++y)
        for (int x = l.rect.left; x < l.rect.right; ++x) {
            const QColor c(img.pixel(x, y));
            if (c.red() > 180 && c.green() < 80 && c.blue() < 80) ++reds;
        }
    EXPECT_GT(reds, 30);
}

}  // namespace
}  // namespace vox::viewtest
