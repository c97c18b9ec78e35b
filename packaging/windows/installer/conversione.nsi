; The installer of the Windows program: Modern UI 2 in Italian, for the current user only and
; without administrator rights, into the user's own programs folder, with a Start-menu entry and
; an entry in the list of installed apps. make-packages.sh passes on the command line: VERSION,
; VERSION_NUMBERS (four numbers), PUBLISHER, COPYRIGHT, ICON, LICENCE_TEXT (the licence page),
; FILES (files.nsh: the macros that install and remove the staged files, the zip's own),
; ESTIMATED_SIZE (their size in KiB) and OUTFILE.

Unicode true
; The program is 64-bit only; so is the installer, which keeps it off 32-bit Windows and away
; from the 32-bit views of the registry and of the file system.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
CRCCheck on

!define PROGRAM "conversione.exe"
!define UNINSTALLER "disinstalla.exe"
!define SHORTCUT "$SMPROGRAMS\Conversione.lnk"
; The list of installed apps, and the program's entry in it.
!define APPS_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${APPS_KEY}\Conversione"

Name "Conversione"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Conversione"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Conversione ${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

; The licences govern copying and changing the program, not using it: the page informs, and
; its button goes on instead of asking for agreement.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Conversione è distribuito con la licenza MIT; Qt, compresa nel programma, con la GNU LGPL versione 3. Per installarlo e usarlo non serve accettarle."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_TOP "Premi 'PagGiù' per leggere il resto delle licenze."
!define MUI_PAGE_HEADER_TEXT "Licenze"
!define MUI_PAGE_HEADER_SUBTEXT "Le licenze di Conversione e di Qt, la libreria compresa nel programma."
!insertmacro MUI_PAGE_LICENSE "${LICENCE_TEXT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_RUN_TEXT "Avvia Conversione"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "Conversione"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di Conversione ${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "${COPYRIGHT}"

; What installing makes besides the program's own files and key, recorded in its key so that
; the uninstaller removes it and nothing that was there before:
; CreatedFolder: the outermost folder of $INSTDIR that does not exist yet (made with those inside
; it), such as the user's Programs folder on a new account; empty when $INSTDIR exists already.
; CreatedAppsKey: 1 when the user's list of installed apps has no key yet.
Var CreatedFolder
Var CreatedAppsKey

Function FindCreated
    StrCpy $CreatedFolder ""
    StrCpy $0 "$INSTDIR"
    ${DoUntil} ${FileExists} "$0\*.*"
        StrCpy $CreatedFolder "$0"
        ${GetParent} "$0" $1
        ${If} $1 == ""
        ${OrIf} $1 == $0
            ${Break}
        ${EndIf}
        StrCpy $0 "$1"
    ${Loop}
    ; Installed again into the same folder: the first installation made it.
    ${If} $CreatedFolder == ""
        ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $0 == "$INSTDIR"
            ReadRegStr $CreatedFolder HKCU "${UNINSTALL_KEY}" "CreatedFolder"
        ${EndIf}
    ${EndIf}

    ClearErrors
    EnumRegKey $0 HKCU "${APPS_KEY}" 0
    ${If} ${Errors}
        StrCpy $CreatedAppsKey 1
    ${Else}
        ReadRegDWORD $CreatedAppsKey HKCU "${UNINSTALL_KEY}" "CreatedAppsKey"
        IntOp $CreatedAppsKey $CreatedAppsKey + 0
    ${EndIf}
FunctionEnd

Section
    SetShellVarContext current
    Call FindCreated
    !insertmacro InstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; The shortcut starts the program in its own folder.
    SetOutPath "$INSTDIR"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Conversione"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    ; The staged files' size, and the uninstaller's, which is made here.
    ${GetSize} "$INSTDIR" "/M=${UNINSTALLER} /S=0K /G=0" $0 $1 $2
    IntOp $0 $0 + ${ESTIMATED_SIZE}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegStr HKCU "${UNINSTALL_KEY}" "CreatedFolder" "$CreatedFolder"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "CreatedAppsKey" $CreatedAppsKey
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    ReadRegStr $CreatedFolder HKCU "${UNINSTALL_KEY}" "CreatedFolder"
    ReadRegDWORD $CreatedAppsKey HKCU "${UNINSTALL_KEY}" "CreatedAppsKey"
    Delete "${SHORTCUT}"
    !insertmacro UninstallFiles
    Delete "$INSTDIR\${UNINSTALLER}"

    ; Only empty folders go (RMDir without /r), so nothing the user put there is lost; and only
    ; from $INSTDIR up to the folder recorded, which must hold it.
    StrLen $2 $CreatedFolder
    StrCpy $3 "$INSTDIR" $2
    StrCpy $4 "$INSTDIR" 1 $2
    ${If} $4 == "\"
        StrCpy $4 ""
    ${EndIf}
    ${If} $CreatedFolder != ""
    ${AndIf} $3 == $CreatedFolder
    ${AndIf} $4 == ""
        StrCpy $0 "$INSTDIR"
        ${Do}
            RMDir "$0"
            ${If} $0 == $CreatedFolder
                ${Break}
            ${EndIf}
            ${GetParent} "$0" $1
            ${If} $1 == ""
            ${OrIf} $1 == $0
                ${Break}
            ${EndIf}
            StrCpy $0 "$1"
        ${Loop}
    ${EndIf}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${If} $CreatedAppsKey == 1
        DeleteRegKey /ifnosubkeys /ifnovalues HKCU "${APPS_KEY}"
    ${EndIf}
SectionEnd
