// Creating the install folder with every missing parent, from the top down.
#include <cwchar>

#include "engine.h"
#include "folder_rules.h"

bool createFolderPath(wchar_t* path)
{
    int cut = parentCutPosition(path);
    if (cut >= 0) {
        wchar_t saved[264];  // 259 characters fit, with room to spare
        wcsncpy(saved, path, 263);
        saved[263] = 0;
        path[cut] = 0;
        createFolderPath(path);  // a failing parent shows in its child's creation
        wcscpy(path, saved);
    }
    if (!CreateDirectoryW(path, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    return SetCurrentDirectoryW(path) != 0;
}

bool createInstallFolder() { return createFolderPath(installFolder); }
