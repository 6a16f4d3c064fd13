#include "gui/audio/scope_child_frame.h"

#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QTimer>

#include "core/audio/usb_scope.h"
#include "gui/audio/audio_texts.h"
#include "gui/audio/scope_view.h"

namespace vox {

CScopeChildFrame::CScopeChildFrame(const RecordSettings& settings, std::unique_ptr<UsbTransport> transport,
                                   UserPrompts& prompts, QWidget* parent)
    : QMdiSubWindow(parent) {
    setWindowTitle(scope_text::kTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The scope's own "Record/Play": the options window is usually wanted
    // while watching, and the main menu is reduced while the scope is active.
    record_play_ = new QPushButton(audio_text::kScopeRecordPlay, body);
    record_play_->setObjectName("scopeRecordPlay");
    layout->addWidget(record_play_, 0, Qt::AlignLeft);
    scroll_ = new QScrollArea(body);
    scroll_->setWidgetResizable(true);
    view_ = new CScopeView(settings, std::move(transport), prompts);
    scroll_->setWidget(view_);
    layout->addWidget(scroll_, 1);
    setWidget(body);
    connect(record_play_, &QPushButton::clicked, this, [this] {
        if (view_->on_record_play) view_->on_record_play();
    });
    // Close after the failing cycle has returned to the event loop.
    view_->on_failure = [this] { QTimer::singleShot(0, this, [this] { close(); }); };
    resize(640, 480);
}

}  // namespace vox
