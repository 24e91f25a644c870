// The shell's folder browser.
#include <windows.h>

#include <shlobj.h>

#include "install_config.h"
#include "wizard.h"

const char* chooseFolder(HWND owner, const char* title)
{
    BROWSEINFOA browse = {};
    browse.hwndOwner = owner;
    browse.pszDisplayName = browsePath;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (!chosen) return nullptr;
    bool hasPath = SHGetPathFromIDListA(chosen, browsePath) != 0;
    CoTaskMemFree(chosen);
    return hasPath ? browsePath : nullptr;
}
