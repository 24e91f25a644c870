// The DLL search limited to the system folder, and the DLLs the program
// loads itself. A setup program usually runs from a downloads folder, where
// anybody may have left a DLL named after one that Windows or the shell
// loads on demand; loaded from there, it would run with the user's rights.
// Limiting the search does not reach a DLL that a system DLL loads by name
// with a search path of its own (a delayed import, for one), so the DLLs
// that the shell, the common controls and the link object load on demand
// are loaded first from the system folder: a later load by name then finds
// them already there.
#include "system_libraries.h"

#include <cstring>

namespace {

// Not declared by every SDK the program may be built with.
constexpr DWORD searchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

typedef BOOL(WINAPI* SetDefaultDllDirectoriesCall)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryCall)(LPCSTR);
typedef void(WINAPI* InitCommonControlsCall)();

// A DLL's function as its own type (through void (*)(), the one function
// pointer type that converts to every other without a warning).
template <typename Call>
Call dllFunction(HMODULE module, const char* name)
{
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// kernel32 is always loaded, from the system folder.
template <typename Call>
Call kernelFunction(const char* name)
{
    return dllFunction<Call>(GetModuleHandleA("kernel32.dll"), name);
}

// Those that are not among Windows' known DLLs. A DLL this Windows does
// not have is simply not loaded.
template <size_t count>
void loadAll(const char* const (&names)[count])
{
    for (const char* name : names) loadSystemLibrary(name);
}

}  // namespace

void restrictDllSearch()
{
    // Windows 8, and 7 and Vista with update KB2533623: only the system
    // folder, for every later load by name, the shell's included.
    auto setDefaultDirectories = kernelFunction<SetDefaultDllDirectoriesCall>("SetDefaultDllDirectories");
    if (setDefaultDirectories && setDefaultDirectories(searchSystem32)) return;
    // Older systems (XP SP1 and later): at least the current folder leaves
    // the search order. The program's own folder stays in it there; the
    // program loads nothing by name itself.
    auto setDllDirectory = kernelFunction<SetDllDirectoryCall>("SetDllDirectoryA");
    if (setDllDirectory) setDllDirectory("");
}

HMODULE loadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + strlen(name) >= MAX_PATH) return nullptr;
    path[length] = '\\';
    strcpy(path + length + 1, name);
    // A full path: loaded from there or not at all.
    return LoadLibraryA(path);
}

// What the dialog's windows and common controls load on demand; the
// shell's own are loaded with the shell, when first needed (they would
// otherwise bring COM along before the prompt).
void preloadSystemLibraries() { loadAll({"uxtheme.dll", "dwmapi.dll", "cryptbase.dll", "version.dll"}); }

ShellCalls& shellCalls()
{
    static ShellCalls calls;
    static bool bound = false;
    if (!bound) {
        bound = true;
        // What the folder browser and the link object load on demand.
        loadAll({"propsys.dll", "userenv.dll", "profapi.dll", "apphelp.dll", "setupapi.dll", "oleacc.dll",
                 "ntmarta.dll", "clbcatq.dll"});
        HMODULE ole32 = loadSystemLibrary("ole32.dll");
        HMODULE shell32 = loadSystemLibrary("shell32.dll");
        if (shell32) {
            calls.browseForFolder = dllFunction<decltype(calls.browseForFolder)>(shell32, "SHBrowseForFolderW");
            calls.pathFromIdList = dllFunction<decltype(calls.pathFromIdList)>(shell32, "SHGetPathFromIDListW");
            calls.folderPath = dllFunction<decltype(calls.folderPath)>(shell32, "SHGetFolderPathW");
        }
        if (ole32) {
            calls.taskMemFree = dllFunction<decltype(calls.taskMemFree)>(ole32, "CoTaskMemFree");
            calls.initialize = dllFunction<decltype(calls.initialize)>(ole32, "CoInitialize");
            calls.uninitialize = dllFunction<decltype(calls.uninitialize)>(ole32, "CoUninitialize");
            calls.createInstance = dllFunction<decltype(calls.createInstance)>(ole32, "CoCreateInstance");
        }
    }
    return calls;
}

void initCommonControls()
{
    HMODULE comctl32 = loadSystemLibrary("comctl32.dll");
    if (!comctl32) return;  // the dialog then cannot be made, and says so
    auto init = dllFunction<InitCommonControlsCall>(comctl32, "InitCommonControls");
    if (init) init();
}
