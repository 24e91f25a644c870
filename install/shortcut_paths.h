// The paths of the shortcut step, composed by plain concatenation into
// buffers of MAX_PATH UTF-16 units. A path that would not fit is refused,
// not cut short.
#pragma once

#include "install_config.h"

// A piece of a path: UTF-16 (from the system, the user or the product's
// texts), or an ASCII constant.
struct PathPart {
    PathPart(const wchar_t* text) : wide(text), ascii(nullptr) {}
    PathPart(const char* text) : wide(nullptr), ascii(text) {}
    const wchar_t* wide;
    const char* ascii;
};

// Joins the parts into `out`; false (and `out` empty) when the whole needs
// more than MAX_PATH - 1 units.
bool joinPath(wchar_t (&out)[MAX_PATH], PathPart first, PathPart second = "", PathPart third = "",
              PathPart fourth = "");

// Removes one trailing backslash, if there is one.
void removeTrailingBackslash(wchar_t* text);

// The step's paths. Each compose function returns false when its path would
// not fit. The links go into the desktop and programs folders that the
// user's shell names; where it names none, into the profile's own folders
// as Windows XP keeps them.
bool composeShortcutTarget(wchar_t (&target)[MAX_PATH]);  // installFolder\QRV.EXE
bool composeProfileDesktop(wchar_t (&folder)[MAX_PATH], const wchar_t* profileFolder);   // profile\Desktop
bool composeProfilePrograms(wchar_t (&folder)[MAX_PATH], const wchar_t* profileFolder);  // profile\Start Menu\Programs
bool composeDesktopLink(wchar_t (&link)[MAX_PATH], const wchar_t* desktopFolder);
bool composeGroupFolder(wchar_t (&folder)[MAX_PATH], const wchar_t* programsFolder);
bool composeGroupLink(wchar_t (&link)[MAX_PATH], const wchar_t* groupFolder);
