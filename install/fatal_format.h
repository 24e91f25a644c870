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

// vsnprintf and snprintf as the program uses them. On Windows they are
// the system C runtime's (msvcrt.dll), through MinGW's thin wrapper that
// gives them the standard's results, instead of MinGW's own formatting,
// whose floating-point conversions alone weigh about 10 KB of a program
// that formats only texts and integers.
int formatText(char* out, size_t size, const char* format, va_list arguments);
int formatText(char* out, size_t size, const char* format, ...);

// False when the message needs fatalMessageSize characters or more, or the
// formatting fails; nothing is written past the buffer either way.
bool formatFatalMessage(char (&message)[fatalMessageSize], const char* format, va_list arguments);

// "Fatal Error Code %i"; false when it would not fit (no 32-bit code does).
bool formatFatalTitle(char (&title)[fatalTitleSize], int32_t code);
