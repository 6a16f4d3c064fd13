// The texts a person reads around the commands: status-bar prompts and
// tooltips, the Open dialog's filters, the help window and the program's
// command-line help.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

#include "core/document/marbeck_doc.h"
#include "gui/app/help_window.h"
#include "gui/platform/qt_user_prompts.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

using C = CommandId;

// Prompts as the program's command table must carry them, word for word:
// status-bar text, a newline, the tooltip.
struct Prompt {
    C id;
    const char* text;
};
constexpr Prompt kPrompts[] = {
    {C::Record, "Start recording\nRecord"},
    {C::PlayAll, "Play the whole file\nPlay All"},
    {C::PlaySelection, "Play the selected section of the file\nPlay Selection"},
    {C::PlayWindow, "Play the section of the file displayed in the current window\nPlay Window"},
    {C::ZoomUnZoom, "Undo the last zoom operation\nUnZoom"},
    {C::ZoomIn, "Zoom into the file by doubling the displayed time\nZoom In"},
    {C::ZoomOut, "Zoom out of the file by halving the displayed time base\nZoom Out"},
    {C::ZoomSelection, "Zoom the selection\nZoom Selection"},
    {C::ZoomFromCursor, "Zoom from the marker for the duration in the zoom option\nZoom for duration"},
    {C::ZoomHome, "Display the entire file\nZoom Home"},
    {C::Smooth, "Smooth the data\nSmooth"},
    {C::TiersViewLabels, "View the label list\nView Labels"},
    {C::Intensity, "Perform power intensity of the waveform\nIntensity"},
    {C::SetReferenceAll, "Set the reference for all channels\nSet Channels Reference All"},
};

class PromptTexts : public ::testing::TestWithParam<Prompt> {};

TEST_P(PromptTexts, StatusBarShowsThePromptAndTheButtonItsTip) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    QAction* a = f.action(GetParam().id);
    const QString want = QString::fromUtf8(GetParam().text);
    EXPECT_EQ(a->statusTip() + "\n" + a->toolTip(), want);
    // Pointing at the item puts its prompt in the status bar.
    f.statusBar()->clearMessage();
    EXPECT_TRUE(a->showStatusText(&f));
    EXPECT_EQ(f.statusBar()->currentMessage(), want.section('\n', 0, 0));
}

INSTANTIATE_TEST_SUITE_P(AppTexts, PromptTexts, ::testing::ValuesIn(kPrompts),
                         [](const auto& info) { return std::to_string(static_cast<int>(info.param.id)); });

// Every action carries the prompt of its row of the command table, split
// into the status text and the tooltip; none is left without one.
TEST(AppTexts, EveryActionCarriesItsTablePrompt) {
    AppFixture fx;
    for (const CommandInfo& info : command_table()) {
        const QAction* a = fx.frame->action(info.id);
        const QString table = QString::fromUtf8(info.prompt.data(), qsizetype(info.prompt.size()));
        ASSERT_EQ(table.count('\n'), 1) << info.text;
        EXPECT_EQ(a->statusTip(), table.section('\n', 0, 0)) << info.text;
        EXPECT_EQ(a->toolTip(), table.section('\n', 1)) << info.text;
        EXPECT_FALSE(a->statusTip().isEmpty()) << info.text;
        EXPECT_FALSE(a->toolTip().isEmpty()) << info.text;
    }
}

// --- the Open dialog ------------------------------------------------------------------------

TEST(AppTexts, OpenOffersAllSupportedRecordingsFirstAndChosenTheFirstTime) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("speech.wav");
    write_wav(wav, 1, 3000);
    fx.prompts.file_choices.push_back(wav);
    f.action(C::FileOpen)->trigger();
    ASSERT_EQ(fx.prompts.file_requests.size(), 1u);
    const FileDialogRequest req = fx.prompts.file_requests[0];
    EXPECT_EQ(req.filter_index, 0);
    EXPECT_EQ(req.filter.rfind("All supported recordings|", 0), 0u) << req.filter;
    EXPECT_NE(req.filter.find(doc_text::kOpenFilters), std::string::npos);

    // The real dialog lists fifteen filters (the decoder's formats last)
    // with the first one selected, and that filter shows the recordings of
    // every known extension.
    QtUserPrompts qt;
    QStringList filters;
    QString selected;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dlg) return;
        filters = dlg->nameFilters();
        selected = dlg->selectedNameFilter();
        dlg->reject();
    });
    EXPECT_FALSE(qt.choose_open_file(req).has_value());
    ASSERT_EQ(filters.size(), 15);
    EXPECT_EQ(selected, filters[0]);
    for (const char* ext : {"*.vxl", "*.lmf", "*.wav", "*.nsp", "*.sph", "*.d", "*.au", "*.aiff", "*.flac", "*.ogg",
                            "*.mp3"})
        EXPECT_TRUE(filters[0].contains(QLatin1String(ext))) << ext;
    EXPECT_EQ(filters[4], "Wave files (*.wav)");
    EXPECT_TRUE(filters[14].startsWith("Compressed and 64-bit audio (*.flac *.ogg")) << filters[14].toStdString();

}

// --- Help Topics ----------------------------------------------------------------------------

class HelpTopics : public ::testing::TestWithParam<bool> {};

TEST_P(HelpTopics, TheManualOpensInABrowserOrInTheProgramsHelpWindow) {
    const bool browser = GetParam();
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const auto manual = fx.dir.path() / "Manual";
    std::filesystem::create_directories(manual);
    std::ofstream(manual / "HelpIndex.html") << "<html><body><h1>Voxtrel manual</h1>"
                                                "<a href=\"page.html\">Waveform</a></body></html>";
    std::ofstream(manual / "page.html") << "<html><body><p>The waveform page</p></body></html>";
    QUrl asked;
    f.set_url_opener([&](const QUrl& u) {
        asked = u;
        return browser;
    });
    f.action(C::HelpTopics)->trigger();
    EXPECT_TRUE(fx.prompts.messages().empty());
    EXPECT_EQ(asked.toLocalFile(), QString::fromStdString((manual / "HelpIndex.html").string()));
    if (browser) {
        EXPECT_EQ(f.help_window(), nullptr);
        return;
    }
    CHelpWindow* help = f.help_window();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->browser()->toPlainText().contains("Voxtrel manual"));
    // The manual's links lead on inside the window, and Contents leads back.
    help->browser()->setSource(QUrl("page.html"));
    EXPECT_TRUE(help->browser()->toPlainText().contains("The waveform page"));
    help->show_index();
    EXPECT_TRUE(help->browser()->toPlainText().contains("Voxtrel manual"));
    // Asking again brings the same window back.
    f.action(C::HelpTopics)->trigger();
    EXPECT_EQ(f.help_window(), help);
}

INSTANTIATE_TEST_SUITE_P(AppTexts, HelpTopics, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Browser" : "NoBrowser"; });

// --- command line ---------------------------------------------------------------------------

test::ShellRun run_program(const std::string& args) {
    // The program beside the tests, unless another one is named.
    const char* bin = std::getenv("VOXTREL_BIN");
    if (!bin) bin = VOXTREL_PROGRAM;
    return test::run_shell("'" + std::string(bin) + "' " + args + " 2>&1");
}

struct HelpCase {
    const char* args;
    int rc;
};

class CommandLineHelp : public ::testing::TestWithParam<HelpCase> {};

TEST_P(CommandLineHelp, ListsEveryOption) {
    const auto r = run_program(GetParam().args);
    EXPECT_EQ(r.rc, GetParam().rc) << r.out;
    for (const char* option : {"--audio=", "--usb=", "--screenshot", "--help"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option << " missing in:\n" << r.out;
}

INSTANTIATE_TEST_SUITE_P(AppTexts, CommandLineHelp,
                         ::testing::Values(HelpCase{"--help", 0}, HelpCase{"-h", 0}, HelpCase{"--bogus", 2}),
                         [](const auto& info) { return std::string(info.param.rc == 0 ? "Asked" : "Wrong") + std::to_string(info.index); });

}  // namespace
}  // namespace vox::test
