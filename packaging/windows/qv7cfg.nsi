; The Windows installer of qv7cfg, made with Debian's nsis by scripts/windows.sh:
;   makensis -DVERSION=1.0.3 -DSTAGE=<folder with the programs> -DOUTFILE=<setup.exe> qv7cfg.nsi
; Installs for every user under Program Files, adds Start-menu entries for the window and for a
; command prompt where qv7ctl runs, and registers its uninstaller in Apps & Features. "/S" installs
; or uninstalls silently.
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

  ; A double-clicked parameter file or curve opens in qv7cfg (a running copy is handed the file).
  WriteRegStr HKLM "Software\Classes\.QV" "" "qv7cfg.Parameters"
  WriteRegStr HKLM "Software\Classes\.LIN" "" "qv7cfg.Curve"
  WriteRegStr HKLM "Software\Classes\qv7cfg.Parameters" "" "QV7 parameter file"
  WriteRegStr HKLM "Software\Classes\qv7cfg.Parameters\DefaultIcon" "" "$INSTDIR\qv7cfg.exe,0"
  WriteRegStr HKLM "Software\Classes\qv7cfg.Parameters\shell\open\command" "" '"$INSTDIR\qv7cfg.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\qv7cfg.Curve" "" "QV7 linearisation curve"
  WriteRegStr HKLM "Software\Classes\qv7cfg.Curve\DefaultIcon" "" "$INSTDIR\qv7cfg.exe,0"
  WriteRegStr HKLM "Software\Classes\qv7cfg.Curve\shell\open\command" "" '"$INSTDIR\qv7cfg.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

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
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The extensions are let go only while they still name this program's kinds.
  ReadRegStr $0 HKLM "Software\Classes\.QV" ""
  StrCmp $0 "qv7cfg.Parameters" 0 +2
  DeleteRegKey HKLM "Software\Classes\.QV"
  ReadRegStr $0 HKLM "Software\Classes\.LIN" ""
  StrCmp $0 "qv7cfg.Curve" 0 +2
  DeleteRegKey HKLM "Software\Classes\.LIN"
  DeleteRegKey HKLM "Software\Classes\qv7cfg.Parameters"
  DeleteRegKey HKLM "Software\Classes\qv7cfg.Curve"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  ; What the installer put there, and the folder only when nothing else is left in it.
  Delete "$INSTDIR\*.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\qt.conf"
  RMDir /r "$INSTDIR\plugins"
  RMDir /r "$INSTDIR\translations"
  RMDir /r "$INSTDIR\licenses"
  RMDir "$INSTDIR"
SectionEnd
