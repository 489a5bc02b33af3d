#include "shell/qt_translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

QString QtTranslationsFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

bool InstallChineseQtTexts(QTranslator& translator, const QString& folder)
{
    // The exact file only: QTranslator would otherwise fall back to qtbase_zh or qtbase.
    const QString file = QDir(folder).filePath(QStringLiteral("qtbase_zh_CN.qm"));
    if (!QFileInfo(file).isFile() || !translator.load(file))
        return false;
    return QCoreApplication::installTranslator(&translator);
}
