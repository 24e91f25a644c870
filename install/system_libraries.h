// Where the program's DLLs come from: the system folder only. The search
// for DLLs loaded by name leaves the program's and the current folder
// (where the system allows it), the DLLs that system DLLs load on demand
// are loaded from the system folder beforehand (the shell's with the
// shell), and the DLLs the program
// needs beyond Windows' first few (comctl32, and ole32 and shell32 for the
// folder browser and the shortcuts) are loaded by their full path when
// first needed, not imported: a program that imports them has them loaded,
// with all they bring, before its first line runs.
#pragma once

#include <windows.h>

#include <shlobj.h>

void restrictDllSearch();
void preloadSystemLibraries();
HMODULE loadSystemLibrary(const char* name);

// comctl32's common controls registered (the dialog's progress bars).
void initCommonControls();

// The shell's and COM's calls the program makes, bound on first use; a
// call its DLL lacks is null. The program never changes the table; a test
// may replace a call in it, to fail as a real system rarely would.
struct ShellCalls {
    decltype(&::SHBrowseForFolderW) browseForFolder;
    decltype(&::SHGetPathFromIDListW) pathFromIdList;
    decltype(&::SHGetFolderPathW) folderPath;  // Windows 2000 and later
    decltype(&::CoTaskMemFree) taskMemFree;
    decltype(&::CoInitialize) initialize;
    decltype(&::CoUninitialize) uninitialize;
    decltype(&::CoCreateInstance) createInstance;
};
ShellCalls& shellCalls();
