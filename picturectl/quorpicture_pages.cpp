#include "picturectl/quorpicture_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "picturectl/quorpict_texts.h"
#include "picturectl/quorpicture_ctrl.h"

namespace quorpict {

namespace {

template <std::size_t N>
QComboBox* choices(const char* const (&items)[N], QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const char* item : items) box->addItem(QString::fromUtf8(item));
    return box;
}

QSpinBox* width_box(QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(0, kMaxBevelWidth);
    return box;
}

QString tr8(const char* s) { return QString::fromUtf8(s); }

}  // namespace

CQuorpictureGeneralPage::CQuorpictureGeneralPage(CQuorpictureCtrl& ctrl, QWidget* parent)
    : QWidget(parent), ctrl_(ctrl) {
    setWindowTitle(tr8(texts::kGeneralPage));
    auto* layout = new QVBoxLayout(this);

    auto* text_group = new QGroupBox(tr8(texts::kTextGroup), this);
    auto* tf = new QFormLayout(text_group);
    text_ = new QLineEdit(text_group);
    tf->addRow(text_);
    text_v_ = choices(texts::kTextVerticalChoices, text_group);
    tf->addRow(tr8(texts::kTextVertical), text_v_);
    text_h_ = choices(texts::kHorizontalChoices, text_group);
    tf->addRow(tr8(texts::kTextHorizontal), text_h_);
    layout->addWidget(text_group);

    auto* pic_group = new QGroupBox(tr8(texts::kPictureGroup), this);
    auto* pf = new QFormLayout(pic_group);
    stretch_ = new QCheckBox(tr8(texts::kStretchImage), pic_group);
    pf->addRow(stretch_);
    pic_v_ = choices(texts::kPictureVerticalChoices, pic_group);
    pf->addRow(tr8(texts::kPictureVertical), pic_v_);
    pic_h_ = choices(texts::kHorizontalChoices, pic_group);
    pf->addRow(tr8(texts::kPictureHorizontal), pic_h_);
    layout->addWidget(pic_group);

    // The picture's placement means nothing while it is stretched.
    connect(stretch_, &QCheckBox::toggled, this, [this](bool on) {
        pic_v_->setEnabled(!on);
        pic_h_->setEnabled(!on);
    });
    load();
}

void CQuorpictureGeneralPage::load() {
    text_->setText(ctrl_.Text());
    text_v_->setCurrentIndex(ctrl_.VerticalJustification());
    text_h_->setCurrentIndex(ctrl_.HorizontalJustification());
    stretch_->setChecked(ctrl_.StretchImage());
    pic_v_->setEnabled(!ctrl_.StretchImage());
    pic_h_->setEnabled(!ctrl_.StretchImage());
    pic_v_->setCurrentIndex(ctrl_.PictureVerticalJustification());
    pic_h_->setCurrentIndex(ctrl_.PictureHorizontalJustification());
}

void CQuorpictureGeneralPage::apply() {
    ctrl_.setText(text_->text());
    ctrl_.setVerticalJustification(text_v_->currentIndex());
    ctrl_.setHorizontalJustification(text_h_->currentIndex());
    ctrl_.setStretchImage(stretch_->isChecked());
    ctrl_.setPictureVerticalJustification(pic_v_->currentIndex());
    ctrl_.setPictureHorizontalJustification(pic_h_->currentIndex());
}

CQuorpictureBevelsPage::CQuorpictureBevelsPage(CQuorpictureCtrl& ctrl, QWidget* parent)
    : QWidget(parent), ctrl_(ctrl) {
    setWindowTitle(tr8(texts::kBevelsPage));
    auto* layout = new QVBoxLayout(this);

    auto* outer_group = new QGroupBox(tr8(texts::kOuterBevel), this);
    auto* of = new QFormLayout(outer_group);
    outer_ = choices(texts::kBevelStyleChoices, outer_group);
    of->addRow(outer_);
    outer_w_ = width_box(outer_group);
    of->addRow(tr8(texts::kBevelWidth), outer_w_);
    layout->addWidget(outer_group);

    auto* gap = new QFormLayout;
    inter_w_ = width_box(this);
    gap->addRow(tr8(texts::kInterBevelWidth), inter_w_);
    layout->addLayout(gap);

    auto* inner_group = new QGroupBox(tr8(texts::kInnerBevel), this);
    auto* inf = new QFormLayout(inner_group);
    inner_ = choices(texts::kBevelStyleChoices, inner_group);
    inf->addRow(inner_);
    inner_w_ = width_box(inner_group);
    inf->addRow(tr8(texts::kBevelWidth), inner_w_);
    layout->addWidget(inner_group);
    load();
}

void CQuorpictureBevelsPage::load() {
    outer_->setCurrentIndex(ctrl_.OuterBevel());
    outer_w_->setValue(ctrl_.OuterBevelWidth());
    inter_w_->setValue(ctrl_.InterBevelWidth());
    inner_->setCurrentIndex(ctrl_.InnerBevel());
    inner_w_->setValue(ctrl_.InnerBevelWidth());
}

void CQuorpictureBevelsPage::apply() {
    ctrl_.setOuterBevel(static_cast<short>(outer_->currentIndex()));
    ctrl_.setOuterBevelWidth(static_cast<short>(outer_w_->value()));
    ctrl_.setInterBevelWidth(static_cast<short>(inter_w_->value()));
    ctrl_.setInnerBevel(static_cast<short>(inner_->currentIndex()));
    ctrl_.setInnerBevelWidth(static_cast<short>(inner_w_->value()));
}

CQuorpicturePropertySheet::CQuorpicturePropertySheet(CQuorpictureCtrl& ctrl, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr8(texts::kPropertiesCaption));
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    general_ = new CQuorpictureGeneralPage(ctrl, tabs);
    bevels_ = new CQuorpictureBevelsPage(ctrl, tabs);
    tabs->addTab(general_, tr8(texts::kGeneralPage));
    tabs->addTab(bevels_, tr8(texts::kBevelsPage));
    layout->addWidget(tabs);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { apply(); });
    layout->addWidget(buttons);
}

void CQuorpicturePropertySheet::apply() {
    general_->apply();
    bevels_->apply();
}

}  // namespace quorpict
