// The spectrogram window inside the application: the main frame routes
// commands to an active analysis window.
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

#include "gui/views/analysis/spectrogram_view.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

// Through the main frame: Spectrogram All opens a window whose commands the
// frame routes to it while it is active.
TEST(AnalysisApp, SpectrogramWindowTakesTheCommandsWhileActive) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    f.show();
    const std::string wav = fx.dir.file("a.wav");
    write_wav(wav, 1, 11025);
    ASSERT_NE(f.open_document(wav), nullptr);
    f.update_command_ui();
    ASSERT_TRUE(f.command_enabled(CommandId::SpectrogramAll));
    ASSERT_TRUE(f.run_command(CommandId::SpectrogramAll));
    CSpectrogramFrame* sf = nullptr;
    for (QMdiSubWindow* w : f.mdi_area()->subWindowList())
        if (auto* s = qobject_cast<CSpectrogramFrame*>(w)) sf = s;
    ASSERT_NE(sf, nullptr);
    f.mdi_area()->setActiveSubWindow(sf);
    ASSERT_TRUE(sf->view().pane().compute_now());
    EXPECT_TRUE(sf->windowTitle().endsWith("::Spectrogram "));
    EXPECT_TRUE(f.command_enabled(CommandId::FileSaveBmp));
    EXPECT_TRUE(f.command_enabled(CommandId::FilePrint));
    for (CommandId id : {CommandId::FileSave, CommandId::FileSaveAs, CommandId::PlayAll, CommandId::FileSaveScreenBmp,
                         CommandId::PlaySelection})
        EXPECT_FALSE(f.command_enabled(id)) << command_info(id).text;
    // Save As bmp writes the file named by the chooser.
    const std::string bmp = fx.dir.file("s.bmp");
    fx.prompts.file_choices.push_back(bmp);
    EXPECT_TRUE(f.run_command(CommandId::FileSaveBmp));
    const QImage img(QString::fromStdString(bmp));
    EXPECT_FALSE(img.isNull());
    EXPECT_GT(img.width(), 400);
}

}  // namespace
}  // namespace vox::test
