#include "gui/audio/frame_record_play.h"

#include <QVBoxLayout>

#include "gui/audio/audio_texts.h"
#include "gui/audio/form_record_play.h"

namespace vox {

CFrameRecordPlay::CFrameRecordPlay(RecordSettings& settings, UserPrompts& prompts, QWidget* parent, QPoint top_left)
    : QWidget(parent, Qt::Tool) {
    setWindowTitle(audio_text::kRecordPlayTitle);
    setObjectName("recordPlayFrame");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    form_ = new CFormRecordPlay(settings, prompts, this);
    layout->addWidget(form_);
    form_->on_close = [this] { hide(); };
    setGeometry(QRect(top_left, QSize(550, 550)));
}

void CFrameRecordPlay::toggle() {
    // Qt keeps a hidden top-level window's geometry; put it back explicitly
    // all the same, since some window managers re-place re-shown tool windows.
    const QRect where = geometry();
    setVisible(!isVisible());
    if (isVisible()) setGeometry(where);
}

void CFrameRecordPlay::show_on_top() {
    if (!isVisible()) {
        const QRect where = geometry();
        show();
        setGeometry(where);
    }
    raise();
    activateWindow();
}

void CFrameRecordPlay::showEvent(QShowEvent* event) {
    form_->begin_session();
    QWidget::showEvent(event);
}

}  // namespace vox
