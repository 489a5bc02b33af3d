#include "shell/picture_button.h"

#include <QPainter>
#include <QPen>
#include <QStyleOption>

CPictureButton::CPictureButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setAccessibleName(text);
}

void CPictureButton::SetFace(const SharpPixmap& face)
{
    m_face = face;
    update();
}

void CPictureButton::paintEvent(QPaintEvent* event)
{
    if (m_face.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Disabled: the face fades into the panel behind it, so the button no longer looks pressable.
    if (!isEnabled())
        painter.setOpacity(0.4);
    // Pressed: the face moves a pixel down and right and darkens, as a pushed button does.
    const QRect face = isDown() ? rect().translated(1, 1) : rect();
    painter.drawPixmap(face, m_face.ForRatio(devicePixelRatioF()));
    if (isDown())
        painter.fillRect(rect(), QColor(0, 0, 0, 48));
    // A dotted focus frame inside the face, shown once the keyboard has been used, as usual
    // for buttons; the style's own frame is too faint to see on a coloured face.
    QStyleOption option;
    option.initFrom(this);
    if (hasFocus() && option.state.testFlag(QStyle::State_KeyboardFocusChange)) {
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(face.adjusted(7, 7, -8, -8));
    }
}
