// The view inside the picture frame that shows the tip picture or the accepted photo.
#pragma once

#include <QImage>
#include <QWidget>

class CPreviewPanel : public QWidget {
    Q_OBJECT
public:
    explicit CPreviewPanel(QWidget* parent);

    // A null image leaves the panel empty, showing the frame beneath it.
    void SetImage(const QImage& image);
    const QImage& ShownImage() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    QImage m_scaled;  // m_image at the panel's size in device pixels, made when first painted
};
