// The one exit path for every failure: a system-modal error box titled
// "Fatal Error Code N" with the message, then the end of the process with
// exit code 1. A message or title that would overflow its buffer ends the
// process at once through the platform's fatal exit instead.
#pragma once

#include <windows.h>

#include "fatal_codes.h"

[[noreturn]] void reportFatal(int code, const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Ends the run with `text` after a failed platform call: its arguments
// (names) and then the thread's last-error value, read before anything
// else can change it.
template <typename... Names>
[[noreturn]] void fail(const FatalText& text, Names... names)
{
    int error = int(GetLastError());
    reportFatal(text.code, text.format, names..., error);
}
