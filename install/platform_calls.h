// The platform calls whose failures end the run, reached through one table
// so that a test can make any of them fail as a real system rarely would
// (a lock that fails, a disk that fills up, a file in use, a version query
// that fails), or answer otherwise (a machine of one processor, or many).
// The program itself never changes the table.
#pragma once

#include <windows.h>

struct PlatformCalls {
    decltype(&::LoadResource) loadResource;
    decltype(&::LockResource) lockResource;
    decltype(&::CreateFileW) createFile;
    decltype(&::WriteFile) writeFile;
    decltype(&::SetFileTime) setFileTime;
    decltype(&::CloseHandle) closeHandle;
    decltype(&::MoveFileExW) moveFileEx;
    decltype(&::GetVersionExA) getVersionEx;
    decltype(&::GetBinaryTypeA) getBinaryType;
    decltype(&::GetSystemInfo) getSystemInfo;  // the processors the extraction's workers count
};

extern PlatformCalls platform;
