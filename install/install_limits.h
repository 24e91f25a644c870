// The limits a product's configuration must meet, shared by the program and
// the build step that checks a product's manifest.
#pragma once

#include <cstddef>

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// The dialog's information text and the buffer it is formatted into.
#define INFO_TEXT_FORMAT "This program will install\nVersion %s of %s\n%s\n"
constexpr size_t infoTextSize = 128;

// A text's length, where the compiler can count it (strlen is not constexpr).
constexpr size_t constantLength(const char* text) { return *text ? 1 + constantLength(text + 1) : 0; }

// The format without its three "%s" (40 characters).
constexpr size_t infoTextFixedLength = constantLength(INFO_TEXT_FORMAT) - 6;
