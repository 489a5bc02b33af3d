#include "shell/preview_panel.h"

#include <QPainter>

CPreviewPanel::CPreviewPanel(QWidget* parent) : QWidget(parent) {}

void CPreviewPanel::SetImage(const QImage& image, const QImage& doubled)
{
    m_image = {image, doubled};
    update();
}

void CPreviewPanel::paintEvent(QPaintEvent*)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Width and height scale independently: the picture fills the frame whatever its aspect.
    painter.drawImage(rect(), m_image.ForRatio(devicePixelRatioF()));
}
