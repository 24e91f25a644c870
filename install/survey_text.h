// The dialog's lines for the system survey's results.
#pragma once

#include <cstdint>

// "Architecture: 64-bit", "Architecture: 32-bit" or "unsupported architecture".
const char* architectureTextFor(int32_t bits);

// "Operating System: Windows-..." for the versions the table knows (2000 to
// 8), "Operating System: unsupported" for any other pair.
const char* osTextFor(uint32_t major, uint32_t minor);
