; Tolmar MSH Viewer - the Windows installer, built on Debian with NSIS (scripts/build-windows.sh).
; Installs for the current user alone, with no administrator rights: the programs into
; %LOCALAPPDATA%\Programs\Tolmar MSH Viewer, a Start-menu entry, and, as the user chooses, .msh files opened
; by the viewer and the tools on PATH. The uninstaller takes away all of it.
; Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
;
;   makensis -DVERSION=0.2.1 -DSTAGE=folder-of-the-zip -DICON=tolmar-msh-viewer.ico -DOUTFILE=setup.exe installer.nsi

Target amd64-unicode ; a 64-bit installer for 64-bit programs (and Wine without its 32-bit half runs it)
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define NAME "Tolmar MSH Viewer"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TolmarMshViewer"
!define PROG_ID "TolmarMshViewer.msh"

Name "${NAME}"
Icon "${ICON}"
UninstallIcon "${ICON}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh
!include StrFunc.nsh
${StrStr}
${UnStrRep}

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Tolmar MSH Viewer and its tools" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "${STAGE}\tolmar-msh-viewer.exe"
    File "${STAGE}\mshinfo.exe"
    File "${STAGE}\mshconvert.exe"
    File "${STAGE}\mshgen.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE.txt"
    File "${STAGE}\sample.msh"
    File "${STAGE}\io_scene_tolmar_msh.py"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\tolmar-msh-viewer.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tolmar-msh-viewer.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "the Tolmar MSH Viewer developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Open .msh files with the viewer" SecAssociation
    ReadRegStr $0 HKCU "Software\Classes\.msh" ""
    ${If} $0 != ""
    ${AndIf} $0 != "${PROG_ID}"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousMshClass" "$0" ; given back by the uninstaller
    ${EndIf}
    WriteRegStr HKCU "Software\Classes\.msh" "" "${PROG_ID}"
    WriteRegStr HKCU "Software\Classes\${PROG_ID}" "" "MSH mesh file"
    WriteRegStr HKCU "Software\Classes\${PROG_ID}\DefaultIcon" "" "$INSTDIR\tolmar-msh-viewer.exe,0"
    WriteRegStr HKCU "Software\Classes\${PROG_ID}\shell\open\command" "" '"$INSTDIR\tolmar-msh-viewer.exe" "%1"'
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; the association changed
SectionEnd

Section /o "Put the tools on PATH" SecPath
    ReadRegStr $0 HKCU "Environment" "Path"
    ${StrStr} $1 ";$0;" ";$INSTDIR;"
    ${If} $1 == ""
        ${If} $0 == ""
            WriteRegExpandStr HKCU "Environment" "Path" "$INSTDIR"
        ${Else}
            WriteRegExpandStr HKCU "Environment" "Path" "$0;$INSTDIR"
        ${EndIf}
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
    ${EndIf}
SectionEnd

; A silent install (/S) takes the ticked choices; /PATH ticks the one that is not. .msh files another
; program opens stay with it unless the box is ticked (or /ASSOCIATE given).
Function .onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/PATH" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecPath}
    ${EndIf}

    ReadRegStr $2 HKCU "Software\Classes\.msh" ""
    ${If} $2 == ""
        ReadRegStr $2 HKCR ".msh" ""
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/ASSOCIATE" $1
    ${If} ${Errors}
    ${AndIf} $2 != ""
    ${AndIf} $2 != "${PROG_ID}"
        !insertmacro UnselectSection ${SecAssociation}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Delete "$INSTDIR\tolmar-msh-viewer.exe"
    Delete "$INSTDIR\mshinfo.exe"
    Delete "$INSTDIR\mshconvert.exe"
    Delete "$INSTDIR\mshgen.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\sample.msh"
    Delete "$INSTDIR\io_scene_tolmar_msh.py"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${NAME}.lnk"

    ; The association only where it is still ours, given back to the program that had it before.
    ReadRegStr $0 HKCU "Software\Classes\.msh" ""
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "PreviousMshClass"
    ${If} $0 == "${PROG_ID}"
    ${AndIf} $1 != ""
        WriteRegStr HKCU "Software\Classes\.msh" "" "$1"
    ${ElseIf} $0 == "${PROG_ID}"
        DeleteRegKey HKCU "Software\Classes\.msh"
    ${EndIf}
    DeleteRegKey HKCU "Software\Classes\${PROG_ID}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ; This folder out of PATH, wherever it stands in it.
    ReadRegStr $0 HKCU "Environment" "Path"
    ${UnStrRep} $1 ";$0;" ";$INSTDIR;" ";"
    ${UnStrRep} $1 "$1" ";;" ";"
    StrCpy $1 "$1" "" 1   ; the leading ;
    StrCpy $1 "$1" -1     ; the trailing ;
    ${If} $1 == ""
    ${AndIf} $0 != ""
        DeleteRegValue HKCU "Environment" "Path"
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
    ${ElseIf} $1 != $0
        WriteRegExpandStr HKCU "Environment" "Path" "$1"
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
    ${EndIf}

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
