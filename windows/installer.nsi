; The Windows installer (makensis, called by windows/package.sh with VERSION, STAGE, OUTFILE and
; ICON defined): the programs into one folder under Program Files with their data beside them, a
; Start-menu entry, an entry among Windows' installed programs, and an uninstaller.
; A 64-bit installer for 64-bit programs: it writes the 64-bit registry and Program Files.
Target amd64-unicode
!include "MUI2.nsh"

!define PRODUCT "Velmora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "Software\${PRODUCT}" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmora.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "${PRODUCT}"
    SetOutPath "$INSTDIR"
    File /r /x setting.ini "${STAGE}/*"
    ; An installed setting.ini may hold the thresholds an authority chose: an update keeps it.
    SetOverwrite off
    File "${STAGE}/setting.ini"
    SetOverwrite on
    WriteUninstaller "$INSTDIR\uninstall.exe"

    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\velmora.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKLM "Software\${PRODUCT}" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there, by name: anything else in the folder (a photo saved
; there, say) stays, and so does the folder then.
Section "Uninstall"
    Delete "$INSTDIR\velmora.exe"
    Delete "$INSTDIR\velmora-check.exe"
    Delete "$INSTDIR\setting.ini"
    Delete "$INSTDIR\haarcascade_frontalface_alt2.xml"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
    RMDir /r "$INSTDIR\tips"
    RMDir /r "$INSTDIR\translations"
    RMDir /r "$INSTDIR\licenses"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "Software\${PRODUCT}"
SectionEnd
