#include "survey_text.h"

const char* architectureValueFor(int32_t bits)
{
    if (bits == 64) return "64-bit";
    if (bits == 32) return "32-bit";
    return nullptr;
}

namespace {

struct KnownVersion {
    uint32_t major, minor;
    const char* text;
};

const KnownVersion knownVersions[] = {
    {5, 0, "Windows-2K"}, {5, 1, "Windows-XP"}, {6, 0, "Windows-Vista"}, {6, 1, "Windows-7"}, {6, 2, "Windows-8"},
};

// Appends `text` (UTF-16, or ASCII) at `*used`, as much as fits before
// the terminator's place.
template <typename Char>
void append(wchar_t* out, size_t size, size_t* used, const Char* text)
{
    for (; *text && *used + 1 < size; text++) out[(*used)++] = wchar_t(*text);
}

}  // namespace

const char* osValueFor(uint32_t major, uint32_t minor)
{
    for (const KnownVersion& version : knownVersions)
        if (version.major == major && version.minor == minor) return version.text;
    return nullptr;
}

namespace {

template <typename Char>
void compose(wchar_t* out, size_t size, const wchar_t* word, const Char* value)
{
    if (size == 0) return;
    size_t used = 0;
    if (word) {
        append(out, size, &used, word);
        append(out, size, &used, ": ");
    }
    append(out, size, &used, value);
    out[used] = 0;
}

}  // namespace

void composeSurveyLine(wchar_t* out, size_t size, const wchar_t* word, const char* value)
{
    compose(out, size, word, value);
}

void composeSurveyLine(wchar_t* out, size_t size, const wchar_t* word, const wchar_t* value)
{
    compose(out, size, word, value);
}
