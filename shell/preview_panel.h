// The view inside the picture frame that shows the tip picture or the accepted photo.
#pragma once

#include <QImage>
#include <QWidget>

#include "shell/artwork.h"

class CPreviewPanel : public QWidget {
    Q_OBJECT
public:
    explicit CPreviewPanel(QWidget* parent);

    // A null image leaves the panel empty, showing the frame beneath it. The doubled image,
    // if given, is what a screen of higher density shows.
    void SetImage(const QImage& image, const QImage& doubled = QImage());
    const QImage& ShownImage() const { return m_image.normal; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SharpImage m_image;
};
