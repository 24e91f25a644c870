// The shell's folder browser.
#include <windows.h>

#include <shlobj.h>

#include "install_config.h"
#include "system_libraries.h"
#include "wizard.h"

const wchar_t* chooseFolder(HWND owner, const wchar_t* title)
{
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.pszDisplayName = browsePath;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    // Without the shell's calls there is no browser: as if cancelled.
    const ShellCalls& shell = shellCalls();
    if (!shell.browseForFolder || !shell.pathFromIdList || !shell.taskMemFree) return nullptr;
    LPITEMIDLIST chosen = shell.browseForFolder(&browse);
    if (!chosen) return nullptr;
    bool hasPath = shell.pathFromIdList(chosen, browsePath) != 0;
    shell.taskMemFree(chosen);
    return hasPath ? browsePath : nullptr;
}
