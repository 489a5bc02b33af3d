#include "shell/velmora_dlg.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>
#include <QtConcurrent/QtConcurrentRun>

#include "shell/fix_text.h"
#include "shell/image_convert.h"
#include "shell/photo_drop.h"
#include "shell/picture_button.h"
#include "shell/preview_panel.h"
#include "shell/reason_line.h"
#include "shell/reason_text.h"
#include "shell/requirements_card.h"
#include "shell/sample_backdrop.h"
#include "shell/window_fit.h"

namespace {

// The engine takes std::filesystem paths; UTF-16 keeps every name intact on every platform.
std::filesystem::path ToPath(const QString& path) { return std::filesystem::path(path.toStdU16String()); }

[[noreturn]] void ExitWithMessage(const QString& text)
{
    QMessageBox message(QMessageBox::Warning, ApplicationCaption(), text, QMessageBox::Ok);
    message.exec();
    std::exit(0);
}

void ShowWarning(QWidget* parent, const QString& text)
{
    QMessageBox message(QMessageBox::Warning, ApplicationCaption(), text, QMessageBox::Ok, parent);
    message.exec();
}

}  // namespace

QString SettingsFailureText(const velmora::SettingsLoad& load)
{
    // A folder or an unreadable file in its place is as good as no settings file.
    if (load.status == velmora::SettingsStatus::OutOfRange)
        return QStringLiteral("setting.ini 中 %1 的值超出范围！").arg(QString::fromStdString(load.key));
    return QStringLiteral("setting.ini文件丢失！");
}

QString ExportFailureText(const velmora::ExportResult& result)
{
    using velmora::ExportError;
    switch (result.error) {
    case ExportError::None:
        return {};
    case ExportError::NothingToSave:
        return QStringLiteral("没有可保存的照片");
    case ExportError::UnsupportedExtension:
        return QStringLiteral("不支持的文件类型“%1”").arg(QString::fromStdString(result.extension));
    case ExportError::CannotWrite:
        return QStringLiteral("无法写入目标文件夹（文件夹不存在、无写权限或磁盘已满）");
    case ExportError::TargetExists:
        return QStringLiteral("目标文件已存在");
    case ExportError::CannotReplace:
        return QStringLiteral("无法替换目标文件");
    }
    return {};
}

QString ApplicationCaption()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

CVelmoraDlg::CVelmoraDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), m_hIcon(LoadApplicationIcon())
{
    LocateProgramDirectory();
    if (const velmora::SettingsLoad load = LoadCheckSettings(); !load)
        ExitWithMessage(SettingsFailureText(load));
    m_checker = std::make_shared<velmora::PhotoChecker>(g_settings, g_exeDir);
    if (!m_checker->HasFaceDetector())
        ExitWithMessage(QStringLiteral("%1文件丢失！").arg(QString::fromLatin1(velmora::kFaceCascadeFileName)));

    m_chooseOpenPath = [this] { return ChooseOpenPathNatively(); };
    m_chooseSavePath = [this] { return ChooseSavePathNatively(); };

    // Window managers find the frameless window by this title; it is drawn nowhere.
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(m_hIcon);
    m_baseUnits = DialogBaseUnitsForDpi(logicalDpiX(), logicalDpiY());
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen)
        m_fitScale = ScaleToFit(DialogUnitsToPixels(kMainDialogUnits, m_baseUnits).size(),
                                screen->availableGeometry().size());
    QFont dialogFont = font();
    dialogFont.setPointSizeF(9 * m_fitScale);
    setFont(dialogFont);
    setFixedSize(ToPixels(kMainDialogUnits).size());
    m_background = LoadSharpPixmap(QString::fromLatin1(kBackgroundPicture));
    m_samplePortrait = LoadSharpPixmap(QString::fromLatin1(kSamplePortraitPicture));
    setAcceptDrops(true);

    const auto makeButton = [this](const QString& text, const char* id, const char* face, const QRect& units) {
        auto* button = new CPictureButton(text, this);
        button->setObjectName(QString::fromLatin1(id));
        button->setGeometry(ToPixels(units));
        button->SetFace(LoadSharpPixmap(QString::fromLatin1(face)));
        // Enter presses whichever button has the focus.
        button->setAutoDefault(true);
        return button;
    };
    m_openButton = makeButton(QStringLiteral("打开"), "IDC_OPEN", kOpenButtonFace, kOpenButtonUnits);
    m_exitButton = makeButton(QStringLiteral("退出"), "IDC_EXIT", kExitButtonFace, kExitButtonUnits);
    m_saveButton = makeButton(QStringLiteral("保存"), "IDC_SAVE", kSaveButtonFace, kSaveButtonUnits);
    // The exit button is no tab stop: a stray Tab and Enter must not end the program.
    m_exitButton->setFocusPolicy(Qt::ClickFocus);

    m_picture = new QFrame(this);
    m_picture->setObjectName(QStringLiteral("IDC_PICTURE"));
    m_picture->setGeometry(ToPixels(kPictureUnits));
    m_picture->setAutoFillBackground(true);
    QPalette white = m_picture->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_picture->setPalette(white);

    m_versionText = new QLabel(QStringLiteral(" 版本号：v2.0_2"), this);
    m_versionText->setTextFormat(Qt::PlainText);
    m_versionText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_versionText->setGeometry(ToPixels(kVersionTextUnits));

    m_reasonLine = new CReasonLine(this);
    m_reasonLine->setObjectName(QStringLiteral("ReasonLine"));
    m_reasonLine->setGeometry(ToPixels(kReasonLineUnits));
    UpdateSaveButton();

    setTabOrder(m_openButton, m_exitButton);
    setTabOrder(m_exitButton, m_saveButton);
    m_openButton->setFocus();

    connect(m_exitButton, &QPushButton::clicked, this, &CVelmoraDlg::OnExitApp);
    connect(m_openButton, &QPushButton::clicked, this, &CVelmoraDlg::OnOpenPhoto);
    connect(m_saveButton, &QPushButton::clicked, this, &CVelmoraDlg::OnSavePhoto);
    connect(&m_checkWatcher, &QFutureWatcher<CheckRun>::finished, this, &CVelmoraDlg::OnCheckFinished);
    connect(&m_fixWatcher, &QFutureWatcher<FixRun>::finished, this, &CVelmoraDlg::OnFixFinished);
    connect(m_reasonLine, &CReasonLine::ActionTaken, this, &CVelmoraDlg::OnFixPhoto);

    if (screen) {
        QRect centred(QPoint(), size());
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
}

QRect CVelmoraDlg::ToPixels(const QRect& dialogUnits) const
{
    return ScaledRect(DialogUnitsToPixels(dialogUnits, m_baseUnits), m_fitScale);
}

void CVelmoraDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_background.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawPixmap(rect(), m_background.ForRatio(devicePixelRatioF()));

    // What depends on the settings is drawn over the artwork, in the artwork's own pixels
    // whatever the window's size at this screen's DPI.
    painter.scale(width() / qreal(kArtworkSize.width()), height() / qreal(kArtworkSize.height()));
    const QRectF sample(kSamplePortraitPixels);
    painter.fillRect(sample, SampleBackdrop(g_settings));
    const QPixmap& portrait = m_samplePortrait.ForRatio(devicePixelRatioF() * painter.transform().m11());
    painter.drawPixmap(sample, portrait, QRectF(portrait.rect()));
    PaintRequirementLines(painter, QRectF(kRequirementLinesPixels), RequirementLines(g_settings));
}

void CVelmoraDlg::mousePressEvent(QMouseEvent* event)
{
    // Buttons take their own presses (Qt hands a disabled one's to nobody); the preview is no
    // handle, so a click on the photo does not start a move.
    if (event->button() != Qt::LeftButton || m_picture->geometry().contains(event->position().toPoint())) {
        QDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    // The window manager moves the window where it can: it keeps the window on screen and
    // snaps it as the user expects. Elsewhere the window follows the cursor itself.
    if (QWindow* window = windowHandle(); window && window->startSystemMove())
        return;
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void CVelmoraDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragOffset) {
        QDialog::mouseMoveEvent(event);
        return;
    }
    move(event->globalPosition().toPoint() - *m_dragOffset);
    event->accept();
}

void CVelmoraDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragOffset && event->button() == Qt::LeftButton) {
        m_dragOffset.reset();
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

PhotoDrop CVelmoraDlg::ExamineDrop(const QMimeData* mime) const
{
    return mime ? ExaminePhotoDrop(*mime, FilterPatterns(QString::fromLatin1(kOpenPhotoFilter))) : PhotoDrop{};
}

void CVelmoraDlg::dragEnterEvent(QDragEnterEvent* event)
{
    // Ignored drags show the no-drop cursor for as long as they hover over the window. Local
    // files that cannot be opened are let in, so that the drop can say why it opens nothing.
    if (CheckRunning() || ExamineDrop(event->mimeData()).refusal == DropRefusal::NoLocalFile) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void CVelmoraDlg::dropEvent(QDropEvent* event)
{
    const PhotoDrop drop = ExamineDrop(event->mimeData());
    // A refused drop is ignored, so that no file manager takes it for a finished move.
    if (CheckRunning() || drop.refusal != DropRefusal::None) {
        event->ignore();
        if (!CheckRunning() && drop.refusal != DropRefusal::NoLocalFile)
            m_reasonLine->Show(ReasonTone::Warning, DropRefusalText(drop));
        return;
    }
    // A copy, never a move: the photo stays where the user keeps it.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    OpenPhoto([path = drop.path] { return path; });
}

CVelmoraDlg::CBusyCursor::CBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }

CVelmoraDlg::CBusyCursor::~CBusyCursor() { QGuiApplication::restoreOverrideCursor(); }

void CVelmoraDlg::OnExitApp()
{
    // A check still running is abandoned rather than waited for: the program ends at once,
    // without the destructors of what that check still uses (no exit handlers are registered).
    if (CheckRunning())
        std::_Exit(0);
    std::exit(0);
}

void CVelmoraDlg::PreparePreview()
{
    if (!m_preview) {
        m_preview = new CPreviewPanel(m_picture);
        m_preview->setObjectName(QStringLiteral("ImageShow"));
    }
    m_preview->setGeometry(m_picture->contentsRect());
    m_preview->show();
    m_picture->hide();
}

void CVelmoraDlg::ShowInPreview(const velmora::Image& image)
{
    if (m_preview)
        m_preview->SetImage(ToQImage(image));
    m_picture->show();
}

void CVelmoraDlg::UpdateSaveButton() { m_saveButton->setEnabled(!g_resultImage.empty()); }

void CVelmoraDlg::OnOpenPhoto()
{
    // Ignored, not queued: a click made while a photo is checked must not open a dialog later.
    if (CheckRunning())
        return;
    OpenPhoto(m_chooseOpenPath);
}

void CVelmoraDlg::OpenPhoto(const std::function<QString()>& choosePath)
{
    m_fixable.reset();
    g_resultImage.release();
    UpdateSaveButton();
    m_reasonLine->ShowHint();
    PreparePreview();
    const QString path = choosePath ? choosePath() : QString();
    if (path.isEmpty())
        return;
    m_lastPhoto = QFileInfo(path).absoluteFilePath();
    CheckPhoto(path);
}

void CVelmoraDlg::CheckPhoto(const QString& path)
{
    m_busy.emplace();
    // The worker touches nothing of the window's nor the process-wide state: those are
    // written here, on the GUI thread, once the check has ended.
    m_checkWatcher.setFuture(QtConcurrent::run([checker = m_checker, photo = ToPath(path)]() -> CheckRun {
        try {
            return {checker->Check(photo), {}};
        } catch (const std::exception& error) {
            return {{}, QString::fromStdString(error.what())};
        }
    }));
}

void CVelmoraDlg::OnCheckFinished()
{
    const CheckRun run = m_checkWatcher.result();
    m_busy.reset();
    if (!run.failure.isNull()) {
        // A check that breaks down must not take the program with it, nor leave a photo to save.
        g_resultImage.release();
        ShowInPreview(velmora::Image());
        UpdateSaveButton();
        const QString text = QStringLiteral("照片检查失败：%1").arg(run.failure);
        m_reasonLine->Show(ReasonTone::Failure, text);
        ShowWarning(this, text);
        return;
    }
    RecordOutcome(run.outcome);
    ShowInPreview(run.outcome.display);
    UpdateSaveButton();
    const ReasonText reason = DescribeOutcome(run.outcome, g_settings);
    m_reasonLine->Show(reason.tone, reason.text);
    if (velmora::IsFixOffered(run.outcome)) {
        m_fixable = run.outcome;
        m_reasonLine->OfferAction(kFixActionLabel);
    }
}

void CVelmoraDlg::OnFixPhoto()
{
    if (CheckRunning() || !m_fixable || m_lastPhoto.isEmpty())
        return;
    m_busy.emplace();
    // The opened file is only read again; the copy lives in memory until Save writes it.
    m_fixWatcher.setFuture(QtConcurrent::run(
        [checker = m_checker, photo = ToPath(m_lastPhoto), checked = *m_fixable]() -> FixRun {
            try {
                return {velmora::FixPhotoFile(*checker, photo, checked), {}};
            } catch (const std::exception& error) {
                return {{}, QString::fromStdString(error.what())};
            }
        }));
}

void CVelmoraDlg::OnFixFinished()
{
    const FixRun run = m_fixWatcher.result();
    m_busy.reset();
    const std::optional<velmora::CheckOutcome> original = std::exchange(m_fixable, std::nullopt);
    if (!run.failure.isNull()) {
        m_reasonLine->Show(ReasonTone::Failure, QStringLiteral("自动调整失败：%1").arg(run.failure));
        return;
    }
    if (!run.fix.Made() || !run.fix.outcome || !original) {
        m_reasonLine->Show(ReasonTone::Failure, FixRefusedText(run.fix));
        return;
    }
    // From here on the copy stands for the photo: its verdict, its preview, and what Save writes.
    const velmora::CheckOutcome& copy = *run.fix.outcome;
    RecordOutcome(copy);
    ShowInPreview(copy.display);
    UpdateSaveButton();
    const ReasonText reason = DescribeOutcome(copy, g_settings);
    const QString done = FixDoneText(run.fix, *original);
    m_reasonLine->Show(reason.tone, copy.accepted ? done + QStringLiteral("。") + reason.text
                                                  : done + QStringLiteral("，但调整后的照片仍未通过：") + reason.text);
}

void CVelmoraDlg::OnSavePhoto()
{
    if (g_resultImage.empty() || CheckRunning())
        return;
    const QString path = m_chooseSavePath ? m_chooseSavePath() : QString();
    if (path.isEmpty())
        return;

    // The photo the applicant opened stays as it was, even if chosen as the target.
    std::error_code sameError;
    if (!m_lastPhoto.isEmpty() && std::filesystem::equivalent(ToPath(path), ToPath(m_lastPhoto), sameError)) {
        TellSaveFailure(QStringLiteral("不能覆盖打开的原照片，请换一个文件名"));
        return;
    }

    QString failure;
    try {
        if (const auto result = velmora::ExportAcceptedPhoto(g_resultImage, g_verdict.stamped, ToPath(path)); !result)
            failure = ExportFailureText(result);
    } catch (const std::exception& error) {
        failure = QString::fromStdString(error.what());
    }
    if (!failure.isNull()) {
        TellSaveFailure(failure);
        return;
    }
    m_reasonLine->ShowSaved(path);
}

void CVelmoraDlg::TellSaveFailure(const QString& reason)
{
    // Told twice: the box cannot be missed, and the line keeps it in view afterwards. The
    // applicant would otherwise hand in a file that was never written.
    const QString text = QStringLiteral("照片保存失败：%1").arg(reason);
    m_reasonLine->Show(ReasonTone::Failure, text);
    ShowWarning(this, text);
}

QString CVelmoraDlg::OpenStartFolder() const
{
    if (!m_lastPhoto.isEmpty())
        return QFileInfo(m_lastPhoto).absolutePath();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

QString CVelmoraDlg::ProposedSavePath() const
{
    const QDir folder(OpenStartFolder());
    const QString name = QString::fromUtf8(kProposedSaveName);
    const QString proposed = folder.filePath(name + QStringLiteral(".jpg"));
    std::error_code error;
    if (!m_lastPhoto.isEmpty() && std::filesystem::equivalent(ToPath(proposed), ToPath(m_lastPhoto), error))
        return folder.filePath(name + QStringLiteral("（审核通过）.jpg"));
    return proposed;
}

QString CVelmoraDlg::ChooseOpenPathNatively()
{
    return QFileDialog::getOpenFileName(this, QStringLiteral("打开"), OpenStartFolder(),
                                        QString::fromLatin1(kOpenPhotoFilter));
}

QString CVelmoraDlg::ChooseSavePathNatively()
{
    const QFileInfo proposed(ProposedSavePath());
    QFileDialog dialog(this, QStringLiteral("另存为"), proposed.absolutePath(), QString::fromLatin1(kSavePhotoFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    dialog.selectFile(proposed.completeBaseName());
    // Replacing an existing file is confirmed by the dialog: its overwrite prompt stays on.
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}
