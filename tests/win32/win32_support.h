// What the tests that run under Wine share beside the driver: the shell's
// folders redirected, files with their times, shortcuts read back, drive
// snapshots.
#pragma once

#include <map>

#include "win32_driver.h"

// The shell's Desktop and Programs folders (the user's registry settings, on
// Windows and in Wine) pointed elsewhere for a test, and back; none is made.
struct ShellFolders {
    ShellFolders(const std::string& desktop, const std::string& programs);
    ~ShellFolders();
    std::wstring saved[2];  // what they were
};

std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);
std::string upperCase(std::string text);
std::string sourcePath(const std::string& relative);  // a file of the source tree, as Wine sees it
// " CREATED ACCESSED WRITTEN" (64-bit values), or "" for no file.
std::string fileTimesText(const std::string& path);

// A shortcut as "TARGET|ARGUMENTS|DESCRIPTION|WORKING FOLDER|SHOW COMMAND", paths upper-cased, read
// by the shell's link object but the show command (from the file: Wine's object always says 1).
std::string linkText(const std::string& linkPath);

// What a drive holds under a root: every folder and file (upper-cased
// paths), with the files' sizes and times. What changed between two
// snapshots is a "\n  PATH" for each path added, removed or changed (a
// folder by its presence alone: its times change with every file made in it).
using DriveSnapshot = std::map<std::string, std::string>;
DriveSnapshot snapshotTree(const std::string& root);
std::string changedPaths(const DriveSnapshot& before, const DriveSnapshot& after);

// A program's version information as "KEY=VALUE|" for each string of its
// U.S. English Unicode block (040904B0) the installers fill, in UTF-8.
std::string versionStrings(const std::string& programPath);
