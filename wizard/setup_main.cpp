// Start-up: the DLL search limited to the system folder, the global
// install state, the logo, the common controls, the system survey, the
// payloads' decoding started on its own thread, then the modal dialog that
// does all the rest.
#include <windows.h>

#include "engine.h"
#include "shortcut_paths.h"
#include "system_libraries.h"
#include "wizard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    traceMark("setup: started");
    restrictDllSearch();  // before anything can load a DLL by name
    preloadSystemLibraries();
    appInstance = instance;
    joinPath(installFolder, installConfig.defaultFolder);  // fits: checked when built
    loadLogo();
    initCommonControls();  // the dialog's progress bars need their class
    detectOsVersion();
    detectArchitecture();
    startExtraction();  // decodes while the dialog is made and painted
    // A Unicode dialog, so that the folder line shows any folder's name.
    DialogBoxParamW(appInstance, L"SETUP", nullptr, setupDialogProc, 0);
    return 0;
}
