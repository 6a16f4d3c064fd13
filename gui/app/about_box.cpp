#include "gui/app/about_box.h"

#include <QBuffer>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "gui/app/label.h"
#include "gui/app/voxtrel_app.h"

namespace vox {

QImage CAboutBox::about_picture() {
    // A vowel-like waveform, 320 x 140 pixels, over a dark blue ground.
    QImage img(320, 140, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient ground(0, 0, 0, img.height());
    ground.setColorAt(0, QColor(0x1f, 0x4e, 0x79));
    ground.setColorAt(1, QColor(0x0b, 0x24, 0x3b));
    p.fillRect(img.rect(), ground);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xe8, 0xf1, 0xfa), 2));
    QPolygonF wave;
    const double mid = img.height() / 2.0;
    for (int x = 0; x < img.width(); ++x) {
        // Six periods of a glottal pulse, each ringing with two formants,
        // under a rising and falling envelope.
        const double t = x / double(img.width());
        const double phase = std::fmod(t * 6.0, 1.0);
        const double ring = std::exp(-phase * 5.0) * (std::sin(phase * 2 * M_PI * 4.0) + 0.5 * std::sin(phase * 2 * M_PI * 11.0));
        const double env = std::sin(t * M_PI);
        wave << QPointF(x, mid - ring * env * mid * 0.8);
    }
    p.drawPolyline(wave);
    return img;
}

QVariantMap CAboutBox::picture_properties() {
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    about_picture().save(&buf, "PNG");
    QFont font;
    font.setPointSize(12);
    font.setBold(true);
    return {
        {"Font", font.toString()},
        {"PictureName", png},
        {"OuterBevel", 1},
        {"OuterBevelWidth", 2},
        {"InnerBevel", 2},
        {"InnerBevelWidth", 2},
        {"InterBevelWidth", 4},
        {"HorizontalJustification", 1},
        {"VerticalJustification", 2},
        {"StretchImage", true},
        {"PictureHorizontalJustification", 1},
        {"PictureVerticalJustification", 1},
        {"BackColor", 0x3b240bu},  // 0x00BBGGRR
        {"Text", "Voxtrel"},
    };
}

CAboutBox::CAboutBox(QWidget* parent, const CComponentRegistry& registry) : QDialog(parent) {
    setWindowTitle(kCaption);
    auto* layout = new QVBoxLayout(this);

    picture_ = registry.create(kPictureClassId, this, &picture_problem_);
    if (picture_) {
        // The control's dispatch interface: its properties and methods by name.
        QMetaObject::invokeMethod(picture_, "loadPropertyBag", Q_ARG(QVariantMap, picture_properties()));
        picture_->setProperty("ForeColor", QColor(Qt::white));
        picture_->setFixedSize(340, 180);
        layout->addWidget(picture_, 0, Qt::AlignHCenter);
    }

    version_ = new QLabel(QString(kVersionPrefix) + CVoxtrelApp::kVersionText, this);
    version_->setAlignment(Qt::AlignCenter);
    layout->addWidget(version_);

    link_ = new CLabel(kWebText, this);
    link_->setLink(QUrl(kWebAddress));
    link_->setAlignment(Qt::AlignCenter);
    layout->addWidget(link_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace vox
