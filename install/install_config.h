// What makes this setup program install one particular product: its
// configuration, the table of the files it carries, and the small global
// install state that the steps share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "packed_payload.h"

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

struct InstallConfig {
    const char* productName;
    const char* productVersion;
    const char* defaultFolder;
    const char* groupName;
    const char* productDescription;
};

constexpr InstallConfig installConfig = {
    "QRV",
    "6.10",
    "C:\\Arvendal\\QRV",
    "Arvendal",
    // "&&" is stored as two characters: the dialog shows one ampersand, the
    // shortcuts' description keeps both.
    "Chart Studio && Data Sifter\nby Orvel K. Tamsin\nBrindlemoor, Wessex",
};

// The dialog's information text and the buffer it is formatted into.
#define INFO_TEXT_FORMAT "This program will install\nVersion %s of %s\n%s\n"
constexpr size_t infoTextSize = 128;

constexpr size_t textLength(const char* text) { return *text ? 1 + textLength(text + 1) : 0; }

// The format's fixed part (40 characters), the three texts and the
// terminator must fit the buffer: a configuration that does not fit does
// not build.
static_assert(textLength(INFO_TEXT_FORMAT) - 6 + textLength(installConfig.productVersion) +
                      textLength(installConfig.productName) + textLength(installConfig.productDescription) + 1 <=
                  infoTextSize,
              "the product's version, name and description do not fit the information text");
static_assert(textLength(installConfig.defaultFolder) < MAX_PATH, "the default folder must fit its buffer");

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

extern char installFolder[MAX_PATH];  // the proposed or chosen install folder
extern char browsePath[MAX_PATH];     // the folder browser's result
extern const char shortcutArguments[];
extern const char shortcutIconPath[];
