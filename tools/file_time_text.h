// FILETIME values (100-ns intervals since 1601-01-01 UTC) to and from the
// text "YYYY-MM-DD HH:MM:SS" (UTC) and POSIX time stamps.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "packed_payload.h"

uint64_t fileTimeValue(FILETIME time);
FILETIME fileTimeOf(uint64_t value);

// Accepts exactly "YYYY-MM-DD HH:MM:SS" with a real calendar date from 1601
// on; anything else gives no value.
std::optional<FILETIME> parseFileTime(const std::string& text);

// "YYYY-MM-DD HH:MM:SS", with ".fffffff" when the stamp has a fraction of a
// second.
std::string formatFileTime(FILETIME time);

// Conversions to and from the file system's time stamps; a POSIX time that
// lies before 1601 has no FILETIME.
std::optional<FILETIME> fileTimeFromTimespec(const timespec& time);
timespec timespecFromFileTime(FILETIME time);
