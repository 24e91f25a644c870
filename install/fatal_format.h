// The fatal error reporter's texts: the message, formatted from a printf
// format, and the title that carries the code. Both have fixed buffers; a
// text that does not fit is an overflow, never shown cut short.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

constexpr size_t fatalMessageSize = 1024;  // at most 1023 characters
constexpr size_t fatalTitleSize = 32;      // at most 31 characters

// Shown instead (through the platform's fatal exit) when a text overflows.
constexpr const char* messageOverflowText = "Abort(): buffer overflow";
constexpr const char* titleOverflowText = "Abort(): header overflow";

// False when the message needs fatalMessageSize characters or more, or the
// formatting fails; nothing is written past the buffer either way.
bool formatFatalMessage(char (&message)[fatalMessageSize], const char* format, va_list arguments);

// "Fatal Error Code %i"; false when it would not fit (no 32-bit code does).
bool formatFatalTitle(char (&title)[fatalTitleSize], int32_t code);
