#include "shell/qt_translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

QString QtTranslationsFolder()
{
    // A self-contained copy (the Windows programs) carries them in translations/ beside itself;
    // an installed Qt keeps them in its own folder.
    const QDir beside(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")));
    if (QFileInfo(beside.filePath(QStringLiteral("qtbase_zh_CN.qm"))).isFile())
        return beside.path();
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool InstallChineseQtTexts(QTranslator& translator, const QString& folder)
{
    // The exact file only: QTranslator would otherwise fall back to qtbase_zh or qtbase.
    const QString file = QDir(folder).filePath(QStringLiteral("qtbase_zh_CN.qm"));
    if (!QFileInfo(file).isFile() || !translator.load(file))
        return false;
    return QCoreApplication::installTranslator(&translator);
}
