// The two shortcuts to the product's main program: on the desktop and in
// the maker's Start-Menu group.
#include <shlobj.h>
#include <shobjidl.h>

#include "engine.h"
#include "fatal_error.h"
#include "shortcut_paths.h"
#include "system_libraries.h"

namespace {

// A path that does not fit its buffer ends the step's run with its code
// and the platform's own error for a name that is too long.
[[noreturn]] void reportTooLong(const FatalText& text)
{
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    fail(text);
}

// The folder the user's shell keeps for `csidl` (the desktop, the Start
// menu's programs), wherever it lies: a cloud drive, a server, a name in the
// system's language. False when the shell cannot say or the folder is not
// there (the buffer then holds nothing to go by).
bool shellFolder(int csidl, wchar_t (&folder)[MAX_PATH])
{
    auto folderPath = shellCalls().folderPath;
    if (!folderPath || folderPath(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK || !folder[0]) {
        folder[0] = 0;
        return false;
    }
    removeTrailingBackslash(folder);  // a drive's root: "D:\"
    return true;
}

// The profile folder (any alphabet), for the folders the shell cannot
// name. Code 162 when there is none.
void readProfileFolder(wchar_t (&profileFolder)[MAX_PATH])
{
    DWORD length = GetEnvironmentVariableW(L"USERPROFILE", profileFolder, MAX_PATH);
    if (length == 0) fail(cantGetUserProfile);
    // A value that does not fit is reported as its needed size, with
    // nothing stored.
    if (length >= MAX_PATH) reportTooLong(cantGetUserProfile);
    removeTrailingBackslash(profileFolder);
}

}  // namespace

void createShortcuts()
{
    wchar_t target[MAX_PATH];
    bool targetFits = composeShortcutTarget(target);

    // Both folders are settled before anything is made, so that a missing
    // profile stops the run with nothing made.
    wchar_t desktopFolder[MAX_PATH], programsFolder[MAX_PATH], profileFolder[MAX_PATH] = L"";
    bool shellDesktop = shellFolder(CSIDL_DESKTOPDIRECTORY, desktopFolder);
    bool shellPrograms = shellFolder(CSIDL_PROGRAMS, programsFolder);
    if (!shellDesktop || !shellPrograms) readProfileFolder(profileFolder);

    wchar_t desktopLink[MAX_PATH];
    if (!targetFits || (!shellDesktop && !composeProfileDesktop(desktopFolder, profileFolder)) ||
        !composeDesktopLink(desktopLink, desktopFolder))
        reportTooLong(cantCreateDesktopLink);
    if (!createShellLink(desktopLink, target, installConfig.productDescription, installFolder))
        fail(cantCreateDesktopLink);

    wchar_t groupFolder[MAX_PATH];
    if ((!shellPrograms && !composeProfilePrograms(programsFolder, profileFolder)) ||
        !composeGroupFolder(groupFolder, programsFolder))
        reportTooLong(cantCreateStartMenuFolder);
    if (!CreateDirectoryW(groupFolder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        fail(cantCreateStartMenuFolder);

    wchar_t groupLink[MAX_PATH];
    if (!composeGroupLink(groupLink, groupFolder)) reportTooLong(cantCreateStartMenuLink);
    if (!createShellLink(groupLink, target, installConfig.productDescription, installFolder))
        fail(cantCreateStartMenuLink);
}

namespace {

// A link to `targetPath` started in `workingDirectory`, saved at
// `linkPath`, through the shell's link object; the result of the save.
HRESULT saveShellLink(const wchar_t* targetPath, const wchar_t* linkPath, const wchar_t* description,
                      const wchar_t* workingDirectory)
{
    IShellLinkW* link = nullptr;
    auto createInstance = shellCalls().createInstance;
    if (FAILED(createInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
        return E_NOINTERFACE;
    // The setters' results are not looked at: only the save decides.
    link->SetPath(targetPath);
    if (*description) link->SetDescription(description);
    link->SetShowCmd(SW_SHOWNORMAL);
    link->SetWorkingDirectory(workingDirectory);

    IPersistFile* file = nullptr;
    HRESULT result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(result) && file) {
        result = file->Save(linkPath, TRUE);
        file->Release();
    } else {
        result = E_NOINTERFACE;  // no way to save the link
    }
    link->Release();
    return result;
}

}  // namespace

bool createShellLink(const wchar_t* linkPath, const wchar_t* targetPath, const wchar_t* description,
                     const wchar_t* workingDirectory)
{
    // Without COM's calls the library cannot be initialised either.
    const ShellCalls& com = shellCalls();
    if (!com.initialize || !com.uninitialize || !com.createInstance || FAILED(com.initialize(nullptr))) return false;
    HRESULT saved = saveShellLink(targetPath, linkPath, description, workingDirectory);
    com.uninitialize();
    return SUCCEEDED(saved);
}
