#include "shell/preview_panel.h"

#include <QPainter>

CPreviewPanel::CPreviewPanel(QWidget* parent) : QWidget(parent) {}

void CPreviewPanel::SetImage(const QImage& image)
{
    m_image = image;
    m_scaled = QImage();
    update();
}

void CPreviewPanel::paintEvent(QPaintEvent*)
{
    if (m_image.isNull())
        return;
    // Width and height scale independently: the picture fills the frame whatever its aspect.
    // Scaled once to the device pixels with area averaging, which keeps a picture shrunk to
    // half its size sharp where drawing it scaled would sample it unevenly.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_scaled.size() != pixels || m_scaled.devicePixelRatio() != ratio) {
        m_scaled = m_image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_scaled.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    painter.drawImage(rect(), m_scaled);
}
