#include "platform_calls.h"

PlatformCalls platform = {
    ::LoadResource, ::LockResource, ::CreateFileW,   ::WriteFile,      ::SetFileTime,
    ::CloseHandle,  ::MoveFileExW,  ::GetVersionExA, ::GetBinaryTypeA, ::GetSystemInfo,
};
