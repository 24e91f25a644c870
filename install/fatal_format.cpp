#include "fatal_format.h"

#include <cstdio>

bool formatFatalMessage(char (&message)[fatalMessageSize], const char* format, va_list arguments)
{
    int length = vsnprintf(message, sizeof message, format, arguments);
    return length >= 0 && size_t(length) < sizeof message;
}

bool formatFatalTitle(char (&title)[fatalTitleSize], int32_t code)
{
    int length = snprintf(title, sizeof title, "Fatal Error Code %i", static_cast<int>(code));
    return length >= 0 && size_t(length) < sizeof title;
}
