#include "folder_rules.h"

#include <cstring>

#include "install_limits.h"

// Characters are compared as signed bytes: a byte of 128 or more is never a
// letter and never lies between 'C' and 'Z'.
bool validateFolderText(char* text)
{
    signed char* folder = reinterpret_cast<signed char*>(text);
    if (folder[0] >= 'a' && folder[0] <= 'z') folder[0] = static_cast<signed char>(folder[0] - 'a' + 'A');
    if (folder[0] < 'C' || folder[0] > 'Z') return false;
    if (folder[1] != ':') return false;
    int colons = 0;
    for (const signed char* at = folder; *at; at++) colons += *at == ':';
    if (colons != 1) return false;
    if (folder[2] != '\\') return false;
    size_t length = strlen(text);
    for (size_t i = 1; i < length; i++)
        if (folder[i] == '\\' && folder[i - 1] == '\\') return false;
    if (folder[length - 1] == '\\') folder[--length] = 0;
    return length >= 4;
}


int parentCutPosition(const char* path)
{
    int length = static_cast<int>(strlen(path));
    if (length <= 3) return -1;
    for (int i = length - 1; i >= 3; i--)
        if (path[i] == '\\') return i;
    return -1;
}
