// Finding the program's own resources: the payloads and the logo.
#include "engine.h"
#include "fatal_codes.h"
#include "fatal_error.h"
#include "platform_calls.h"
#include "wide_text.h"

HINSTANCE appInstance;
const BITMAPINFO* logoDib;

int findResourceData(const char* name, WORD type, ResourceData* resource)
{
    HRSRC found = FindResourceW(appInstance, WideName(name).text, MAKEINTRESOURCEW(type));
    if (!found) return cantFindResource.code;
    // The size is taken before the load and not tested: an empty resource
    // has 0 bytes and no error.
    DWORD size = SizeofResource(appInstance, found);
    HGLOBAL loaded = platform.loadResource(appInstance, found);
    if (!loaded) return cantLoadResource.code;
    const void* locked = platform.lockResource(loaded);
    if (!locked) return cantLockResource.code;
    *resource = ResourceData{static_cast<const uint8_t*>(locked), size};
    return 0;
}

void reportResourceFailure(int code, const char* name, DWORD error)
{
    // Each of these messages takes what it needs of the two, in this order;
    // printf passes over arguments a format does not ask for.
    const FatalText* text = fatalTextFor(code);
    reportFatal(code, text ? text->format : "%s", name, int(error));
}

ResourceData loadResourceData(const char* name, WORD type)
{
    ResourceData resource = {nullptr, 0};
    int failure = findResourceData(name, type, &resource);
    if (failure) reportResourceFailure(failure, name, GetLastError());
    return resource;
}

void loadLogo()
{
    logoDib = reinterpret_cast<const BITMAPINFO*>(loadResourceData("LOGO", 2 /* RT_BITMAP */).data);
}
