; velmora-VERSION-setup.exe: installs the client for the current user, with
; no administrator rights, into %LOCALAPPDATA%\Programs\Velmora. The client
; writes its browser cache under its working folder, which a player could
; not write under Program Files.
;
; Made by scripts/package.sh, which defines:
;   PRODUCT_NSH      product facts from the build (product.nsh)
;   FILES_NSH        File lines for the portable folder, made from its listing,
;                    unpacking into NEW_FILES
;   PLACE_NSH        PLACE_FILE lines that move them into place, velmora.exe
;                    last
;   SHIPPED_NSH      IsShipped and WRITE_FILE_LIST over the same files
;   REMOVE_NSH       the matching Delete and RMDir lines
;   OUTFILE          the installer to write
;   FINALIZE_UNINST  command run on the built uninstaller (%1): signs it when
;                    signing is configured, and keeps a copy for checks
;
; Switches: /S silent, /D=folder another install folder (last, unquoted),
; /UPDATE (with /S, as the client starts its own update): wait up to 20
; seconds for the ending client instead of giving up.
; Exit codes: 0 installed; 2 the player cancelled, or the client is running
; during a silent install; 3 the new files could not be put in place.
;
; A failure or a kill part-way leaves a client that starts: the new files
; are unpacked beside the old ones first (NEW_FILES), each then replaces its
; old one in a single move, velmora.exe last (until it moves, the old
; client runs, and finds its update again), and only then are the files of
; the earlier version that this one no longer ships removed.

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
!define EXIT_PLACE_FAILED 3
; Where the new files wait until every one of them is unpacked.
!define NEW_FILES "~new"
; The client's files of this install, one registry value each, for the next
; install to find what it no longer ships.
!define FILES_KEY "${UNINST_KEY}\Files"
!define UPDATE_WAIT_TRIES 40
!define UPDATE_WAIT_MS 500
!define MOVEFILE_REPLACE_EXISTING 1
!define MOVEFILE_WRITE_THROUGH 8
!define /math MOVE_FLAGS ${MOVEFILE_REPLACE_EXISTING} | ${MOVEFILE_WRITE_THROUGH}

Var Updating

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
Icon "${__FILEDIR__}\..\res\velmora.ico"
UninstallIcon "${__FILEDIR__}\..\res\velmora.ico"
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
; close it; a silent run (or Cancel) ends with EXIT_ABORTED instead. As an
; update, it first gives the client that started it time to end.
!macro WAIT_FOR_CLIENT_CLOSED FOLDER
  StrCpy $R9 0
  ${DoWhile} ${FileExists} "${FOLDER}\velmora.exe"
    ClearErrors
    FileOpen $0 "${FOLDER}\velmora.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${If} $Updating == 1
    ${AndIf} $R9 < ${UPDATE_WAIT_TRIES}
      IntOp $R9 $R9 + 1
      Sleep ${UPDATE_WAIT_MS}
      ${Continue}
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${PRODUCT} is running. Close it, then choose Retry." /SD IDCANCEL IDCANCEL`
      SetErrorLevel ${EXIT_ABORTED}
      Quit
    ${EndIf}
  ${Loop}
!macroend

!include "${SHIPPED_NSH}"

; One new file replaces its old one in a single step; a folder it needs is
; made first.
!macro PLACE_FILE NAME
  ${GetParent} "$INSTDIR\${NAME}" $1
  CreateDirectory $1
  System::Call 'kernel32::MoveFileExW(w "$INSTDIR\${NEW_FILES}\${NAME}", w "$INSTDIR\${NAME}", i ${MOVE_FLAGS}) i .r0'
  ${If} $0 == 0
    SetErrorLevel ${EXIT_PLACE_FAILED}
    Quit
  ${EndIf}
!macroend

; $R0: the folder of an earlier install elsewhere (another /D=), with its
; uninstaller; empty when there is none or it is this folder.
Function FindPreviousInstall
  ReadRegStr $R0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
  ${OrIfNot} ${FileExists} "$R0\${UNINSTALLER}"
    StrCpy $R0 ""
  ${EndIf}
FunctionEnd

; Files that the earlier install in this folder listed and this version
; does not ship; the player's cache is never among them.
Function RemoveObsoleteFiles
  StrCpy $R1 0
  ${Do}
    ClearErrors
    EnumRegValue $R2 HKCU "${FILES_KEY}" $R1
    ${If} ${Errors}
    ${OrIf} $R2 == ""
      ${Break}
    ${EndIf}
    IntOp $R1 $R1 + 1
    Call IsShipped
    ${If} $R3 == 0
      Delete "$INSTDIR\$R2"
      ${GetParent} "$INSTDIR\$R2" $R4
      RMDir $R4
    ${EndIf}
  ${Loop}
FunctionEnd

Section "Install"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/UPDATE" $1
  ${IfNot} ${Errors}
    StrCpy $Updating 1
  ${EndIf}
  !insertmacro WAIT_FOR_CLIENT_CLOSED $INSTDIR
  Call FindPreviousInstall
  ${If} $R0 != ""
    !insertmacro WAIT_FOR_CLIENT_CLOSED $R0
  ${EndIf}

  ; 1. Unpack beside the installed client, which stays as it is.
  RMDir /r "$INSTDIR\${NEW_FILES}"
  !include "${FILES_NSH}"
  WriteUninstaller "$INSTDIR\${NEW_FILES}\${UNINSTALLER}"
  ; 2. Put in place, file by file.
  SetOutPath "$INSTDIR"
  !include "${PLACE_NSH}"
  RMDir /r "$INSTDIR\${NEW_FILES}"
  ; 3. Only now: what the earlier version has and this one does not. An
  ; install elsewhere goes with its own uninstaller (it also removes the
  ; Uninstall key and the shortcuts, written again below).
  ${If} $R0 != ""
    ExecWait '"$R0\${UNINSTALLER}" /S /KEEPCACHE _?=$R0'
    Delete "$R0\${UNINSTALLER}"
    RMDir "$R0"
  ${Else}
    Call RemoveObsoleteFiles
  ${EndIf}
  DeleteRegKey HKCU "${FILES_KEY}"
  !insertmacro WRITE_FILE_LIST

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
  ; What an install killed part-way left.
  RMDir /r "$INSTDIR\${NEW_FILES}"
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/KEEPCACHE" $1
  ${If} ${Errors}
    RMDir /r "$INSTDIR\cache"
    ; The client's update downloads (update_check.cpp).
    RMDir /r "$LOCALAPPDATA\${PRODUCT}\Updates"
    RMDir "$LOCALAPPDATA\${PRODUCT}"
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
