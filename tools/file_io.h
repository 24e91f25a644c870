// Whole-file reads and all-or-nothing writes for the host tools. Failures
// throw std::runtime_error with a one-line message naming the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "packed_payload.h"

std::vector<uint8_t> readWholeFile(const std::string& path);

// The file's modification time as a FILETIME.
FILETIME fileModificationTime(const std::string& path);

// Writes `bytes` to a temporary file beside `path`, gives it the time stamp
// (if any) and renames it over `path`: a reader sees the old file or the
// whole new one, never a half-written one, and a failure leaves no trace.
void writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size,
                         std::optional<FILETIME> modificationTime);
