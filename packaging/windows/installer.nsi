; The Windows installer of МКБ-10: installs for the current user only, in
; %LOCALAPPDATA%\Programs\МКБ-10, so that it needs no administrator rights; a Start menu
; shortcut, a desktop shortcut if chosen, and an uninstaller that "Apps and features" lists.
;
; packaging/windows/pack.sh builds it; every define below comes from there:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.5.0 -DPUBLISHER=... -DEXE=... -DICON=...
;            -DPANEL=... -DLICENSE_PAGE=... -DLICENSE_TXT=... -DOUTFILE=... installer.nsi
; (PANEL: the 164 x 314 bitmap beside the first and last pages).
; `setup.exe /S` installs silently with the defaults (both shortcuts), `/D=<folder>`, last,
; chooses the folder; `uninstall.exe /S` removes everything silently.

!macro MKB_REQUIRE NAME
  !ifndef ${NAME}
    !error "installer.nsi: ${NAME} is not defined; build the installer with packaging/windows/pack.sh"
  !endif
!macroend
!insertmacro MKB_REQUIRE VERSION
!insertmacro MKB_REQUIRE PUBLISHER
!insertmacro MKB_REQUIRE EXE
!insertmacro MKB_REQUIRE ICON
!insertmacro MKB_REQUIRE PANEL
!insertmacro MKB_REQUIRE LICENSE_PAGE
!insertmacro MKB_REQUIRE LICENSE_TXT
!insertmacro MKB_REQUIRE OUTFILE

Unicode true
; The program is 64-bit, so the installer is too; it then sees the real Program Files, registry
; and system folders, without the 32-bit redirection.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "МКБ-10"
!define DESCRIPTION "Международная классификация болезней (МКБ-10)"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\mkb10"

Name "${PRODUCT}"
Caption "Установка ${PRODUCT} ${VERSION}"
UninstallCaption "Удаление ${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An update goes where the previous version is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!include MUI2.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PANEL}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Программа установит справочник ${PRODUCT} ${VERSION} для вашей учётной записи Windows. Права администратора не нужны.$\r$\n$\r$\nВся классификация находится внутри программы: ей не нужны сеть и настройки.$\r$\n$\r$\nНажмите кнопку $\"Далее$\" для продолжения."
!define MUI_FINISHPAGE_RUN "$INSTDIR\mkb10.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE_PAGE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Russian"

; The installer's own version information, as Explorer shows it.
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка: ${DESCRIPTION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "© ${PUBLISHER}. Лицензия MIT"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=mkb10.exe" "${EXE}"
  File "/oname=LICENSE.txt" "${LICENSE_TXT}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\mkb10.exe" "" "$INSTDIR\mkb10.exe" 0 \
    SW_SHOWNORMAL "" "${DESCRIPTION}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\mkb10.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In kilobytes, of what is now in the folder.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Short enough for the components list, the description says the rest.
Section "Рабочий стол" SecDesktop
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\mkb10.exe" "" "$INSTDIR\mkb10.exe" 0 \
    SW_SHOWNORMAL "" "${DESCRIPTION}"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Программа mkb10.exe, ярлык в меню $\"Пуск$\" и программа удаления."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "Ярлык ${PRODUCT} на рабочем столе."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Removes only what the installer put there: the folder goes only if nothing else is left in it.
Section "Uninstall"
  Delete "$INSTDIR\mkb10.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
