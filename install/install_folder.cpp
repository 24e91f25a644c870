// Creating the install folder with every missing parent, from the top down.
#include <cstring>

#include "engine.h"
#include "folder_rules.h"

bool createFolderPath(char* path)
{
    int cut = parentCutPosition(path);
    if (cut >= 0) {
        char saved[264];  // 259 characters fit, with room to spare
        strncpy(saved, path, sizeof saved - 1);
        saved[sizeof saved - 1] = 0;
        path[cut] = 0;
        createFolderPath(path);  // a failing parent shows in its child's creation
        strcpy(path, saved);
    }
    if (!CreateDirectoryA(path, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    return SetCurrentDirectoryA(path) != 0;
}

bool createInstallFolder() { return validateInstallFolder() && createFolderPath(installFolder); }
