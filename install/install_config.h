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

// The product's texts, in any alphabet: the header holds them in UTF-8,
// and L"" makes each the UTF-16 that the dialog and the shell take.
struct InstallConfig {
    const wchar_t* productName;
    const wchar_t* productVersion;
    const wchar_t* defaultFolder;
    const wchar_t* groupName;
    const wchar_t* productDescription;
};

// "&&" in the description is stored as two characters: the dialog shows
// one ampersand, the shortcuts' description keeps both.
constexpr InstallConfig installConfig = {
    L"" PRODUCT_NAME, L"" PRODUCT_VERSION, L"" PRODUCT_DEFAULT_FOLDER, L"" PRODUCT_GROUP_NAME, L"" PRODUCT_DESCRIPTION,
};

static_assert(constantLength(installConfig.defaultFolder) < MAX_PATH, "the default folder must fit its buffer");

// One file the program carries: its name (UTF-8, as the manifest gives it:
// the file written, its check record, the name in a fatal message), once
// the extraction pass has run its decoded bytes and time stamp, and its
// resource's name (the file's in upper case, as the build stores it).
struct PayloadEntry {
    const char* fileName;  // null only in the terminator row
    uint8_t* data;
    uint32_t size;
    FILETIME fileTime;
    const char* resourceName;
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
