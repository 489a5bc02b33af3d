// The main window: a fixed, borderless dialog painted with one background picture, with the
// open, save and exit picture buttons and the frame in which the preview shows its picture.
#pragma once

#include <functional>
#include <optional>

#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QString>

#include "shell/check_state.h"
#include "shell/dialog_units.h"
#include "velmora/export.h"

class QFrame;
class QLabel;
class CPictureButton;
class CPreviewPanel;

// Control ids of the main dialog; the controls carry them as object names.
inline constexpr int IDC_OPEN = 1000;
inline constexpr int IDC_SAVE = 1001;
inline constexpr int IDC_EXIT = 1002;
inline constexpr int IDC_PICTURE = 1003;

// The main dialog's template, in dialog units.
inline constexpr QRect kMainDialogUnits{0, 0, 401, 277};
inline constexpr QRect kOpenButtonUnits{269, 95, 113, 37};
inline constexpr QRect kExitButtonUnits{271, 210, 113, 36};
inline constexpr QRect kSaveButtonUnits{271, 154, 112, 35};
inline constexpr QRect kPictureUnits{148, 99, 99, 129};
inline constexpr QRect kVersionTextUnits{340, 263, 55, 11};

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

    DialogBaseUnits BaseUnits() const { return m_baseUnits; }

public slots:
    void OnOpenPhoto();
    void OnSavePhoto();
    [[noreturn]] void OnExitApp();

public:
    // Places the preview over the picture frame's client area and hides the frame.
    void PreparePreview();
    // Shows the image stretched over the frame, and the frame; an empty image leaves it blank.
    void ShowInPreview(const velmora::Image& image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect ToPixels(const QRect& dialogUnits) const;
    QString ChooseOpenPathNatively();
    QString ChooseSavePathNatively();

    // Checks every photo with the settings loaded at start.
    std::optional<velmora::PhotoChecker> m_checker;
    QIcon m_hIcon;
    DialogBaseUnits m_baseUnits;
    QPixmap m_background;
    CPictureButton* m_openButton = nullptr;
    CPictureButton* m_exitButton = nullptr;
    CPictureButton* m_saveButton = nullptr;
    QLabel* m_versionText = nullptr;
};
