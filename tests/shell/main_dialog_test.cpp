// The main dialog in-process: layout, keys, and the Open and Save commands with the file
// choosers replaced. The test program lives in the build's program directory, so the dialog
// finds setting.ini, the cascade and the tip pictures there, whatever the working directory.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "shell/artwork.h"
#include "shell/dialog_units.h"
#include "shell/image_convert.h"
#include "shell/picture_button.h"
#include "shell/preview_panel.h"
#include "shell/reason_line.h"
#include "shell/requirements_card.h"
#include "shell/sample_backdrop.h"
#include "shell/velmora_dlg.h"
#include "portrait_scenes.h"

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

// A file with the given bytes; false when it could not be written.
bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A small white PNG picture, whatever name it is given: not a photo the check accepts.
bool WriteWhitePng(const QString& path)
{
    QImage picture(60, 80, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture.save(path, "PNG");
}

QPushButton* Button(const CVelmoraDlg& dlg, const char* id)
{
    return dlg.findChild<QPushButton*>(QString::fromLatin1(id));
}

// Waits for the check the dialog runs on its worker thread, if any, to end.
[[nodiscard]] bool WaitForCheck(const CVelmoraDlg& dlg)
{
    return QTest::qWaitFor([&dlg] { return !dlg.CheckRunning(); }, 20000);
}

// Open as the button does, then wait for the check it started.
[[nodiscard]] bool OpenAndWait(CVelmoraDlg& dlg)
{
    dlg.OnOpenPhoto();
    return WaitForCheck(dlg);
}

// Drags the data over the dialog and drops it there, as a file manager would; true when the
// dialog took the drop. Waits for the check the drop started.
bool DropOn(CVelmoraDlg& dlg, const QList<QUrl>& urls, bool* enterAccepted = nullptr)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint where(300, 300);
    QDragEnterEvent enter(where, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &enter);
    if (enterAccepted)
        *enterAccepted = enter.isAccepted();
    QDropEvent drop(QPointF(where), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &drop);
    return WaitForCheck(dlg) && drop.isAccepted();
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
    void init()
    {
        g_resultImage.release();
        // A committed fixture that is missing is a broken checkout: fail rather than skip.
        if (!QFileInfo::exists(kAcceptedPhoto))
            QFAIL("fixture id_white.jpg is missing");
    }

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
    void saveIsEnabledOnlyWithAnAcceptedPhoto();
    void failedSaveIsToldToTheUser();
    void savedPhotoIsToldOnTheReasonLine();
    void advisedPhotoStaysAcceptedAndSaysWhy();
    void openedPhotoIsNeverSavedOver();
    void dialogsStartInTheFolderOfTheLastPhoto();
    void droppedPhotoIsCheckedAsIfOpened();
    void otherDropsAreRefused();
    void secondOpenIsIgnoredWhileACheckRuns();
    void closingDuringACheckLeavesItToFinish();
    void backgroundDragMovesTheWindow();
    void requirementsCardIsDrawnFromTheSettings();
    void emptyDisplayImageLeavesPreviewBlank();
    void fixMakesAPhoneFramedPhotoPassAndSaveWritesTheCopy();
    void fixSaysWhyWhenNoCopyCanBeMade();
    void fixedCopyThatStillFailsIsToldAndNotSaved();
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
    QCOMPARE(labels.size(), 2);
    const auto version = std::ranges::find_if(labels, [](const QLabel* label) {
        return label->text() == QStringLiteral(" 版本号：v2.0_2");
    });
    QVERIFY(version != labels.end());
    QCOMPARE((*version)->geometry(), QRect(595, 460, 96, 19));
    // The reason line spans the strip under the sample and the preview.
    QVERIFY(dlg.m_reasonLine);
    QCOMPARE(dlg.m_reasonLine->geometry(), QRect(40, 406, 394, 42));
    QCOMPARE(dlg.m_reasonLine->Tone(), ReasonTone::Hint);

    // Every picture is drawn at the size it is shown: nothing is stretched at 100 %, and the
    // doubled pictures are exactly twice as large.
    const SharpPixmap background = LoadSharpPixmap(QString::fromLatin1(kBackgroundPicture));
    QCOMPARE(background.normal.size(), dlg.size());
    QCOMPARE(background.doubled.size(), dlg.size() * 2);
    for (const char* id : {"IDC_OPEN", "IDC_SAVE", "IDC_EXIT"}) {
        const auto* button = dlg.findChild<CPictureButton*>(QString::fromLatin1(id));
        QVERIFY2(button, id);
        QCOMPARE(button->Face().size(), button->size());
    }
    // Tips are the program's data, drawn at twice the frame: shrunk at 100 %, never stretched up.
    const QString tip = QString::fromStdU16String((g_exeDir / TipPicturePath(TipImage::BackgroundNotPlain)).u16string());
    QCOMPARE(QImageReader(tip).size(), dlg.m_picture->size() * 2);

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
    ScriptedChooser opens{{kAcceptedPhoto}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto* open = Button(dlg, "IDC_OPEN");
    auto* exit = Button(dlg, "IDC_EXIT");
    auto* save = Button(dlg, "IDC_SAVE");
    QCOMPARE(QApplication::focusWidget(), open);

    // Tab order of the template: open, exit, save; the exit button takes no focus from Tab,
    // and Save none while it has nothing to save.
    QCOMPARE(open->nextInFocusChain(), exit);
    QCOMPARE(exit->nextInFocusChain(), save);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), open);

    // Enter presses the focused button: the open command asks for a file.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(WaitForCheck(dlg));
    QCOMPARE(opens.calls, 1);
    QVERIFY(save->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), save);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), open);

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
    QTemporaryDir out;
    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto}};
    ScriptedChooser saves{{out.filePath(QStringLiteral("报名照片.jpg")), out.filePath(QStringLiteral("second.jpg"))}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();

    QVERIFY(OpenAndWait(dlg));
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
    QVERIFY(WriteWhitePng(notJpeg));

    CVelmoraDlg dlg;
    ScriptedChooser opens{{notJpeg}};
    ScriptedChooser saves{{dir.filePath(QStringLiteral("out.jpg"))}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();

    QVERIFY(OpenAndWait(dlg));
    QVERIFY(g_resultImage.empty());
    QVERIFY(!g_verdict.jpeg);
    QVERIFY(dlg.m_preview->isVisible());
    // The tip picture from the program's tips/ folder, as the check decoded it.
    const QImage expected = ToQImage(cv::imread((g_exeDir / TipPicturePath(TipImage::NotJpeg)).string(), cv::IMREAD_COLOR));
    QVERIFY(!expected.isNull());
    QCOMPARE(dlg.m_preview->ShownImage(), expected);
    QCOMPARE(dlg.m_reasonLine->Tone(), ReasonTone::Failure);
    QVERIFY2(dlg.m_reasonLine->text().contains(QStringLiteral("JPEG")), qPrintable(dlg.m_reasonLine->text()));

    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 0);
    QVERIFY(!QFileInfo::exists(saves.answers[0]));
}

void MainDialogTest::cancelledOpenHidesPreviewAndDropsEarlierAcceptance()
{
    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto, QString()}};
    ScriptedChooser saves;
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();

    QVERIFY(OpenAndWait(dlg));
    QVERIFY(!g_resultImage.empty());
    QVERIFY(OpenAndWait(dlg));  // cancelled
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
    QTest::mouseClick(Button(dlg, "IDC_SAVE"), Qt::LeftButton);
    // The handler itself returns at once as well, whatever calls it.
    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 0);
    QVERIFY(!dlg.m_preview);
    QVERIFY(dlg.m_picture->isVisible());
}

void MainDialogTest::saveIsEnabledOnlyWithAnAcceptedPhoto()
{
    QTemporaryDir dir;
    const QString notJpeg = dir.filePath(QStringLiteral("notes.jpg"));
    QVERIFY(WriteFile(notJpeg, "plain text, not a photo"));

    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto, notJpeg, kAcceptedPhoto, QString()}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.show();
    auto* save = Button(dlg, "IDC_SAVE");
    const struct {
        const char* after;
        bool enabled;
    } steps[] = {{"an accepted photo", true}, {"a rejected one", false}, {"an accepted one again", true},
                 {"a cancelled Open", false}};
    QVERIFY(!save->isEnabled());
    for (const auto& step : steps) {
        QVERIFY(OpenAndWait(dlg));
        QVERIFY2(save->isEnabled() == step.enabled, step.after);
        QCOMPARE(save->isEnabled(), !g_resultImage.empty());
    }
    // A disabled face looks it: fainter than the enabled one.
    const QImage disabled = save->grab().toImage();
    QVERIFY(OpenAndWait(dlg));  // the chooser has no more answers: still nothing to save
    save->setEnabled(true);
    const QImage enabled = save->grab().toImage();
    const QPoint middle(save->width() / 2, save->height() / 4);
    QVERIFY(qGray(disabled.pixel(middle)) > qGray(enabled.pixel(middle)) + 40);
}

void MainDialogTest::failedSaveIsToldToTheUser()
{
    QTemporaryDir dir;
    const QString unreachable = dir.filePath(QStringLiteral("no such folder/photo.jpg"));
    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto}};
    ScriptedChooser saves{{unreachable}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();
    QVERIFY(OpenAndWait(dlg));
    QVERIFY(!g_resultImage.empty());

    QString message;
    AnswerNextMessageBox(&message);
    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 1);
    QVERIFY2(message.startsWith(QStringLiteral("照片保存失败：")), qPrintable(message));
    QVERIFY(message.size() > QStringLiteral("照片保存失败：").size());  // names the reason
    QVERIFY(!QFileInfo::exists(unreachable));
    // The line under the preview keeps saying so once the box is gone.
    QCOMPARE(dlg.m_reasonLine->Tone(), ReasonTone::Failure);
    QCOMPARE(dlg.m_reasonLine->text(), message);
}

void MainDialogTest::savedPhotoIsToldOnTheReasonLine()
{
    QTemporaryDir dir;
    // A deep folder: the line shortens it, the tooltip keeps it whole.
    const QString folder = dir.filePath(QStringLiteral("一个很长的文件夹名称/another rather long folder name/报名材料"));
    QVERIFY(QDir().mkpath(folder));
    const QString target = QDir(folder).filePath(QStringLiteral("报名照片.jpg"));
    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto}};
    ScriptedChooser saves{{target}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();
    QVERIFY(OpenAndWait(dlg));
    QVERIFY2(dlg.m_reasonLine->text().startsWith(QStringLiteral("审核通过，可点击“保存照片”")),
             qPrintable(dlg.m_reasonLine->text()));

    dlg.OnSavePhoto();
    VerifySavedPhoto(target);
    QCOMPARE(dlg.m_reasonLine->Tone(), ReasonTone::Success);
    const QStringList lines = dlg.m_reasonLine->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("照片已保存为“报名照片.jpg”"));
    QVERIFY2(lines[1].startsWith(QStringLiteral("位置：")), qPrintable(lines[1]));
    QVERIFY2(dlg.m_reasonLine->fontMetrics().horizontalAdvance(lines[1]) <= dlg.m_reasonLine->contentsRect().width(),
             qPrintable(lines[1]));
    QVERIFY2(lines[1].endsWith(QStringLiteral("报名材料")), qPrintable(lines[1]));
    QCOMPARE(dlg.m_reasonLine->toolTip(), QDir::toNativeSeparators(target));
}

// A photo blown up from 63 pixels passes every rule but is soft: still accepted and saveable,
// with the advisory on the strip itself, not only in its tooltip.
void MainDialogTest::advisedPhotoStaysAcceptedAndSaysWhy()
{
    QTemporaryDir out;
    CVelmoraDlg dlg;
    ScriptedChooser opens{{kFixtures + QStringLiteral("calibration/standard_franz_blue_2.jpg")}};
    ScriptedChooser saves{{out.filePath(QStringLiteral("报名照片.jpg"))}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();
    QVERIFY(OpenAndWait(dlg));
    QVERIFY(Button(dlg, "IDC_SAVE")->isEnabled());
    QCOMPARE(dlg.m_reasonLine->Tone(), ReasonTone::Warning);
    const QStringList lines = dlg.m_reasonLine->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("审核通过，但请注意：面部不够清晰"));
    QVERIFY2(lines[1].startsWith(QStringLiteral("细节 ")) && lines[1].contains(QStringLiteral("应至少 18.5%")),
             qPrintable(lines[1]));

    dlg.OnSavePhoto();
    VerifySavedPhoto(saves.answers[0]);
}

void MainDialogTest::openedPhotoIsNeverSavedOver()
{
    QTemporaryDir dir;
    // Named as the Save dialog would propose, so proposing it would invite the user to replace it.
    const QString opened = dir.filePath(QStringLiteral("报名照片.jpg"));
    QVERIFY(QFile::copy(kAcceptedPhoto, opened));
    const std::string before = ReadBytes(opened);

    CVelmoraDlg dlg;
    ScriptedChooser opens{{opened}};
    ScriptedChooser saves{{opened}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();
    QVERIFY(OpenAndWait(dlg));
    QVERIFY(!g_resultImage.empty());
    QCOMPARE(dlg.ProposedSavePath(), dir.filePath(QStringLiteral("报名照片（审核通过）.jpg")));

    QString message;
    AnswerNextMessageBox(&message);
    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 1);
    QVERIFY2(message.contains(QStringLiteral("原照片")), qPrintable(message));
    QCOMPARE(dlg.m_reasonLine->Tone(), ReasonTone::Failure);
    QCOMPARE(ReadBytes(opened), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("报名照片.jpg")});
}

void MainDialogTest::dialogsStartInTheFolderOfTheLastPhoto()
{
    QTemporaryDir first;
    QTemporaryDir second;
    const QString rejected = first.filePath(QStringLiteral("scan.jpg"));
    QVERIFY(WriteFile(rejected, ""));
    const QString accepted = second.filePath(QStringLiteral("me.jpg"));
    QVERIFY(QFile::copy(kAcceptedPhoto, accepted));

    CVelmoraDlg dlg;
    ScriptedChooser opens{{rejected, accepted, QString()}};
    dlg.m_chooseOpenPath = std::ref(opens);
    // Before any photo: a folder of the user's, never the working directory of the moment.
    QVERIFY(QFileInfo(dlg.OpenStartFolder()).isDir());
    QVERIFY(dlg.OpenStartFolder() != QDir::currentPath() || QDir::currentPath() == QDir::homePath());

    QVERIFY(OpenAndWait(dlg));  // rejected, but its folder is where the user is looking
    QCOMPARE(dlg.OpenStartFolder(), QFileInfo(first.path()).absoluteFilePath());
    QVERIFY(OpenAndWait(dlg));
    QCOMPARE(dlg.OpenStartFolder(), QFileInfo(second.path()).absoluteFilePath());
    QCOMPARE(dlg.ProposedSavePath(), QDir(QFileInfo(second.path()).absoluteFilePath()).filePath(QStringLiteral("报名照片.jpg")));
    QVERIFY(OpenAndWait(dlg));  // cancelled: the folder stays
    QCOMPARE(dlg.OpenStartFolder(), QFileInfo(second.path()).absoluteFilePath());
}

void MainDialogTest::droppedPhotoIsCheckedAsIfOpened()
{
    const QString rejectedPhoto = kFixtures + QStringLiteral("two_faces.jpg");
    if (!QFileInfo::exists(rejectedPhoto))
        QFAIL("fixture two_faces.jpg is missing");

    for (const QString& photo : {kAcceptedPhoto, rejectedPhoto}) {
        // Opened through the Open button...
        g_resultImage.release();
        g_verdict = {};
        CVelmoraDlg opened;
        ScriptedChooser opens{{photo}};
        opened.m_chooseOpenPath = std::ref(opens);
        opened.show();
        QVERIFY(OpenAndWait(opened));
        const CheckVerdict openedVerdict = g_verdict;
        const bool openedAccepted = !g_resultImage.empty();
        const QImage openedShown = opened.m_preview->ShownImage();

        // ...and dropped: the same state, the same picture, the same words.
        g_resultImage.release();
        g_verdict = {};
        CVelmoraDlg dropped;
        ScriptedChooser never;
        dropped.m_chooseOpenPath = std::ref(never);
        dropped.show();
        QVERIFY(dropped.acceptDrops());
        bool entered = false;
        QVERIFY(DropOn(dropped, {QUrl::fromLocalFile(photo)}, &entered));
        QVERIFY(entered);
        QCOMPARE(never.calls, 0);
        QCOMPARE(g_verdict, openedVerdict);
        QCOMPARE(!g_resultImage.empty(), openedAccepted);
        QVERIFY(dropped.m_preview && dropped.m_preview->isVisible());
        QCOMPARE(dropped.m_preview->ShownImage(), openedShown);
        QCOMPARE(dropped.m_reasonLine->text(), opened.m_reasonLine->text());
        QCOMPARE(Button(dropped, "IDC_SAVE")->isEnabled(), openedAccepted);
        QCOMPARE(dropped.OpenStartFolder(), QFileInfo(photo).absolutePath());
    }
}

void MainDialogTest::otherDropsAreRefused()
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("photo.png"));
    QVERIFY(WriteWhitePng(png));

    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.show();
    QVERIFY(OpenAndWait(dlg));
    QVERIFY(!g_resultImage.empty());
    const QImage shown = dlg.m_preview->ShownImage();

    // Local files are let in and refused on drop with a line saying why; a web address is
    // refused on entry (the cursor shows it) and says nothing. The accepted photo stays.
    const struct {
        QList<QUrl> urls;
        bool entered;
        QString says;  // empty: the line is left as it was
    } refused[] = {
        {{QUrl::fromLocalFile(png)}, true, QStringLiteral("“photo.png”不是 JPG/JPEG 照片")},
        {{QUrl::fromLocalFile(dir.path())}, true, QStringLiteral("是文件夹")},
        {{QUrl::fromLocalFile(kAcceptedPhoto), QUrl::fromLocalFile(kAcceptedPhoto)}, true,
         QStringLiteral("一次只能拖入一张照片")},
        {{QUrl(QStringLiteral("https://example.invalid/photo.jpg"))}, false, QString()},
    };
    for (const auto& row : refused) {
        const QString before = dlg.m_reasonLine->text();
        bool entered = !row.entered;
        QVERIFY(!DropOn(dlg, row.urls, &entered));
        QCOMPARE(entered, row.entered);
        if (row.says.isEmpty()) {
            QCOMPARE(dlg.m_reasonLine->text(), before);
        } else {
            QVERIFY2(dlg.m_reasonLine->text().contains(row.says), qPrintable(dlg.m_reasonLine->text()));
            QCOMPARE(dlg.m_reasonLine->Tone(), ReasonTone::Warning);
        }
        QVERIFY(!g_resultImage.empty());
        QCOMPARE(dlg.m_preview->ShownImage(), shown);
        QVERIFY(Button(dlg, "IDC_SAVE")->isEnabled());
    }
}

void MainDialogTest::secondOpenIsIgnoredWhileACheckRuns()
{
    QTemporaryDir dir;
    const QString notJpeg = dir.filePath(QStringLiteral("notes.jpg"));
    QVERIFY(WriteFile(notJpeg, "plain text, not a photo"));

    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto, notJpeg}};
    ScriptedChooser saves{{dir.filePath(QStringLiteral("out.jpg"))}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();

    // The check's result comes through the event loop, so it is still running here.
    dlg.OnOpenPhoto();
    QVERIFY(dlg.CheckRunning());
    QCOMPARE(QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : Qt::ArrowCursor,
             Qt::WaitCursor);
    // A second Open, a Save and a drop meanwhile do nothing, now or later.
    dlg.OnOpenPhoto();
    QTest::mouseClick(Button(dlg, "IDC_OPEN"), Qt::LeftButton);
    dlg.OnSavePhoto();
    bool entered = true;
    QVERIFY(!DropOn(dlg, {QUrl::fromLocalFile(notJpeg)}, &entered));
    QVERIFY(!entered);

    QVERIFY(WaitForCheck(dlg));
    QTest::qWait(50);  // anything queued would have run by now
    QCOMPARE(opens.calls, 1);
    QCOMPARE(saves.calls, 0);
    QVERIFY(!QGuiApplication::overrideCursor());
    // The state is the first photo's, written once its check ended.
    QVERIFY(!g_resultImage.empty());
    QVERIFY(g_verdict.jpeg && g_verdict.faceOk && g_verdict.positionOk);
    QCOMPARE(dlg.m_preview->ShownImage(), ToQImage(g_resultImage));
    QVERIFY(Button(dlg, "IDC_SAVE")->isEnabled());
}

void MainDialogTest::closingDuringACheckLeavesItToFinish()
{
    {
        CVelmoraDlg dlg;
        ScriptedChooser opens{{kAcceptedPhoto}};
        dlg.m_chooseOpenPath = std::ref(opens);
        dlg.show();
        dlg.OnOpenPhoto();
        QVERIFY(dlg.CheckRunning());
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
    }  // the window goes while its check still runs
    // The check finishes with the checker it shares, and nothing is left behind.
    QVERIFY(QThreadPool::globalInstance()->waitForDone(20000));
    QCoreApplication::processEvents();
    QVERIFY(!QGuiApplication::overrideCursor());
}

void MainDialogTest::backgroundDragMovesTheWindow()
{
    CVelmoraDlg dlg;
    ScriptedChooser opens;
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // The cursor travels in screen coordinates while the window moves under it.
    const auto drag = [&dlg](QWidget* on, QPoint from, QPoint by) {
        const QPoint start = dlg.pos();
        const QPoint grip = on->mapToGlobal(from);
        QTest::mousePress(on, Qt::LeftButton, Qt::NoModifier, from);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(on, on->mapFromGlobal(grip + by * step / 4));
        QTest::mouseRelease(on, Qt::LeftButton, Qt::NoModifier, on->mapFromGlobal(grip + by));
        return dlg.pos() - start;
    };

    // The footer, the title band and the version text are handles.
    QCOMPARE(drag(&dlg, QPoint(20, 470), QPoint(40, 30)), QPoint(40, 30));
    QCOMPARE(drag(&dlg, QPoint(300, 20), QPoint(-25, 12)), QPoint(-25, 12));
    auto* version = dlg.findChildren<QLabel*>().constFirst();
    QCOMPARE(drag(version, QPoint(5, 5), QPoint(10, -10)), QPoint(10, -10));
    // The preview, and the buttons, enabled or not, are not.
    QCOMPARE(drag(&dlg, dlg.m_picture->geometry().center(), QPoint(30, 30)), QPoint(0, 0));
    auto* save = Button(dlg, "IDC_SAVE");
    QVERIFY(!save->isEnabled());
    QCOMPARE(drag(save, QPoint(20, 20), QPoint(30, 30)), QPoint(0, 0));
    QCOMPARE(drag(Button(dlg, "IDC_OPEN"), QPoint(20, 20), QPoint(0, 60)), QPoint(0, 0));
    QCOMPARE(opens.calls, 0);  // released off the button: no click either
}

void MainDialogTest::requirementsCardIsDrawnFromTheSettings()
{
    CVelmoraDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const CheckSettings loaded = g_settings;

    CheckSettings strict = loaded;
    strict.bgc = 1;
    strict.min_width = 294;
    strict.min_height = 412;
    strict.pic_min_size = 4;
    strict.pic_max_size = 10240;
    CheckSettings loose = strict;
    loose.bgc = 0;
    loose.min_width = 100;
    loose.min_height = 100;

    const QRect card = kRequirementLinesPixels;
    const QPoint backdrop = kSamplePortraitPixels.topLeft() + QPoint(4, 4);
    g_settings = strict;
    const QImage strictShot = dlg.grab().toImage();
    g_settings = loose;
    const QImage looseShot = dlg.grab().toImage();
    g_settings = loaded;

    QVERIFY(strictShot.copy(card) != looseShot.copy(card));
    // Elsewhere the window looks the same: only what depends on the settings changed.
    QCOMPARE(strictShot.copy(0, 0, dlg.width(), card.top()), looseShot.copy(0, 0, dlg.width(), card.top()));
    QCOMPARE(strictShot.pixelColor(backdrop), SampleBackdrop(strict));
    QCOMPARE(looseShot.pixelColor(backdrop), QColor(Qt::white));
    QVERIFY(SampleBackdrop(strict) != QColor(Qt::white));
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

void MainDialogTest::fixMakesAPhoneFramedPhotoPassAndSaveWritesTheCopy()
{
    QTemporaryDir dir;
    const QString phone = dir.filePath(QStringLiteral("phone.jpg"));
    const std::vector<std::uint8_t> bytes =
        portrait_scenes::EncodeJpeg(portrait_scenes::Scene({3024, 4032}, {portrait_scenes::Placement{}}));
    const std::string original(bytes.begin(), bytes.end());
    QVERIFY(WriteFile(phone, QByteArray::fromStdString(original)));

    CVelmoraDlg dlg;
    ScriptedChooser opens{{kAcceptedPhoto, phone}};
    ScriptedChooser saves{{dir.filePath(QStringLiteral("报名照片.jpg"))}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();

    // An accepted photo is offered nothing.
    QVERIFY(OpenAndWait(dlg));
    QVERIFY(!dlg.FixOffered());
    QVERIFY(dlg.m_reasonLine->OfferedAction().isEmpty());

    // As the phone took it, the face is too small for the detector at the normalised size.
    QVERIFY(OpenAndWait(dlg));
    QVERIFY(g_resultImage.empty());
    QVERIFY(!g_verdict.faceOk);
    QVERIFY(dlg.FixOffered());
    QCOMPARE(dlg.m_reasonLine->OfferedAction(), QStringLiteral("自动调整"));
    QVERIFY(dlg.m_reasonLine->text().contains(QStringLiteral("<a href=\"action\">")));

    emit dlg.m_reasonLine->linkActivated(QStringLiteral("action"));
    QVERIFY(WaitForCheck(dlg));
    QVERIFY(!g_resultImage.empty());
    QVERIFY(g_verdict.faceOk && g_verdict.positionOk);
    QCOMPARE(g_resultImage.cols, g_settings.dst_width);
    QCOMPARE(dlg.m_preview->ShownImage(), ToQImage(g_resultImage));
    QVERIFY(dlg.m_reasonLine->Tone() != ReasonTone::Failure);
    QVERIFY2(dlg.m_reasonLine->text().startsWith(QStringLiteral("已按标准构图裁剪。")), qPrintable(dlg.m_reasonLine->text()));
    QVERIFY(!dlg.FixOffered());
    QVERIFY(Button(dlg, "IDC_SAVE")->isEnabled());

    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 1);
    VerifySavedPhoto(saves.answers[0]);
    const cv::Mat saved = cv::imread(saves.answers[0].toStdString(), cv::IMREAD_COLOR);
    QCOMPARE(saved.cols, g_settings.dst_width);
    QCOMPARE(saved.rows, g_settings.dst_height);
    QCOMPARE(ReadBytes(phone), original);
}

void MainDialogTest::fixSaysWhyWhenNoCopyCanBeMade()
{
    CVelmoraDlg dlg;
    ScriptedChooser opens{{kFixtures + QStringLiteral("no_face.jpg")}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.show();
    QVERIFY(OpenAndWait(dlg));
    QVERIFY(dlg.FixOffered());
    emit dlg.m_reasonLine->linkActivated(QStringLiteral("action"));
    QVERIFY(WaitForCheck(dlg));
    QCOMPARE(dlg.m_reasonLine->Tone(), ReasonTone::Failure);
    QCOMPARE(dlg.m_reasonLine->text(), QStringLiteral("无法自动调整：整张照片中没有检测到人脸"));
    QVERIFY(g_resultImage.empty());
    QVERIFY(!dlg.FixOffered());
}

void MainDialogTest::fixedCopyThatStillFailsIsToldAndNotSaved()
{
    // A portrait before a brick wall stored sideways under tag 8: turned and framed, the copy's
    // top corners still show the wall, and its own rejection is what the applicant sees.
    QTemporaryDir dir;
    const QString sideways = dir.filePath(QStringLiteral("sideways.jpg"));
    const cv::Mat upright = cv::imread((kFixtures + QStringLiteral("calibration/cluttered_bradney_brick.jpg")).toStdString(), cv::IMREAD_COLOR);
    const std::vector<std::uint8_t> bytes = portrait_scenes::WithOrientation(
        portrait_scenes::EncodeJpeg(portrait_scenes::StoredFor(upright, 8), 95), 8);
    QVERIFY(WriteFile(sideways, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))));

    CVelmoraDlg dlg;
    ScriptedChooser opens{{sideways}};
    ScriptedChooser saves{{dir.filePath(QStringLiteral("out.jpg"))}};
    dlg.m_chooseOpenPath = std::ref(opens);
    dlg.m_chooseSavePath = std::ref(saves);
    dlg.show();
    QVERIFY(OpenAndWait(dlg));
    QVERIFY(!g_verdict.dimsOk);
    emit dlg.m_reasonLine->linkActivated(QStringLiteral("action"));
    QVERIFY(WaitForCheck(dlg));
    QCOMPARE(dlg.m_reasonLine->Tone(), ReasonTone::Failure);
    QVERIFY2(dlg.m_reasonLine->text().startsWith(QStringLiteral("已按标准构图裁剪并旋转，但调整后的照片仍未通过：")),
             qPrintable(dlg.m_reasonLine->text()));
    QVERIFY(g_verdict.dimsOk && !g_verdict.backgroundOk);
    QVERIFY(g_resultImage.empty());
    QVERIFY(!Button(dlg, "IDC_SAVE")->isEnabled());
    dlg.OnSavePhoto();
    QCOMPARE(saves.calls, 0);
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
