// A product's manifest: the TOML file that holds everything a setup
// program for that product carries (texts, default folder, logo, icon and
// the files it installs), read and checked against what the program can
// honour.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "packed_payload.h"

struct ProductPayload {
    std::string name;                // the file's name in the install folder
    std::string source;              // the file it is packed from (absolute)
    std::optional<FILETIME> time;    // none: the source file's own time
};

struct ProductManifest {
    std::string productName, productVersion, defaultFolder, groupName, productDescription, dialogTitle;
    // For the program's version information: the maker (the group's name
    // unless the manifest names one), a copyright line (may be empty), and
    // the version as four numbers ("6.10" is 6.10.0.0).
    std::string publisher, copyright;
    unsigned versionNumbers[4];
    std::string logo, icon;          // absolute paths
    // The dialog's own words, one for each of dialogTexts, in its order.
    std::vector<std::string> texts;
    // The payloads are packed with the best parse (lzari pack --best)
    // unless the manifest says compression = "standard".
    bool bestCompression;
    std::vector<ProductPayload> payloads;
};

// Every text is UTF-8, in any alphabet; lengths are counted in UTF-16
// units, as the program holds the texts, and names compared as Windows
// compares file names.
//
// Reads and checks the manifest at `path`. Relative paths are taken from
// the manifest's folder; "${BUILD}" in a source stands for `buildFolder`,
// and such a file is not looked for (the build makes it later). Throws
// std::runtime_error with one line, "MANIFEST: FIELD: what is wrong", for
// the first thing the program could not honour.
ProductManifest readProductManifest(const std::string& path, const std::string& buildFolder);
