// The main dialog in-process: layout, keys, and the Open and Save commands with the file
// choosers replaced. The test program lives in the build's program directory, so the dialog
// finds setting.ini, the cascade and the tip pictures there, whatever the working directory.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "shell/dialog_units.h"
#include "shell/image_convert.h"
#include "shell/preview_panel.h"
#include "shell/velmora_dlg.h"

using namespace velmora;

namespace {

const QString kFixtures = QStringLiteral(VELMORA_FIXTURES_DIR);
const QString kAcceptedPhoto = kFixtures + QStringLiteral("id_white.jpg");

std::string ReadBytes(const QString& path)
{
    std::ifstream in(std::filesystem::path(path.toStdU16String()), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A saved photo: a JPEG followed by exactly one check stamp.
void VerifySavedPhoto(const QString& path)
{
    const std::string bytes = ReadBytes(path);
    QVERIFY2(bytes.size() > 2 * kCheckStamp.size(), qPrintable(path));
    QCOMPARE(bytes.substr(0, 2), std::string("\xFF\xD8"));
    const std::string stamp(kCheckStamp.begin(), kCheckStamp.end());
    QCOMPARE(bytes.substr(bytes.size() - stamp.size()), stamp);
    QVERIFY(bytes.substr(bytes.size() - 2 * stamp.size(), stamp.size()) != stamp);
}

// Closes the next modal message box as soon as it runs and hands back its text.
void AnswerNextMessageBox(QString* text)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *text = box->text();
            box->accept();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

// A chooser that answers with the given paths in turn and counts how often it was asked.
struct ScriptedChooser {
    QStringList answers;
    int calls = 0;
    QString operator()()
    {
        return calls < answers.size() ? answers[calls++] : (++calls, QString());
    }
};

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() { g_resultImage.release(); }

    void mulDivRoundsLikeWindows_data();
    void mulDivRoundsLikeWindows();
    void controlsStandAtTheirDialogUnits();
    void startupMessagesNameTheProblem();
    void findsItsFilesFromAnotherWorkingDirectory();
    void keysFollowTheDialogRules();
    void conversionHonoursRowStride();
    void acceptedPhotoIsShownAndSavedUnderTwoNames();
    void rejectedPhotoShowsItsTipAndSaveDoesNothing();
    void cancelledOpenHidesPreviewAndDropsEarlierAcceptance();
    void saveBeforeAnyOpenDoesNothing();
    void failedSaveIsToldToTheUser();
    void emptyDisplayImageLeavesPreviewBlank();
};

void MainDialogTest::mulDivRoundsLikeWindows_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("numerator");
    QTest::addColumn<int>("denominator");
    QTest::addColumn<int>("expected");
    QTest::newRow("rounds up past half") << 401 << 7 << 4 << 702;
    QTest::newRow("rounds down below half") << 95 << 14 << 8 << 166;
    QTest::newRow("half goes up") << 210 << 14 << 8 << 368;
    QTest::newRow("negative half goes away from zero") << -5 << 3 << 2 << -8;
    QTest::newRow("negative denominator") << 5 << 3 << -2 << -8;
    QTest::newRow("no 32-bit overflow in the product") << 1000000 << 3000 << 1000 << 3000000;
    QTest::newRow("zero denominator") << 5 << 3 << 0 << -1;
    QTest::newRow("result too large") << 2000000000 << 4 << 1 << -1;
}

void MainDialogTest::mulDivRoundsLikeWindows()
{
    QFETCH(int, number);
    QFETCH(int, numerator);
    QFETCH(int, denominator);
    QFETCH(int, expected);
    QCOMPARE(MulDivRound(number, numerator, denominator), expected);
}

void MainDialogTest::controlsStandAtTheirDialogUnits()
{
    QCOMPARE(DialogBaseUnitsForDpi(96, 96), (DialogBaseUnits{7, 14}));
    QCOMPARE(DialogBaseUnitsForDpi(144, 120), (DialogBaseUnits{11, 18}));
    QCOMPARE(DialogBaseUnitsForDpi(0, 96), (DialogBaseUnits{7, 14}));

    CVelmoraDlg dlg;
    QCOMPARE(dlg.BaseUnits(), (DialogBaseUnits{7, 14}));  // the offscreen screen has 96 DPI
    QCOMPARE(dlg.size(), QSize(702, 485));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    QVERIFY(dlg.windowFlags().testFlag(Qt::FramelessWindowHint));

    const struct {
        const char* name;
        QRect pixels;
    } controls[] = {
        {"IDC_OPEN", {471, 166, 198, 65}},
        {"IDC_EXIT", {474, 368, 198, 63}},
        {"IDC_SAVE", {474, 270, 196, 61}},
        {"IDC_PICTURE", {259, 173, 173, 226}},
    };
    for (const auto& control : controls) {
        const auto* widget = dlg.findChild<QWidget*>(QString::fromLatin1(control.name));
        QVERIFY2(widget, control.name);
        QCOMPARE(widget->geometry(), control.pixels);
    }
    const auto labels = dlg.findChildren<QLabel*>();
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels[0]->text(), QStringLiteral(" 版本号：v2.0_2"));
    QCOMPARE(labels[0]->geometry(), QRect(595, 460, 96, 19));

    // Before the first Open the frame is the white rectangle; the preview then covers it exactly.
    QVERIFY(!dlg.m_preview);
    QCOMPARE(dlg.m_picture->palette().color(QPalette::Window), QColor(Qt::white));
    dlg.PreparePreview();
    QVERIFY(dlg.m_preview);
    QCOMPARE(dlg.m_preview->parentWidget(), dlg.m_picture);
    QCOMPARE(dlg.m_preview->geometry(), dlg.m_picture->contentsRect());
}

void MainDialogTest::startupMessagesNameTheProblem()
{
    QCOMPARE(SettingsFailureText({SettingsStatus::Missing, {}}), QStringLiteral("setting.ini文件丢失！"));
    QCOMPARE(SettingsFailureText({SettingsStatus::Unreadable, {}}), QStringLiteral("setting.ini文件丢失！"));
    QCOMPARE(SettingsFailureText({SettingsStatus::OutOfRange, "dst_width"}),
             QStringLiteral("setting.ini 中 dst_width 的值超出范围！"));
    QCOMPARE(ApplicationCaption(), QStringLiteral("main_dialog_test"));
}

void MainDialogTest::findsItsFilesFromAnotherWorkingDirectory()
{
    QVERIFY(QDir::currentPath() != QStringLiteral(VELMORA_PROGRAM_DIR).chopped(1));
    CVelmoraDlg dlg;  // would end the process if setting.ini or the cascade were not found
    QCOMPARE(std::filesystem::equivalent(g_exeDir, std::filesystem::path(VELMORA_PROGRAM_DIR)), true);
}

void MainDialogTest::keysFollowTheDialogRules()
{
    CVelmoraDlg dlg;
    ScriptedChooser opens;
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto* open = dlg.findChild<QPushButton*>(QStringLiteral("IDC_OPEN"));
    auto* exit = dlg.findChild<QPushButton*>(QStringLiteral("IDC_EXIT"));
    auto* save = dlg.findChild<QPushButton*>(QStringLiteral("IDC_SAVE"));
    QCOMPARE(QApplication::focusWidget(), open);

    // Tab order of the template: open, exit, save; the exit button takes no focus from Tab.
    QCOMPARE(open->nextInFocusChain(), exit);
    QCOMPARE(exit->nextInFocusChain(), save);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), save);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), open);

    // Enter presses the focused button: the open command asks for a file.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(opens.calls, 1);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

void MainDialogTest::conversionHonoursRowStride()
{
    cv::Mat whole(4, 5, CV_8UC3);
    for (int y = 0; y < whole.rows; ++y)
        for (int x = 0; x < whole.cols; ++x)
            whole.at<cv::Vec3b>(y, x) = cv::Vec3b(uchar(10 * x), uchar(20 * y), uchar(x + y));
    const cv::Mat part = whole(cv::Rect(1, 1, 3, 2));  // rows 15 bytes apart, 9 bytes of pixels each
    QVERIFY(!part.isContinuous());

    const QImage image = ToQImage(part);
    QCOMPARE(image.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const cv::Vec3b bgr = part.at<cv::Vec3b>(y, x);
            QCOMPARE(image.pixel(x, y), qRgb(bgr[2], bgr[1], bgr[0]));
        }
    QVERIFY(ToQImage(Image()).isNull());
    QVERIFY(ToQImage(cv::Mat(2, 2, CV_8UC1, cv::Scalar(0))).isNull());
}

void MainDialogTest::acceptedPhotoIsShownAndSavedUnderTwoNames()
{
    if (!QFileInfo::exists(kAcceptedPhoto))
        QFAIL("fixture id_white.jpg is missing");
    QTemporaryDir out;
    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto}};
    ScriptedChooser saves{{out.filePath(QStringLiteral("报名照片.jpg")), out.filePath(QStringLiteral("second.jpg"))}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();

    dlg.OnOpenPhoto();
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!g_resultImage.empty());
    QVERIFY(dlg.m_picture->isVisible());
    QVERIFY(dlg.m_preview->isVisible());
    QCOMPARE(dlg.m_preview->ShownImage().size(), QSize(g_settings.dst_width, g_settings.dst_height));
    QCOMPARE(dlg.m_preview->ShownImage(), ToQImage(g_resultImage));

    dlg.OnSavePhoto();
    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 2);
    VerifySavedPhoto(saves.answers[0]);
    VerifySavedPhoto(saves.answers[1]);
    QVERIFY(!g_resultImage.empty());  // saving keeps the photo for another copy
}

void MainDialogTest::rejectedPhotoShowsItsTipAndSaveDoesNothing()
{
    QTemporaryDir dir;
    const QString notJpeg = dir.filePath(QStringLiteral("picture.jpg"));
    QImage picture(60, 80, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QVERIFY(picture.save(notJpeg, "PNG"));

    CVelmoraDlg dlg;
    ScriptedChooser opens{{notJpeg}};
    ScriptedChooser saves{{dir.filePath(QStringLiteral("out.jpg"))}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();

    dlg.OnOpenPhoto();
    QVERIFY(g_resultImage.empty());
    QVERIFY(!g_verdict.jpeg);
    QVERIFY(dlg.m_preview->isVisible());
    const std::filesystem::path tip = g_exeDir / "tips" / "state1.jpg";
    if (!std::filesystem::exists(tip))
        QFAIL("tip picture state1.jpg is missing from the program directory");
    const QImage expected = ToQImage(cv::imread(tip.string(), cv::IMREAD_COLOR));
    QVERIFY(!expected.isNull());
    QCOMPARE(dlg.m_preview->ShownImage(), expected);

    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 0);
    QVERIFY(!QFileInfo::exists(saves.answers[0]));
}

void MainDialogTest::cancelledOpenHidesPreviewAndDropsEarlierAcceptance()
{
    if (!QFileInfo::exists(kAcceptedPhoto))
        QFAIL("fixture id_white.jpg is missing");
    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto, QString()}};
    ScriptedChooser saves;
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();

    dlg.OnOpenPhoto();
    QVERIFY(!g_resultImage.empty());
    dlg.OnOpenPhoto();  // cancelled
    QCOMPARE(opens.calls, 2);
    QVERIFY(g_resultImage.empty());
    QVERIFY(!dlg.m_picture->isVisible());
    QVERIFY(!dlg.m_preview->isVisible());

    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 0);
}

void MainDialogTest::saveBeforeAnyOpenDoesNothing()
{
    CVelmoraDlg dlg;
    ScriptedChooser saves;
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("IDC_SAVE")), Qt::LeftButton);
    QCOMPARE(saves.calls, 0);
    QVERIFY(!dlg.m_preview);
    QVERIFY(dlg.m_picture->isVisible());
}

void MainDialogTest::failedSaveIsToldToTheUser()
{
    if (!QFileInfo::exists(kAcceptedPhoto))
        QFAIL("fixture id_white.jpg is missing");
    QTemporaryDir dir;
    const QString unreachable = dir.filePath(QStringLiteral("no such folder/photo.jpg"));
    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto}};
    ScriptedChooser saves{{unreachable}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();
    dlg.OnOpenPhoto();
    QVERIFY(!g_resultImage.empty());

    QString message;
    AnswerNextMessageBox(&message);
    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 1);
    QVERIFY2(message.startsWith(QStringLiteral("照片保存失败：")), qPrintable(message));
    QVERIFY(message.size() > QStringLiteral("照片保存失败：").size());  // names the reason
    QVERIFY(!QFileInfo::exists(unreachable));
}

void MainDialogTest::emptyDisplayImageLeavesPreviewBlank()
{
    CVelmoraDlg dlg;
    dlg.show();
    dlg.PreparePreview();
    dlg.ShowInPreview(Image());
    QVERIFY(dlg.m_picture->isVisible());
    QVERIFY(dlg.m_preview->ShownImage().isNull());
    // Painting it must not fail; what shows is the white frame beneath.
    const QImage shot = dlg.m_picture->grab().toImage();
    QCOMPARE(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(Qt::white));
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
