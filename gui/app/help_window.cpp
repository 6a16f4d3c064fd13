#include "gui/app/help_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vox {

CHelpWindow::CHelpWindow(const QUrl& index, QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(kTitle);
    setObjectName("helpWindow");
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto* contents = new QPushButton("Contents", this);
    auto* back = new QPushButton("Back", this);
    auto* forward = new QPushButton("Forward", this);
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    browser_ = new QTextBrowser(this);
    // Pages of the manual open here; addresses outside it go to the desktop.
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({index.adjusted(QUrl::RemoveFilename).toLocalFile()});
    layout->addWidget(browser_, 1);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, &CHelpWindow::show_index);
    browser_->setSource(index);
    resize(760, 620);
}

void CHelpWindow::show_index() { browser_->home(); }

}  // namespace vox
