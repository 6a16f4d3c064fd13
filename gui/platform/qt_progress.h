#pragma once
// The modeless progress window of long operations: its caption on a light
// grey ground and a white bar filled in red as the work advances. While it is
// open every mouse and key event of the application is held back; a
// left-button press is taken as the request to cancel.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "core/platform/progress.h"

namespace vox {

class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);
    void set_caption(const QString& c) { caption_ = c; }
    void set_fraction(double f) { fraction_ = f; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString caption_;
    double fraction_ = 0.0;
};

class QtProgress : public QObject, public Progress {
    Q_OBJECT
public:
    // parent: the window the progress window is centred over (may be null).
    explicit QtProgress(QWidget* parent = nullptr);
    ~QtProgress() override;
    void set_parent(QWidget* parent) { parent_ = parent; }

    void begin(std::string_view caption, long long total_steps) override;
    void step() override;
    bool cancelled() override;
    void end() override;

    // Visible for tests.
    ProgressWindow* window() const { return window_.get(); }
    bool running() const { return depth_ > 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pump();

    QWidget* parent_;
    std::unique_ptr<ProgressWindow> window_;
    int depth_ = 0;
    long long total_ = 0;
    long long done_ = 0;
    int last_percent_ = -1;
    bool cancel_ = false;
    qint64 last_pump_ms_ = 0;
};

}  // namespace vox
