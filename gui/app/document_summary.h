#pragma once
// What a document window shows while this build has no waveform display:
// the recording's facts (file, format, rate, length, channels), plainly.
// It handles no view command, so those commands stay disabled.

#include <QWidget>

namespace vox {

class CMarbeckDoc;

class CDocumentSummary : public QWidget {
    Q_OBJECT
public:
    CDocumentSummary(CMarbeckDoc& doc, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    CMarbeckDoc& doc_;
};

}  // namespace vox
