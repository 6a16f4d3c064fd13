// The targets' command tables as the main frame routes them: no target
// declares a command twice (the second entry would never run), and every
// command of the menus and the toolbar has a target that declares it, with
// each kind of window active.
#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

#include <set>

#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

TEST(CommandTables, EveryCommandDeclaredOnceByATarget) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    f.show();
    const std::string wav = fx.dir.file("a.wav");
    write_wav(wav, 1, 11025);
    CMarbeckDoc* doc = f.open_document(wav);
    ASSERT_NE(doc, nullptr);
    QMdiSubWindow* wave = f.mdi_area()->subWindowList().front();
    ASSERT_TRUE(f.run_command(CommandId::SpectrogramAll));
    CFFTLPCFrame* fft = OpenFftLpc(*doc, f.mdi_area(), FftLpcStretch{false, 2000, 0, 0});
    ASSERT_NE(fft, nullptr);
    f.run_command(CommandId::LogNew);

    std::set<CommandId> declared;
    int kinds = 0;
    for (QMdiSubWindow* w : f.mdi_area()->subWindowList()) {
        f.mdi_area()->setActiveSubWindow(w);
        ASSERT_EQ(f.active_window(), w);
        const bool analysis = qobject_cast<CAnalysisFrame*>(w) != nullptr;
        kinds += w == wave || analysis;
        const CommandRoute route = f.command_route();
        for (const CommandTarget& t : route.targets()) {
            EXPECT_EQ(first_duplicate(*t.table), std::nullopt)
                << "declared twice: " << command_info(*first_duplicate(*t.table)).text;
            for (const Command& c : *t.table)
                if (!t.admits || t.admits(c.id)) declared.insert(c.id);
        }
    }
    EXPECT_EQ(kinds, 3);  // waveform, spectrogram and FFT/LPC windows
    for (const CommandInfo& info : command_table())
        EXPECT_TRUE(declared.count(info.id)) << "no target declares " << info.text;
}

}  // namespace
}  // namespace vox::test
