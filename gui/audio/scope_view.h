#pragma once
// CScopeView: the live traces of the external unit. Timer 1 fires 10 ms after
// the previous cycle ended; a cycle reads the record settings, runs one
// acquisition and repaints. Each enabled input is drawn in its own band with
// its samples as a black polyline. A failed acquisition closes the window
// (its message came first); refused settings end the cycle until resume().

#include <QBasicTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/audio/record_settings.h"
#include "core/audio/usb_scope.h"
#include "core/platform/usb_transport.h"
#include "core/platform/user_prompts.h"

namespace vox {

class CScopeView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCycleMs = 10;

    CScopeView(const RecordSettings& settings, std::unique_ptr<UsbTransport> transport, UserPrompts& prompts,
               QWidget* parent = nullptr);
    ~CScopeView() override;

    // One timer cycle, as the timer runs it; false when the window is to close.
    bool run_cycle();
    // Arms the cycle timer (the first update does it).
    void start();
    void stop();
    bool running() const { return timer_.isActive(); }
    // After refused settings: whether the cycle stopped, and restarting it.
    bool refused() const { return refused_; }
    void resume();

    const ScopeAcquisition& acquisition() const { return scope_; }
    const std::vector<ScopeRect>& default_bands() const { return default_bands_; }
    // Draws the view into an image of its client size.
    QImage render(int width, int height) const;

    // Called when an acquisition failed and the window should close.
    std::function<void()> on_failure;
    // "Record/Play" pressed in the scope.
    std::function<void()> on_record_play;

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void draw(QPainter& p, int width) const;

    const RecordSettings& settings_;
    std::unique_ptr<UsbTransport> transport_;
    UserPrompts& prompts_;
    ScopeAcquisition scope_;
    std::vector<ScopeRect> default_bands_;
    QBasicTimer timer_;
    bool first_update_done_ = false;
    bool refused_ = false;
};

}  // namespace vox
