#include "shell/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "shell/artwork.h"
#include "shell/dialog_units.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("关于 Velmora"));
    QFont dialogFont = font();
    dialogFont.setPointSize(9);
    setFont(dialogFont);

    const DialogBaseUnits base = DialogBaseUnitsForDpi(logicalDpiX(), logicalDpiY());
    const auto place = [base](QWidget* control, int x, int y, int cx, int cy) {
        control->setGeometry(DialogUnitsToPixels(QRect(x, y, cx, cy), base));
    };
    setFixedSize(DialogUnitsToPixels(QRect(0, 0, 170, 62), base).size());

    auto* icon = new QLabel(this);
    place(icon, 14, 14, 21, 20);
    icon->setPixmap(LoadApplicationIcon().pixmap(icon->size()));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* name = new QLabel(QStringLiteral("Velmora，1.0 版"), this);
    name->setTextFormat(Qt::PlainText);
    place(name, 42, 14, 114, 8);

    auto* purpose = new QLabel(QStringLiteral("报名照片检查工具"), this);
    purpose->setTextFormat(Qt::PlainText);
    place(purpose, 42, 26, 114, 8);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    place(ok, 113, 41, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
