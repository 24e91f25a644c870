#include "information_text.h"

bool fillInformation(wchar_t* out, size_t size, const wchar_t* format, const wchar_t* const (&values)[3])
{
    if (size == 0) return false;
    if (informationLength(format, values) >= size) {
        out[0] = 0;
        return false;
    }
    size_t used = 0;
    while (*format) {
        size_t skipped = 1;
        int which = placeholderAt(format, &skipped);
        if (which < 0) {
            out[used++] = *format;
        } else {
            for (const wchar_t* value = values[which]; *value; value++) out[used++] = *value;
        }
        format += skipped;
    }
    out[used] = 0;
    return true;
}
