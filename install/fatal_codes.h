// Every fatal code the installer can stop with, each once, with its
// message as a printf format. The engine reports through these, lzari names
// them in its "the installer stops with N" lines, and the tests hold the
// table of codes in docs/fatal-codes.md to this one.
//
// A message that follows a failed platform call ends with "\nWin Err Code
// %i" and takes the system's error last; a file or resource name comes in
// through "%s" before it.
#pragma once

struct FatalText {
    int code;
    const char* format;
};

// The system survey, at start-up.
constexpr FatalText cantGetWindowsVersion{72, "can't get windows version\nWin Err Code %i"};
constexpr FatalText cantGetArchitecture{79, "can't get architecture\nWin Err Code %i"};
constexpr FatalText unsupportedArchitecture{85, "unsupported architecture"};
// The shortcuts.
constexpr FatalText cantGetUserProfile{162, "can't get user profile\nWin Err Code %i"};
constexpr FatalText cantCreateDesktopLink{176, "can't create link on desktop\nWin Err Code %i"};
constexpr FatalText cantCreateStartMenuFolder{187, "can't create folder in start menu\nWin Err Code %i"};
constexpr FatalText cantCreateStartMenuLink{197, "can't create link on start menu\nWin Err Code %i"};
// The files.
constexpr FatalText cantDeleteFile{212, "can't delete file %s\nWin Err Code %i"};
constexpr FatalText cantCreateFile{218, "can't create file %s\nWin Err Code %i"};
constexpr FatalText cantWriteFile{223, "can't write file %s\nWin Err Code %i"};
constexpr FatalText fileWriteError{228, "file write error %s\nWin Err Code %i"};
constexpr FatalText cantSetFileTime{233, "can't set file time %s\nWin Err Code %i"};
constexpr FatalText fileCloseError{238, "file close error %s\nWin Err Code %i"};
// The program's own resources and the payloads in them.
constexpr FatalText cantFindResource{321, "can't find resource %s\nWin Err Code %i"};
constexpr FatalText cantLoadResource{324, "can't load resource %s\nWin Err Code %i"};
constexpr FatalText cantLockResource{326, "can't lock resource %s\nWin Err Code %i"};
constexpr FatalText wrongLzariVersion{344, "resource was compressed with the wrong version of LZARI"};
constexpr FatalText cantDecodeResource{346, "can't decode resource %s"};
constexpr FatalText noMemoryForResource{347, "not enough memory to decode resource %s"};
constexpr FatalText resourceDamaged{348, "resource %s is damaged"};

constexpr FatalText fatalTexts[] = {
    cantGetWindowsVersion, cantGetArchitecture, unsupportedArchitecture, cantGetUserProfile, cantCreateDesktopLink,
    cantCreateStartMenuFolder, cantCreateStartMenuLink, cantDeleteFile, cantCreateFile, cantWriteFile,
    fileWriteError, cantSetFileTime, fileCloseError, cantFindResource, cantLoadResource, cantLockResource,
    wrongLzariVersion, cantDecodeResource, noMemoryForResource, resourceDamaged,
};

// The text of `code`, or null for a code the table does not have.
constexpr const FatalText* fatalTextFor(int code)
{
    for (const FatalText& text : fatalTexts)
        if (text.code == code) return &text;
    return nullptr;
}
