#include "gui/audio/scope_child_frame.h"

#include <QScrollArea>
#include <QTimer>

#include "core/audio/usb_scope.h"
#include "gui/audio/scope_view.h"

namespace vox {

CScopeChildFrame::CScopeChildFrame(const RecordSettings& settings, std::unique_ptr<UsbTransport> transport,
                                   UserPrompts& prompts, QWidget* parent)
    : QMdiSubWindow(parent) {
    setWindowTitle(scope_text::kTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    view_ = new CScopeView(settings, std::move(transport), prompts);
    scroll_->setWidget(view_);
    setWidget(scroll_);
    // Close after the failing cycle has returned to the event loop.
    view_->on_failure = [this] { QTimer::singleShot(0, this, [this] { close(); }); };
    resize(640, 480);
}

}  // namespace vox
