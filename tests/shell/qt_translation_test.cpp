// Qt's own texts in Chinese: with the translation file the file dialogs speak Chinese, without
// it they stay English and the program starts all the same.
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "shell/qt_translation.h"
#include "shell/velmora_dlg.h"

namespace {

// The Cancel button of Qt's own (non-native) file dialog, as the user would read it.
QString FileDialogCancelText()
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const auto* buttons = dialog.findChild<QDialogButtonBox*>();
    return buttons && buttons->button(QDialogButtonBox::Cancel) ? buttons->button(QDialogButtonBox::Cancel)->text()
                                                                 : QString();
}

}  // namespace

class QtTranslationTest : public QObject {
    Q_OBJECT

private slots:
    void qtTextsAreChineseWhenTheTranslationIsThere();
    void missingTranslationLeavesQtTextsEnglish();
};

void QtTranslationTest::qtTextsAreChineseWhenTheTranslationIsThere()
{
    const QString installed = QDir(QtTranslationsFolder()).filePath(QStringLiteral("qtbase_zh_CN.qm"));
    if (!QFileInfo::exists(installed))
        QFAIL("qtbase_zh_CN.qm is missing: scripts/setup.sh installs qt6-translations-l10n");
    // A copy in a folder of its own: the test would pass for the wrong reason were the system
    // folder consulted instead of the one given.
    QTemporaryDir dir;
    QVERIFY(QFile::copy(installed, dir.filePath(QStringLiteral("qtbase_zh_CN.qm"))));
    QCOMPARE(FileDialogCancelText(), QStringLiteral("Cancel"));

    QTranslator translator;
    QVERIFY(InstallChineseQtTexts(translator, dir.path()));
    QCOMPARE(FileDialogCancelText(), QStringLiteral("取消"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(FileDialogCancelText(), QStringLiteral("Cancel"));
}

void QtTranslationTest::missingTranslationLeavesQtTextsEnglish()
{
    QTemporaryDir empty;
    QTranslator translator;
    QVERIFY(!InstallChineseQtTexts(translator, empty.path()));
    QVERIFY(translator.isEmpty());
    QCOMPARE(FileDialogCancelText(), QStringLiteral("Cancel"));

    // A file of that name that is no translation is no translation either.
    QFile broken(empty.filePath(QStringLiteral("qtbase_zh_CN.qm")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a translation");
    broken.close();
    QVERIFY(!InstallChineseQtTexts(translator, empty.path()));
    QCOMPARE(FileDialogCancelText(), QStringLiteral("Cancel"));

    // And the program starts all the same.
    CVelmoraDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
}

QTEST_MAIN(QtTranslationTest)
#include "qt_translation_test.moc"
