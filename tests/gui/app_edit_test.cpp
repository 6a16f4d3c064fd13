// Editing across documents of the running application: the clip belongs to
// the application, so a stretch cut in one window is pasted in another, and
// the menu commands reach the active window's view.

#include <gtest/gtest.h>

#include "core/document/doc_edit.h"
#include "core/document/marbeck_doc.h"
#include "gui/app/child_frame.h"
#include "gui/views/waveform/marbeck_view.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

using C = CommandId;

CMarbeckView& view_of(CMainFrame& f, const CMarbeckDoc& doc) {
    return *static_cast<CMarbeckView*>(f.frames_of(doc).front()->view());
}

TEST(AppEdit, ACutInOneWindowIsPastedIntoAnotherThroughTheApplicationsClip) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    write_wav(fx.dir.file("a.wav"), 1, 3000);
    write_wav(fx.dir.file("b.wav"), 1, 2000);
    CMarbeckDoc* a = f.open_document(fx.dir.file("a.wav"));
    CMarbeckDoc* b = f.open_document(fx.dir.file("b.wav"));
    ASSERT_TRUE(a && b);
    CMarbeckView& va = view_of(f, *a);
    ASSERT_TRUE(va.handle_command(C::ZoomIn));
    ASSERT_TRUE(va.handle_command(C::EditSelectWindow));  // samples 750 … 2250
    ASSERT_TRUE(va.handle_command(C::EditCut));
    ASSERT_TRUE(fx.app->clip_slot());
    EXPECT_TRUE(fx.app->clip_slot()->holds_data);
    EXPECT_EQ(fx.app->clip_slot()->channels[0].sample_count, 1500.0);
    EXPECT_EQ(a->channels[0].sample_count, 1500.0);

    // b's window is the active one: the menu command pastes at its cursor.
    ASSERT_EQ(&f.active_child()->document(), b);
    f.update_command_ui();
    ASSERT_TRUE(f.run_command(C::EditPaste));
    EXPECT_EQ(b->channels[0].sample_count, 3500.0);
    const auto s = audio_samples(*b);
    EXPECT_EQ(s[0], 750 * 10 % 30000) << "the ramp's sample 750 of a now starts b";
    EXPECT_TRUE(b->modified());
    EXPECT_TRUE(f.run_command(C::EditUndo));
    EXPECT_EQ(b->channels[0].sample_count, 2000.0);
    EXPECT_EQ(a->channels[0].sample_count, 1500.0) << "each window undoes its own document";
}

}  // namespace
}  // namespace vox::test
