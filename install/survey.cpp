// The system survey: the Windows version and whether the system is 32- or
// 64-bit, judged by the system's own notepad program.
#include "engine.h"
#include "fatal_error.h"
#include "platform_calls.h"
#include "survey_text.h"

OSVERSIONINFOA osVersionInfo;
int32_t architectureBits;

void detectOsVersion()
{
    osVersionInfo.dwOSVersionInfoSize = sizeof osVersionInfo;  // 148
    if (!platform.getVersionEx(&osVersionInfo))
        fail(cantGetWindowsVersion);
}

void detectArchitecture()
{
    DWORD type = 0;
    if (!platform.getBinaryType("C:\\Windows\\notepad.exe", &type))
        fail(cantGetArchitecture);
    if (type == SCS_64BIT_BINARY) architectureBits = 64;
    else if (type == SCS_32BIT_BINARY) architectureBits = 32;
    else reportFatal(unsupportedArchitecture.code, unsupportedArchitecture.format);
}

const char* architectureValue() { return architectureValueFor(architectureBits); }

const char* osValue() { return osValueFor(osVersionInfo.dwMajorVersion, osVersionInfo.dwMinorVersion); }
