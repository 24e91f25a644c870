#include "survey_text.h"

const char* architectureTextFor(int32_t bits)
{
    if (bits == 64) return "Architecture: 64-bit";
    if (bits == 32) return "Architecture: 32-bit";
    return "unsupported architecture";
}

namespace {

struct KnownVersion {
    uint32_t major, minor;
    const char* text;
};

const KnownVersion knownVersions[] = {
    {5, 0, "Operating System: Windows-2K"},    {5, 1, "Operating System: Windows-XP"},
    {6, 0, "Operating System: Windows-Vista"}, {6, 1, "Operating System: Windows-7"},
    {6, 2, "Operating System: Windows-8"},
};

}  // namespace

const char* osTextFor(uint32_t major, uint32_t minor)
{
    for (const KnownVersion& version : knownVersions)
        if (version.major == major && version.minor == minor) return version.text;
    return "Operating System: unsupported";
}
