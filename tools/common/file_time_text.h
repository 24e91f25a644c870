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

// Whether Windows can give a file this time: not 0 (which it takes for "no
// time": the file would keep the moment it was written) and below 2^63.
bool isUsableFileTime(FILETIME time);

// Accepts exactly "YYYY-MM-DD HH:MM:SS" with a real calendar date from 1601
// on that is a usable time; anything else gives no value.
std::optional<FILETIME> parseFileTime(const std::string& text);

// "YYYY-MM-DD HH:MM:SS", with ".fffffff" when the stamp has a fraction of a
// second.
std::string formatFileTime(FILETIME time);

// Conversions to and from the file system's time stamps; a POSIX time that
// is no usable FILETIME (before 1601, at its very start, or after 30828)
// gives no value.
std::optional<FILETIME> fileTimeFromTimespec(const timespec& time);
timespec timespecFromFileTime(FILETIME time);
