#include "install_config.h"

#include "folder_rules.h"

// Each row's resource is its name in upper case. The resource is found by
// that name exactly: Windows' own folding of letters beyond ASCII is then
// never in question.
PayloadEntry payloadTable[] = {
#define PRODUCT_PAYLOAD(name, resource) {name, nullptr, 0, {0, 0}, resource},
    PRODUCT_PAYLOADS
#undef PRODUCT_PAYLOAD
    {nullptr, nullptr, 0, {0, 0}, nullptr},
};

int payloadCount()
{
    int count = 0;
    while (payloadTable[count].fileName) count++;
    return count;
}

wchar_t installFolder[MAX_PATH];
wchar_t browsePath[MAX_PATH];

bool validateInstallFolder() { return validateFolderText(installFolder); }
