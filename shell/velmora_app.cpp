#include "shell/velmora_app.h"

#include "shell/artwork.h"
#include "shell/velmora_dlg.h"

CVelmoraApp::CVelmoraApp(int& argc, char** argv) : QApplication(argc, argv)
{
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
