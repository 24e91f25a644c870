// The system survey's results as the dialog's lines show them: a word of
// the dialog's (in the product's language), ": " and the value, which is
// the same in every language.
#pragma once

#include <cstddef>
#include <cstdint>

// "64-bit" or "32-bit"; null for any other architecture.
const char* architectureValueFor(int32_t bits);

// "Windows-2K" ... "Windows-8" for the versions the table knows (2000 to
// 8); null for any other pair.
const char* osValueFor(uint32_t major, uint32_t minor);

// "WORD: VALUE" into `out` (VALUE alone when `word` is null), cut to `size`
// units with its terminator (the manifest's check keeps the words short
// enough that it never is).
void composeSurveyLine(wchar_t* out, size_t size, const wchar_t* word, const char* value);
void composeSurveyLine(wchar_t* out, size_t size, const wchar_t* word, const wchar_t* value);
