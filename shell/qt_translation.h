// Qt's own texts in Chinese: the buttons and labels of the file dialogs and message boxes.
#pragma once

#include <QString>

class QTranslator;

// Where Qt's translations are: translations/ beside the program when it carries its own,
// otherwise Qt's installed folder (Debian: qt6-translations-l10n).
QString QtTranslationsFolder();

// Loads qtbase_zh_CN from the folder into the translator and installs it in the application,
// whatever the system locale. False, with nothing installed, when the file is missing or
// unreadable: the program then shows Qt's English texts and goes on.
bool InstallChineseQtTexts(QTranslator& translator, const QString& folder);
