#include "shell/velmora_app.h"

#include <QLocale>

#include "shell/artwork.h"
#include "shell/qt_translation.h"
#include "shell/velmora_dlg.h"

CVelmoraApp::CVelmoraApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // The program speaks Chinese whatever the system locale: Qt's dialogs and their dates too.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    InstallChineseQtTexts(m_qtTexts, QtTranslationsFolder());
    setWindowIcon(LoadApplicationIcon());
    // Lets desktops match the window to the installed velmora.desktop and its icon.
    setDesktopFileName(QStringLiteral("velmora"));
}

bool CVelmoraApp::InitInstance()
{
    CVelmoraDlg dlg;
    dlg.exec();
    return false;
}
