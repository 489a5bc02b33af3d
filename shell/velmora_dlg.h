// The main window: a fixed, borderless dialog painted with one background picture, with the
// open, save and exit picture buttons, the frame in which the preview shows its picture, and
// the reason line under it. A photo can also be dropped on it, and it moves by its background.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QColor>
#include <QDialog>
#include <QFutureWatcher>
#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QString>

#include "shell/artwork.h"
#include "shell/check_state.h"
#include "shell/dialog_units.h"
#include "shell/photo_drop.h"
#include "shell/window_layout.h"
#include "velmora/export.h"
#include "velmora/photo_fix.h"

class QFrame;
class QLabel;
class QMimeData;
class CPictureButton;
class CPreviewPanel;
class CReasonLine;

// Control ids of the main dialog; the controls carry them as object names.
inline constexpr int IDC_OPEN = 1000;
inline constexpr int IDC_SAVE = 1001;
inline constexpr int IDC_EXIT = 1002;
inline constexpr int IDC_PICTURE = 1003;

// The name the Save dialog proposes, with the extension it adds.
inline constexpr const char* kProposedSaveName = "报名照片";

// Name filters of the file dialogs.
inline constexpr const char* kOpenPhotoFilter = "JPEG Files (*.jpg *.jpeg *.jpg *.jfif)";
inline constexpr const char* kSavePhotoFilter = "JPEG(*.jpg *.jpeg *jpe *jfif)";

// What the start-up message says when setting.ini cannot be used.
QString SettingsFailureText(const velmora::SettingsLoad& load);

// What the user is told when a save fails.
QString ExportFailureText(const velmora::ExportResult& result);

// The caption of the program's messages: the executable's file name without its extension.
QString ApplicationCaption();

class CVelmoraDlg : public QDialog {
    Q_OBJECT
public:
    // Finds the program directory and loads setting.ini and the face cascade; when any of them
    // cannot be used, tells the user and ends the process with status 0 before any window shows.
    explicit CVelmoraDlg(QWidget* parent = nullptr);

    // File choosers: the native dialogs by default, replaceable so that tests run without modal
    // dialogs. An empty path means the user cancelled.
    std::function<QString()> m_chooseOpenPath;
    std::function<QString()> m_chooseSavePath;

    // The white picture frame (control 1003), and the preview inside it, created by the first Open.
    QFrame* m_picture = nullptr;
    CPreviewPanel* m_preview = nullptr;
    CReasonLine* m_reasonLine = nullptr;

    DialogBaseUnits BaseUnits() const { return m_baseUnits; }

    // A check runs off the GUI thread; meanwhile Open, Save and drops are ignored.
    bool CheckRunning() const { return m_busy.has_value(); }
    // The last photo was rejected at a stage the automatic fix is for, and it was not taken yet.
    bool FixOffered() const { return m_fixable.has_value(); }

    // Where the Open dialog starts: the folder of the last photo opened, else the pictures
    // folder, else home.
    QString OpenStartFolder() const;
    // What the Save dialog proposes: "报名照片" in the folder of the last photo opened, under
    // another name when that would be the opened photo itself.
    QString ProposedSavePath() const;

public slots:
    void OnOpenPhoto();
    void OnSavePhoto();
    [[noreturn]] void OnExitApp();
    // "自动调整": makes and checks the fixed copy of the last photo off the GUI thread, like a check.
    void OnFixPhoto();

public:
    // Places the preview over the picture frame's client area and hides the frame.
    void PreparePreview();
    // Shows the image stretched over the frame, and the frame; an empty image leaves it blank.
    void ShowInPreview(const velmora::Image& image);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QRect ToPixels(const QRect& dialogUnits) const;
    QString ChooseOpenPathNatively();
    QString ChooseSavePathNatively();
    // Open's sequence for a photo from any source: the chooser's answer or a dropped file.
    void OpenPhoto(const std::function<QString()>& choosePath);
    // Starts the check on a worker thread; OnCheckFinished takes its outcome on this one.
    void CheckPhoto(const QString& path);
    void OnCheckFinished();
    void OnFixFinished();
    void TellSaveFailure(const QString& reason);
    // Save can act only on an accepted photo.
    void UpdateSaveButton();
    PhotoDrop ExamineDrop(const QMimeData* mime) const;

    // What a check on the worker thread hands back: its outcome, or why it broke down.
    struct CheckRun {
        velmora::CheckOutcome outcome;
        QString failure;
    };
    // The wait cursor for as long as a check runs, restored however the check ends.
    class CBusyCursor {
    public:
        CBusyCursor();
        ~CBusyCursor();
        CBusyCursor(const CBusyCursor&) = delete;
        CBusyCursor& operator=(const CBusyCursor&) = delete;
    };

    // Checks every photo with the settings loaded at start; shared with the running check, so
    // that closing the window during a check leaves the check something to finish with.
    std::shared_ptr<velmora::PhotoChecker> m_checker;
    QFutureWatcher<CheckRun> m_checkWatcher;
    struct FixRun {
        velmora::PhotoFix fix;
        QString failure;
    };
    QFutureWatcher<FixRun> m_fixWatcher;
    std::optional<velmora::CheckOutcome> m_fixable;  // the last check, while the fix is offered for it
    std::optional<CBusyCursor> m_busy;  // set exactly while a check runs
    QIcon m_hIcon;
    DialogBaseUnits m_baseUnits;
    double m_fitScale = 1.0;  // below 1 where the window is shrunk to fit its screen
    SharpPixmap m_background;
    SharpPixmap m_samplePortrait;
    CPictureButton* m_openButton = nullptr;
    CPictureButton* m_exitButton = nullptr;
    CPictureButton* m_saveButton = nullptr;
    QLabel* m_versionText = nullptr;
    QString m_lastPhoto;                  // the photo last opened or dropped
    std::optional<QPoint> m_dragOffset;   // cursor to window corner while dragging by hand
};
