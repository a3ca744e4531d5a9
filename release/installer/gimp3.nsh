; GIMP 3: it loads no .8bf module, but it loads GEGL operations from the running
; user's %LOCALAPPDATA%\gegl-0.4\plug-ins, wherever GIMP itself is installed. Found
; by its uninstall entry (its Inno Setup installer registers GIMP-3_is1, in HKLM for
; every user or HKCU for one; any GIMP-3... entry of a 3.x version is taken, in both
; registry views) or, without one, by its program in the installer's default folders.
; The operation goes in of the width of GIMP's own program file, as for the hosts.
;
;   Call FindGimp3        ; sets $Gimp3Program ("" when none), $Gimp3Width, says so
;   Call PlaceForGimp3    ; the operation of $Gimp3Width into the plug-ins folder
!ifndef LUMIVEIL_GIMP3_NSH
!define LUMIVEIL_GIMP3_NSH
!include LogicLib.nsh
!include x64.nsh
!include hosts.nsh
!include pe_width.nsh
!include report.nsh

!define GEGL_DLL "lumiveil-gegl.dll"
!define GEGL_PLUGINS "gegl-0.4\plug-ins"
!define GIMP3_UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define GIMP3_KEY_PREFIX "GIMP-3"
!define GIMP3_DEFAULT_FOLDER "GIMP 3"
!if /FileExists "${STAGE}/win64/gegl/${GEGL_DLL}"
  !define HAVE_GEGL_WIN64
!else
  !warning "no x64 ${GEGL_DLL} in ${STAGE}: this setup offers GIMP 3 nothing"
!endif
!if /FileExists "${STAGE}/win-arm64/gegl/${GEGL_DLL}"
  !define HAVE_GEGL_ARM64
!endif

Var Gimp3Program   ; its program file, "" when no GIMP 3 was found
Var Gimp3Width     ; win64 | win-arm64 | win32
Var Gimp3Found     ; how it was found, for the log

; The folder on the stack -> its bin\gimp-3.0.exe, bin\gimp-3.exe or another
; bin\gimp-3*.exe (a later 3.x), or "".
Function Gimp3ProgramIn
  Exch $0
  Push $1
  Push $2
  !insertmacro DROP_TRAILING_SLASH $0
  ${If} $0 == ""
    StrCpy $1 ""
  ${ElseIf} ${FileExists} "$0\bin\gimp-3.0.exe"
    StrCpy $1 "$0\bin\gimp-3.0.exe"
  ${ElseIf} ${FileExists} "$0\bin\gimp-3.exe"
    StrCpy $1 "$0\bin\gimp-3.exe"
  ${Else}
    FindFirst $2 $1 "$0\bin\gimp-3*.exe"
    ${IfThen} $1 != "" ${|} StrCpy $1 "$0\bin\$1" ${|}
    FindClose $2
  ${EndIf}
  ClearErrors
  StrCpy $0 $1
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Every GIMP-3... uninstall entry under root in the current registry view, until
; one names a folder with GIMP 3's program in it.
!macro GIMP3_FROM_UNINSTALL_ENTRIES root view
  ${If} $Gimp3Program == ""
    StrCpy $KeyIndex 0
    StrLen $Value2 "${GIMP3_KEY_PREFIX}"
    ${Do}
      EnumRegKey $Key ${root} "${GIMP3_UNINSTALL_ROOT}" $KeyIndex
      ${IfThen} $Key == "" ${|} ${ExitDo} ${|}
      IntOp $KeyIndex $KeyIndex + 1
      StrCpy $Value $Key $Value2
      ${IfThen} $Value != "${GIMP3_KEY_PREFIX}" ${|} ${Continue} ${|}
      StrCpy $CandName "${root}\${GIMP3_UNINSTALL_ROOT}\$Key (${view} registry view)"
      ReadRegStr $Value ${root} "${GIMP3_UNINSTALL_ROOT}\$Key" DisplayVersion
      StrCpy $FindName $Value 2
      ${If} $Value != ""
      ${AndIf} $FindName != "3."
        !insertmacro SAY "Lumiveil setup: $CandName is GIMP $Value, not 3.x; left out"
        ${Continue}
      ${EndIf}
      ReadRegStr $FindHint ${root} "${GIMP3_UNINSTALL_ROOT}\$Key" InstallLocation
      ${If} $FindHint == ""
        ReadRegStr $FindHint ${root} "${GIMP3_UNINSTALL_ROOT}\$Key" "Inno Setup: App Path"
      ${EndIf}
      Push $FindHint
      Call Gimp3ProgramIn
      Pop $CandProgram
      ${If} $CandProgram == ""
        !insertmacro SAY "Lumiveil setup: $CandName names the folder '$FindHint', which holds no bin\gimp-3.0.exe; left out"
        ${Continue}
      ${EndIf}
      StrCpy $Gimp3Program $CandProgram
      ${IfThen} $Value == "" ${|} StrCpy $Value "3.x, no version given" ${|}
      StrCpy $Gimp3Found "its uninstall entry $CandName, version $Value"
      ${ExitDo}
    ${Loop}
  ${EndIf}
!macroend

!macro GIMP3_IN_DEFAULT_FOLDER folder
  ${If} $Gimp3Program == ""
    Push "${folder}"
    Call Gimp3ProgramIn
    Pop $Gimp3Program
    ${If} $Gimp3Program != ""
      StrCpy $Gimp3Found "its program in the default folder ${folder} (no uninstall entry)"
    ${EndIf}
  ${EndIf}
!macroend

Function FindGimp3
  StrCpy $Gimp3Program ""
  StrCpy $Gimp3Width ""
  ${If} ${RunningX64}
    SetRegView 64
    !insertmacro GIMP3_FROM_UNINSTALL_ENTRIES HKLM 64-bit
    !insertmacro GIMP3_FROM_UNINSTALL_ENTRIES HKCU 64-bit
  ${EndIf}
  SetRegView 32
  !insertmacro GIMP3_FROM_UNINSTALL_ENTRIES HKLM 32-bit
  !insertmacro GIMP3_FROM_UNINSTALL_ENTRIES HKCU 32-bit
  ${If} ${RunningX64}
    !insertmacro GIMP3_IN_DEFAULT_FOLDER "$PROGRAMFILES64\${GIMP3_DEFAULT_FOLDER}"
  ${EndIf}
  !insertmacro GIMP3_IN_DEFAULT_FOLDER "$PROGRAMFILES32\${GIMP3_DEFAULT_FOLDER}"
  !insertmacro GIMP3_IN_DEFAULT_FOLDER "$LOCALAPPDATA\Programs\${GIMP3_DEFAULT_FOLDER}"
  ${If} $Gimp3Program == ""
    !insertmacro SAY "Lumiveil setup: GIMP 3: not found (no GIMP-3 uninstall entry, no bin\gimp-3.0.exe in its default folders)"
    Return
  ${EndIf}
  Push $Gimp3Program
  Call ProgramWidth
  Pop $Gimp3Width
  ${If} $Gimp3Width == ""
    !insertmacro SAY "Lumiveil setup: GIMP 3: $Gimp3Program, found by $Gimp3Found, is not a Windows program; left out"
    StrCpy $Gimp3Program ""
    Return
  ${EndIf}
  Push $Gimp3Width
  Call WidthLabel
  Pop $Value
  !insertmacro SAY "Lumiveil setup: GIMP 3 ($Value) found by $Gimp3Found: $Gimp3Program"
  ${If} $Gimp3Width == win32
    !insertmacro SAY "Lumiveil setup: GIMP 3: its program is 32-bit, and GIMP 3 is built for x64 and ARM64 only; nothing placed for it"
  ${EndIf}
FunctionEnd

Function PlaceForGimp3
  Push $0
  Push $1
  StrCpy $0 "$LOCALAPPDATA\${GEGL_PLUGINS}"
  Push $Gimp3Width
  Call WidthLabel
  Pop $1
  ClearErrors
  ${If} $Gimp3Width == ""
    Goto done
!ifdef HAVE_GEGL_WIN64
  ${ElseIf} $Gimp3Width == win64
    CreateDirectory $0
    File "/oname=$0\${GEGL_DLL}" "${STAGE}/win64/gegl/${GEGL_DLL}"
!endif
!ifdef HAVE_GEGL_ARM64
  ${ElseIf} $Gimp3Width == win-arm64
    CreateDirectory $0
    File "/oname=$0\${GEGL_DLL}" "${STAGE}/win-arm64/gegl/${GEGL_DLL}"
!endif
  ${Else}
    !insertmacro SAY "Lumiveil setup: GIMP 3: this setup has no $1 operation for it; nothing placed"
    Goto done
  ${EndIf}
  ${If} ${Errors}
    !insertmacro SAY "Lumiveil setup: GIMP 3: could not write $0\${GEGL_DLL}"
  ${Else}
    Push "$0\${GEGL_DLL}"
    Call RecordPlaced
    IntOp $PlacedCount $PlacedCount + 1
    !insertmacro SAY "Lumiveil setup: placed the $1 operation for GIMP 3 in $0; after a restart GIMP 3 shows Filters > Light and Shadow > Lumiveil..."
    StrCpy $FinishText "$FinishText$\r$\nGIMP 3 ($1): $0 (restart GIMP: Filters > Light and Shadow > Lumiveil...)"
  ${EndIf}
  done:
  ClearErrors
  Pop $1
  Pop $0
FunctionEnd

!endif
