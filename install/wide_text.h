// The program's UTF-8 texts (the payloads' names, the fatal messages that
// name them) as the system's calls take them: UTF-16, any alphabet.
#pragma once

#include <windows.h>

// False, with `out` empty, when the text is not UTF-8 or needs more than
// `size` units with its terminator.
bool widenText(const char* text, wchar_t* out, int size);

// A payload's name as a file or resource name (MAX_PATH units hold every
// name the manifest's check lets through).
struct WideName {
    explicit WideName(const char* name) { widenText(name, text, MAX_PATH); }
    wchar_t text[MAX_PATH];
};
