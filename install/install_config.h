// What makes this setup program install one particular product: its
// configuration, the table of the files it carries, and the small global
// install state that the steps share. The product's values come from its
// manifest, through the header the build writes from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "install_limits.h"
#include "packed_payload.h"
#include "product_config.h"

struct InstallConfig {
    const char* productName;
    const char* productVersion;
    const char* defaultFolder;
    const char* groupName;
    const char* productDescription;
};

// "&&" in the description is stored as two characters: the dialog shows
// one ampersand, the shortcuts' description keeps both.
constexpr InstallConfig installConfig = {
    PRODUCT_NAME, PRODUCT_VERSION, PRODUCT_DEFAULT_FOLDER, PRODUCT_GROUP_NAME, PRODUCT_DESCRIPTION,
};

// The format's fixed part, the three texts and the terminator must fit the
// buffer: a configuration that does not fit does not build (the manifest's
// check says so first).
static_assert(infoTextFixedLength + constantLength(installConfig.productVersion) +
                      constantLength(installConfig.productName) + constantLength(installConfig.productDescription) + 1 <=
                  infoTextSize,
              "the product's version, name and description do not fit the information text");
static_assert(constantLength(installConfig.defaultFolder) < MAX_PATH, "the default folder must fit its buffer");

// One file the program carries: its name (that of its resource, looked up
// without regard to case, and of the file written) and, once the
// extraction pass has run, its decoded bytes and time stamp.
struct PayloadEntry {
    const char* fileName;  // null only in the terminator row
    uint8_t* data;
    uint32_t size;
    FILETIME fileTime;
};

// The payload rows in order of extraction and copying, then a terminator
// row. Nothing stores the count: each pass counts the rows.
extern PayloadEntry payloadTable[];

// The number of rows before the terminator.
int payloadCount();

// Paths from the user and the system are held in UTF-16, as the system
// gives them: an ANSI code page cannot hold every user's folder names.
extern wchar_t installFolder[MAX_PATH];  // the proposed or chosen install folder
extern wchar_t browsePath[MAX_PATH];     // the folder browser's result
