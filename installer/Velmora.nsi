; Velmora's per-user installer. Built by installer/CMakeLists.txt:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0 -DFILES=<folder> -DOUTFILE=<setup.exe> Velmora.nsi
;   FILES holds Velmora.exe, a fresh DB.mdb and, when they were built, Help.chm and the database
;   tool VelmoraDb.exe.
;
; The components page offers 开机时自动启动 Velmora (the current user's Run entry), ticked on a first
; install and as the installation left it on an upgrade; /AUTOSTART=0 or /AUTOSTART=1 decides it for
; a silent install (/S). The uninstaller removes the entry when it starts this installation.
;
; Installs into the user's local programs folder without administrator rights. Installing
; over an existing installation replaces the program and the help but never the user's data:
; DB.mdb is written only when there is none, and DatabackUp is never touched. The uninstaller
; keeps DB.mdb and DatabackUp unless the user ticks their removal (a silent uninstall keeps them).

Unicode true
ManifestSupportedOS all
RequestExecutionLevel user

!ifndef VERSION
  !error "pass -DVERSION=..."
!endif
!ifndef FILES
  !error "pass -DFILES=<folder with Velmora.exe and DB.mdb>"
!endif
!ifndef OUTFILE
  !define OUTFILE "Velmora-${VERSION}-setup.exe"
!endif

!define PRODUCT "Velmora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
; The entry Windows runs at sign-in; Velmora.exe reads and writes the same, with the same argument.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Velmora"
!define RUN_ARGUMENT "/autostart"
; The name Velmora.exe gives its single-instance mutex.
!define RUNNING_MUTEX "Velmora"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the last installation went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Velmora 安装程序 (Velmora setup)"
VIAddVersionKey /LANG=0 "LegalCopyright" "Velmora"

; The program's own icon for the setup program and the uninstaller.
!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "FileFunc.nsh"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velmora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "启动 Velmora"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "模板数据库 DB.mdb 和备份文件夹 DatabackUp 默认保留，以便重新安装后继续使用。要一并删除它们，请勾选下面的“我的模板和备份”。"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

; Stops with a message while Velmora runs: its files cannot be replaced or removed then.
!macro RefuseWhileRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONSTOP "Velmora 正在运行。请先从通知区域图标的菜单退出 Velmora，然后再试。" /SD IDOK
    Abort
  ${EndIf}
!macroend

Function un.onInit
  !insertmacro RefuseWhileRunning
FunctionEnd

Section "Velmora" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"

  SetOverwrite on
  File "${FILES}/Velmora.exe"
  !if /FileExists "${FILES}/Help.chm"
    File "${FILES}/Help.chm"
  !endif
  !if /FileExists "${FILES}/VelmoraDb.exe"
    File "${FILES}/VelmoraDb.exe"
  !endif

  ; The user's templates: the delivered database only where there is none yet.
  SetOverwrite off
  File "${FILES}/DB.mdb"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Unticked, the choice removes an entry an earlier installation wrote; ticked, the next section writes it.
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"

  ; The shortcut starts Velmora in its own folder.
  CreateShortcut "$SMPROGRAMS\Velmora.lnk" "$INSTDIR\Velmora.exe" "" "$INSTDIR\Velmora.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmora.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "开机时自动启动 Velmora" SecAutoStart
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Velmora.exe" ${RUN_ARGUMENT}'
SectionEnd

Function .onInit
  !insertmacro RefuseWhileRunning
  ; An upgrade keeps the choice the user made, in the setup or in Velmora's tray menu.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 != ""
  ${AndIf} $1 == ""
    !insertmacro UnselectSection ${SecAutoStart}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART=" $1
  ${IfNot} ${Errors}
    ${If} $1 == "0"
      !insertmacro UnselectSection ${SecAutoStart}
    ${ElseIf} $1 == "1"
      !insertmacro SelectSection ${SecAutoStart}
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "参数 /AUTOSTART= 只能是 0 或 1。" /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Velmora.exe、VelmoraDb.exe、帮助文件和开始菜单快捷方式。已有的模板和备份保留不变。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutoStart} "登录 Windows 时启动 Velmora，只在通知区域显示图标；按快捷键或从图标菜单选“显示界面”打开窗口。以后可在图标菜单中更改。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "un.Velmora 程序" SecUnProgram
  SectionIn RO
  Delete "$SMPROGRAMS\Velmora.lnk"
  Delete "$INSTDIR\Velmora.exe"
  Delete "$INSTDIR\Help.chm"
  Delete "$INSTDIR\VelmoraDb.exe"
  Delete "$INSTDIR\Uninstall.exe"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The start at sign-in goes with the program, unless the entry starts another copy.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  StrCpy $1 '"$INSTDIR\Velmora.exe"'
  StrLen $2 $1
  StrCpy $0 $0 $2
  ${If} $0 == $1
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  ; Goes only when nothing else is left in it (the data is kept by default).
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.我的模板和备份" SecUnData
  Delete "$INSTDIR\DB.mdb"
  Delete "$INSTDIR\DB.mdb-journal"
  Delete "$INSTDIR\DB.mdb.restoring"
  Delete "$INSTDIR\DB.mdb-journal.restoring"
  RMDir /r "$INSTDIR\DatabackUp"
  RMDir "$INSTDIR"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnProgram} "Velmora.exe、VelmoraDb.exe、帮助文件、开始菜单快捷方式和卸载信息。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnData} "DB.mdb（全部模板和设置）和 DatabackUp 文件夹（全部备份）。删除后无法恢复。"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
