// The waveform view driven with real mouse events: marker and selection
// state, readouts, and the pixels of the rendered images.

#include <QMouseEvent>

#include "tests/gui/view_fixture.h"

namespace vox::viewtest {
namespace {

using View = CMarbeckView;

struct WaveformView : ViewFixture {};

TEST_F(WaveformView, DrawsSine) {
    load_sine();
    show();
    snapshot("sine");
    EXPECT_GE(view->render_count(), 1);
}

}  // namespace
}  // namespace vox::viewtest
