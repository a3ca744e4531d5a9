; Finding the hosts: each finder reads where a host keeps its plug-ins folder and
; where its program file is, and hands both to AddHost, which reads the program's
; width and writes one row of the host table ($PLUGINSDIR\hosts.ini, [1] .. [n]:
; name, width, folder, program). A host whose program file cannot be found is left
; out and the log says why: its width would be a guess.
!ifndef LUMIVEIL_HOSTS_NSH
!define LUMIVEIL_HOSTS_NSH
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include pe_width.nsh
!include report.nsh

!define HOST_TABLE "$PLUGINSDIR\hosts.ini"
!define APP_PATHS "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths"
; Photoshop's registry keys are <N>.0: 11 and 12 are CS4 and CS5, 55 CS5.1, 60 CS6;
; from 70 (CC) on it also loads the shared Plug-Ins\CC folder of its width's Common
; Files, which survives the host's updates.
!define PHOTOSHOP_FIRST_CC 70
!define SHARED_CC_FOLDER "Adobe\Plug-Ins\CC"

Var HostCount
Var HostsFound       ; "name (width), ..." for the log
Var CandName         ; AddHost's inputs
Var CandProgram
Var CandFolder
Var CandSharedCC     ; 1: a Photoshop CC, whose x86/x64 module goes to the shared folder
Var FindName         ; FindProgram's inputs
Var FindHint
Var Key              ; the finders' loop state
Var KeyIndex
Var Value
Var Value2

!macro SAY text
  Push `${text}`
  Call Say
!macroend

; "C:\a\b\" -> "C:\a\b"
!macro DROP_TRAILING_SLASH var
  ${If} ${var} != ""
    StrCpy $R9 ${var} 1 -1
    ${IfThen} $R9 == "\" ${|} StrCpy ${var} ${var} -1 ${|}
  ${EndIf}
!macroend

Function WidthLabel ; win32 | win64 | win-arm64 on the stack -> its label
  Exch $0
  ${If} $0 == win32
    StrCpy $0 "32-bit"
  ${ElseIf} $0 == win64
    StrCpy $0 "x64"
  ${ElseIf} $0 == win-arm64
    StrCpy $0 "ARM64"
  ${EndIf}
  Exch $0
FunctionEnd

; $FindName in $FindHint, in its parent, or where Windows' App Paths name it
; (both registry views). Sets $CandProgram, "" when not found.
Function FindProgram
  StrCpy $CandProgram ""
  !insertmacro DROP_TRAILING_SLASH $FindHint
  ${If} $FindHint != ""
    ${If} ${FileExists} "$FindHint\$FindName"
      StrCpy $CandProgram "$FindHint\$FindName"
      Return
    ${EndIf}
    ${GetParent} $FindHint $R8
    ${If} $R8 != ""
    ${AndIf} ${FileExists} "$R8\$FindName"
      StrCpy $CandProgram "$R8\$FindName"
      Return
    ${EndIf}
  ${EndIf}
  ${If} ${RunningX64}
    SetRegView 64
    ReadRegStr $R8 HKLM "${APP_PATHS}\$FindName" ""
    SetRegView 32
  ${Else}
    StrCpy $R8 ""
  ${EndIf}
  ${If} $R8 == ""
    ReadRegStr $R8 HKLM "${APP_PATHS}\$FindName" ""
  ${EndIf}
  ${If} $R8 == ""
    ReadRegStr $R8 HKCU "${APP_PATHS}\$FindName" ""
  ${EndIf}
  ; App Paths values may be quoted.
  StrCpy $R7 $R8 1
  ${If} $R7 == '"'
    StrCpy $R8 $R8 -1 1
  ${EndIf}
  ${If} $R8 != ""
  ${AndIf} ${FileExists} $R8
    StrCpy $CandProgram $R8
  ${EndIf}
  ClearErrors
FunctionEnd

; One row of the host table from $CandName, $CandProgram, $CandFolder, $CandSharedCC.
Function AddHost
  ${If} $CandProgram == ""
    !insertmacro SAY "Lumiveil setup: $CandName: no program file found, so its width is unknown; left out"
    Return
  ${EndIf}
  Push $CandProgram
  Call ProgramWidth
  Pop $R0
  ${If} $R0 == ""
    !insertmacro SAY "Lumiveil setup: $CandName: $CandProgram is not a Windows program; left out"
    Return
  ${EndIf}
  ; The same program seen twice (a key in both registry views) is one host.
  StrCpy $R1 1
  ${DoWhile} $R1 <= $HostCount
    ReadINIStr $R2 "${HOST_TABLE}" $R1 program
    ReadINIStr $R3 "${HOST_TABLE}" $R1 name
    ${If} $R2 == $CandProgram
    ${AndIf} $R3 == $CandName
      Return
    ${EndIf}
    IntOp $R1 $R1 + 1
  ${Loop}
  ${If} $HostCount >= ${HOST_SLOTS}
    !insertmacro SAY "Lumiveil setup: $CandName: more hosts than this setup lists (${HOST_SLOTS}); left out"
    Return
  ${EndIf}
  ; A native ARM64 Photoshop keeps its own folder: the shared one is also read by
  ; an emulated x64 Photoshop beside it, and holds one module of each name.
  ${If} $CandSharedCC == 1
    ${If} $R0 == win64
      StrCpy $CandFolder "$COMMONFILES64\${SHARED_CC_FOLDER}"
    ${ElseIf} $R0 == win32
      StrCpy $CandFolder "$COMMONFILES32\${SHARED_CC_FOLDER}"
    ${EndIf}
  ${EndIf}
  !insertmacro DROP_TRAILING_SLASH $CandFolder
  IntOp $HostCount $HostCount + 1
  WriteINIStr "${HOST_TABLE}" $HostCount name $CandName
  WriteINIStr "${HOST_TABLE}" $HostCount width $R0
  WriteINIStr "${HOST_TABLE}" $HostCount folder $CandFolder
  WriteINIStr "${HOST_TABLE}" $HostCount program $CandProgram
  Push $R0
  Call WidthLabel
  Pop $R0
  ${If} $HostsFound != ""
    StrCpy $HostsFound "$HostsFound, "
  ${EndIf}
  StrCpy $HostsFound "$HostsFound$CandName ($R0)"
FunctionEnd

; Every HKLM\SOFTWARE\Adobe\Photoshop\<N>.0 of the current registry view.
Function FindPhotoshopsInView
  StrCpy $KeyIndex 0
  ${Do}
    EnumRegKey $Key HKLM "SOFTWARE\Adobe\Photoshop" $KeyIndex
    ${IfThen} $Key == "" ${|} ${ExitDo} ${|}
    IntOp $KeyIndex $KeyIndex + 1
    ReadRegStr $Value HKLM "SOFTWARE\Adobe\Photoshop\$Key" ApplicationPath
    ${IfThen} $Value == "" ${|} ${Continue} ${|}
    ReadRegStr $CandFolder HKLM "SOFTWARE\Adobe\Photoshop\$Key" PluginPath
    !insertmacro DROP_TRAILING_SLASH $Value
    ${IfThen} $CandFolder == "" ${|} StrCpy $CandFolder "$Value\Plug-ins" ${|}
    StrCpy $CandProgram "$Value\Photoshop.exe"
    ${IfNot} ${FileExists} $CandProgram
      StrCpy $CandProgram ""
    ${EndIf}
    ${GetFileName} $Value $CandName ; "Adobe Photoshop 2024"
    ${IfThen} $CandName == "" ${|} StrCpy $CandName "Adobe Photoshop $Key" ${|}
    IntOp $Value2 $Key + 0
    StrCpy $CandSharedCC 0
    ${IfThen} $Value2 >= ${PHOTOSHOP_FIRST_CC} ${|} StrCpy $CandSharedCC 1 ${|}
    Call AddHost
  ${Loop}
  StrCpy $CandSharedCC 0
FunctionEnd

; Every HKLM\SOFTWARE\Adobe\Photoshop Elements\<N>.0 (PluginPath).
Function FindElementsInView
  StrCpy $KeyIndex 0
  ${Do}
    EnumRegKey $Key HKLM "SOFTWARE\Adobe\Photoshop Elements" $KeyIndex
    ${IfThen} $Key == "" ${|} ${ExitDo} ${|}
    IntOp $KeyIndex $KeyIndex + 1
    ReadRegStr $CandFolder HKLM "SOFTWARE\Adobe\Photoshop Elements\$Key" PluginPath
    ${IfThen} $CandFolder == "" ${|} ${Continue} ${|}
    ReadRegStr $FindHint HKLM "SOFTWARE\Adobe\Photoshop Elements\$Key" ApplicationPath
    ${IfThen} $FindHint == "" ${|} StrCpy $FindHint $CandFolder ${|}
    StrCpy $FindName "PhotoshopElementsEditor.exe"
    Call FindProgram
    StrCpy $CandName "Photoshop Elements $Key"
    Call AddHost
  ${Loop}
FunctionEnd

; Every HKLM\SOFTWARE\Serif\PhotoPlus\<N>.0\Directories (PluginRootDir).
Function FindPhotoPlusInView
  StrCpy $KeyIndex 0
  ${Do}
    EnumRegKey $Key HKLM "SOFTWARE\Serif\PhotoPlus" $KeyIndex
    ${IfThen} $Key == "" ${|} ${ExitDo} ${|}
    IntOp $KeyIndex $KeyIndex + 1
    ReadRegStr $CandFolder HKLM "SOFTWARE\Serif\PhotoPlus\$Key\Directories" PluginRootDir
    ${IfThen} $CandFolder == "" ${|} ${Continue} ${|}
    StrCpy $FindHint $CandFolder
    StrCpy $FindName "PhotoPlus.exe"
    Call FindProgram
    StrCpy $CandName "PhotoPlus $Key"
    Call AddHost
  ${Loop}
FunctionEnd

; IrfanView loads .8bf modules from Plugins\Adobe 8BF beside its program.
Function AddIrfanView
  ${If} $CandProgram != ""
    ${GetParent} $CandProgram $Value
    StrCpy $CandFolder "$Value\Plugins\Adobe 8BF"
    StrCpy $CandName "IrfanView"
    Call AddHost
  ${EndIf}
FunctionEnd

Function FindIrfanViews
  ${If} ${RunningX64}
    StrCpy $FindHint "$PROGRAMFILES64\IrfanView"
    StrCpy $FindName "i_view64.exe"
    Call FindProgram
    Call AddIrfanView
  ${EndIf}
  StrCpy $FindHint "$PROGRAMFILES32\IrfanView"
  StrCpy $FindName "i_view32.exe"
  Call FindProgram
  Call AddIrfanView
FunctionEnd

; HKCU\Software\Corel\PaintShop Pro\<version>\FileLocations\PlugIns\0 (Dir).
Function FindPaintShopPros
  StrCpy $KeyIndex 0
  ${Do}
    EnumRegKey $Key HKCU "Software\Corel\PaintShop Pro" $KeyIndex
    ${IfThen} $Key == "" ${|} ${ExitDo} ${|}
    IntOp $KeyIndex $KeyIndex + 1
    ReadRegStr $CandFolder HKCU "Software\Corel\PaintShop Pro\$Key\FileLocations\PlugIns\0" Dir
    ${IfThen} $CandFolder == "" ${|} ${Continue} ${|}
    StrCpy $FindHint $CandFolder
    StrCpy $FindName "Corel PaintShop Pro.exe"
    Call FindProgram
    StrCpy $CandName "PaintShop Pro $Key"
    Call AddHost
  ${Loop}
FunctionEnd

; HKCU\Software\Computerinsel\PhotoLine\Settings (PlugInPathNew1).
Function FindPhotoLine
  ReadRegStr $CandFolder HKCU "Software\Computerinsel\PhotoLine\Settings" PlugInPathNew1
  ${IfThen} $CandFolder == "" ${|} Return ${|}
  StrCpy $FindHint $CandFolder
  StrCpy $FindName "PhotoLine64.exe"
  Call FindProgram
  ${If} $CandProgram == ""
    StrCpy $FindName "PhotoLine.exe"
    Call FindProgram
  ${EndIf}
  StrCpy $CandName "PhotoLine"
  Call AddHost
FunctionEnd

; Fills the host table and says what it found.
Function FindHosts
  StrCpy $HostCount 0
  StrCpy $HostsFound ""
  StrCpy $CandSharedCC 0
  ${If} ${RunningX64}
    SetRegView 64
    Call FindPhotoshopsInView
    Call FindElementsInView
    Call FindPhotoPlusInView
  ${EndIf}
  SetRegView 32
  Call FindPhotoshopsInView
  Call FindElementsInView
  Call FindPhotoPlusInView
  Call FindPaintShopPros
  Call FindPhotoLine
  Call FindIrfanViews
  SetRegView 32
  ${IfThen} $HostsFound == "" ${|} StrCpy $HostsFound "none" ${|}
  !insertmacro SAY "Lumiveil setup: hosts found: $HostsFound"
FunctionEnd

!endif
