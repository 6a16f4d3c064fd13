// Where the windows of a document open: remembered rectangles fitted into
// the main window's document area, arrangements not remembered, a loaded
// configuration moving the open windows, the label table over the documents.
#include <gtest/gtest.h>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "core/app/config_file.h"
#include "core/document/marbeck_doc.h"
#include "gui/annotation/label_table_view.h"
#include "gui/app/child_frame.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "gui/views/waveform/marbeck_view.h"
#include "tests/gui/gui_test_support.h"

namespace vox {
namespace {

using C = CommandId;

CMarbeckView* view_of(test::AppFixture& fx, const CMarbeckDoc& doc) {
    const auto frames = fx.frame->frames_of(doc);
    return frames.empty() ? nullptr : qobject_cast<CMarbeckView*>(frames.front()->view());
}

QRect viewport_rect(test::AppFixture& fx) { return QRect(QPoint(0, 0), fx.frame->mdi_area()->viewport()->size()); }

// Exit and start again over the same folder and settings.
void restart(test::AppFixture& fx, const QSize& size) {
    AppEnvironment env = fx.app->env();
    fx.frame.reset();
    fx.app.reset();
    fx.app = std::make_unique<CVoxtrelApp>(env);
    ASSERT_TRUE(fx.app->init_instance());
    fx.frame = std::make_unique<CMainFrame>(*fx.app);
    fx.frame->resize(size);
    fx.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fx.frame.get()));
}

void trigger(test::AppFixture& fx, C id) {
    fx.frame->update_command_ui();
    QAction* a = fx.frame->action(id);
    ASSERT_TRUE(a->isEnabled()) << static_cast<int>(id);
    a->trigger();
}

CMarbeckDoc* open_wav(test::AppFixture& fx, const char* name) {
    const std::string wav = fx.dir.file(name);
    test::write_wav(wav, 1, 11025);
    return fx.frame->open_document(wav);
}

class ArrangeAndRestart : public ::testing::TestWithParam<C> {};

TEST_P(ArrangeAndRestart, TheArrangementIsNotTheNextDocumentsPlace) {
    test::AppFixture fx;
    ASSERT_NE(open_wav(fx, "a.wav"), nullptr);
    ASSERT_NE(open_wav(fx, "b.wav"), nullptr);
    ASSERT_NE(open_wav(fx, "c.wav"), nullptr);
    trigger(fx, GetParam());
    ASSERT_TRUE(fx.frame->close_all_documents());
    restart(fx, QSize(700, 480));
    CMarbeckDoc* doc = open_wav(fx, "d.wav");
    ASSERT_NE(doc, nullptr);
    CChildFrame* child = fx.frame->frames_of(*doc).front();
    // Never moved by hand: the first document fills the area.
    EXPECT_TRUE(child->isMaximized()) << child->geometry().x() << "," << child->geometry().y();
}

INSTANTIATE_TEST_SUITE_P(Arrangements, ArrangeAndRestart, ::testing::Values(C::WindowTile, C::WindowCascade));

struct PlaceCase {
    QRect stored;  // left, top, width, height
};
class RestoredPlace : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(RestoredPlace, ARememberedRectangleOpensInsideTheArea) {
    test::AppFixture fx;
    ASSERT_NE(open_wav(fx, "a.wav"), nullptr);
    const QRect s = GetParam().stored;
    fx.app->app_values().document_window = {s.x(), s.y(), s.width(), s.height()};
    ASSERT_TRUE(fx.frame->close_all_documents());
    restart(fx, QSize(800, 560));
    CMarbeckDoc* doc = open_wav(fx, "b.wav");
    ASSERT_NE(doc, nullptr);
    CChildFrame* child = fx.frame->frames_of(*doc).front();
    EXPECT_FALSE(child->isMaximized());
    const QRect area = viewport_rect(fx);
    const QRect g = child->geometry();
    EXPECT_TRUE(area.contains(g)) << g.x() << "," << g.y() << " " << g.width() << "x" << g.height() << " in "
                                  << area.width() << "x" << area.height();
    // A rectangle that fits keeps its place and size.
    if (area.contains(s)) {
        EXPECT_EQ(g, s);
    }
    EXPECT_EQ(g.width(), std::min(s.width(), area.width()));
}

INSTANTIATE_TEST_SUITE_P(Places, RestoredPlace,
                         ::testing::Values(PlaceCase{QRect(30, 20, 400, 300)}, PlaceCase{QRect(600, 10, 700, 400)},
                                           PlaceCase{QRect(200, 900, 300, 200)},
                                           PlaceCase{QRect(-400, -100, 500, 300)},
                                           PlaceCase{QRect(0, 0, 2400, 1600)}));

TEST(LabelTablePlace, OpensOverTheDocumentsNotOverTheMenus) {
    test::AppFixture fx;
    fx.frame->move(150, 120);
    CMarbeckDoc* doc = open_wav(fx, "a.wav");
    ASSERT_NE(doc, nullptr);
    CMarbeckView* view = view_of(fx, *doc);
    ASSERT_NE(view, nullptr);
    trigger(fx, C::TiersViewLabels);
    CFrameLabelView* table = view->label_table();
    ASSERT_NE(table, nullptr);
    QWidget* vp = fx.frame->mdi_area()->viewport();
    const QRect area(vp->mapToGlobal(QPoint(0, 0)), vp->size());
    // The first time: 20 pixels inside the document area.
    EXPECT_EQ(table->geometry().topLeft(), area.topLeft() + QPoint(20, 20));
    EXPECT_TRUE(area.contains(table->geometry()));
    // Moved by the user: remembered relative to the area.
    table->move(area.topLeft() + QPoint(70, 40));
    EXPECT_EQ(fx.app->app_values().label_window.a, table->geometry().left() - area.left());
    EXPECT_EQ(fx.app->app_values().label_window.b, table->geometry().top() - area.top());
    EXPECT_NEAR(fx.app->app_values().label_window.a, 70, 12);  // the frame's border aside
    EXPECT_NEAR(fx.app->app_values().label_window.b, 40, 40);
    table->close();
    QCoreApplication::processEvents();
    // A rectangle from elsewhere opens inside the area again.
    fx.app->app_values().label_window = {3000, 2500, 450, 300};
    trigger(fx, C::TiersViewLabels);
    table = view->label_table();
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(area.contains(table->geometry()));
}

TEST(LoadConfiguration, MovesTheOpenWindowsToTheLoadedRectangles) {
    test::AppFixture fx;
    CMarbeckDoc* doc = open_wav(fx, "a.wav");
    ASSERT_NE(doc, nullptr);
    CMarbeckView* view = view_of(fx, *doc);
    doc->options.spectrogram.display_formants = 0;  // a ramp has none
    trigger(fx, C::TiersViewLabels);
    trigger(fx, C::SpectrogramAll);
    QCoreApplication::processEvents();
    // A configuration saved elsewhere with other rectangles.
    AppConfigValues saved = fx.app->app_values();
    saved.document_window = {30, 40, 420, 300};
    saved.spectrogram_window = {60, 25, 380, 260};
    saved.label_window = {90, 50, 300, 220};
    const std::string cfg = fx.dir.file("mine.cfg");
    ASSERT_TRUE(write_config_bytes(cfg, encode_config(doc->options, saved)));
    // Load it with the waveform window active.
    fx.frame->mdi_area()->setActiveSubWindow(fx.frame->frames_of(*doc).front());
    fx.prompts.file_choices.push_back(cfg);
    trigger(fx, C::FileLoadConfig);
    EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
    EXPECT_EQ(fx.frame->frames_of(*doc).front()->geometry(), QRect(30, 40, 420, 300));
    const auto analysis = CAnalysisFrame::frames_of(fx.frame->mdi_area(), *doc);
    ASSERT_EQ(analysis.size(), 1u);
    EXPECT_EQ(analysis.front()->geometry(), QRect(60, 25, 380, 260));
    ASSERT_NE(view->label_table(), nullptr);
    QWidget* vp = fx.frame->mdi_area()->viewport();
    EXPECT_EQ(view->label_table()->geometry(), QRect(vp->mapToGlobal(QPoint(90, 50)), QSize(300, 220)));
}

TEST(FftLpcPlace, TheFirstWindowOpensAtItsDefaultRectangle) {
    test::AppFixture fx;
    CMarbeckDoc* doc = open_wav(fx, "a.wav");
    ASSERT_NE(doc, nullptr);
    CMarbeckView* view = view_of(fx, *doc);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    // The document's window as the user left it: not maximised (a new
    // window of a maximised area opens maximised too).
    fx.frame->frames_of(*doc).front()->showNormal();
    fx.frame->frames_of(*doc).front()->setGeometry(0, 0, 500, 400);
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
    ASSERT_TRUE(view->has_cursor());
    trigger(fx, C::FftLpc);
    const auto analysis = CAnalysisFrame::frames_of(fx.frame->mdi_area(), *doc);
    ASSERT_EQ(analysis.size(), 1u);
    ASSERT_NE(qobject_cast<CFFTLPCFrame*>(analysis.front()), nullptr);
    EXPECT_EQ(analysis.front()->geometry(), QRect(50, 50, 400, 300));
}

}  // namespace
}  // namespace vox
