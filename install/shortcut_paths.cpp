#include "shortcut_paths.h"

#include <cstring>
#include <cwchar>
#include <initializer_list>

bool joinPath(wchar_t (&out)[MAX_PATH], PathPart first, PathPart second, PathPart third, PathPart fourth)
{
    size_t used = 0;
    for (const PathPart& part : {first, second, third, fourth}) {
        size_t length = part.wide ? wcslen(part.wide) : strlen(part.ascii);
        if (length >= MAX_PATH - used) {
            out[0] = 0;
            return false;
        }
        for (size_t i = 0; i < length; i++) out[used + i] = part.wide ? part.wide[i] : wchar_t(part.ascii[i]);
        used += length;
    }
    out[used] = 0;
    return true;
}

void removeTrailingBackslash(wchar_t* text)
{
    size_t length = wcslen(text);
    if (length > 0 && text[length - 1] == '\\') text[length - 1] = 0;
}

bool composeShortcutTarget(wchar_t (&target)[MAX_PATH])
{
    return joinPath(target, installFolder, "\\", installConfig.productName, ".EXE");
}

bool composeProfileDesktop(wchar_t (&folder)[MAX_PATH], const wchar_t* profileFolder)
{
    return joinPath(folder, profileFolder, "\\Desktop");
}

bool composeProfilePrograms(wchar_t (&folder)[MAX_PATH], const wchar_t* profileFolder)
{
    return joinPath(folder, profileFolder, "\\Start Menu\\Programs");
}

bool composeDesktopLink(wchar_t (&link)[MAX_PATH], const wchar_t* desktopFolder)
{
    return joinPath(link, desktopFolder, "\\", installConfig.productName, ".lnk");
}

bool composeGroupFolder(wchar_t (&folder)[MAX_PATH], const wchar_t* programsFolder)
{
    return joinPath(folder, programsFolder, "\\", installConfig.groupName);
}

bool composeGroupLink(wchar_t (&link)[MAX_PATH], const wchar_t* groupFolder)
{
    return joinPath(link, groupFolder, "\\", installConfig.productName, ".lnk");
}
