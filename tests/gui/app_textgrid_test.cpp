// Tiers/Labels > Import TextGrid... and Export TextGrid... as a user reaches
// them: through the menu's actions on an open recording, with undo, the
// modified flag, the refusal of a malformed file and a grid written back.

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>

#include <fstream>
#include <sstream>
#include <variant>

#include "core/annotation/textgrid.h"
#include "core/document/marbeck_doc.h"
#include "gui/annotation/label_table_view.h"
#include "gui/app/child_frame.h"
#include "gui/grid/grid_control.h"
#include "gui/views/waveform/marbeck_view.h"
#include "tests/gui/gui_test_support.h"

namespace vox {
namespace {

using C = CommandId;

std::string fixture(const std::string& name) {
    return std::string(VOXTREL_SOURCE_DIR) + "/tests/core/annotation/textgrid/" + name;
}

struct TextGridApp : ::testing::Test {
    test::AppFixture fx;
    CMarbeckDoc* doc = nullptr;

    void open_recording(int seconds) {
        const std::string wav = fx.dir.file("rec.wav");
        test::write_wav(wav, 1, 11025 * seconds);
        doc = fx.frame->open_document(wav);
        ASSERT_NE(doc, nullptr);
        const auto frames = fx.frame->frames_of(*doc);
        ASSERT_FALSE(frames.empty());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frames.front()->view()));
    }
    bool enabled(C id) {
        fx.frame->update_command_ui();
        return fx.frame->action(id)->isEnabled();
    }
    void trigger(C id) {
        ASSERT_TRUE(enabled(id)) << static_cast<int>(id);
        fx.frame->action(id)->trigger();
    }
    const CChannels& ch() const { return doc->channels[0]; }
};

TEST_F(TextGridApp, ImportFillsTheTiersUndoablyAndExportWritesThemBack) {
    open_recording(3);
    EXPECT_TRUE(enabled(C::TiersImportTextGrid));
    EXPECT_FALSE(enabled(C::TiersExportTextGrid));  // no labels yet
    EXPECT_FALSE(doc->modified());

    // The label table, open while the grid comes in, lists what it brought.
    trigger(C::TiersViewLabels);
    CMarbeckView& view = *static_cast<CMarbeckView*>(fx.frame->frames_of(*doc).front()->view());
    ASSERT_NE(view.label_table(), nullptr);
    CGridControl& table = *view.label_table()->form()->grid();
    EXPECT_EQ(table.row_count(), 0);

    fx.prompts.file_choices.push_back(fixture("long_utf16.TextGrid"));
    trigger(C::TiersImportTextGrid);
    ASSERT_EQ(ch().tiers[0].name, "words");
    ASSERT_EQ(ch().tiers[0].label_count(), 3);  // two intervals with text and the grid's end
    EXPECT_DOUBLE_EQ(ch().tiers[0].labels[0].time_ms, 310.0);
    EXPECT_EQ(ch().tiers[1].name, "tones");
    EXPECT_EQ(ch().tiers[1].label_count(), 2);
    EXPECT_TRUE(doc->modified());
    EXPECT_TRUE(fx.prompts.messages().empty());
    ASSERT_EQ(table.row_count(), 5);
    EXPECT_EQ(table.cell_text(0, 1).toStdString(), ch().tiers[0].labels[0].text_string());

    const std::string out = fx.dir.file("out.TextGrid");
    fx.prompts.file_choices.push_back(out);
    trigger(C::TiersExportTextGrid);
    std::ifstream in(out, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const auto grid = textgrid::Parse(bytes.str());
    ASSERT_TRUE(std::holds_alternative<textgrid::Grid>(grid));
    const auto& g = std::get<textgrid::Grid>(grid);
    ASSERT_EQ(g.tiers.size(), 2u);
    EXPECT_EQ(g.tiers[1].marks.size(), 2u);
    EXPECT_EQ(g.tiers[1].marks[1].mark, "L-");

    // Undo takes the grid's tiers away again.
    trigger(C::EditUndo);
    EXPECT_EQ(ch().tiers[0].label_count(), 0);
    EXPECT_EQ(ch().tiers[1].label_count(), 0);
    EXPECT_EQ(ch().tiers[0].in_use, 0);
    EXPECT_EQ(table.row_count(), 0);
}

TEST_F(TextGridApp, AMalformedFileIsRefusedNamingItsLineAndChangesNothing) {
    open_recording(1);
    const std::string bad = fx.dir.file("bad.TextGrid");
    std::ofstream(bad) << "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n\n0\n1\n<exists>\n1\n\"Tier\"\n";
    fx.prompts.file_choices.push_back(bad);
    trigger(C::TiersImportTextGrid);
    const auto said = fx.prompts.messages();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("Line 8"), std::string::npos) << said[0];
    EXPECT_FALSE(doc->modified());
    for (const Tier& t : ch().tiers) EXPECT_EQ(t.label_count(), 0);
}

}  // namespace
}  // namespace vox
