// The desktop program's parts that need no main window: the requirement lines and the sample's
// backdrop drawn from the settings, the reason line's wording, which drops open a photo, and file
// size limits in words.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "engine/background.h"
#include "engine/face.h"
#include "velmora/photo_checker.h"
#include "velmora/settings.h"
#include "shell/photo_drop.h"
#include "shell/reason_line.h"
#include "shell/reason_text.h"
#include "shell/portrait_geometry.h"
#include "shell/requirements_card.h"
#include "shell/sample_backdrop.h"
#include "shell/size_text.h"
#include "shell/velmora_dlg.h"
#include "shell/window_fit.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::CheckSettings)
Q_DECLARE_METATYPE(velmora::CheckOutcome)
Q_DECLARE_METATYPE(ReasonTone)
Q_DECLARE_METATYPE(DropRefusal)

namespace {

// Settings shaped like the shipped file (white, blue and red; a pixel minimum; a KiB window) but
// with figures of their own, so a wording follows the settings given, not the file on disk.
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
    void samplePortraitAgreesWithTheShippedSettings();
    void tipExamplesAgreeWithTheShippedSettings_data();
    void tipExamplesAgreeWithTheShippedSettings();
    void reasonLineExplainsEachVerdict_data();
    void reasonLineExplainsEachVerdict();
    void everyFindingIsWorded();
    void everyAdvisoryIsWorded();
    void reasonLineKeepsWholeLines_data();
    void reasonLineKeepsWholeLines();
    void dropsOpenOnlyOneLocalPhoto_data();
    void dropsOpenOnlyOneLocalPhoto();
    void windowShrinksOnlyToFitItsScreen_data();
    void windowShrinksOnlyToFitItsScreen();
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
                                               QStringLiteral("人像：仅一人、正面，头部约占高度 2/3"),
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
                       QStringLiteral("尺寸：竖幅，至少 100 × 100 像素"), QStringLiteral("人像：仅一人、正面，头部约占高度 2/3"),
                       QStringLiteral("通过后保存为 358 × 441 像素")};
    CheckSettings unbounded = Calibrated();
    unbounded.pic_max_size = -1;
    QTest::newRow("no upper size limit") << unbounded
                                         << QStringList{QStringLiteral("背景：纯色，白、蓝或红色"),
                                                        QStringLiteral("格式：JPG/JPEG，不小于 4 KB"),
                                                        QStringLiteral("尺寸：竖幅，至少 295 × 413 像素"),
                                                        QStringLiteral("人像：仅一人、正面，头部约占高度 2/3"),
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
    CheckSettings noBlue = Calibrated();
    noBlue.blue_h_min = 4.6f;  // purples only: the sample turns red
    noBlue.blue_h_max = 4.8f;
    QTest::newRow("no blue in the band") << noBlue << false;
    CheckSettings brightOnly = Calibrated();
    brightOnly.i_min = 0.99f;  // no blue is bright enough; a pure red still passes by its hue of 0
    QTest::newRow("hue bands out of reach") << brightOnly << false;
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

void ShellPartsTest::samplePortraitAgreesWithTheShippedSettings()
{
    // The sample as the window shows it (the drawn portrait over the backdrop the loaded
    // settings accept), judged as a photo: its head measured in pixels, its face found and
    // placed by the check's own detector and intervals.
    CheckSettings shipped;
    QVERIFY(ReadCheckSettingsFile(VELMORA_PROGRAM_DIR "setting.ini", shipped));
    QImage portrait(QStringLiteral(":/res/sample@2x.png"));
    QVERIFY(!portrait.isNull());
    portrait.setDevicePixelRatio(1);  // pixel for pixel, not at the half size "@2x" asks for
    QImage sample(portrait.size(), QImage::Format_RGB888);
    sample.fill(SampleBackdrop(shipped));
    {
        QPainter painter(&sample);
        painter.drawImage(0, 0, portrait);
    }

    // Crown: the first row of the middle column off the backdrop; chin: the last row of the
    // face's skin colour there (the neck below is drawn in a darker shade).
    const int middle = sample.width() / 2;
    const QColor backdrop = sample.pixelColor(middle, 0);
    const QColor skin(0xF2, 0xC6, 0xA0);
    int crown = -1, chin = -1;
    for (int y = 0; y < sample.height(); ++y) {
        const QColor c = sample.pixelColor(middle, y);
        if (crown < 0 && c != backdrop)
            crown = y;
        if (c == skin)
            chin = y;
    }
    QVERIFY(crown >= 0 && chin > crown);
    const double height = sample.height();
    const double headShare = (chin + 1 - crown) / height;
    QVERIFY2(std::abs(headShare - kStandardPortrait.headShare) < 0.01, qPrintable(QString::number(headShare)));
    QVERIFY2(std::abs(crown / height - kStandardPortrait.crownShare) < 0.01, qPrintable(QString::number(crown / height)));
    // The standard range the shipped intervals were calibrated on.
    QVERIFY(headShare >= 0.62 && headShare <= 0.72);
    QVERIFY(crown / height >= 0.03 && crown / height <= 0.12);

    const cv::Mat rgb(sample.height(), sample.width(), CV_8UC3, sample.bits(), size_t(sample.bytesPerLine()));
    Image photo;
    cv::cvtColor(rgb, photo, cv::COLOR_RGB2BGR);
    cv::resize(photo, photo, cv::Size(shipped.dst_width, shipped.dst_height), 0, 0, cv::INTER_AREA);
    auto detector = FaceDetector::Load(std::string(VELMORA_PROGRAM_DIR) + std::string(kFaceCascadeFileName));
    QVERIFY(detector.has_value());
    CheckVerdict verdict;
    const FaceReport face = InspectFace(*detector, photo, shipped, verdict);
    QCOMPARE(face.faces.size(), size_t(1));
    const FacePlacement& placed = *face.placement;
    qInfo("sample: head %.3f, crown %.3f, ratio_x %.3f, ratio_y %.3f", headShare, crown / height,
          double(placed.ratioX), double(placed.ratioY));
    QVERIFY2(placed.wellPlaced, qPrintable(QStringLiteral("ratio_x %1 (%2-%3), ratio_y %4 (%5-%6)")
                                                .arg(placed.ratioX).arg(shipped.ratio_x_min).arg(shipped.ratio_x_max)
                                                .arg(placed.ratioY).arg(shipped.ratio_y_min).arg(shipped.ratio_y_max)));
    QCOMPARE(face.result, FaceResult::FaceAccepted);
}

void ShellPartsTest::tipExamplesAgreeWithTheShippedSettings_data()
{
    QTest::addColumn<QString>("tip");
    QTest::newRow("one face") << QStringLiteral("state7.jpg");
    QTest::newRow("face position") << QStringLiteral("state8.jpg");
}

void ShellPartsTest::tipExamplesAgreeWithTheShippedSettings()
{
    // The right-way example of a tip (the right-hand photo on blue) is found in the installed
    // picture and judged like the sample: head and crown in pixels, the face by the detector.
    QFETCH(QString, tip);
    CheckSettings shipped;
    QVERIFY(ReadCheckSettingsFile(VELMORA_PROGRAM_DIR "setting.ini", shipped));
    const QImage picture = QImage(QStringLiteral(VELMORA_PROGRAM_DIR "tips/") + tip).convertToFormat(QImage::Format_RGB888);
    QVERIFY(!picture.isNull());
    const cv::Mat rgb(picture.height(), picture.width(), CV_8UC3, const_cast<uchar*>(picture.constBits()),
                      size_t(picture.bytesPerLine()));
    Image bgr;
    cv::cvtColor(rgb, bgr, cv::COLOR_RGB2BGR);

    // The blue backdrop of the right-hand photo: its top edge and sides are the photo's.
    cv::Mat blue;
    cv::inRange(bgr, cv::Scalar(0xDB - 40, 0x8E - 40, 0x43 - 40), cv::Scalar(0xDB + 40, 0x8E + 40, 0x43 + 40), blue);
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(blue, labels, stats, centroids);
    int best = -1;
    for (int i = 1; i < count; ++i)
        if (centroids.at<double>(i, 0) > bgr.cols / 2.0 &&
            (best < 0 || stats.at<int>(i, cv::CC_STAT_AREA) > stats.at<int>(best, cv::CC_STAT_AREA)))
            best = i;
    QVERIFY(best > 0);
    const int left = stats.at<int>(best, cv::CC_STAT_LEFT);
    const int top = stats.at<int>(best, cv::CC_STAT_TOP);
    const int width = stats.at<int>(best, cv::CC_STAT_WIDTH);
    // Its bottom: where the white mat starts below the suit, near the left edge.
    auto near = [&](int x, int y, const cv::Vec3b& c) {
        const cv::Vec3b p = bgr.at<cv::Vec3b>(y, x);
        return std::abs(p[0] - c[0]) < 20 && std::abs(p[1] - c[1]) < 20 && std::abs(p[2] - c[2]) < 20;
    };
    const cv::Vec3b white(255, 255, 255);
    int bottom = top;
    while (bottom + 1 < bgr.rows && !near(left + 2, bottom + 1, white))
        ++bottom;
    const double height = bottom + 1 - top;

    const int middle = left + width / 2;
    const cv::Vec3b hair(0x28, 0x2A, 0x2F), skin(0xA0, 0xC6, 0xF2);
    int crown = -1, chin = -1;
    for (int y = top; y <= bottom; ++y) {
        if (crown < 0 && near(middle, y, hair))
            crown = y;
        if (near(middle, y, skin))
            chin = y;
    }
    QVERIFY(crown >= 0 && chin > crown);
    const double headShare = (chin + 1 - crown) / height;
    const double crownShare = (crown - top) / height;
    qInfo("%s: head %.3f, crown %.3f", qPrintable(tip), headShare, crownShare);
    QVERIFY2(headShare >= 0.62 && headShare <= 0.72, qPrintable(QString::number(headShare)));
    QVERIFY2(crownShare >= 0.03 && crownShare <= 0.12, qPrintable(QString::number(crownShare)));

    Image photo;
    cv::resize(bgr(cv::Rect(left, top, width, int(height))), photo, cv::Size(shipped.dst_width, shipped.dst_height), 0,
               0, cv::INTER_CUBIC);
    auto detector = FaceDetector::Load(std::string(VELMORA_PROGRAM_DIR) + std::string(kFaceCascadeFileName));
    QVERIFY(detector.has_value());
    CheckVerdict verdict;
    const FaceReport face = InspectFace(*detector, photo, shipped, verdict);
    QCOMPARE(face.faces.size(), size_t(1));
    QVERIFY2(face.placement->wellPlaced, qPrintable(QStringLiteral("ratio_x %1, ratio_y %2")
                                                       .arg(face.placement->ratioX)
                                                       .arg(face.placement->ratioY)));
}

void ShellPartsTest::reasonLineExplainsEachVerdict_data()
{
    QTest::addColumn<CheckOutcome>("outcome");
    QTest::addColumn<CheckSettings>("settings");
    QTest::addColumn<ReasonTone>("tone");
    QTest::addColumn<QString>("text");
    const CheckSettings calibrated = Calibrated();
    CheckSettings whiteOnly = calibrated;
    whiteOnly.bgc = 0;
    const auto plain = [](Finding finding, double measured = 0) {
        Reason reason;
        reason.finding = finding;
        reason.measured = measured;
        return reason;
    };
    const auto bound = [](Finding finding, double measured, std::optional<double> low, std::optional<double> high) {
        Reason reason;
        reason.finding = finding;
        reason.measured = measured;
        reason.low = low;
        reason.high = high;
        return reason;
    };
    const auto accepted = [](std::vector<Reason> reasons) {
        CheckOutcome outcome;
        outcome.accepted = true;
        outcome.reasons = std::move(reasons);
        return outcome;
    };
    const auto rejected = [](std::vector<Reason> reasons, cv::Size stored = {}) {
        CheckOutcome outcome;
        outcome.tip = TipImage::BadDimensions;  // the tip plays no part in the wording
        outcome.reasons = std::move(reasons);
        if (!stored.empty())
            outcome.storedSize = stored;
        return outcome;
    };
    const double kib = 1024;
    const double mib = 1024 * kib;

    QTest::newRow("accepted") << accepted({plain(Finding::Accepted)}) << calibrated << ReasonTone::Success
                              << QStringLiteral("审核通过，可点击“保存照片”");
    QTest::newRow("accepted, stretched taller on save")
        << accepted({plain(Finding::Accepted), bound(Finding::StretchedOnSave, 1.12, 0.95, 1.05)}) << calibrated
        << ReasonTone::Warning
        << QStringLiteral("审核通过，可点击“保存照片”\n注意：比例与 295 × 413 不同，保存时会纵向拉伸 12%");
    QTest::newRow("accepted, stretched wider on save")
        << accepted({plain(Finding::Accepted), bound(Finding::StretchedOnSave, 0.8, 0.95, 1.05)}) << calibrated
        << ReasonTone::Warning
        << QStringLiteral("审核通过，可点击“保存照片”\n注意：比例与 295 × 413 不同，保存时会横向拉伸 25%");
    QTest::newRow("stamped") << accepted({plain(Finding::AcceptedStamped)}) << calibrated << ReasonTone::Success
                             << QStringLiteral("此照片已审核通过（带审核标记），可点击“保存照片”");
    using velmora::AdvisoryKind;
    CheckOutcome blurredAndTilted = accepted({plain(Finding::Accepted)});
    blurredAndTilted.advisories = {{AdvisoryKind::Blurred, 0.153, 0.185, velmora::Direction::Raise},
                                   {AdvisoryKind::HeadTilted, -9.26, 7, velmora::Direction::Lower}};
    QTest::newRow("accepted with advisories: named first, figures after")
        << blurredAndTilted << calibrated << ReasonTone::Warning
        << QStringLiteral("审核通过，但请注意：面部不够清晰、头部歪斜\n"
                          "细节 15.3%，应至少 18.5%，请对准双眼对焦，拿稳相机\n"
                          "双眼连线倾斜 9.3°，应不超过 7°，请摆正头部");
    CheckOutcome cutAndLow = rejected({bound(Finding::FaceTooLow, 0.25, 0.3, 0.5)});
    cutAndLow.advisories = {{AdvisoryKind::CrownAtTop, 0.0, 0.01, velmora::Direction::Raise}};
    QTest::newRow("rejected with an advisory after the reason")
        << cutAndLow << calibrated << ReasonTone::Failure
        << QStringLiteral("头部过低：下巴以下占照片高度 25%，应在 30%–50% 之间\n"
                          "注意：头顶贴近或超出上边（头顶留白 0%，应至少 1%，请在头顶上方留出空间）");
    QTest::newRow("only resized") << accepted({plain(Finding::AcceptedNormalised)}) << calibrated << ReasonTone::Success
                                  << QStringLiteral("已调整为 295 × 413 像素（当前设置不做检查），可点击“保存照片”");
    QTest::newRow("not a JPEG") << rejected({plain(Finding::NotJpeg)}) << calibrated << ReasonTone::Failure
                                << QStringLiteral("文件不是 JPEG 格式，请选择 JPG/JPEG 照片");
    QTest::newRow("file too large") << rejected({bound(Finding::FileTooLarge, 3.2 * mib, 4 * kib, 1 * mib)})
                                    << calibrated << ReasonTone::Failure
                                    << QStringLiteral("文件过大：3.2 MB，应在 4 KB–1 MB 之间");
    QTest::newRow("file too small") << rejected({bound(Finding::FileTooSmall, 3000, 4 * kib, 10 * mib)})
                                    << calibrated << ReasonTone::Failure
                                    << QStringLiteral("文件过小：2.9 KB，应在 4 KB–10 MB 之间");
    QTest::newRow("one byte past the limit reads in bytes")
        << rejected({bound(Finding::FileTooLarge, 10 * mib + 1, 4 * kib, 10 * mib)}) << calibrated << ReasonTone::Failure
        << QStringLiteral("文件过大：10485761 字节，应在 4 KB–10 MB 之间（10485760 字节）");
    QTest::newRow("no upper limit") << rejected({bound(Finding::FileTooSmall, 3000, 4 * kib, std::nullopt)})
                                    << calibrated << ReasonTone::Failure
                                    << QStringLiteral("文件过小：2.9 KB，应至少 4 KB");
    QTest::newRow("no lower limit") << rejected({bound(Finding::FileTooLarge, 1.5 * mib, 0.0, 1 * mib)})
                                    << calibrated << ReasonTone::Failure
                                    << QStringLiteral("文件过大：1.5 MB，应不超过 1 MB");
    QTest::newRow("too few pixels both ways")
        << rejected({bound(Finding::TooNarrow, 200, 294, {}), bound(Finding::TooShort, 300, 412, {})}, {200, 300})
        << calibrated << ReasonTone::Failure << QStringLiteral("像素过少：照片 200 × 300，应至少 295 × 413 像素");
    QTest::newRow("too narrow and too elongated")
        << rejected({bound(Finding::TooNarrow, 250, 294, {}), bound(Finding::TooElongated, 2.0, 1.0, 2.0)}, {250, 500})
        << calibrated << ReasonTone::Failure
        << QStringLiteral("像素过少：照片 250 × 500，宽应至少 295 像素\n照片过于细长：250 × 500，高宽比 2.00，应小于 2");
    CheckOutcome turned = rejected({bound(Finding::NotUpright, 0.75, 1.0, 2.0)}, {472, 354});
    turned.orientation = 6;
    QTest::newRow("landscape with a rotation tag")
        << turned << calibrated << ReasonTone::Failure
        << QStringLiteral("照片为横向 472 × 354（带旋转标记，看图软件会竖着显示），请旋转后另存再打开");
    CheckOutcome turnedAndShort =
        rejected({bound(Finding::TooShort, 354, 412, {}), bound(Finding::NotUpright, 0.75, 1.0, 2.0)}, {472, 354});
    turnedAndShort.orientation = 6;
    QTest::newRow("short only as stored: the rotation tag leads")
        << turnedAndShort << calibrated << ReasonTone::Failure
        << QStringLiteral("照片为横向 472 × 354（带旋转标记，看图软件会竖着显示），请旋转后另存再打开\n"
                          "像素过少：照片 472 × 354，高应至少 413 像素");
    QTest::newRow("landscape") << rejected({bound(Finding::NotUpright, 0.75, 1.0, 2.0)}, {472, 354}) << calibrated
                               << ReasonTone::Failure << QStringLiteral("照片为横向 472 × 354，应为竖幅（高大于宽）");
    QTest::newRow("square") << rejected({bound(Finding::NotUpright, 1.0, 1.0, 2.0)}, {400, 400}) << calibrated
                            << ReasonTone::Failure << QStringLiteral("照片为正方形 400 × 400，应为竖幅（高大于宽）");
    CheckOutcome leftCorner = rejected({plain(Finding::BackgroundNotPlain)});
    leftCorner.backgroundFailure = BackgroundPixel{11, 2, Strip::Left, 30, 0.5f, 0.5f};
    QTest::newRow("background, left corner")
        << leftCorner << calibrated << ReasonTone::Failure << QStringLiteral("背景：左上角第 12 行第 3 列不是白、蓝或红色");
    CheckOutcome rightCorner = rejected({plain(Finding::BackgroundNotPlain)});
    rightCorner.backgroundFailure = BackgroundPixel{0, 292, Strip::Right, 30, 0.5f, 0.5f};
    QTest::newRow("background, right corner, white only")
        << rightCorner << whiteOnly << ReasonTone::Failure << QStringLiteral("背景：右上角第 1 行倒数第 3 列不是白色");
    // The background in the terms of the rule in force: which test, the figure against its setting,
    // the corner, and how much of it fails.
    const auto fault = [&](velmora::BackgroundRule rule, velmora::BackgroundTest test, double measured, double limit,
                           Strip side, int failing) {
        CheckOutcome outcome = rejected({plain(Finding::BackgroundNotPlain)});
        outcome.backgroundFailure = BackgroundPixel{0, side == Strip::Left ? 0 : 285, side, 0, 0.0f, 0.62f};
        outcome.backgroundFault = velmora::BackgroundFault{rule, test, measured, limit, {}, {18, 186, 258}, side, failing, 1000};
        return outcome;
    };
    using velmora::BackgroundRule;
    using velmora::BackgroundTest;
    QTest::newRow("background too dark for white, 40 % of the corner")
        << fault(BackgroundRule::White, BackgroundTest::TooDark, 0.62, 0.7f, Strip::Left, 400) << whiteOnly
        << ReasonTone::Failure << QStringLiteral("背景：左上角约 40% 偏暗（亮度 0.62，白色背景需高于 0.70）");
    QTest::newRow("background tinted just past the limit, the whole corner")
        << fault(BackgroundRule::White, BackgroundTest::Tinted, 0.102, 0.1f, Strip::Right, 1000) << whiteOnly
        << ReasonTone::Failure
        << QStringLiteral("背景：右上角整片偏色（饱和度 0.102，白色背景需低于 0.10）");
    QTest::newRow("background grey on the red-or-blue rule")
        << fault(BackgroundRule::RedOrBlue, BackgroundTest::TooDark, 0.62, 0.7f, Strip::Left, 1000) << calibrated
        << ReasonTone::Failure << QStringLiteral("背景：左上角整片偏暗（亮度 0.62，白色背景需高于 0.70）");
    QTest::newRow("background blue but too dark")
        << fault(BackgroundRule::RedOrBlue, BackgroundTest::ColourTooDark, 0.25, 0.3f, Strip::Left, 995) << calibrated
        << ReasonTone::Failure
        << QStringLiteral("背景：左上角约 99% 颜色过暗（亮度 0.25，蓝色或红色背景需高于 0.30）");
    QTest::newRow("background hue outside the bands, a speck")
        << fault(BackgroundRule::RedOrBlue, BackgroundTest::HueOutsideBands, 35, 0, Strip::Right, 3) << calibrated
        << ReasonTone::Failure
        << QStringLiteral("背景：右上角个别像素既不是蓝色也不是红色（色相 35°，蓝色需 186°–258°，红色需不超过 18°）");
    // Further findings follow the deciding one: named on one line, then each with its figures.
    CheckOutcome greyAndSmall = fault(BackgroundRule::White, BackgroundTest::TooDark, 0.62, 0.7f, Strip::Left, 1000);
    greyAndSmall.further = {bound(Finding::FaceTooHigh, 0.5004, 0.3, 0.5), bound(Finding::FaceTooSmall, 0.75, 0.5, 0.7)};
    QTest::newRow("background, and further the head")
        << greyAndSmall << whiteOnly << ReasonTone::Failure
        << QStringLiteral("背景：左上角整片偏暗（亮度 0.62，白色背景需高于 0.70）\n另外：头部过高、头部过小\n"
                          "头部过高：下巴以下占照片高度 50%，应在 30%–50% 之间\n头部过小：人脸宽度占照片 25%，应在 30%–50% 之间");
    CheckOutcome landscapeGroup = rejected({bound(Finding::NotUpright, 0.75, 1.0, 2.0)}, {472, 354});
    landscapeGroup.further = {plain(Finding::SeveralFaces, 2)};
    QTest::newRow("landscape, and further two faces")
        << landscapeGroup << calibrated << ReasonTone::Failure
        << QStringLiteral("照片为横向 472 × 354，应为竖幅（高大于宽）\n另外：检测到 2 张人脸\n检测到 2 张人脸，照片中只能有一个人");
    CheckOutcome largeAndSmall = rejected({bound(Finding::FileTooLarge, 1.5 * mib, 0.0, 1 * mib)}, {200, 300});
    largeAndSmall.further = {bound(Finding::TooNarrow, 200, 294, {}), bound(Finding::TooShort, 300, 412, {}),
                             plain(Finding::NoFace)};
    QTest::newRow("file too large, and further too few pixels both ways and no face")
        << largeAndSmall << calibrated << ReasonTone::Failure
        << QStringLiteral("文件过大：1.5 MB，应不超过 1 MB\n"
                          "另外：像素过少、没有检测到人脸\n像素过少：照片 200 × 300，应至少 295 × 413 像素\n"
                          "没有检测到人脸，请使用正面、免冠、五官清晰的照片");
    QTest::newRow("two faces") << rejected({plain(Finding::SeveralFaces, 2)}) << calibrated << ReasonTone::Failure
                               << QStringLiteral("检测到 2 张人脸，照片中只能有一个人");
    QTest::newRow("no face") << rejected({plain(Finding::NoFace)}) << calibrated << ReasonTone::Failure
                             << QStringLiteral("没有检测到人脸，请使用正面、免冠、五官清晰的照片");
    QTest::newRow("face too large: its share of the width")
        << rejected({bound(Finding::FaceTooLarge, 0.38, 0.5, 0.7)}) << calibrated << ReasonTone::Failure
        << QStringLiteral("头部过大：人脸宽度占照片 62%，应在 30%–50% 之间");
    QTest::newRow("face too low and too small")
        << rejected({bound(Finding::FaceTooLow, 0.25, 0.3, 0.5), bound(Finding::FaceTooSmall, 0.75, 0.5, 0.7)})
        << calibrated << ReasonTone::Failure
        << QStringLiteral("头部过低：下巴以下占照片高度 25%，应在 30%–50% 之间\n头部过小：人脸宽度占照片 25%，应在 30%–50% 之间");
    QTest::newRow("face a little too high")
        << rejected({bound(Finding::FaceTooHigh, 0.5004, 0.3, 0.5)}) << calibrated << ReasonTone::Failure
        << QStringLiteral("头部过高：下巴以下占照片高度 50%，应在 30%–50% 之间");
    CheckOutcome cut = rejected({plain(Finding::Undecodable)});
    cut.decodeFailure = DecodeFailure::Truncated;
    QTest::newRow("cut short") << cut << calibrated << ReasonTone::Failure
                               << QStringLiteral("照片文件不完整（可能复制或下载中断），请重新导出");
    CheckOutcome unreadable = rejected({});
    unreadable.error = CheckError::FileUnreadable;
    QTest::newRow("could not be read") << unreadable << calibrated << ReasonTone::Warning
                                       << QStringLiteral("无法读取这个文件：它不存在、没有读取权限或正被其他程序占用");
}

void ShellPartsTest::reasonLineExplainsEachVerdict()
{
    QFETCH(CheckOutcome, outcome);
    QFETCH(CheckSettings, settings);
    QFETCH(ReasonTone, tone);
    QFETCH(QString, text);
    const ReasonText reason = DescribeOutcome(outcome, settings);
    QCOMPARE(reason.text, text);
    QCOMPARE(reason.tone, tone);
}

void ShellPartsTest::everyAdvisoryIsWorded()
{
    for (int kind = int(velmora::AdvisoryKind::Blurred); kind <= int(velmora::AdvisoryKind::BusyBackground); ++kind) {
        const AdvisoryWords words = WordAdvisory({velmora::AdvisoryKind(kind), 0.5, 0.25, velmora::Direction::Lower});
        QVERIFY2(!words.name.isEmpty() && !words.figures.isEmpty() && !words.advice.isEmpty(), qPrintable(QString::number(kind)));
    }
}

void ShellPartsTest::everyFindingIsWorded()
{
    // A finding the engine adds later must not leave the line empty.
    for (int finding = int(Finding::Accepted); finding <= int(Finding::FaceTooSmall); ++finding) {
        Reason reason;
        reason.finding = Finding(finding);
        reason.measured = 1.5;
        QVERIFY2(!WordReason(reason, CheckOutcome{}, Calibrated()).isEmpty(), qPrintable(QString::number(finding)));
    }
}

void ShellPartsTest::reasonLineKeepsWholeLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("inTooltip");  // the whole text, because not all of it can be seen
    const QString wrapping = QStringLiteral("照片为横向 472 × 354（带旋转标记，看图软件会竖着显示），请旋转后另存再打开");
    const QString shortLine = QStringLiteral("像素过少：照片 472 × 354，高应至少 413 像素");
    const QString twoShort = QStringLiteral("审核通过，可点击“保存照片”\n") + shortLine;
    QTest::newRow("one line") << shortLine << shortLine << false;
    QTest::newRow("two short lines") << twoShort << twoShort << false;
    QTest::newRow("one line wrapped in two") << wrapping << wrapping << false;
    QTest::newRow("a wrapping line keeps only itself") << wrapping + QLatin1Char('\n') + shortLine << wrapping << true;
    const QString tooLong = wrapping + wrapping + wrapping;
    QTest::newRow("the first line stays however long") << tooLong + QLatin1Char('\n') + shortLine << tooLong << true;
    QTest::newRow("one line too long for the strip") << tooLong << tooLong << true;
}

void ShellPartsTest::reasonLineKeepsWholeLines()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(bool, inTooltip);
    CReasonLine line(nullptr);
    line.resize(394, 42);  // its place under the preview in the main window
    line.Show(ReasonTone::Failure, text);
    QCOMPARE(line.text(), shown);
    QCOMPARE(line.toolTip(), inTooltip ? text : QString());
}

void ShellPartsTest::dropsOpenOnlyOneLocalPhoto_data()
{
    QTest::addColumn<QStringList>("names");   // files created in a temporary folder, dropped in order
    QTest::addColumn<QString>("remote");      // a URL dropped instead, if set
    QTest::addColumn<DropRefusal>("refusal");
    QTest::addColumn<QString>("text");        // the reason line's words for it
    const auto opens = DropRefusal::None;
    QTest::newRow("one jpg") << QStringList{QStringLiteral("photo.jpg")} << QString() << opens << QString();
    QTest::newRow("upper-case JPEG") << QStringList{QStringLiteral("PHOTO.JPEG")} << QString() << opens << QString();
    QTest::newRow("jfif") << QStringList{QStringLiteral("photo.jfif")} << QString() << opens << QString();
    QTest::newRow("Chinese name") << QStringList{QStringLiteral("证件照.jpg")} << QString() << opens << QString();
    QTest::newRow("png") << QStringList{QStringLiteral("photo.png")} << QString() << DropRefusal::NotAPhoto
                         << QStringLiteral("“photo.png”不是 JPG/JPEG 照片，请拖入 .jpg、.jpeg 或 .jfif 文件");
    QTest::newRow("no extension") << QStringList{QStringLiteral("photo")} << QString() << DropRefusal::NotAPhoto
                                  << QStringLiteral("“photo”不是 JPG/JPEG 照片，请拖入 .jpg、.jpeg 或 .jfif 文件");
    QTest::newRow("two photos") << QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")} << QString()
                                << DropRefusal::SeveralFiles << QStringLiteral("一次只能拖入一张照片");
    QTest::newRow("a photo and a web address")
        << QStringList{QStringLiteral("a.jpg")} << QStringLiteral("https://example.invalid/photo.jpg")
        << DropRefusal::SeveralFiles << QStringLiteral("一次只能拖入一张照片");
    QTest::newRow("folder named like a photo") << QStringList{QStringLiteral("album.jpg/")} << QString()
                                               << DropRefusal::Folder
                                               << QStringLiteral("“album.jpg”是文件夹，请拖入一张 JPG/JPEG 照片");
    QTest::newRow("file gone") << QStringList{QStringLiteral("-gone.jpg")} << QString() << DropRefusal::Gone
                               << QStringLiteral("找不到“gone.jpg”，它可能已被移动或删除");
    QTest::newRow("web address") << QStringList() << QStringLiteral("https://example.invalid/photo.jpg")
                                 << DropRefusal::NoLocalFile << QString();
    QTest::newRow("nothing") << QStringList() << QString() << DropRefusal::NoLocalFile << QString();
}

void ShellPartsTest::dropsOpenOnlyOneLocalPhoto()
{
    QFETCH(QStringList, names);
    QFETCH(QString, remote);
    QFETCH(DropRefusal, refusal);
    QFETCH(QString, text);
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
    const PhotoDrop drop = ExaminePhotoDrop(data, patterns);
    QCOMPARE(drop.refusal, refusal);
    QCOMPARE(DropRefusalText(drop), text);
    if (refusal == DropRefusal::None)
        QCOMPARE(drop.path, QFileInfo(urls.front().toLocalFile()).absoluteFilePath());
}

void ShellPartsTest::windowShrinksOnlyToFitItsScreen_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<double>("scale");
    // Logical pixels: 702 x 485 is the window at any scaling, the screen shrinks as scaling grows.
    QTest::newRow("fits") << QSize(702, 485) << QSize(1600, 1160) << 1.0;
    QTest::newRow("exactly fits") << QSize(702, 485) << QSize(702, 485) << 1.0;
    QTest::newRow("200 % on 1280 x 800, taskbar below") << QSize(702, 485) << QSize(640, 380) << 380.0 / 485;
    QTest::newRow("too narrow only") << QSize(702, 485) << QSize(600, 900) << 600.0 / 702;
    QTest::newRow("no screen known") << QSize(702, 485) << QSize() << 1.0;
}

void ShellPartsTest::windowShrinksOnlyToFitItsScreen()
{
    QFETCH(QSize, window);
    QFETCH(QSize, available);
    QFETCH(double, scale);
    const double fit = ScaleToFit(window, available);
    QCOMPARE(fit, scale);
    const QRect shown = ScaledRect(QRect(QPoint(), window), fit);
    if (!available.isEmpty()) {
        QVERIFY(shown.width() <= available.width() && shown.height() <= available.height());
    }
}

QTEST_MAIN(ShellPartsTest)
#include "shell_parts_test.moc"
