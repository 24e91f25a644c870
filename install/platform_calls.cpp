#include "platform_calls.h"

PlatformCalls platform = {
    ::LoadResource, ::LockResource, ::CreateFileA,   ::WriteFile,      ::SetFileTime,
    ::CloseHandle,  ::MoveFileExA,  ::GetVersionExA, ::GetBinaryTypeA, ::GetSystemInfo,
};
