#pragma once
// "Zoom Option": the duration (ms) that "From Cursor for Duration" shows.

#include <QDialog>

class QSpinBox;

namespace vox {

namespace zoom_text {
inline constexpr const char* kCaption = "Zoom Option";
inline constexpr const char* kRangeField = "Range to zoom from cursor ( ms ) = ";
}  // namespace zoom_text

class COptionZoom : public QDialog {
    Q_OBJECT
public:
    // Shows the range truncated to a whole number of ms; any whole number
    // of at least 1 ms is accepted.
    explicit COptionZoom(int range_ms, QWidget* parent = nullptr);
    int range_ms() const;
    QSpinBox* range_edit() const { return range_; }

private:
    QSpinBox* range_;
};

}  // namespace vox
