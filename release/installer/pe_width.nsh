; The width of a Windows program, read from the machine field of its PE header with
; NSIS's own file instructions: a host loads only modules of the kind it runs as,
; whatever the registry view that named it.
;
;   Push "C:\...\Photoshop.exe"
;   Call ProgramWidth
;   Pop $0   ; win32 (x86), win64 (x64), win-arm64 (ARM64), or "" (no such PE program)
!ifndef LUMIVEIL_PE_WIDTH_NSH
!define LUMIVEIL_PE_WIDTH_NSH
!include LogicLib.nsh

!define PE_DOS_MAGIC 23117          ; "MZ"
!define PE_HEADER_POINTER_AT 60     ; e_lfanew, a 32-bit offset
!define PE_SIGNATURE_LOW 17744      ; "PE", followed by two zero bytes
!define PE_MACHINE_I386 332         ; 0x014c
!define PE_MACHINE_AMD64 34404      ; 0x8664
!define PE_MACHINE_ARM64 43620      ; 0xaa64

Function ProgramWidth
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 ""
  ClearErrors
  FileOpen $1 $0 r
  ${IfNot} ${Errors}
    FileReadWord $1 $2
    ${If} $2 = ${PE_DOS_MAGIC}
      FileSeek $1 ${PE_HEADER_POINTER_AT} SET
      FileReadWord $1 $2
      FileReadWord $1 $0
      IntOp $0 $0 << 16
      IntOp $2 $2 | $0
      FileSeek $1 $2 SET
      FileReadWord $1 $0
      FileReadWord $1 $2
      ${If} $0 = ${PE_SIGNATURE_LOW}
      ${AndIf} $2 = 0
        FileReadWord $1 $0
        ${If} $0 = ${PE_MACHINE_I386}
          StrCpy $3 win32
        ${ElseIf} $0 = ${PE_MACHINE_AMD64}
          StrCpy $3 win64
        ${ElseIf} $0 = ${PE_MACHINE_ARM64}
          StrCpy $3 win-arm64
        ${EndIf}
      ${EndIf}
    ${EndIf}
    FileClose $1
  ${EndIf}
  ClearErrors
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

!endif
