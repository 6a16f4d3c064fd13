#pragma once
// CQuorpictureCtrl: one picture inside a frame of bevels with an optional line
// of text. Its dispatch interface is the Qt properties and invokable methods
// below (a host that loads the library at run time reaches them through
// QObject::setProperty / QMetaObject::invokeMethod); its events are the
// signals. Mouse actions are tested against the hot spots first: a hit fires
// the hot-spot event of every hot spot under the pointer, no hit fires
// MouseActionNoHotSpot; then the plain mouse event follows.

#include <QImage>
#include <QWidget>
#include <functional>

#include "picturectl/quorpicture_state.h"

class QPrinter;

namespace quorpict {

class QUORPICT_EXPORT CQuorpictureCtrl : public QWidget {
    Q_OBJECT
    // In the type library's order.
    Q_PROPERTY(QFont Font READ Font WRITE setControlFont NOTIFY changed)
    Q_PROPERTY(QString Text READ Text WRITE setText NOTIFY changed)
    Q_PROPERTY(short OuterBevel READ OuterBevel WRITE setOuterBevel NOTIFY changed)
    Q_PROPERTY(short InterBevelWidth READ InterBevelWidth WRITE setInterBevelWidth NOTIFY changed)
    Q_PROPERTY(short OuterBevelWidth READ OuterBevelWidth WRITE setOuterBevelWidth NOTIFY changed)
    Q_PROPERTY(short InnerBevel READ InnerBevel WRITE setInnerBevel NOTIFY changed)
    Q_PROPERTY(short InnerBevelWidth READ InnerBevelWidth WRITE setInnerBevelWidth NOTIFY changed)
    Q_PROPERTY(int VerticalJustification READ VerticalJustification WRITE setVerticalJustification NOTIFY changed)
    Q_PROPERTY(
        int HorizontalJustification READ HorizontalJustification WRITE setHorizontalJustification NOTIFY changed)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor NOTIFY changed)
    Q_PROPERTY(qulonglong hWnd READ hWnd)
    Q_PROPERTY(QImage Picture READ Picture WRITE setPicture NOTIFY changed)
    Q_PROPERTY(bool Redraw READ Redraw WRITE setRedraw)
    Q_PROPERTY(bool StretchImage READ StretchImage WRITE setStretchImage NOTIFY changed)
    Q_PROPERTY(int PictureHorizontalJustification READ PictureHorizontalJustification WRITE
                   setPictureHorizontalJustification NOTIFY changed)
    Q_PROPERTY(int PictureVerticalJustification READ PictureVerticalJustification WRITE
                   setPictureVerticalJustification NOTIFY changed)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor NOTIFY changed)
    Q_PROPERTY(QColor BevelFaceColor READ BevelFaceColor WRITE setBevelFaceColor NOTIFY changed)
    Q_PROPERTY(QColor BevelShadowColor READ BevelShadowColor WRITE setBevelShadowColor NOTIFY changed)
    Q_PROPERTY(QColor BevelHighlightColor READ BevelHighlightColor WRITE setBevelHighlightColor NOTIFY changed)
    Q_PROPERTY(bool DisplayHotSpots READ DisplayHotSpots WRITE setDisplayHotSpots NOTIFY changed)

public:
    explicit CQuorpictureCtrl(QWidget* parent = nullptr);
    ~CQuorpictureCtrl() override;

    const QuorPictureState& state() const { return s_; }
    // True once a property changed since the last save or load.
    bool isModified() const { return modified_; }

    QFont Font() const { return s_.font; }
    QString Text() const { return s_.text; }
    short OuterBevel() const { return s_.outer_bevel; }
    short InterBevelWidth() const { return s_.inter_bevel_width; }
    short OuterBevelWidth() const { return s_.outer_bevel_width; }
    short InnerBevel() const { return s_.inner_bevel; }
    short InnerBevelWidth() const { return s_.inner_bevel_width; }
    int VerticalJustification() const { return s_.vertical_justification; }
    int HorizontalJustification() const { return s_.horizontal_justification; }
    QColor ForeColor() const { return s_.fore_color; }
    qulonglong hWnd() const;
    QImage Picture() const { return s_.picture; }
    bool Redraw() const { return redraw_; }
    bool StretchImage() const { return s_.stretch_image; }
    int PictureHorizontalJustification() const { return s_.picture_horizontal_justification; }
    int PictureVerticalJustification() const { return s_.picture_vertical_justification; }
    QColor BackColor() const { return s_.back_color; }
    QColor BevelFaceColor() const { return s_.bevel_face_color; }
    QColor BevelShadowColor() const { return s_.bevel_shadow_color; }
    QColor BevelHighlightColor() const { return s_.bevel_highlight_color; }
    bool DisplayHotSpots() const { return s_.display_hot_spots; }

    // Setters refuse values outside their ranges (the property keeps its
    // value); widths are 0..50 pixels, styles and justifications their
    // enumerations.
    void setControlFont(const QFont& f);
    void setText(const QString& t);
    void setOuterBevel(short v);
    void setInterBevelWidth(short v);
    void setOuterBevelWidth(short v);
    void setInnerBevel(short v);
    void setInnerBevelWidth(short v);
    void setVerticalJustification(int v);
    void setHorizontalJustification(int v);
    void setForeColor(const QColor& c);
    void setPicture(const QImage& img);
    void setRedraw(bool on);
    void setStretchImage(bool on);
    void setPictureHorizontalJustification(int v);
    void setPictureVerticalJustification(int v);
    void setBackColor(const QColor& c);
    void setBevelFaceColor(const QColor& c);
    void setBevelShadowColor(const QColor& c);
    void setBevelHighlightColor(const QColor& c);
    void setDisplayHotSpots(bool on);

    // --- methods -----------------------------------------------------------
    // Lets the user choose an image file and loads it.
    Q_INVOKABLE void BrowseForPicture();
    // Reads the whole file and makes it the picture; false (with a message
    // naming the file) when it cannot be read or holds no picture.
    Q_INVOKABLE bool LoadPicture(const QString& FileName);
    // Left, top, right and bottom in control pixels; a key that exists is
    // replaced.
    Q_INVOKABLE void AddHotSpot(int Top, int Bottom, int Left, int Right, const QString& Key);
    Q_INVOKABLE void RemoveHotSpot(const QString& Key);
    Q_INVOKABLE void RemoveAllHotSpots();
    Q_INVOKABLE void AboutBox();

    // --- persistence and pages (host side) -----------------------------------
    Q_INVOKABLE QByteArray saveProperties() const;
    Q_INVOKABLE bool loadProperties(const QByteArray& stream);
    Q_INVOKABLE QVariantMap savePropertyBag() const;
    Q_INVOKABLE void loadPropertyBag(const QVariantMap& bag);
    // The property sheet with the "General" and "Bevels" pages (modal).
    Q_INVOKABLE void showPropertyPages();

    // Prints the control at its size on the screen mapped onto the printer's
    // pixels per inch, at the page's top-left corner.
    Q_INVOKABLE void print(QPrinter* printer);
    // The same onto any painter: the control's size in screen pixels at
    // `screen_dpi`, drawn at `device_dpi` pixels per inch.
    void paint_scaled(QPainter& p, QPoint at, double device_dpi_x, double device_dpi_y,
                      double screen_dpi = 96.0) const;

    // Keys of the hot spots at a point of the control, in key order.
    QStringList hot_spots_at(QPoint pos) const;

    // Seams for hosts and tests: how failures are told (default: a warning
    // box) and how the picture file is chosen (default: a file dialog).
    void setMessageHandler(std::function<void(const QString&)> f) { message_ = std::move(f); }
    void setFileChooser(std::function<QString()> f) { chooser_ = std::move(f); }

    QSize sizeHint() const override { return {160, 120}; }

signals:
    // Any property changed.
    void changed();

    void Click();
    void DblClick();
    void MouseDown(short Button, short Shift, int x, int y);
    void MouseMove(short Button, short Shift, int x, int y);
    void MouseUp(short Button, short Shift, int x, int y);
    void MouseDownHotSpot(const QString& Key);
    void MouseMoveHotSpot(const QString& Key);
    void MouseUpHotSpot(const QString& Key);
    void MouseActionNoHotSpot();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;

private:
    enum class Action { Down, Move, Up };
    void route_hot_spots(QPoint pos, Action a);
    void property_changed();
    void tell(const char* text, const QString& file);

    QuorPictureState s_;
    bool redraw_ = true;
    bool modified_ = false;
    bool pressed_ = false;
    std::function<void(const QString&)> message_;
    std::function<QString()> chooser_;
};

}  // namespace quorpict
