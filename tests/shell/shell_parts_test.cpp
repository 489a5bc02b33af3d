// The desktop program's parts that need no main window: the requirement lines and the sample's
// backdrop drawn from the settings, the reason line's wording, which drops open a photo, and file
// size limits in words.
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <opencv2/core.hpp>

#include "engine/background.h"
#include "velmora/settings.h"
#include "shell/photo_drop.h"
#include "shell/reason_text.h"
#include "shell/requirements_card.h"
#include "shell/sample_backdrop.h"
#include "shell/size_text.h"
#include "shell/velmora_dlg.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::CheckSettings)

namespace {

// The shipped thresholds as the calibrated setting.ini gives them.
CheckSettings Calibrated()
{
    CheckSettings settings;
    settings.min_width = 294;
    settings.min_height = 412;
    settings.pic_min_size = 4;
    settings.pic_max_size = 10240;
    settings.s_min = 0.1f;
    settings.i_min = 0.3f;
    settings.i_max = 0.8f;
    settings.red_h_min = 0.3f;
    settings.red_h_max = 5.5f;
    settings.blue_h_min = 3.5f;
    settings.blue_h_max = 4.2f;
    settings.bgc = 1;
    return settings;
}

bool PassesBackgroundRule(const QColor& colour, const CheckSettings& settings)
{
    const Image patch(8, 8, CV_8UC3, cv::Scalar(colour.blue(), colour.green(), colour.red()));
    const BackgroundWalk walk = WalkBackground(patch, settings);
    return walk.examined && !walk.firstFailure;
}

}  // namespace

class ShellPartsTest : public QObject {
    Q_OBJECT

private slots:
    void limitsAreNeverRounded_data();
    void limitsAreNeverRounded();
    void requirementLinesFollowTheSettings_data();
    void requirementLinesFollowTheSettings();
    void requirementLinesComeFromTheSettingsFile();
    void sampleBackdropPassesTheBackgroundRule_data();
    void sampleBackdropPassesTheBackgroundRule();
    void reasonLineExplainsEachVerdict();
    void dropsOpenOnlyOneLocalPhoto_data();
    void dropsOpenOnlyOneLocalPhoto();
};

void ShellPartsTest::limitsAreNeverRounded_data()
{
    QTest::addColumn<long long>("kib");
    QTest::addColumn<QString>("text");
    QTest::newRow("below a MiB") << 4LL << QStringLiteral("4 KB");
    QTest::newRow("one MiB") << 1024LL << QStringLiteral("1 MB");
    QTest::newRow("ten MiB") << 10240LL << QStringLiteral("10 MB");
    QTest::newRow("not a whole MiB stays in KB") << 1500LL << QStringLiteral("1500 KB");
    QTest::newRow("zero") << 0LL << QStringLiteral("0 KB");
}

void ShellPartsTest::limitsAreNeverRounded()
{
    QFETCH(long long, kib);
    QFETCH(QString, text);
    QCOMPARE(KibibyteLimitText(kib), text);
}

void ShellPartsTest::requirementLinesFollowTheSettings_data()
{
    QTest::addColumn<CheckSettings>("settings");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("calibrated") << Calibrated()
                                << QStringList{QStringLiteral("背景：纯色，白、蓝或红色"),
                                               QStringLiteral("格式：JPG/JPEG，4 KB–10 MB"),
                                               QStringLiteral("尺寸：竖幅，至少 295 × 413 像素"),
                                               QStringLiteral("通过后保存为 295 × 413 像素")};
    CheckSettings whiteOnly = Calibrated();
    whiteOnly.bgc = 0;
    whiteOnly.pic_min_size = 0;
    whiteOnly.pic_max_size = 1500;
    whiteOnly.min_width = 99;
    whiteOnly.min_height = 99;
    whiteOnly.dst_width = 358;
    whiteOnly.dst_height = 441;
    QTest::newRow("white only, no lower size limit")
        << whiteOnly
        << QStringList{QStringLiteral("背景：纯色，白色"), QStringLiteral("格式：JPG/JPEG，不超过 1500 KB"),
                       QStringLiteral("尺寸：竖幅，至少 100 × 100 像素"), QStringLiteral("通过后保存为 358 × 441 像素")};
    CheckSettings unbounded = Calibrated();
    unbounded.pic_max_size = -1;
    QTest::newRow("no upper size limit") << unbounded
                                         << QStringList{QStringLiteral("背景：纯色，白、蓝或红色"),
                                                        QStringLiteral("格式：JPG/JPEG，不小于 4 KB"),
                                                        QStringLiteral("尺寸：竖幅，至少 295 × 413 像素"),
                                                        QStringLiteral("通过后保存为 295 × 413 像素")};
    CheckSettings castOnly = Calibrated();
    castOnly.cast = 1;
    QTest::newRow("only resizing") << castOnly
                                   << QStringList{QStringLiteral("格式：JPG/JPEG"),
                                                  QStringLiteral("只调整尺寸，不检查其他项目"),
                                                  QStringLiteral("通过后保存为 295 × 413 像素")};
}

void ShellPartsTest::requirementLinesFollowTheSettings()
{
    QFETCH(CheckSettings, settings);
    QFETCH(QStringList, lines);
    QCOMPARE(RequirementLines(settings), lines);
}

void ShellPartsTest::requirementLinesComeFromTheSettingsFile()
{
    // Two setting.ini files as a deployer would write them: the lines differ where they do.
    QTemporaryDir dir;
    const auto write = [&dir](const char* name, const char* text) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("strict.ini", "[zpshcs]\nmin_width=294\nmin_height=412\npic_min_size=4\npic_max_size=10240\nbgc=1\n");
    write("loose.ini", "[zpshcs]\nmin_width=100\nmin_height=100\npic_min_size=10\npic_max_size=1024\nbgc=0\n");
    CheckSettings strict;
    CheckSettings loose;
    QVERIFY(ReadCheckSettingsFile(dir.filePath(QStringLiteral("strict.ini")).toStdU16String(), strict));
    QVERIFY(ReadCheckSettingsFile(dir.filePath(QStringLiteral("loose.ini")).toStdU16String(), loose));
    const QStringList strictLines = RequirementLines(strict);
    const QStringList looseLines = RequirementLines(loose);
    QCOMPARE(strictLines.value(0), QStringLiteral("背景：纯色，白、蓝或红色"));
    QCOMPARE(looseLines.value(0), QStringLiteral("背景：纯色，白色"));
    QCOMPARE(strictLines.value(1), QStringLiteral("格式：JPG/JPEG，4 KB–10 MB"));
    QCOMPARE(looseLines.value(1), QStringLiteral("格式：JPG/JPEG，10 KB–1 MB"));
    QCOMPARE(strictLines.value(2), QStringLiteral("尺寸：竖幅，至少 295 × 413 像素"));
    QCOMPARE(looseLines.value(2), QStringLiteral("尺寸：竖幅，至少 101 × 101 像素"));
}

void ShellPartsTest::sampleBackdropPassesTheBackgroundRule_data()
{
    QTest::addColumn<CheckSettings>("settings");
    QTest::addColumn<bool>("white");
    QTest::newRow("red or blue allowed: blue") << Calibrated() << false;
    CheckSettings whiteOnly = Calibrated();
    whiteOnly.bgc = 0;
    QTest::newRow("white only") << whiteOnly << true;
    CheckSettings narrowBlue = Calibrated();
    narrowBlue.blue_h_min = 3.6f;  // a blue band narrowed from both sides still holds it
    narrowBlue.blue_h_max = 3.8f;
    QTest::newRow("narrower blue band") << narrowBlue << false;
}

void ShellPartsTest::sampleBackdropPassesTheBackgroundRule()
{
    QFETCH(CheckSettings, settings);
    QFETCH(bool, white);
    // Judged by the check's own rule on a plain patch, as the corner strips are walked.
    const QColor backdrop = SampleBackdrop(settings);
    QVERIFY2(PassesBackgroundRule(backdrop, settings), qPrintable(backdrop.name()));
    QCOMPARE(backdrop == QColor(Qt::white), white);
}

void ShellPartsTest::reasonLineExplainsEachVerdict()
{
    CheckSettings whiteOnly = Calibrated();
    whiteOnly.bgc = 0;
    const auto rejected = [](TipImage tip) {
        CheckOutcome outcome;
        outcome.tip = tip;
        return outcome;
    };
    CheckOutcome passed;
    passed.accepted = true;
    const ReasonText accepted = DescribeOutcome(passed, Calibrated());
    QCOMPARE(accepted.tone, ReasonTone::Success);
    QCOMPARE(accepted.text, QStringLiteral("审核通过，可点击“保存照片”"));

    // The allowed colours come from the settings, never from the tip picture.
    QVERIFY(DescribeOutcome(rejected(TipImage::BackgroundNotPlain), Calibrated()).text.endsWith(QStringLiteral("白、蓝或红色")));
    QVERIFY(DescribeOutcome(rejected(TipImage::BackgroundNotPlain), whiteOnly).text.endsWith(QStringLiteral("应为白色")));

    // Every tip has its own failing line.
    QStringList texts;
    for (const TipImage tip : {TipImage::NotJpeg, TipImage::FileSizeOutsideWindow, TipImage::BadDimensions,
                               TipImage::BackgroundNotPlain, TipImage::NoSingleFace, TipImage::FaceBadlyPlaced}) {
        const ReasonText reason = DescribeOutcome(rejected(tip), Calibrated());
        QCOMPARE(reason.tone, ReasonTone::Failure);
        QVERIFY(!texts.contains(reason.text));
        texts << reason.text;
    }
}

void ShellPartsTest::dropsOpenOnlyOneLocalPhoto_data()
{
    QTest::addColumn<QStringList>("names");   // files created in a temporary folder, dropped in order
    QTest::addColumn<QString>("remote");      // a URL dropped instead, if set
    QTest::addColumn<bool>("opens");
    QTest::newRow("one jpg") << QStringList{QStringLiteral("photo.jpg")} << QString() << true;
    QTest::newRow("upper-case JPEG") << QStringList{QStringLiteral("PHOTO.JPEG")} << QString() << true;
    QTest::newRow("jfif") << QStringList{QStringLiteral("photo.jfif")} << QString() << true;
    QTest::newRow("Chinese name") << QStringList{QStringLiteral("证件照.jpg")} << QString() << true;
    QTest::newRow("png") << QStringList{QStringLiteral("photo.png")} << QString() << false;
    QTest::newRow("no extension") << QStringList{QStringLiteral("photo")} << QString() << false;
    QTest::newRow("two photos") << QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")} << QString() << false;
    QTest::newRow("folder named like a photo") << QStringList{QStringLiteral("album.jpg/")} << QString() << false;
    QTest::newRow("file gone") << QStringList{QStringLiteral("-gone.jpg")} << QString() << false;
    QTest::newRow("web address") << QStringList() << QStringLiteral("https://example.invalid/photo.jpg") << false;
    QTest::newRow("nothing") << QStringList() << QString() << false;
}

void ShellPartsTest::dropsOpenOnlyOneLocalPhoto()
{
    QFETCH(QStringList, names);
    QFETCH(QString, remote);
    QFETCH(bool, opens);
    QTemporaryDir dir;
    QList<QUrl> urls;
    for (QString name : names) {
        // "-name": a file that was there when dragged and is gone; "name/": a folder.
        const bool gone = name.startsWith(QLatin1Char('-'));
        const bool folder = name.endsWith(QLatin1Char('/'));
        name.remove(QLatin1Char('-')).remove(QLatin1Char('/'));
        const QString path = dir.filePath(name);
        if (folder) {
            QVERIFY(QDir(dir.path()).mkdir(name));
        } else if (!gone) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        urls << QUrl::fromLocalFile(path);
    }
    if (!remote.isEmpty())
        urls << QUrl(remote);
    QMimeData data;
    if (urls.isEmpty())
        data.setText(QStringLiteral("photo.jpg"));
    else
        data.setUrls(urls);

    const QStringList patterns = FilterPatterns(QString::fromLatin1(kOpenPhotoFilter));
    QCOMPARE(patterns, (QStringList{QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.jpg"),
                                    QStringLiteral("*.jfif")}));
    const QString path = DroppedPhotoPath(data, patterns);
    QCOMPARE(!path.isEmpty(), opens);
    if (opens)
        QCOMPARE(path, QFileInfo(urls.front().toLocalFile()).absoluteFilePath());
}

QTEST_MAIN(ShellPartsTest)
#include "shell_parts_test.moc"
