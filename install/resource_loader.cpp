// Finding the program's own resources: the payloads and the logo.
#include "engine.h"
#include "fatal_error.h"
#include "platform_calls.h"

HINSTANCE appInstance;
const BITMAPINFO* logoDib;

ResourceData loadResourceData(const char* name, WORD type)
{
    HRSRC found = FindResourceA(appInstance, name, MAKEINTRESOURCEA(type));
    if (!found) reportFatal(321, "can't find resource %s\nWin Err Code %i", name, int(GetLastError()));
    // The size is taken before the load and not tested: an empty resource
    // has 0 bytes and no error.
    DWORD size = SizeofResource(appInstance, found);
    HGLOBAL loaded = platform.loadResource(appInstance, found);
    if (!loaded) reportFatal(324, "can't load resource %s\nWin Err Code %i", name, int(GetLastError()));
    const void* locked = platform.lockResource(loaded);
    if (!locked) reportFatal(326, "can't lock resource %s\nWin Err Code %i", name, int(GetLastError()));
    return ResourceData{static_cast<const uint8_t*>(locked), size};
}

void loadLogo()
{
    logoDib = reinterpret_cast<const BITMAPINFO*>(loadResourceData("LOGO", 2 /* RT_BITMAP */).data);
}
