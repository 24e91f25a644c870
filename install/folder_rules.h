// The rules an install folder must meet, and the form they bring it into.
#pragma once

// Checks `text` (a terminated text of at most 259 characters: bytes, as the
// manifest gives the default folder, or UTF-16, as the program holds the
// install folder) and normalises it in place: the drive letter upper-cased
// (even when a later rule fails) and one trailing backslash removed. True
// when it is an absolute path on a drive from C to Z with exactly one
// colon, no doubled backslash and at least one character after the drive's
// root.
bool validateFolderText(char* text);
bool validateFolderText(wchar_t* text);

// The same for the global installFolder.
bool validateInstallFolder();

// Where creating `path` cuts it to create its parent first: the last
// backslash at position 3 or later, or -1 when there is none (or the path
// has 3 characters or fewer). The drive's root is never cut off.
int parentCutPosition(const char* path);
int parentCutPosition(const wchar_t* path);
