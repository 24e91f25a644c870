// Names read from a program or a manifest, as the tools show and compare
// them.
#pragma once

#include <string>

// A name fit for a one-line message or a listing: control characters (C0
// and C1) and the marks that turn the direction of text, which a hostile
// name may hold to fool the eye, are shown as '?'.
std::string printableName(const std::string& name);

// File and resource names are compared as Windows compares them, without
// regard to letter case in any alphabet: a name in its upper-case form
// (windowsUpperCase; a text that is not UTF-8 has ASCII letters' alone).
std::string upperCaseName(const std::string& name);

// What keeps `name` from becoming one file (or link, or folder) in one
// folder on Windows ("\"<\" at character 3", "it is a device's name"), or ""
// when nothing does: it must not be empty, "." or "..", have a folder part,
// hold anything Windows refuses in a file name (control characters,
// <>:"/\|?*, a trailing dot or space), or be a device's name (CON, PRN,
// AUX, NUL, COM1-9, LPT1-9, with any extension), which would be the device,
// not a file.
std::string windowsFileNameFault(const std::string& name);

// A name a tool may write under a folder of its own, as given by a program
// it reads: it names a file inside that folder (not empty, "." or "..", no
// slash, backslash or drive colon) and shows as it is (no control
// character, no mark that turns the text around).
bool staysInItsFolder(const std::string& name);

