#include "install_config.h"

#include "folder_rules.h"

// Each row's resource is its name in upper case (resources are found
// without regard to case).
PayloadEntry payloadTable[] = {
#define PRODUCT_PAYLOAD(name) {name, nullptr, 0, {0, 0}},
    PRODUCT_PAYLOADS
#undef PRODUCT_PAYLOAD
    {nullptr, nullptr, 0, {0, 0}},
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
