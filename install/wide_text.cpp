#include "wide_text.h"

bool widenText(const char* text, wchar_t* out, int size)
{
    if (size <= 0) return false;
    // -1: the terminator too. Without it nothing is written.
    int written = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, out, size);
    if (written <= 0) out[0] = 0;
    return written > 0;
}
