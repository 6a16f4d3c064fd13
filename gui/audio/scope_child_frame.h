#pragma once
// CScopeChildFrame: the document window "Scope Window" of the main frame's
// work area holding the scrolling scope view. Closes itself when an
// acquisition fails.

#include <QMdiSubWindow>
#include <functional>
#include <memory>

#include "core/audio/record_settings.h"
#include "core/platform/usb_transport.h"
#include "core/platform/user_prompts.h"

class QPushButton;
class QScrollArea;

namespace vox {

class CScopeView;

class CScopeChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CScopeChildFrame(const RecordSettings& settings, std::unique_ptr<UsbTransport> transport, UserPrompts& prompts,
                     QWidget* parent = nullptr);
    CScopeView* view() const { return view_; }
    QPushButton* record_play_button() const { return record_play_; }

private:
    QPushButton* record_play_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    CScopeView* view_ = nullptr;
};

}  // namespace vox
