; The Windows installer of qv7cfg, made with Debian's nsis by scripts/windows.sh:
;   makensis -DVERSION=1.0.3 -DSTAGE=<folder with the programs> -DOUTFILE=<setup.exe> qv7cfg.nsi
; Installs for every user under Program Files, adds Start-menu entries for the window and for a
; command prompt where qv7ctl runs, opens .QV and .LIN files with qv7cfg, and registers its
; uninstaller in Apps & Features. "/S" installs or uninstalls silently.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "qv7cfg"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "qv7cfg"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\qv7cfg.lnk" "$INSTDIR\qv7cfg.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\qv7ctl prompt.lnk" "$SYSDIR\cmd.exe" \
    '/k "set PATH=$INSTDIR;%PATH% && cd /d %USERPROFILE% && qv7ctl --help"' "$INSTDIR\qv7ctl.exe"

  ; .QV parameter files and .LIN linearisation files open in the window.
  WriteRegStr HKLM "Software\Classes\.QV" "" "qv7cfg.QV"
  WriteRegStr HKLM "Software\Classes\qv7cfg.QV" "" "QV7 parameter file"
  WriteRegStr HKLM "Software\Classes\qv7cfg.QV\DefaultIcon" "" "$INSTDIR\qv7cfg.exe,0"
  WriteRegStr HKLM "Software\Classes\qv7cfg.QV\shell\open\command" "" '"$INSTDIR\qv7cfg.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\.LIN" "" "qv7cfg.LIN"
  WriteRegStr HKLM "Software\Classes\qv7cfg.LIN" "" "QV7 linearisation table"
  WriteRegStr HKLM "Software\Classes\qv7cfg.LIN\DefaultIcon" "" "$INSTDIR\qv7cfg.exe,0"
  WriteRegStr HKLM "Software\Classes\qv7cfg.LIN\shell\open\command" "" '"$INSTDIR\qv7cfg.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "qv7cfg"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\qv7cfg.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\qv7cfg.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\qv7ctl prompt.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  ; Only the associations this installer made.
  ReadRegStr $0 HKLM "Software\Classes\.QV" ""
  StrCmp $0 "qv7cfg.QV" 0 +2
    DeleteRegKey HKLM "Software\Classes\.QV"
  ReadRegStr $0 HKLM "Software\Classes\.LIN" ""
  StrCmp $0 "qv7cfg.LIN" 0 +2
    DeleteRegKey HKLM "Software\Classes\.LIN"
  DeleteRegKey HKLM "Software\Classes\qv7cfg.QV"
  DeleteRegKey HKLM "Software\Classes\qv7cfg.LIN"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; What the installer put there, and the folder only when nothing else is left in it.
  Delete "$INSTDIR\*.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\qt.conf"
  RMDir /r "$INSTDIR\plugins"
  RMDir /r "$INSTDIR\translations"
  RMDir /r "$INSTDIR\licenses"
  RMDir "$INSTDIR"
SectionEnd
