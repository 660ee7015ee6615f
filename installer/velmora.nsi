; velmora-VERSION-setup.exe: installs the client for the current user, with
; no administrator rights, into %LOCALAPPDATA%\Programs\PRODUCT (the product
; name of the operator file; Velmora for the demo operator). The client
; writes its browser cache under its working folder, which a player could
; not write under Program Files.
;
; Made by scripts/package.sh, which defines:
;   PRODUCT_NSH      product facts from the build (product.nsh): the name,
;                    version, publisher and icon of the operator file
;   FILES_NSH        File lines for the portable folder, made from its listing
;   REMOVE_NSH       the matching Delete and RMDir lines
;   OUTFILE          the installer to write
;   FINALIZE_UNINST  command run on the built uninstaller (%1): signs it when
;                    signing is configured, and keeps a copy for checks
;
; Switches: /S silent, /D=folder another install folder (last, unquoted).
; Exit codes: 0 installed; 2 the player cancelled, or the client is running
; during a silent install.

Unicode true
SetCompressor /SOLID lzma

!include "${PRODUCT_NSH}"
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "uninstall.exe"
; The icon of velmora.exe's own resources (106), as the shell reads it.
!define APP_ICON_RESOURCE "-106"
!define EXIT_ABORTED 2

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION4}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!uninstfinalize '${FINALIZE_UNINST}'

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A running velmora.exe cannot be opened for writing. Asks the player to
; close it; a silent run (or Cancel) ends with EXIT_ABORTED instead.
!macro WAIT_FOR_CLIENT_CLOSED FOLDER
  ${DoWhile} ${FileExists} "${FOLDER}\velmora.exe"
    ClearErrors
    FileOpen $0 "${FOLDER}\velmora.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${PRODUCT} is running. Close it, then choose Retry." /SD IDCANCEL IDCANCEL`
      SetErrorLevel ${EXIT_ABORTED}
      Quit
    ${EndIf}
  ${Loop}
!macroend

; An earlier install is removed with its own uninstaller, run in place
; (_?=), so that files the new version no longer ships do not stay behind.
; The player's browser cache (cookies, the login) is kept.
Function RemovePreviousInstall
  ReadRegStr $R0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $R0 == ""
  ${OrIfNot} ${FileExists} "$R0\${UNINSTALLER}"
    StrCpy $R0 $INSTDIR
  ${EndIf}
  ${If} ${FileExists} "$R0\${UNINSTALLER}"
    !insertmacro WAIT_FOR_CLIENT_CLOSED $R0
    ExecWait '"$R0\${UNINSTALLER}" /S /KEEPCACHE _?=$R0'
    Delete "$R0\${UNINSTALLER}"
    RMDir "$R0"
  ${EndIf}
FunctionEnd

Section "Install"
  !insertmacro WAIT_FOR_CLIENT_CLOSED $INSTDIR
  Call RemovePreviousInstall

  !include "${FILES_NSH}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; Both shortcuts start in the install folder, where the cache belongs.
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\velmora.exe" "" "$INSTDIR\velmora.exe" 0 \
    SW_SHOWNORMAL "" "${DESCRIPTION}"
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\velmora.exe" "" "$INSTDIR\velmora.exe" 0 \
    SW_SHOWNORMAL "" "${DESCRIPTION}"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe,${APP_ICON_RESOURCE}"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; /KEEPCACHE (used by a newer installer) leaves the browser cache in place.
Section "Uninstall"
  !insertmacro WAIT_FOR_CLIENT_CLOSED $INSTDIR
  !include "${REMOVE_NSH}"
  Delete "$INSTDIR\debug.log"
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/KEEPCACHE" $1
  ${If} ${Errors}
    RMDir /r "$INSTDIR\cache"
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ; The per-user programs folder goes too when nothing else is in it.
  RMDir "$LOCALAPPDATA\Programs"

  ; CEF makes these empty folders for its default profile; folders that
  ; hold anything (another CEF program's) stay.
  RMDir "$LOCALAPPDATA\CEF\User Data\Dictionaries"
  RMDir "$LOCALAPPDATA\CEF\User Data"
  RMDir "$LOCALAPPDATA\CEF"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
