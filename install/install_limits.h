// The limits a product's configuration must meet, shared by the program and
// the build step that checks a product's manifest.
#pragma once

#include <cstddef>

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// The buffer the dialog's information text is filled into, in UTF-16 units.
constexpr size_t infoTextSize = 128;

// A text's length in its units, where the compiler can count it (strlen
// is not constexpr).
template <typename Char>
constexpr size_t constantLength(const Char* text)
{
    return *text ? 1 + constantLength(text + 1) : 0;
}
