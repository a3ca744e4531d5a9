; What the setup says and what it records.
;
; Say: one line to the setup's log and to its standard output when it has one
; (setup.exe /S > out.txt, or a terminal under Wine), so that a silent run still
; tells which hosts it found and where it placed what.
; RecordPlaced: the record of every file the setup placed, one full path a line
; in UTF-16LE (any path Windows can name), kept in the install folder; the uninstaller deletes exactly these files. A later
; setup adds to it, so a file placed by an older version stays recorded.
!ifndef LUMIVEIL_REPORT_NSH
!define LUMIVEIL_REPORT_NSH
!include LogicLib.nsh

!define RECORD_NAME "installed-files.txt"
!define LOG_NAME "setup-log.txt"
!define STD_OUTPUT_HANDLE -11
!define INVALID_HANDLE -1

Var LogPath     ; in $PLUGINSDIR until the install folder exists
Var StdOut

; The line on the stack.
Function Say
  Exch $0
  Push $1
  DetailPrint $0
  FileOpen $1 $LogPath a
  ${IfNot} ${Errors}
    FileSeek $1 0 END
    FileWrite $1 "$0$\r$\n"
    FileClose $1
  ${EndIf}
  ${If} $StdOut == ""
    System::Call 'kernel32::GetStdHandle(i ${STD_OUTPUT_HANDLE}) p .s'
    Pop $StdOut
  ${EndIf}
  ${If} $StdOut <> 0
  ${AndIf} $StdOut <> ${INVALID_HANDLE}
    FileWrite $StdOut "$0$\r$\n"
  ${EndIf}
  ClearErrors
  Pop $1
  Pop $0
FunctionEnd

; The log so far moves into the install folder, where it stays after setup.
Function KeepLogIn
  Exch $0 ; the folder
  Push $1
  Push $2
  Push $3
  ${If} $LogPath != "$0\${LOG_NAME}"
    FileOpen $1 $LogPath r
    FileOpen $2 "$0\${LOG_NAME}" w
    ${Do}
      ClearErrors
      FileRead $1 $3
      ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
      FileWrite $2 $3
    ${Loop}
    FileClose $2
    FileClose $1
    StrCpy $LogPath "$0\${LOG_NAME}"
  ${EndIf}
  ClearErrors
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; A line read from a file, without its line end.
!macro TRIM_LINE_END var
  ${Do}
    StrCpy $R9 ${var} 1 -1
    ${If} $R9 == "$\r"
    ${OrIf} $R9 == "$\n"
      StrCpy ${var} ${var} -1
    ${Else}
      ${ExitDo}
    ${EndIf}
  ${Loop}
!macroend

; The full path on the stack joins the record, once.
Function RecordPlaced
  Exch $0
  Push $1
  Push $2
  Push $R9
  FileOpen $1 "$INSTDIR\${RECORD_NAME}" a
  ${IfNot} ${Errors}
    FileSeek $1 0 SET
    ${Do}
      ClearErrors
      FileReadUTF16LE $1 $2
      ${If} ${Errors}
        FileSeek $1 0 END
        FileWriteUTF16LE $1 "$0$\r$\n"
        ${ExitDo}
      ${EndIf}
      !insertmacro TRIM_LINE_END $2
      ${IfThen} $2 == $0 ${|} ${ExitDo} ${|}
    ${Loop}
    FileClose $1
  ${EndIf}
  ClearErrors
  Pop $R9
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

!endif
