; The same install as setup.exe's, made with NSIS for make bench-installer:
; the five files with their stored time stamps into C:\Arvendal\QRV (the
; user may choose another folder), a shortcut on the desktop and one in the
; Start-Menu group "Arvendal", for the current user, no uninstaller.
;
;   makensis -DSTAGE=FOLDER -DOUTFILE=SETUP.EXE qrv.nsi
;
; STAGE holds the five files under their installed names, each with its
; stored time as its modification time (bench-installer.sh prepares it).

!ifndef STAGE | OUTFILE
  !error "define STAGE (the staged files) and OUTFILE (the installer)"
!endif

Unicode true
SetCompressor /SOLID lzma
Name "QRV"
OutFile "${OUTFILE}"
InstallDir "C:\Arvendal\QRV"
RequestExecutionLevel user
; The files keep the modification times they had when staged.
SetDateSave on

Page directory
Page instfiles

Section
  SetOutPath "$INSTDIR"
  File "${STAGE}/QRV.EXE"
  File "${STAGE}/QRV.HLP"
  File "${STAGE}/DocReader.EXE"
  File "${STAGE}/HELP.QRD"
  File "${STAGE}/SHAPES.QRD"
  ; The output folder is the shortcuts' working folder, as in ours.
  CreateShortCut "$DESKTOP\QRV.lnk" "$INSTDIR\QRV.EXE" "" "" 0 SW_SHOWNORMAL "" \
      "Chart Studio && Data Sifter$\nby Orvel K. Tamsin$\nBrindlemoor, Wessex"
  CreateDirectory "$SMPROGRAMS\Arvendal"
  CreateShortCut "$SMPROGRAMS\Arvendal\QRV.lnk" "$INSTDIR\QRV.EXE" "" "" 0 SW_SHOWNORMAL "" \
      "Chart Studio && Data Sifter$\nby Orvel K. Tamsin$\nBrindlemoor, Wessex"
SectionEnd
