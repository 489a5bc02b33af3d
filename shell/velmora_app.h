// The application object: starts the main dialog and ends the program when it closes.
#pragma once

#include <QApplication>
#include <QTranslator>

class CVelmoraApp : public QApplication {
    Q_OBJECT
public:
    CVelmoraApp(int& argc, char** argv);

    // Runs the main dialog modally. Always false: no event loop runs after the dialog.
    bool InitInstance();

private:
    QTranslator m_qtTexts;  // Qt's own texts in Chinese, when installed
};
