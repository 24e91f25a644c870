// The one exit path for every failure: a system-modal error box titled
// "Fatal Error Code N" with the message, then the end of the process with
// exit code 1. A message or title that would overflow its buffer ends the
// process at once through the platform's fatal exit instead.
#pragma once

[[noreturn]] void reportFatal(int code, const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 2, 3)))
#endif
    ;
