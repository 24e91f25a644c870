#include "shortcut_paths.h"

#include <cstring>

bool joinPath(char (&out)[MAX_PATH], const char* first, const char* second, const char* third, const char* fourth)
{
    const char* parts[] = {first, second, third, fourth};
    size_t used = 0;
    for (const char* part : parts) {
        size_t length = strlen(part);
        if (length >= sizeof out - used) {
            out[0] = 0;
            return false;
        }
        memcpy(out + used, part, length);
        used += length;
    }
    out[used] = 0;
    return true;
}

void removeTrailingBackslash(char* text)
{
    size_t length = strlen(text);
    if (length > 0 && text[length - 1] == '\\') text[length - 1] = 0;
}

bool composeShortcutTarget(char (&target)[MAX_PATH])
{
    return joinPath(target, installFolder, "\\", installConfig.productName, ".EXE");
}

bool composeDesktopLink(char (&link)[MAX_PATH], const char* profileFolder)
{
    return joinPath(link, profileFolder, "\\Desktop\\", installConfig.productName, ".lnk");
}

bool composeGroupFolder(char (&folder)[MAX_PATH], const char* profileFolder)
{
    return joinPath(folder, profileFolder, "\\Start Menu\\Programs\\", installConfig.groupName);
}

bool composeGroupLink(char (&link)[MAX_PATH], const char* groupFolder)
{
    return joinPath(link, groupFolder, "\\", installConfig.productName, ".lnk");
}
