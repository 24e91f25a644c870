#include "fatal_format.h"

#include <cstdio>

#ifdef _WIN32
// MinGW's wrapper of msvcrt's _vsnprintf; its header declares it only to
// programs that do not use MinGW's own formatting, which C++ always does.
extern "C" int __cdecl __ms_vsnprintf(char* out, size_t size, const char* format, va_list arguments);
#endif

int formatText(char* out, size_t size, const char* format, va_list arguments)
{
#ifdef _WIN32
    return __ms_vsnprintf(out, size, format, arguments);
#else
    return vsnprintf(out, size, format, arguments);
#endif
}

int formatText(char* out, size_t size, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = formatText(out, size, format, arguments);
    va_end(arguments);
    return length;
}

bool formatFatalMessage(char (&message)[fatalMessageSize], const char* format, va_list arguments)
{
    int length = formatText(message, sizeof message, format, arguments);
    return length >= 0 && size_t(length) < sizeof message;
}

bool formatFatalTitle(char (&title)[fatalTitleSize], int32_t code)
{
    int length = formatText(title, sizeof title, "Fatal Error Code %i", static_cast<int>(code));
    return length >= 0 && size_t(length) < sizeof title;
}
