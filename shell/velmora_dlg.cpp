#include "shell/velmora_dlg.h"

#include <cstdlib>
#include <exception>
#include <filesystem>

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>

#include "shell/artwork.h"
#include "shell/image_convert.h"
#include "shell/picture_button.h"
#include "shell/preview_panel.h"

namespace {

// The engine takes std::filesystem paths; UTF-16 keeps every name intact on every platform.
std::filesystem::path ToPath(const QString& path) { return std::filesystem::path(path.toStdU16String()); }

// The wait cursor for as long as a check runs, restored however the check ends.
class CBusyCursor {
public:
    CBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CBusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    CBusyCursor(const CBusyCursor&) = delete;
    CBusyCursor& operator=(const CBusyCursor&) = delete;
};

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
    m_checker.emplace(g_settings, g_exeDir);
    if (!m_checker->HasFaceDetector())
        ExitWithMessage(QStringLiteral("%1文件丢失！").arg(QString::fromLatin1(velmora::kFaceCascadeFileName)));

    m_chooseOpenPath = [this] { return ChooseOpenPathNatively(); };
    m_chooseSavePath = [this] { return ChooseSavePathNatively(); };

    // Window managers find the frameless window by this title; it is drawn nowhere.
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(m_hIcon);
    QFont dialogFont = font();
    dialogFont.setPointSize(9);
    setFont(dialogFont);

    m_baseUnits = DialogBaseUnitsForDpi(logicalDpiX(), logicalDpiY());
    setFixedSize(ToPixels(kMainDialogUnits).size());
    m_background.load(QString::fromLatin1(kBackgroundPicture));

    const auto makeButton = [this](const QString& text, const char* id, const char* face, const QRect& units) {
        auto* button = new CPictureButton(text, this);
        button->setObjectName(QString::fromLatin1(id));
        button->setGeometry(ToPixels(units));
        button->SetFace(QPixmap(QString::fromLatin1(face)));
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

    setTabOrder(m_openButton, m_exitButton);
    setTabOrder(m_exitButton, m_saveButton);
    m_openButton->setFocus();

    connect(m_exitButton, &QPushButton::clicked, this, &CVelmoraDlg::OnExitApp);
    connect(m_openButton, &QPushButton::clicked, this, &CVelmoraDlg::OnOpenPhoto);
    connect(m_saveButton, &QPushButton::clicked, this, &CVelmoraDlg::OnSavePhoto);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect centred(QPoint(), size());
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
}

QRect CVelmoraDlg::ToPixels(const QRect& dialogUnits) const { return DialogUnitsToPixels(dialogUnits, m_baseUnits); }

void CVelmoraDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_background.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_background);
}

void CVelmoraDlg::OnExitApp() { std::exit(0); }

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

void CVelmoraDlg::OnOpenPhoto()
{
    g_resultImage.release();
    PreparePreview();
    const QString path = m_chooseOpenPath ? m_chooseOpenPath() : QString();
    if (path.isEmpty())
        return;

    velmora::CheckOutcome outcome;
    QString failure;
    try {
        const CBusyCursor busy;
        outcome = m_checker->Check(ToPath(path));
        RecordOutcome(outcome);
    } catch (const std::exception& error) {
        // A check that breaks down must not take the program with it, nor leave a photo to save.
        g_resultImage.release();
        outcome = velmora::CheckOutcome{};
        failure = QString::fromStdString(error.what());
    }
    ShowInPreview(outcome.display);
    if (!failure.isNull())
        ShowWarning(this, QStringLiteral("照片检查失败：%1").arg(failure));
}

void CVelmoraDlg::OnSavePhoto()
{
    if (g_resultImage.empty())
        return;
    const QString path = m_chooseSavePath ? m_chooseSavePath() : QString();
    if (path.isEmpty())
        return;

    QString failure;
    try {
        if (const auto result = velmora::ExportAcceptedPhoto(g_resultImage, g_verdict.stamped, ToPath(path)); !result)
            failure = ExportFailureText(result);
    } catch (const std::exception& error) {
        failure = QString::fromStdString(error.what());
    }
    // The applicant would otherwise hand in a file that was never written.
    if (!failure.isNull())
        ShowWarning(this, QStringLiteral("照片保存失败：%1").arg(failure));
}

QString CVelmoraDlg::ChooseOpenPathNatively()
{
    return QFileDialog::getOpenFileName(this, QStringLiteral("打开"), QString(),
                                        QString::fromLatin1(kOpenPhotoFilter));
}

QString CVelmoraDlg::ChooseSavePathNatively()
{
    QFileDialog dialog(this, QStringLiteral("另存为"), QString(), QString::fromLatin1(kSavePhotoFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    dialog.selectFile(QStringLiteral("报名照片"));
    // Replacing an existing file is confirmed by the dialog: its overwrite prompt stays on.
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}
