// A push button whose face is a picture filling the whole button.
#pragma once

#include <QPixmap>
#include <QPushButton>

#include "shell/artwork.h"

class CPictureButton : public QPushButton {
    Q_OBJECT
public:
    // The text is the button's accessible name, and what it shows when the face is missing.
    CPictureButton(const QString& text, QWidget* parent);

    void SetFace(const SharpPixmap& face);
    const QPixmap& Face() const { return m_face.normal; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SharpPixmap m_face;
};
