// A push button whose face is a picture filling the whole button.
#pragma once

#include <QPixmap>
#include <QPushButton>

class CPictureButton : public QPushButton {
    Q_OBJECT
public:
    // The text is the button's accessible name, and what it shows when the face is missing.
    CPictureButton(const QString& text, QWidget* parent);

    void SetFace(const QPixmap& face);
    const QPixmap& Face() const { return m_face; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_face;
};
