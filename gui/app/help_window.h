#pragma once
// CHelpWindow: the program's own window for the manual, used when no web
// browser opens it. A text browser that follows the manual's links, with
// Back, Forward and Contents buttons.

#include <QWidget>

class QTextBrowser;
class QUrl;

namespace vox {

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Voxtrel Help";

    explicit CHelpWindow(const QUrl& index, QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }
    // Goes back to the index page.
    void show_index();

private:
    QTextBrowser* browser_;
};

}  // namespace vox
