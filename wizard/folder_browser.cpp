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
    // The new style's browser is made of COM objects: COM must be
    // initialised on this thread, apartment-threaded, while it runs. Where
    // it cannot be, the older browser, which needs none, still lets the
    // user choose or type a folder.
    bool com = shell.initialize && shell.uninitialize && SUCCEEDED(shell.initialize(nullptr));
    if (!com) browse.ulFlags &= ~BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST chosen = shell.browseForFolder(&browse);
    bool hasPath = chosen && shell.pathFromIdList(chosen, browsePath) != 0;
    if (chosen) shell.taskMemFree(chosen);
    if (com) shell.uninitialize();
    return hasPath ? browsePath : nullptr;
}
