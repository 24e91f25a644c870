// The dialog's information text: its format (the manifest's, or the
// English) with {version}, {name} and {description} filled in by the
// product's texts. Platform-free, so that the native tests hold it.
#pragma once

#include <cstddef>

#include "dialog_texts.h"  // informationPlaceholders, the manifest check's too

// Which placeholder begins at `at` (0 version, 1 name, 2 description), or
// -1; `*length` its length.
constexpr int placeholderAt(const wchar_t* at, size_t* length)
{
    // The placeholders are ASCII: each of their characters is its unit.
    for (int which = 0; which < 3; which++) {
        const char* placeholder = informationPlaceholders[which];
        size_t n = 0;
        while (placeholder[n] && at[n] == wchar_t(placeholder[n])) n++;
        if (!placeholder[n]) {
            *length = n;
            return which;
        }
    }
    return -1;
}

// The filled text's length in units, without its terminator.
constexpr size_t informationLength(const wchar_t* format, const wchar_t* const (&values)[3])
{
    size_t length = 0;
    while (*format) {
        size_t skipped = 1;
        int which = placeholderAt(format, &skipped);
        if (which < 0) {
            length++;
        } else {
            for (const wchar_t* value = values[which]; *value; value++) length++;
        }
        format += skipped;
    }
    return length;
}

// Fills the text into `out` (`size` units, the terminator too); false, with
// `out` empty, when it would not fit.
bool fillInformation(wchar_t* out, size_t size, const wchar_t* format, const wchar_t* const (&values)[3]);
