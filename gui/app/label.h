#pragma once
// CLabel: a static text with its own text colour, back colour and font. As a
// link it shows its text underlined with a pointing hand and opens its
// address when clicked (a press and release on the label).

#include <QLabel>
#include <QUrl>
#include <functional>

namespace vox {

class CLabel : public QLabel {
    Q_OBJECT
public:
    explicit CLabel(const QString& text = QString(), QWidget* parent = nullptr);

    void setTextColor(const QColor& c);
    void setBackColor(const QColor& c);
    QColor textColor() const { return text_color_; }
    QColor backColor() const { return back_color_; }
    void setLabelFont(const QFont& f) { setFont(f); }

    // Makes the label a link to `url` (an empty address makes it plain text
    // again).
    void setLink(const QUrl& url);
    QUrl link() const { return link_; }
    // How an address is opened (default: the desktop's handler); false when
    // it could not be.
    void setOpener(std::function<bool(const QUrl&)> f) { opener_ = std::move(f); }

signals:
    void linkClicked(const QUrl& url);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void restyle();

    QColor text_color_;
    QColor back_color_;
    QUrl link_;
    bool pressed_ = false;
    std::function<bool(const QUrl&)> opener_;
};

}  // namespace vox
