; The Lumiveil setup: keeps every width of the module in a folder of its own (for
; Affinity Photo and any host the user points there), and places the module of each
; found host's own width into the folder that host loads filter plug-ins from.
; Everything it places is recorded, and its uninstaller removes exactly that.
;
; Built by tools/make_setup.py:
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder> -DOUTFILE=<setup.exe> lumiveil.nsi
; STAGE holds win32/, win64/ and (where its toolchain exists) win-arm64/LumiveilFilter.8bf,
; win64/gegl/ and win-arm64/gegl/lumiveil-gegl.dll for GIMP 3 (where built), README.txt and LICENSE.txt, all with one fixed date, so that the setup's bytes
; depend only on their contents.
Unicode true
!macro REQUIRE_DEFINE name
  !ifndef ${name}
    !error "makensis -DVERSION=... -DSTAGE=... -DOUTFILE=... lumiveil.nsi (tools/make_setup.py)"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE STAGE
!insertmacro REQUIRE_DEFINE OUTFILE
!addincludedir "${__FILEDIR__}"

!define PRODUCT "Lumiveil"
!define PUBLISHER "Quiet Harbor Studio"
!define MODULE "LumiveilFilter.8bf"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumiveil"
!define UNINSTALLER "uninstall.exe"
!define HOST_SLOTS 16               ; hosts listed at most; hosts.nsh says which are left out
!define ERROR_ELEVATION_REQUIRED 740
!if /FileExists "${STAGE}/win-arm64/${MODULE}"
  !define HAVE_ARM64
!else
  !warning "no ARM64 module in ${STAGE}: this setup offers no ARM64 host a module"
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID /FINAL lzma
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey LegalCopyright "MIT licence, ${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include x64.nsh
!include FileFunc.nsh
!include hosts.nsh
!include report.nsh

Var FinishText
Var PlacedCount
Var EarlierDir    ; the install folder of an earlier install, from its uninstall entry
!include gimp3.nsh

; --- pages ---------------------------------------------------------------------
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This puts the Lumiveil filter into the image editors on this computer that load Photoshop filter plug-ins (.8bf), and into GIMP 3.$\r$\n$\r$\nEach host gets the module built for its own kind of program (32-bit, x64 or ARM64), read from its program file. Quit the hosts before you go on.$\r$\n$\r$\nAdministrator rights are needed: the hosts' plug-ins folders are in Program Files."
!insertmacro MUI_PAGE_WELCOME
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "These hosts were found, each with the width of its program; GIMP 3's filter goes into the folder of the user running this setup. Lumiveil's own folder keeps every width, for Affinity Photo and any other host."
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_DIRECTORYPAGE_TEXT_TOP "Lumiveil's own folder: every width of the module, the guide, and the uninstaller. Affinity Photo, and any host not listed, can load the module from here."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Lumiveil is installed"
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_TEXT_LARGE
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

!macro FOR_EACH_SLOT m
  !insertmacro ${m} 1
  !insertmacro ${m} 2
  !insertmacro ${m} 3
  !insertmacro ${m} 4
  !insertmacro ${m} 5
  !insertmacro ${m} 6
  !insertmacro ${m} 7
  !insertmacro ${m} 8
  !insertmacro ${m} 9
  !insertmacro ${m} 10
  !insertmacro ${m} 11
  !insertmacro ${m} 12
  !insertmacro ${m} 13
  !insertmacro ${m} 14
  !insertmacro ${m} 15
  !insertmacro ${m} 16
!macroend

; --- placing and recording -----------------------------------------------------

!macro PLACE_OWN width
  SetOutPath "$INSTDIR\${width}"
  File "${STAGE}/${width}/${MODULE}"
  Push "$INSTDIR\${width}\${MODULE}"
  Call RecordPlaced
  IntOp $PlacedCount $PlacedCount + 1
!macroend

; Slot n of the host table: the module of the host's width into its folder.
Function PlaceForHost
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  ReadINIStr $1 "${HOST_TABLE}" $0 name
  ReadINIStr $2 "${HOST_TABLE}" $0 width
  ReadINIStr $3 "${HOST_TABLE}" $0 folder
  Push $2
  Call WidthLabel
  Pop $4
  CreateDirectory $3
  ClearErrors
  ${If} $2 == win32
    File "/oname=$3\${MODULE}" "${STAGE}/win32/${MODULE}"
  ${ElseIf} $2 == win64
    File "/oname=$3\${MODULE}" "${STAGE}/win64/${MODULE}"
!ifdef HAVE_ARM64
  ${ElseIf} $2 == win-arm64
    File "/oname=$3\${MODULE}" "${STAGE}/win-arm64/${MODULE}"
!endif
  ${Else}
    !insertmacro SAY "Lumiveil setup: $1: this setup has no $4 module; nothing placed"
    Goto done
  ${EndIf}
  ${If} ${Errors}
    !insertmacro SAY "Lumiveil setup: $1: could not write $3\${MODULE}"
  ${Else}
    Push "$3\${MODULE}"
    Call RecordPlaced
    IntOp $PlacedCount $PlacedCount + 1
    !insertmacro SAY "Lumiveil setup: placed the $4 module for $1 in $3"
    StrCpy $FinishText "$FinishText$\r$\n$1 ($4): $3"
  ${EndIf}
  done:
  ClearErrors
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; An earlier install into another folder: its record joins this one, so that the
; one uninstaller left registered still removes every file either placed.
Function TakeOverEarlierRecord
  ${If} $EarlierDir == ""
  ${OrIf} $EarlierDir == $INSTDIR
  ${OrIfNot} ${FileExists} "$EarlierDir\${RECORD_NAME}"
    Return
  ${EndIf}
  FileOpen $5 "$EarlierDir\${RECORD_NAME}" r
  ${Do}
    ClearErrors
    FileReadUTF16LE $5 $6
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    !insertmacro TRIM_LINE_END $6
    ${If} $6 != ""
      Push $6
      Call RecordPlaced
    ${EndIf}
  ${Loop}
  FileClose $5
  Delete "$EarlierDir\${RECORD_NAME}"
  Delete "$EarlierDir\${UNINSTALLER}"
  Delete "$EarlierDir\${LOG_NAME}"
  !insertmacro SAY "Lumiveil setup: the files of the earlier install in $EarlierDir stay recorded"
FunctionEnd

; --- components ----------------------------------------------------------------

Section "Lumiveil's own folder (every width, the guide)" SEC_OWN
  SectionIn RO
  SetOutPath $INSTDIR
  Push $INSTDIR
  Call KeepLogIn
  !insertmacro SAY "Lumiveil setup: ${PRODUCT} ${VERSION} into $INSTDIR"
  Call TakeOverEarlierRecord
  !insertmacro PLACE_OWN win32
  !insertmacro PLACE_OWN win64
!ifdef HAVE_ARM64
  !insertmacro PLACE_OWN win-arm64
!endif
  SetOutPath $INSTDIR
  File "${STAGE}/README.txt"
  Push "$INSTDIR\README.txt"
  Call RecordPlaced
  File "${STAGE}/LICENSE.txt"
  Push "$INSTDIR\LICENSE.txt"
  Call RecordPlaced
  IntOp $PlacedCount $PlacedCount + 2
  !insertmacro SAY "Lumiveil setup: placed every width's module in $INSTDIR"
SectionEnd

SectionGroup /e "Hosts found" SEC_HOSTS
!macro HOST_SLOT n
  Section /o "Host ${n}" SEC_HOST_${n}
    Push ${n}
    Call PlaceForHost
  SectionEnd
!macroend
!insertmacro FOR_EACH_SLOT HOST_SLOT
SectionGroupEnd

; The running user's GIMP 3 operations folder: GIMP 3 found by FindGimp3.
Section /o "GIMP 3" SEC_GIMP3
  Call PlaceForGimp3
SectionEnd

; Further components go here: a Section that places its files with File, records
; each with RecordPlaced and adds a line to $FinishText is uninstalled like the rest.

Section "-registration"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ; The size that Add/Remove Programs shows: every recorded file, in KiB.
  StrCpy $1 0
  FileOpen $0 "$INSTDIR\${RECORD_NAME}" r
  ${Do}
    ClearErrors
    FileReadUTF16LE $0 $2
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    !insertmacro TRIM_LINE_END $2
    FileOpen $3 $2 r
    ${IfNot} ${Errors}
      FileSeek $3 0 END $4
      FileClose $3
      IntOp $1 $1 + $4
    ${EndIf}
  ${Loop}
  FileClose $0
  IntOp $1 $1 + 1023
  IntOp $1 $1 / 1024
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
  SetRegView 32
  ${If} $FinishText == ""
    StrCpy $FinishText "$\r$\nNo host was chosen."
  ${EndIf}
  StrCpy $FinishText "Affinity Photo: under Edit > Settings (Preferences) > Photoshop Plugins, add $INSTDIR\win64 ($INSTDIR\win-arm64 on Windows on ARM), tick Allow unknown plugins, and restart it.$\r$\n$\r$\nPlaced for the hosts (the whole list is in $INSTDIR\${LOG_NAME}):$FinishText"
  !insertmacro SAY "Lumiveil setup: done: $PlacedCount files placed, all listed in $INSTDIR\${RECORD_NAME}"
SectionEnd

; --- start ----------------------------------------------------------------------

!macro FILL_SLOT n
  ${If} ${n} <= $HostCount
    ReadINIStr $0 "${HOST_TABLE}" ${n} name
    ReadINIStr $1 "${HOST_TABLE}" ${n} width
    Push $1
    Call WidthLabel
    Pop $2
    SectionSetText ${SEC_HOST_${n}} "$0 ($2)"
    SectionSetFlags ${SEC_HOST_${n}} ${SF_SELECTED}
!ifndef HAVE_ARM64
    ${If} $1 == win-arm64
      SectionSetText ${SEC_HOST_${n}} "$0 (ARM64: not in this setup)"
      SectionSetFlags ${SEC_HOST_${n}} ${SF_RO}
      !insertmacro SAY "Lumiveil setup: $0: this setup has no ARM64 module; nothing placed"
    ${EndIf}
!endif
  ${Else}
    SectionSetText ${SEC_HOST_${n}} ""
  ${EndIf}
!macroend

Function .onInit
  InitPluginsDir
  StrCpy $LogPath "$PLUGINSDIR\${LOG_NAME}"
  StrCpy $PlacedCount 0
  ; With the rights refused, Windows would not write into Program Files (and an
  ; unmanifested program's writes would land in the VirtualStore, where no host looks).
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    !insertmacro SAY "Lumiveil setup needs administrator rights to write into Program Files; run it as an administrator."
    MessageBox MB_ICONSTOP "Lumiveil setup needs administrator rights to write into Program Files; run it as an administrator." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
  ; No /D=: the folder of an earlier install, else Program Files.
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ReadRegStr $EarlierDir HKLM "${UNINSTALL_KEY}" InstallLocation
  SetRegView 32
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR $EarlierDir
    ${IfThen} $INSTDIR == "" ${|} StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}" ${|}
  ${EndIf}
  Call FindHosts
  !insertmacro FOR_EACH_SLOT FILL_SLOT
  ${IfThen} $HostCount = 0 ${|} SectionSetText ${SEC_HOSTS} "" ${|}
  Call FindGimp3
  Call OfferGimp3
FunctionEnd

; The GIMP 3 component: hidden without GIMP 3, ticked where this setup has the
; operation of its width, shown but closed where not.
Function OfferGimp3
  ${If} $Gimp3Program == ""
    SectionSetText ${SEC_GIMP3} ""
    Return
  ${EndIf}
  Push $Gimp3Width
  Call WidthLabel
  Pop $0
  SectionSetText ${SEC_GIMP3} "GIMP 3 ($0), for the user running this setup"
  SectionSetFlags ${SEC_GIMP3} ${SF_SELECTED}
  ${If} $Gimp3Width == win32
    SectionSetText ${SEC_GIMP3} "GIMP 3 (32-bit: GIMP 3 is x64 or ARM64 only)"
    SectionSetFlags ${SEC_GIMP3} ${SF_RO}
!ifndef HAVE_GEGL_WIN64
  ${ElseIf} $Gimp3Width == win64
    SectionSetText ${SEC_GIMP3} "GIMP 3 (x64: not in this setup)"
    SectionSetFlags ${SEC_GIMP3} ${SF_RO}
    !insertmacro SAY "Lumiveil setup: GIMP 3: this setup has no x64 operation; nothing placed"
!endif
!ifndef HAVE_GEGL_ARM64
  ${ElseIf} $Gimp3Width == win-arm64
    SectionSetText ${SEC_GIMP3} "GIMP 3 (ARM64: not in this setup)"
    SectionSetFlags ${SEC_GIMP3} ${SF_RO}
    !insertmacro SAY "Lumiveil setup: GIMP 3: this setup has no ARM64 operation; nothing placed"
!endif
  ${EndIf}
FunctionEnd

; --- uninstall ------------------------------------------------------------------

Function un.onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Lumiveil's uninstaller needs administrator rights to remove files from Program Files; run it as an administrator." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
FunctionEnd

; Exactly the files the record names; the settings file, which the filter writes
; itself, is not among them and stays.
Section "Uninstall"
  ClearErrors
  FileOpen $0 "$INSTDIR\${RECORD_NAME}" r
  ${IfNot} ${Errors}
    ${Do}
      ClearErrors
      FileReadUTF16LE $0 $1
      ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
      !insertmacro TRIM_LINE_END $1
      ; A module that a running host holds goes at the next restart.
      ${If} $1 != ""
        Delete /REBOOTOK $1
        DetailPrint "removed $1"
      ${EndIf}
    ${Loop}
    FileClose $0
  ${EndIf}
  Delete "$INSTDIR\${RECORD_NAME}"
  Delete "$INSTDIR\${LOG_NAME}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR\win32"
  RMDir "$INSTDIR\win64"
  RMDir "$INSTDIR\win-arm64"
  RMDir $INSTDIR
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  SetRegView 32
SectionEnd
