#include "fatal_error.h"

#include <windows.h>

#include <cstdarg>

#include "fatal_format.h"
#include "wide_text.h"

void reportFatal(int code, const char* format, ...)
{
    char message[fatalMessageSize];
    char title[fatalTitleSize];
    va_list arguments;
    va_start(arguments, format);
    bool messageFits = formatFatalMessage(message, format, arguments);
    va_end(arguments);
    if (!messageFits) FatalAppExitA(0, messageOverflowText);
    if (!formatFatalTitle(title, code)) FatalAppExitA(0, titleOverflowText);
    if (messageFits) {
        // The message is UTF-8 (a name in any alphabet), shown in UTF-16; its
        // units are never more than its bytes. The title is ASCII.
        wchar_t wideMessage[fatalMessageSize], wideTitle[fatalTitleSize];
        if (widenText(message, wideMessage, fatalMessageSize) && widenText(title, wideTitle, fatalTitleSize))
            MessageBoxW(nullptr, wideMessage, wideTitle, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
        else
            MessageBoxA(nullptr, message, title, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
        ExitProcess(1);
    }
    // FatalAppExitA does not return; should it ever, the run still ends.
    ExitProcess(3);
}
