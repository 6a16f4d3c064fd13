// Command enabling and the reduced menu of the main frame.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "core/document/marbeck_doc.h"
#include "gui/app/child_frame.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

using C = CommandId;

bool menu_visible(CMainFrame& f, const QString& title) {
    for (QAction* a : f.menuBar()->actions())
        if (a->text() == title) return a->isVisible();
    return false;
}

TEST(AppCommands, WithoutDocumentOnlyTheReducedMenuRemains) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    f.update_command_ui();
    EXPECT_EQ(f.windowTitle(), "Voxtrel");
    for (const char* m : {"&File", "&View", "&Help"}) EXPECT_TRUE(menu_visible(f, m)) << m;
    for (const char* m : {"&Edit", "&Zoom", "&Analysis", "&Log", "&Options", "&Window"})
        EXPECT_FALSE(menu_visible(f, m)) << m;
    for (const CommandInfo& info : command_table()) {
        if (info.menu != "&File") continue;
        EXPECT_EQ(f.action(info.id)->isVisible(), info.in_reduced_menu) << info.text;
    }
    EXPECT_TRUE(f.command_enabled(C::FileOpen));
    EXPECT_TRUE(f.command_enabled(C::FileNew));
    EXPECT_FALSE(f.command_enabled(C::FileSave));
    EXPECT_FALSE(f.command_enabled(C::FileClose));
    EXPECT_FALSE(f.command_enabled(C::WindowTile));
}

TEST(AppCommands, DocumentCommandsFollowTheDocumentState) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("a.wav");
    write_wav(wav, 1, 2000);
    CMarbeckDoc* doc = f.open_document(wav);
    ASSERT_NE(doc, nullptr);
    f.update_command_ui();
    EXPECT_TRUE(menu_visible(f, "&Edit"));
    EXPECT_TRUE(f.action(C::FileSaveAs)->isVisible());

    struct Case {
        bool modified;
        int selection;
        bool save, save_as, selection_as, export_selection;
    };
    for (const Case& c : {Case{false, 0, false, true, false, false}, Case{true, 0, true, true, false, false},
                          Case{false, 1, false, true, true, true}}) {
        doc->set_modified(c.modified);
        doc->selection_active = c.selection;
        f.update_command_ui();
        EXPECT_EQ(f.action(C::FileSave)->isEnabled(), c.save);
        EXPECT_EQ(f.action(C::FileSaveAs)->isEnabled(), c.save_as);
        EXPECT_EQ(f.action(C::FileSaveCopyAs)->isEnabled(), c.save_as);
        EXPECT_EQ(f.action(C::FileExportWave)->isEnabled(), c.save_as);
        EXPECT_EQ(f.action(C::FileSaveSelectionAs)->isEnabled(), c.selection_as);
        EXPECT_EQ(f.action(C::FileExportSelectionWave)->isEnabled(), c.export_selection);
    }
    doc->set_modified(false);
    EXPECT_FALSE(f.command_enabled(C::WindowCloseStatus));
    EXPECT_TRUE(f.command_enabled(C::WindowTile));
}

TEST(AppCommands, CommandsWithoutAHandlerStayDisabledAndDoNothing) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("a.wav");
    write_wav(wav, 1, 2000);
    ASSERT_NE(f.open_document(wav), nullptr);
    // The status window never is enabled.
    for (C id : {C::WindowCloseStatus}) {
        EXPECT_FALSE(f.command_enabled(id)) << command_info(id).text;
        EXPECT_FALSE(f.action(id)->isEnabled());
        EXPECT_FALSE(f.run_command(id));
    }
}

TEST(AppCommands, MenusToolbarAndAcceleratorsComeFromTheTable) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    EXPECT_EQ(f.action(C::FileOpen)->text(), "&Open...");
    EXPECT_EQ(f.action(C::FileOpen)->statusTip(), "Open an existing recording");
    EXPECT_EQ(f.action(C::FileOpen)->toolTip(), "Open");
    EXPECT_TRUE(f.action(C::FileOpen)->shortcuts().contains(QKeySequence("Ctrl+O")));
    const auto copy = f.action(C::EditCopy)->shortcuts();
    EXPECT_TRUE(copy.contains(QKeySequence("Ctrl+C")));
    EXPECT_TRUE(copy.contains(QKeySequence("Ctrl+Ins")));
    EXPECT_TRUE(f.action(C::EditUndo)->shortcuts().contains(QKeySequence("Alt+Backspace")));
    EXPECT_TRUE(f.action(C::HelpTopics)->shortcuts().contains(QKeySequence("F1")));

    // The toolbar in the table's order, gaps as separators.
    const auto acts = f.tool_bar()->actions();
    const auto& layout = toolbar_layout();
    ASSERT_EQ(acts.size(), static_cast<qsizetype>(layout.size()));
    for (std::size_t i = 0; i < layout.size(); ++i) {
        if (layout[i])
            EXPECT_EQ(acts[static_cast<qsizetype>(i)], f.action(*layout[i]));
        else
            EXPECT_TRUE(acts[static_cast<qsizetype>(i)]->isSeparator());
    }
}

TEST(AppCommands, ToolbarAndStatusBarToggle) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    ASSERT_TRUE(f.tool_bar()->isVisible());
    EXPECT_TRUE(f.run_command(C::ViewToolbar));
    EXPECT_FALSE(f.tool_bar()->isVisible());
    EXPECT_FALSE(f.action(C::ViewToolbar)->isChecked());
    EXPECT_TRUE(f.run_command(C::ViewToolbar));
    EXPECT_TRUE(f.tool_bar()->isVisible());
}

}  // namespace
}  // namespace vox::test
