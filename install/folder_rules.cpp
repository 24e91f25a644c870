#include "folder_rules.h"

#include <cstddef>
#include <cstdint>

#include "ascii_case.h"
#include "install_limits.h"

namespace {

// A character's code: bytes of 128 and more, and UTF-16 units beyond ASCII,
// are never letters and never lie between 'C' and 'Z'.
uint32_t code(char c) { return static_cast<unsigned char>(c); }
uint32_t code(wchar_t c) { return static_cast<uint32_t>(c); }

template <typename Char>
size_t lengthOf(const Char* text)
{
    size_t length = 0;
    while (text[length]) length++;
    return length;
}

template <typename Char>
bool validate(Char* folder)
{
    folder[0] = asciiUpper(folder[0]);
    if (code(folder[0]) < 'C' || code(folder[0]) > 'Z') return false;
    if (folder[1] != ':') return false;
    int colons = 0;
    for (const Char* at = folder; *at; at++) colons += *at == ':';
    if (colons != 1) return false;
    if (folder[2] != '\\') return false;
    size_t length = lengthOf(folder);
    for (size_t i = 1; i < length; i++)
        if (folder[i] == '\\' && folder[i - 1] == '\\') return false;
    if (folder[length - 1] == '\\') folder[--length] = 0;
    return length >= 4;
}

template <typename Char>
int cutPosition(const Char* path)
{
    int length = static_cast<int>(lengthOf(path));
    if (length <= 3) return -1;
    for (int i = length - 1; i >= 3; i--)
        if (path[i] == '\\') return i;
    return -1;
}

}  // namespace

bool validateFolderText(char* text) { return validate(text); }
bool validateFolderText(wchar_t* text) { return validate(text); }
int parentCutPosition(const char* path) { return cutPosition(path); }
int parentCutPosition(const wchar_t* path) { return cutPosition(path); }
