// The paths of the shortcut step, composed by plain concatenation into
// buffers of MAX_PATH characters. A path that would not fit is refused, not
// cut short.
#pragma once

#include "install_config.h"

// Joins the texts into `out`; false (and `out` empty) when the whole needs
// more than MAX_PATH - 1 characters.
bool joinPath(char (&out)[MAX_PATH], const char* first, const char* second = "", const char* third = "",
              const char* fourth = "");

// Removes one trailing backslash, if there is one.
void removeTrailingBackslash(char* text);

// The step's paths. Each compose function returns false when its path would
// not fit.
bool composeShortcutTarget(char (&target)[MAX_PATH]);  // installFolder\QRV.EXE
bool composeDesktopLink(char (&link)[MAX_PATH], const char* profileFolder);
bool composeGroupFolder(char (&folder)[MAX_PATH], const char* profileFolder);
bool composeGroupLink(char (&link)[MAX_PATH], const char* groupFolder);
